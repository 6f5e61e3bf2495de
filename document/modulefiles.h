#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <array>
#include <memory>
#include <optional>

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

    // While one is alive, reads are served from whole-file copies made on
    // first use, instead of a seek and a read each: for loading many values.
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
};
