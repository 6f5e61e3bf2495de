#include "common/filestamp.h"

#include "common/platform.h"
#include "common/safefile.h"

#include <QHashFunctions>

FileStamp FileStamp::of(const QString &path)
{
    FileStamp stamp;
    stamp.m_status = Platform::status(path);
    return stamp;
}

FileStamp FileStamp::of(const QString &path, QByteArrayView bytes)
{
    return of(path).withHashOf(bytes);
}

FileStamp FileStamp::withHashOf(QByteArrayView bytes) const
{
    FileStamp stamp = *this;
    stamp.m_hashed = true;
    stamp.m_hash = hashOf(bytes);
    return stamp;
}

bool FileStamp::sameStatus(const FileStamp &other) const
{
    const Platform::Status &a = m_status;
    const Platform::Status &b = other.m_status;
    return a.exists == b.exists && a.device == b.device && a.inode == b.inode && a.size == b.size &&
           a.modifiedNs == b.modifiedNs && a.changedNs == b.changedNs;
}

quint64 FileStamp::hashOf(QByteArrayView bytes)
{
    // Two seeds: a change that collides under one is not missed under both.
    return quint64(qHash(bytes, 0x5A17u)) ^ (quint64(qHash(bytes, 0xC0FFEEu)) << 1);
}

bool FileStamp::matches(const QString &path) const
{
    const FileStamp now = of(path);
    if (now.isValid() != isValid())
        return false;
    if (!isValid())
        return true;
    if (now.size() != size())
        return false;
    if (now.sameStatus(*this))
        return true;
    if (!m_hashed)
        return false;
    QByteArray bytes;
    if (!SafeFile::read(path, size(), bytes).ok() || bytes.size() != size())
        return false;
    return hashOf(bytes) == m_hash;
}
