#include "values/modulefiles.h"

#include "common/safefile.h"

#include <QFileInfo>
#include <limits>
#include <algorithm>
#include <cstring>
#include <utility>

namespace {
// Above this a load reads value by value instead of holding the whole file.
constexpr qint64 kCacheLimit = 64 * 1024 * 1024;
constexpr qint64 kHashLimit = 256 * 1024 * 1024;
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
    return openFile(slot, path);
}

bool ModuleFiles::openFile(int slot, const QString &path, const QByteArray *written)
{
    QString &error = m_errors[slot - 1];
    error.clear();
    // A folder opens for reading but reads nothing; a pipe or a device would block or never end.
    if (const FileError refused = SafeFile::checkInput(path); !refused.ok()) {
        error = refused.cause;
        return false;
    }
    // The bytes are read once for the hash that tells a later change; a file
    // too large to hold is known by its identity, size and times alone.
    QByteArray bytes = written ? *written : QByteArray();
    const bool hashed = QFileInfo(path).size() <= kHashLimit;
    if (hashed && !written) {
        if (const FileError refused = SafeFile::read(path, kHashLimit, bytes); !refused.ok()) {
            error = refused.cause;
            return false;
        }
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
    m_stamps[slot - 1] = hashed ? FileStamp::of(path, bytes) : FileStamp::of(path);
    if (m_cacheDepth > 0 && qint64(bytes.size()) <= kCacheLimit)
        m_cache[slot - 1] = std::move(bytes);
    return true;
}

void ModuleFiles::close(int slot)
{
    if (slot == Working || slot == Held) {
        m_cache[slot - 1].reset();
        m_pending[slot - 1].reset();
        m_files[slot - 1].reset();
        m_writable[slot - 1] = false;
        m_scratch[slot - 1] = false;
        m_stamps[slot - 1] = FileStamp();
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
    if (!f)
        return nullptr;
    if (const auto &pending = m_pending[slot - 1])
        return &*pending;
    if (m_cacheDepth == 0)
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

FileError ModuleFiles::write(int slot, qint64 offset, const QByteArray &bytes)
{
    QFile *f = file(slot);
    if (!f)
        return FileError::writing(QString(), QStringLiteral("no file %1 is open").arg(slot));
    const QString &path = f->fileName();
    if (!isWritable(slot))
        return FileError::writing(path, m_errors[slot - 1].isEmpty() ? QStringLiteral("it is read-only")
                                                                     : m_errors[slot - 1]);
    const qint64 size = m_pending[slot - 1] ? m_pending[slot - 1]->size() : f->size();
    if (offset < 0 || offset + bytes.size() > size)
        return FileError::writing(path, QStringLiteral("offset %1 does not lie inside the file (%2 bytes)")
                                            .arg(QString::number(offset, 16).toUpper())
                                            .arg(size));
    FileError result;
    if (m_scratch[slot - 1]) {
        result = writeInPlace(slot, offset, bytes);
    } else {
        auto &pending = m_pending[slot - 1];
        if (!pending) {
            QByteArray whole;
            if (result = loadWhole(slot, whole); !result.ok())
                return result;
            pending = std::move(whole);
        }
        std::copy_n(bytes.constData(), bytes.size(), pending->data() + offset);
        if (m_changesDepth == 0) {
            QByteArray whole = std::move(*pending);
            pending.reset();
            result = replaceWhole(slot, whole);
        }
    }
    if (result.ok() && m_journalling && slot == Held)
        addToJournal(offset, bytes);
    return result;
}

FileError ModuleFiles::writeInPlace(int slot, qint64 offset, const QByteArray &bytes)
{
    QFile *f = file(slot);
    if (!f->seek(offset) || f->write(bytes) != bytes.size() || !f->flush())
        return FileError::writing(f->fileName(), f->errorString());
    if (auto &cache = m_cache[slot - 1]; cache && offset < cache->size())
        std::copy_n(bytes.constData(), std::min<qint64>(bytes.size(), cache->size() - offset), cache->data() + offset);
    return FileError::none();
}

FileError ModuleFiles::loadWhole(int slot, QByteArray &bytes)
{
    const QString path = file(slot)->fileName();
    if (changedOnDisk(slot))
        return FileError::writing(path, QStringLiteral("it was changed by another program since it was read"));
    if (const FileError error = SafeFile::read(path, std::numeric_limits<qint64>::max(), bytes); !error.ok())
        return FileError::writing(path, error.cause);
    return FileError::none();
}

FileError ModuleFiles::replaceWhole(int slot, const QByteArray &bytes)
{
    const QString path = file(slot)->fileName();
    if (m_beforeReplace)
        if (FileError error = m_beforeReplace(path); !error.ok())
            return error;
    SafeFile::Options options;
    options.expected = &m_stamps[slot - 1];
    options.mustExist = true;
    if (FileError error = SafeFile::write(path, bytes, options); !error.ok())
        return error;
    // The open handle still reads the replaced file: the new one is opened in its place.
    const bool cache = m_cache[slot - 1].has_value();
    m_files[slot - 1].reset();
    if (!openFile(slot, path, &bytes))
        return FileError::writing(path, QStringLiteral("it was written, but could not be opened again (%1)")
                                            .arg(m_errors[slot - 1]));
    if (cache && qint64(bytes.size()) <= kCacheLimit)
        m_cache[slot - 1] = bytes;
    return FileError::none();
}

void ModuleFiles::setScratch(int slot, bool scratch)
{
    if (slot == Working || slot == Held)
        m_scratch[slot - 1] = scratch;
}

const FileStamp &ModuleFiles::stamp(int slot) const
{
    static const FileStamp none;
    return slot == Working || slot == Held ? m_stamps[slot - 1] : none;
}

bool ModuleFiles::changedOnDisk(int slot) const
{
    const QFile *f = file(slot);
    return f && !m_stamps[slot - 1].matches(f->fileName());
}

bool ModuleFiles::acceptDiskVersion(int slot)
{
    const QFile *f = file(slot);
    if (!f)
        return false;
    const QString path = f->fileName();
    const bool scratch = m_scratch[slot - 1];
    m_cache[slot - 1].reset();
    m_pending[slot - 1].reset();
    m_files[slot - 1].reset();
    const bool ok = openFile(slot, path);
    m_scratch[slot - 1] = scratch;
    return ok;
}

ModuleFiles::Changes::Changes(ModuleFiles &files)
    : m_files(files)
{
    ++m_files.m_changesDepth;
}

ModuleFiles::Changes::~Changes()
{
    if (!m_done && --m_files.m_changesDepth == 0)
        for (auto &pending : m_files.m_pending)
            pending.reset();
}

FileError ModuleFiles::Changes::commit()
{
    if (m_done)
        return FileError::none();
    m_done = true;
    if (--m_files.m_changesDepth > 0)
        return FileError::none();
    FileError result;
    for (int slot : {Working, Held}) {
        auto &pending = m_files.m_pending[slot - 1];
        if (!pending)
            continue;
        QByteArray whole = std::move(*pending);
        pending.reset();
        if (result.ok())
            result = m_files.replaceWhole(slot, whole);
    }
    return result;
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
        ok = target.write(slot, e.offset, e.bytes).ok() && ok;
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
    Changes changes(*this);
    for (const JournalEntry &e : m_journal)
        ok = write(Held, e.offset, e.bytes).ok() && ok;
    ok = changes.commit().ok() && ok;
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
