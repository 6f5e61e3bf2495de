#pragma once

#include "common/platform.h"

#include <QByteArray>
#include <QString>

// What identifies one version of a file on disk: its identity, size, times
// and, when taken from its bytes, a hash of them. A file is "the same" while
// all of the first hold; when only the times or the identity moved (a rewrite
// of the same bytes, a copy renamed into place) the hash decides.
class FileStamp
{
public:
    FileStamp() = default;
    // The stamp of what lies at `path` now, without reading it.
    static FileStamp of(const QString &path);
    // The same, with the hash of `bytes`, the file's content as just read or written.
    static FileStamp of(const QString &path, QByteArrayView bytes);

    // The same stamp, with the hash of `bytes`, the file's content as the stamp was taken.
    FileStamp withHashOf(QByteArrayView bytes) const;

    bool isValid() const { return m_status.exists; }
    quint64 device() const { return m_status.device; }
    quint64 inode() const { return m_status.inode; }
    qint64 size() const { return m_status.size; }
    qint64 changedNs() const { return m_status.changedNs; }
    // True when both were taken of one version by its identity, size and times; the hash is not looked at.
    bool sameStatus(const FileStamp &other) const;
    // True when `path` still holds the version this stamp was taken of.
    bool matches(const QString &path) const;

private:
    static quint64 hashOf(QByteArrayView bytes);

    Platform::Status m_status;
    bool m_hashed = false;
    quint64 m_hash = 0;
};
