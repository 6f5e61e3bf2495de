#include "values/modulefiles.h"

#include <QFileInfo>
#include <algorithm>
#include <cstring>
#include <utility>

namespace {
// Above this a load reads value by value instead of holding the whole file.
constexpr qint64 kCacheLimit = 64 * 1024 * 1024;
}

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
    QString &error = m_errors[slot - 1];
    error.clear();
    const QFileInfo info(path);
    if (info.isDir() || (info.exists() && !info.isFile())) {
        // A directory opens for reading but reads nothing; a pipe would block.
        error = info.isDir() ? QStringLiteral("Is a directory") : QStringLiteral("Not a regular file");
        return false;
    }
    auto f = std::make_unique<QFile>(path);
    // Unbuffered: values are read a few bytes at a time at scattered offsets.
    bool writable = f->open(QIODevice::ReadWrite | QIODevice::ExistingOnly | QIODevice::Unbuffered);
    if (!writable) {
        error = f->errorString();
        if (!f->open(QIODevice::ReadOnly | QIODevice::ExistingOnly | QIODevice::Unbuffered)) {
            error = f->errorString();
            return false;
        }
    }
    m_files[slot - 1] = std::move(f);
    m_writable[slot - 1] = writable;
    return true;
}

void ModuleFiles::close(int slot)
{
    if (slot == Working || slot == Held) {
        m_cache[slot - 1].reset();
        m_files[slot - 1].reset();
        m_writable[slot - 1] = false;
    }
    if (slot == Working)
        setJournalling(false);
}

void ModuleFiles::dropCache()
{
    for (auto &cache : m_cache)
        cache.reset();
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

bool ModuleFiles::isWritable(int slot) const
{
    return isOpen(slot) && m_writable[slot - 1];
}

QString ModuleFiles::errorString(int slot) const
{
    return slot == Working || slot == Held ? m_errors[slot - 1] : QString();
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

const QByteArray *ModuleFiles::cached(int slot)
{
    QFile *f = file(slot);
    if (!f || m_cacheDepth == 0)
        return nullptr;
    auto &cache = m_cache[slot - 1];
    if (!cache) {
        const qint64 size = f->size();
        if (size <= kCacheLimit && f->seek(0)) {
            // One read of what is there now: a file cut short meanwhile
            // gives a shorter copy, never a fault.
            QByteArray whole(size, Qt::Uninitialized);
            const qint64 got = f->read(whole.data(), size);
            whole.truncate(std::max<qint64>(got, 0));
            cache = std::move(whole);
        }
    }
    return cache ? &*cache : nullptr;
}

qint64 ModuleFiles::read(int slot, qint64 offset, char *into, qint64 count)
{
    QFile *f = file(slot);
    if (!f || offset < 0 || count <= 0)
        return 0;
    if (const QByteArray *cache = cached(slot)) {
        if (offset >= cache->size())
            return 0;
        const qint64 n = std::min(count, cache->size() - offset);
        std::memcpy(into, cache->constData() + offset, size_t(n));
        return n;
    }
    const qint64 size = f->size();
    if (offset >= size || !f->seek(offset))
        return 0;
    return std::max<qint64>(f->read(into, std::min(count, size - offset)), 0);
}

QByteArray ModuleFiles::read(int slot, qint64 offset, qint64 count)
{
    QFile *f = file(slot);
    if (!f || offset < 0 || count <= 0)
        return QByteArray();
    const QByteArray *cache = cached(slot);
    const qint64 size = cache ? cache->size() : f->size();
    if (offset >= size)
        return QByteArray();
    QByteArray out(std::min(count, size - offset), Qt::Uninitialized);
    out.truncate(read(slot, offset, out.data(), out.size()));
    return out;
}

bool ModuleFiles::write(int slot, qint64 offset, const QByteArray &bytes)
{
    QFile *f = file(slot);
    if (!f || !isWritable(slot) || offset < 0 || offset + bytes.size() > f->size())
        return false;
    if (!f->seek(offset) || f->write(bytes) != bytes.size() || !f->flush())
        return false;
    if (auto &cache = m_cache[slot - 1]; cache && offset < cache->size())
        std::copy_n(bytes.constData(), std::min<qint64>(bytes.size(), cache->size() - offset), cache->data() + offset);
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

QString ModuleFiles::baseName(const QString &fileName)
{
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    // A leading dot starts a hidden name, not an extension.
    return dot > 0 ? fileName.left(dot) : fileName;
}

QString ModuleFiles::freeWorkingCopyPath(const QString &modulePath)
{
    const QFileInfo module(modulePath);
    const QString stem = module.absolutePath() + QLatin1Char('/') + baseName(module.fileName());
    auto usable = [&](const QString &candidate) {
        const QFileInfo info(candidate);
        // A dangling link counts as taken: the tool would write through it.
        return !info.exists() && !info.isSymLink() && info.absoluteFilePath() != module.absoluteFilePath();
    };
    QString candidate = stem + QStringLiteral(".bin");
    for (int n = 1; !usable(candidate); ++n)
        candidate = stem + (n == 1 ? QStringLiteral(".work.bin") : QStringLiteral(".work%1.bin").arg(n));
    return candidate;
}
