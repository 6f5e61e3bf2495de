#pragma once

#include "common/fileerror.h"
#include "common/filestamp.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

// The open module files by number: 1 the working file, 2 the held module file.
// Offsets are 0-based. A read gives only the bytes that exist in the file as
// it is now (another program may have cut it short); a write never extends a
// file: bytes that would not all lie inside the file are refused and none of
// them is written.
//
// A module is never changed in place: each write (or each batch of writes,
// see Changes) replaces the file whole and atomically, and is refused when
// another program changed the file since it was opened or last written. Only
// a scratch file (the working copy this program made) is written in place.
class ModuleFiles
{
public:
    static constexpr int Working = 1;
    static constexpr int Held = 2;

    // Opens an existing regular file, read-write when it may be written, else
    // read-only. A missing file is never created.
    bool open(int slot, const QString &path);
    void close(int slot);
    void closeAll();
    bool isOpen(int slot) const;
    // False when the slot's file could be opened for reading only.
    bool isWritable(int slot) const;
    // Why the last open of the slot failed, or why it fell back to read-only.
    QString errorString(int slot) const;
    QString path(int slot) const;
    qint64 size(int slot) const;

    QByteArray read(int slot, qint64 offset, qint64 count);
    // The same into `into`, which has room for `count` bytes; gives the number read.
    qint64 read(int slot, qint64 offset, char *into, qint64 count);
    FileError write(int slot, qint64 offset, const QByteArray &bytes);

    // A scratch file is written in place: it is this program's own copy.
    void setScratch(int slot, bool scratch);
    // Asked before a file that is not scratch is replaced, with its path: an
    // error stops the write, which then fails with that error.
    void setBeforeReplace(std::function<FileError(const QString &path)> check) { m_beforeReplace = std::move(check); }
    // The version of the slot's file that was opened or last written.
    const FileStamp &stamp(int slot) const;
    // True when another program changed or replaced the slot's file since.
    bool changedOnDisk(int slot) const;
    // Takes the slot's file as it now lies on disk as the version to write over.
    bool acceptDiskVersion(int slot);

    // While one is alive, writes into modules are gathered in memory (reads
    // see them) and go out as one replacement per file at commit(); a batch
    // that is not committed writes nothing.
    class Changes
    {
    public:
        explicit Changes(ModuleFiles &files);
        ~Changes();
        Changes(const Changes &) = delete;
        Changes &operator=(const Changes &) = delete;
        FileError commit();

    private:
        ModuleFiles &m_files;
        bool m_done = false;
    };

    // While a working copy is in use, the scramble tool rewrites the module
    // file from it at every save, which would undo the writes made into slot 2.
    // The journal keeps those writes (offset and bytes) so that they can be
    // replayed after the tool has run. Switching journalling on starts an
    // empty journal; closing slot 1 (the working copy going away) ends it.
    void setJournalling(bool on);
    bool isJournalling() const { return m_journalling; }
    // Writes every journalled write into slot 2 again, in order. False when one
    // of them could not be written.
    bool replayJournal();
    // The same, into another file: the scrambled module a save is making.
    bool replayJournalInto(ModuleFiles &target, int slot) const;
    // Records bytes that now lie in slot 2 at `offset`, as a write would.
    void addToJournal(qint64 offset, const QByteArray &bytes);

    // While one is alive, reads are served from a copy of the whole file read
    // on first use, instead of a seek and a read each: for loading many values.
    // The copy is the file as it was at that first read; writes made through
    // these files update it. Files above a size limit are read directly.
    class ReadCache
    {
    public:
        explicit ReadCache(ModuleFiles &files) : m_files(files) { ++m_files.m_cacheDepth; }
        ~ReadCache();
        ReadCache(const ReadCache &) = delete;
        ReadCache &operator=(const ReadCache &) = delete;

    private:
        ModuleFiles &m_files;
    };

    // The name a module's bookmark file and version lookup go by: the file
    // name without its last extension ("vshmain.prx" gives "vshmain"); a name
    // without one stays whole.
    static QString baseName(const QString &fileName);
    // A path beside the module for its descrambled working copy: base name +
    // ".bin", or base name + ".work.bin", ".work2.bin", ... when that one is
    // taken or is the module itself. Never an existing file.
    static QString freeWorkingCopyPath(const QString &modulePath);

private:
    QFile *file(int slot) const;
    // `written`, when given, is what the file holds: it is hashed instead of read again.
    bool openFile(int slot, const QString &path, const QByteArray *written = nullptr);
    // The whole file as it is now, for a replacement.
    FileError loadWhole(int slot, QByteArray &bytes);
    FileError replaceWhole(int slot, const QByteArray &bytes);
    FileError writeInPlace(int slot, qint64 offset, const QByteArray &bytes);
    // The cached copy of the slot's file while a ReadCache is alive, else null.
    const QByteArray *cached(int slot);
    void dropCache();

    std::array<std::unique_ptr<QFile>, 2> m_files;
    std::array<bool, 2> m_writable = {false, false};
    std::array<QString, 2> m_errors;
    std::array<std::optional<QByteArray>, 2> m_cache;
    int m_cacheDepth = 0;
    std::array<bool, 2> m_scratch = {false, false};
    std::array<FileStamp, 2> m_stamps;
    // The new content of each file while a Changes batch is open.
    std::array<std::optional<QByteArray>, 2> m_pending;
    int m_changesDepth = 0;
    std::function<FileError(const QString &path)> m_beforeReplace;

    struct JournalEntry
    {
        qint64 offset;
        QByteArray bytes;
    };
    std::vector<JournalEntry> m_journal;
    bool m_journalling = false;
};
