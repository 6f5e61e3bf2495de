#include "document/modulefiles.h"

#include <utility>

QFile *ModuleFiles::file(int slot) const
{
    if (slot != Working && slot != Held)
        return nullptr;
    return m_files[slot - 1].get();
}

bool ModuleFiles::open(int slot, const QString &path)
{
    if (slot != Working && slot != Held)
        return false;
    close(slot);
    auto f = std::make_unique<QFile>(path);
    // Unbuffered: values are read a few bytes at a time at scattered offsets.
    if (!f->open(QIODevice::ReadWrite | QIODevice::Unbuffered) && !f->open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return false;
    m_files[slot - 1] = std::move(f);
    return true;
}

void ModuleFiles::close(int slot)
{
    if (slot == Working || slot == Held) {
        // Closing the file unmaps what was mapped of it.
        m_cache[slot - 1].reset();
        m_files[slot - 1].reset();
    }
    if (slot == Working)
        setJournalling(false);
}

void ModuleFiles::dropCache()
{
    for (int slot : {Working, Held}) {
        auto &cache = m_cache[slot - 1];
        if (cache && !cache->isEmpty())
            m_files[slot - 1]->unmap(reinterpret_cast<uchar *>(const_cast<char *>(cache->constData())));
        cache.reset();
    }
}

ModuleFiles::ReadCache::~ReadCache()
{
    if (--m_files.m_cacheDepth == 0)
        m_files.dropCache();
}

void ModuleFiles::closeAll()
{
    close(Working);
    close(Held);
}

bool ModuleFiles::isOpen(int slot) const
{
    return file(slot) != nullptr;
}

QString ModuleFiles::path(int slot) const
{
    const QFile *f = file(slot);
    return f ? f->fileName() : QString();
}

qint64 ModuleFiles::size(int slot) const
{
    const QFile *f = file(slot);
    return f ? f->size() : -1;
}

QByteArray ModuleFiles::read(int slot, qint64 offset, qint64 count)
{
    QByteArray out(count, '\0');
    QFile *f = file(slot);
    if (!f || offset < 0 || count <= 0)
        return out;
    if (m_cacheDepth > 0) {
        auto &cache = m_cache[slot - 1];
        if (!cache) {
            const qint64 size = f->size();
            uchar *mapped = size > 0 ? f->map(0, size) : nullptr;
            cache = mapped ? QByteArray::fromRawData(reinterpret_cast<const char *>(mapped), size) : QByteArray();
        }
        if (!cache->isEmpty()) {
            if (offset < cache->size())
                std::copy_n(cache->constData() + offset, std::min(count, cache->size() - offset), out.data());
            return out;
        }
    }
    if (!f->seek(offset))
        return out;
    const qint64 got = f->read(out.data(), count);
    if (got < count)
        std::fill(out.begin() + std::max<qint64>(got, 0), out.end(), '\0');
    return out;
}

bool ModuleFiles::write(int slot, qint64 offset, const QByteArray &bytes)
{
    QFile *f = file(slot);
    if (!f || !f->isWritable() || offset < 0 || offset + bytes.size() > f->size())
        return false;
    if (!f->seek(offset) || f->write(bytes) != bytes.size() || !f->flush())
        return false;
    if (m_journalling && slot == Held)
        addToJournal(offset, bytes);
    return true;
}

void ModuleFiles::addToJournal(qint64 offset, const QByteArray &bytes)
{
    if (!m_journalling)
        return;
    // An earlier write that this one covers completely can never show again.
    const qint64 end = offset + bytes.size();
    std::erase_if(m_journal, [&](const JournalEntry &e) { return e.offset >= offset && e.offset + e.bytes.size() <= end; });
    m_journal.push_back({offset, bytes});
}

bool ModuleFiles::replayJournalInto(ModuleFiles &target, int slot) const
{
    bool ok = true;
    for (const JournalEntry &e : m_journal)
        ok = target.write(slot, e.offset, e.bytes) && ok;
    return ok;
}

void ModuleFiles::setJournalling(bool on)
{
    m_journalling = on;
    m_journal.clear();
}

bool ModuleFiles::replayJournal()
{
    const bool journalling = std::exchange(m_journalling, false);
    bool ok = true;
    for (const JournalEntry &e : m_journal)
        ok = write(Held, e.offset, e.bytes) && ok;
    m_journalling = journalling;
    return ok;
}
