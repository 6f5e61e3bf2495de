#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <array>
#include <memory>
#include <optional>
#include <vector>

// The open module files by number: 1 the working file, 2 the held module file.
// Offsets are 0-based. Reads past the end give zero bytes for what is missing;
// a write never extends a file: bytes that would not all lie inside the file
// are refused and none of them is written.
class ModuleFiles
{
public:
    static constexpr int Working = 1;
    static constexpr int Held = 2;

    bool open(int slot, const QString &path);
    void close(int slot);
    void closeAll();
    bool isOpen(int slot) const;
    QString path(int slot) const;
    qint64 size(int slot) const;

    QByteArray read(int slot, qint64 offset, qint64 count);
    bool write(int slot, qint64 offset, const QByteArray &bytes);

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

    // While one is alive, reads are served from a mapping of the whole file
    // made on first use, instead of a seek and a read each: for loading many
    // values. Writes go through the file and are seen through the mapping.
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

private:
    QFile *file(int slot) const;
    void dropCache();

    std::array<std::unique_ptr<QFile>, 2> m_files;
    std::array<std::optional<QByteArray>, 2> m_cache;
    int m_cacheDepth = 0;

    struct JournalEntry
    {
        qint64 offset;
        QByteArray bytes;
    };
    std::vector<JournalEntry> m_journal;
    bool m_journalling = false;
};
