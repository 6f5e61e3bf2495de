#pragma once

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

    bool isValid() const { return m_exists; }
    qint64 size() const { return m_size; }
    // True when `path` still holds the version this stamp was taken of.
    bool matches(const QString &path) const;

private:
    static quint64 hashOf(QByteArrayView bytes);

    bool m_exists = false;
    bool m_hashed = false;
    quint64 m_device = 0;
    quint64 m_inode = 0;
    qint64 m_size = -1;
    qint64 m_modifiedNs = 0;
    qint64 m_changedNs = 0;
    quint64 m_hash = 0;
};
