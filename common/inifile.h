#pragma once

#include "common/fileerror.h"
#include "common/filestamp.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

// An INI file with the profile semantics of Config.ini and the .vt bookmark
// files: names compared without regard to case; a missing file, section or key
// reads "Default"; blanks around a value dropped; an existing key replaced where
// it stands, a new key appended to its section, a new section appended to the
// file; every other line and the file's line ending kept as they were.
//
// The file is parsed once and parsed again when it changes: a changed inode,
// size, modification or status-change time, or, while those are too recent to
// tell a rewrite within one timestamp tick, changed bytes. A UTF-8 byte-order
// mark is skipped and written back, and the text after it is then UTF-8.
// Writes made while a Batch is alive are gathered and written once,
// atomically, when the outermost Batch ends; a write outside a batch goes out
// at once. A failed write leaves the old file untouched.
class IniFile
{
public:
    static inline const QString Missing = QStringLiteral("Default");

    explicit IniFile(const QString &path);

    const QString &path() const { return m_path; }
    bool exists() const;

    QString read(const QString &section, QStringView key);
    QString read(const QString &section, const QString &key) { return read(section, QStringView(key)); }
    void write(const QString &section, QStringView key, const QString &value);
    void write(const QString &section, const QString &key, const QString &value)
    {
        write(section, QStringView(key), value);
    }
    // The keys of a section, lower-cased, in file order.
    QStringList keys(const QString &section);
    // Calls `visit` with each key of a section as it stands in the file and
    // the value that read() gives for it, in file order; a key written twice
    // only at its first line, the one read() finds. The views last until the
    // next write.
    template<typename Visit>
    void forEachKey(const QString &section, Visit &&visit);
    // Why the last write to disk failed; ok() when it succeeded or nothing was pending.
    const FileError &lastError() const { return m_lastError; }
    // The version of the file this object last read or wrote, and how many
    // writes it has made: a caller that remembers both tells its own writes
    // from another program's.
    const FileStamp &diskStamp() const { return m_diskStamp; }
    quint64 writeCount() const { return m_writeCount; }
    // Why the file could not be read ("it is a folder", "it can not be read
    // (<cause>)"), or empty text when it was read or does not exist.
    QString readError();

    class Batch
    {
    public:
        explicit Batch(IniFile &file);
        ~Batch();
        Batch(const Batch &) = delete;
        Batch &operator=(const Batch &) = delete;

    private:
        IniFile &m_file;
    };

private:
    // A line is a view into the parsed text, or into a string of m_owned once written.
    struct Line
    {
        QStringView text;
        qint32 keyStart = 0;
        qint32 keyLength = -1; // -1: not a key line
        qint32 owned = -1;     // index into m_owned
        bool first = false;    // the line read() finds for its key
    };
    // Open addressing over the key lines of a section; keys compared folded.
    struct Slot
    {
        quint32 hash = 0;
        qint32 line = -1;
    };
    struct Section
    {
        QString name;
        bool hasHeader = false;
        std::vector<Line> lines;
        std::vector<Slot> keySlots; // size a power of two, at most half full
        qsizetype keyCount = 0;
    };

    void refreshIfChanged();
    void prepare();
    QByteArray readBytes();
    void parse(const QByteArray &data);
    static QStringView keyOf(const Line &line) { return line.text.mid(line.keyStart, line.keyLength); }
    // Where the '=' of a key line is.
    static qsizetype equalsOf(const Line &line);
    static QStringView valueOf(const Line &line);
    // Finds a key line's key; false for any other line.
    static bool locateKey(Line &line);
    static void indexSection(Section &section);
    // Indexes `line` under its key unless the key is there already; true when it was added.
    static bool insertSlot(Section &section, quint32 hash, int line, QStringView key);
    static const Line *findKey(const Section &section, QStringView key, quint32 hash);
    const Line *findNear(const Section &section, QStringView key) const;
    void remember(const Section &section, const Line *line);
    void setLine(Line &line, QString text);
    Section *findSection(const QString &name);
    bool flush();
    QByteArray encoded() const;

    QString m_path;
    QString m_text;                // the file as parsed; lines point into it
    std::vector<QString> m_owned;  // lines written since
    std::vector<Section> m_sections;
    QHash<QString, int> m_sectionIndex;
    QString m_lastSectionName;
    int m_lastSection = -1;
    // The section and line of the last key found: runs of reads and writes
    // in a file's own order find the next key a line or a few away.
    qsizetype m_nearSection = -1;
    qsizetype m_nearLine = -1;
    QString m_eol = QStringLiteral("\r\n");
    bool m_trailingEol = true;
    bool m_bom = false;
    bool m_utf8 = false;
    bool m_loaded = false;
    bool m_dirty = false;
    FileError m_lastError;
    FileStamp m_diskStamp;
    quint64 m_writeCount = 0;
    int m_batchDepth = 0;
    FileStamp m_stamp; // of what was last read or written, without its hash
    bool m_settled = false;   // the stamp is old enough that any later rewrite changes it
    QByteArray m_bytes;       // the file as last read or written, to compare while not settled
    QString m_unreadable;     // why the existing file could not be read; writing it is refused
};

template<typename Visit>
void IniFile::forEachKey(const QString &section, Visit &&visit)
{
    prepare();
    if (const Section *s = findSection(section)) {
        for (const Line &line : s->lines)
            if (line.first)
                visit(keyOf(line), valueOf(line));
    }
}
