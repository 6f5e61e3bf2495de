#include "common/filestamp.h"

#include "common/platform.h"
#include "common/safefile.h"

#include <QHashFunctions>

FileStamp FileStamp::of(const QString &path)
{
    FileStamp stamp;
    const Platform::Status s = Platform::status(path);
    if (!s.exists)
        return stamp;
    stamp.m_exists = true;
    stamp.m_device = s.device;
    stamp.m_inode = s.inode;
    stamp.m_size = s.size;
    stamp.m_modifiedNs = s.modifiedNs;
    stamp.m_changedNs = s.changedNs;
    return stamp;
}

FileStamp FileStamp::of(const QString &path, QByteArrayView bytes)
{
    FileStamp stamp = of(path);
    stamp.m_hashed = true;
    stamp.m_hash = hashOf(bytes);
    return stamp;
}

quint64 FileStamp::hashOf(QByteArrayView bytes)
{
    // Two seeds: a change that collides under one is not missed under both.
    return quint64(qHash(bytes, 0x5A17u)) ^ (quint64(qHash(bytes, 0xC0FFEEu)) << 1);
}

bool FileStamp::matches(const QString &path) const
{
    const FileStamp now = of(path);
    if (now.m_exists != m_exists)
        return false;
    if (!m_exists)
        return true;
    if (now.m_size != m_size)
        return false;
    if (now.m_device == m_device && now.m_inode == m_inode && now.m_modifiedNs == m_modifiedNs &&
        now.m_changedNs == m_changedNs)
        return true;
    if (!m_hashed)
        return false;
    QByteArray bytes;
    if (!SafeFile::read(path, m_size, bytes).ok() || bytes.size() != m_size)
        return false;
    return hashOf(bytes) == m_hash;
}
