#include "common/inifile.h"

#include "common/codepage.h"
#include "common/platform.h"
#include "common/safefile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <optional>


namespace {

constexpr int kMaxValueLength = 32766;
constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
// The coarsest timestamp tick of a file system the home folder may lie on
// (FAT keeps 2 s). A file changed less than this before it was looked at may
// be rewritten without a new stamp, so its bytes are compared instead.
constexpr qint64 kSettleNs = 2'000'000'000;

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

QStringView trimmedView(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

// FNV-1a over the folded characters: equal for names that compare equal.
quint32 foldedHash(QStringView text)
{
    quint32 h = 2166136261u;
    for (const QChar ch : text) {
        h ^= Codepage::fold(ch.unicode());
        h *= 16777619u;
    }
    // Mixed, so that the low bits that pick a slot depend on every character.
    h ^= h >> 16;
    h *= 0x85EBCA6Bu;
    h ^= h >> 13;
    h *= 0xC2B2AE35u;
    h ^= h >> 16;
    return h;
}

bool foldedEqual(QStringView a, QStringView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        const char16_t x = a[i].unicode();
        const char16_t y = b[i].unicode();
        if (x != y && Codepage::fold(x) != Codepage::fold(y))
            return false;
    }
    return true;
}

// Where the line that starts at `from` ends: the next CR or LF, or the end.
qsizetype breakAt(QStringView text, qsizetype from)
{
    for (qsizetype i = from; i < text.size(); ++i)
        if (text[i] == u'\n' || text[i] == u'\r')
            return i;
    return text.size();
}

// The section name of a header line, or a null string when it is not one.
QString headerName(QStringView line)
{
    const QStringView t = trimmedView(line);
    if (!t.startsWith(u'['))
        return QString();
    const qsizetype close = t.indexOf(u']');
    if (close < 0)
        return QString();
    QString name = trimmedView(t.mid(1, close - 1)).toString();
    return name.isNull() ? QStringLiteral("") : name;
}

// Whole milliseconds: a moment read a little early only makes a stamp look newer.
qint64 now()
{
    return QDateTime::currentMSecsSinceEpoch() * 1'000'000;
}

} // namespace

IniFile::IniFile(const QString &path)
    : m_path(path)
{
}

bool IniFile::exists() const
{
    return QFileInfo(m_path).isFile();
}

void IniFile::setLine(Line &line, QString text)
{
    if (line.owned < 0) {
        line.owned = qint32(m_owned.size());
        m_owned.push_back(std::move(text));
    } else {
        m_owned[size_t(line.owned)] = std::move(text);
    }
    line.text = m_owned[size_t(line.owned)];
}

QByteArray IniFile::readBytes()
{
    m_unreadable.clear();
    QByteArray data;
    const FileError error = SafeFile::read(m_path, SafeFile::TextLimit, data);
    if (!error.ok())
        m_unreadable = Platform::status(m_path).folder ? QStringLiteral("it is a folder")
                                                       : QStringLiteral("it can not be read (%1)").arg(error.cause);
    return data;
}

void IniFile::refreshIfChanged()
{
    // The clock is read before the stamp: a rewrite after this moment gets a later stamp.
    const qint64 checkedAt = now();
    const FileStamp stamp = FileStamp::of(m_path);
    if (m_loaded && m_settled && stamp.sameStatus(m_stamp))
        return;
    QByteArray data;
    if (stamp.isValid())
        data = readBytes();
    else
        m_unreadable.clear();
    const bool settled = !stamp.isValid() || checkedAt - stamp.changedNs() > kSettleNs;
    if (m_loaded && stamp.sameStatus(m_stamp) && data == m_bytes) {
        m_settled = settled;
        return;
    }
    parse(data);
    m_diskStamp = stamp.withHashOf(data);
    m_bytes = std::move(data);
    m_stamp = stamp;
    m_settled = settled;
    m_loaded = true;
    m_dirty = false;
}

void IniFile::prepare()
{
    // Inside a batch the file is as the batch found it plus its own writes.
    if (m_batchDepth == 0 || !m_loaded)
        refreshIfChanged();
}

void IniFile::parse(const QByteArray &data)
{
    m_lastSection = -1;
    m_nearSection = -1;
    m_sections.clear();
    m_sectionIndex.clear();
    m_owned.clear();
    m_sections.push_back(Section{}); // lines before the first header
    // Text after a byte-order mark is UTF-8 when it decodes as such; bytes that
    // do not stay Windows-1252, so that every byte survives a write.
    const QByteArrayView body = data.startsWith(kByteOrderMark) ? QByteArrayView(data).sliced(3) : QByteArrayView(data);
    m_bom = body.size() != data.size();
    m_utf8 = false;
    if (m_bom) {
        QStringDecoder utf8(QStringDecoder::Utf8,
                            QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
        QString decoded = utf8.decode(body);
        if (!utf8.hasError()) {
            m_text = std::move(decoded);
            m_utf8 = true;
        }
    }
    if (!m_utf8)
        m_text = Codepage::toUnicode(body.constData(), body.size());
    const QStringView text = m_text;
    // As the profile functions read: CR LF, a lone LF and a lone CR each end a
    // line. The first break found is the file's line ending for what is written.
    const qsizetype firstBreak = breakAt(text, 0);
    if (firstBreak == text.size())
        m_eol = text.isEmpty() ? QStringLiteral("\r\n") : QStringLiteral("\n");
    else if (text.at(firstBreak) == u'\n')
        m_eol = QStringLiteral("\n");
    else
        m_eol = firstBreak + 1 < text.size() && text.at(firstBreak + 1) == u'\n' ? QStringLiteral("\r\n")
                                                                              : QStringLiteral("\r");
    m_trailingEol = text.isEmpty() || text.endsWith(u'\n') || text.endsWith(u'\r');
    qsizetype start = 0;
    while (start < text.size()) {
        const qsizetype lineEnd = breakAt(text, start);
        qsizetype next = lineEnd + 1;
        if (lineEnd < text.size() && text.at(lineEnd) == u'\r' && next < text.size() && text.at(next) == u'\n')
            ++next;
        const QStringView line = text.mid(start, lineEnd - start);
        const QString name = headerName(line);
        if (!name.isNull()) {
            Section section;
            section.name = name;
            section.hasHeader = true;
            section.lines.push_back(Line{line});
            m_sections.push_back(std::move(section));
            const QString lowered = Codepage::lower(name);
            if (!m_sectionIndex.contains(lowered))
                m_sectionIndex.insert(lowered, int(m_sections.size() - 1));
        } else {
            m_sections.back().lines.push_back(Line{line});
        }
        start = next;
    }
    for (Section &section : m_sections)
        indexSection(section);
}

qsizetype IniFile::equalsOf(const Line &line)
{
    // A key read from the file holds no '=', so its '=' follows the key and its
    // blanks; a key written here might hold one.
    qsizetype eq = line.owned < 0 && line.keyLength >= 0 ? line.keyStart + line.keyLength : 0;
    while (eq < line.text.size() && line.text[eq] != u'=')
        ++eq;
    return eq;
}

QStringView IniFile::valueOf(const Line &line)
{
    QStringView value = trimmedView(line.text.mid(equalsOf(line) + 1));
    // One pair of matching quotes around the value is no part of it, as the
    // profile functions read: offset="10020" is 10020.
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front())
        value = value.sliced(1, value.size() - 2);
    if (value.size() > kMaxValueLength)
        value.truncate(kMaxValueLength);
    return value;
}

bool IniFile::insertSlot(Section &section, quint32 hash, int line, QStringView key)
{
    if (size_t(section.keyCount + 1) * 2 > section.keySlots.size()) {
        std::vector<Slot> old = std::move(section.keySlots);
        section.keySlots.assign(std::max<size_t>(16, old.size() * 2), Slot{});
        const size_t mask = section.keySlots.size() - 1;
        for (const Slot &slot : old) {
            if (slot.line < 0)
                continue;
            size_t i = slot.hash & mask;
            while (section.keySlots[i].line >= 0)
                i = (i + 1) & mask;
            section.keySlots[i] = slot;
        }
    }
    const size_t mask = section.keySlots.size() - 1;
    size_t i = hash & mask;
    for (; section.keySlots[i].line >= 0; i = (i + 1) & mask) {
        const Slot &slot = section.keySlots[i];
        if (slot.hash == hash && foldedEqual(keyOf(section.lines[size_t(slot.line)]), key))
            return false;
    }
    section.keySlots[i] = Slot{hash, line};
    ++section.keyCount;
    return true;
}

const IniFile::Line *IniFile::findKey(const Section &section, QStringView key, quint32 hash)
{
    if (section.keySlots.empty())
        return nullptr;
    const size_t mask = section.keySlots.size() - 1;
    for (size_t i = hash & mask; section.keySlots[i].line >= 0; i = (i + 1) & mask) {
        const Slot &slot = section.keySlots[i];
        if (slot.hash == hash) {
            const Line &line = section.lines[size_t(slot.line)];
            if (foldedEqual(keyOf(line), key))
                return &line;
        }
    }
    return nullptr;
}

const IniFile::Line *IniFile::findNear(const Section &section, QStringView key) const
{
    constexpr qsizetype kReach = 8;
    if (m_nearSection != &section - m_sections.data())
        return nullptr;
    const qsizetype count = qsizetype(section.lines.size());
    const auto matches = [&](qsizetype i) {
        const Line &line = section.lines[size_t(i)];
        return line.first && line.keyLength == key.size() && foldedEqual(keyOf(line), key);
    };
    for (qsizetype i = m_nearLine + 1; i < count && i <= m_nearLine + kReach; ++i)
        if (matches(i))
            return &section.lines[size_t(i)];
    for (qsizetype i = std::min(m_nearLine, count - 1); i >= 0 && i >= m_nearLine - kReach; --i)
        if (matches(i))
            return &section.lines[size_t(i)];
    return nullptr;
}

void IniFile::remember(const Section &section, const Line *line)
{
    m_nearSection = &section - m_sections.data();
    m_nearLine = line - section.lines.data();
}

bool IniFile::locateKey(Line &line)
{
    const QStringView text = line.text;
    const qsizetype eq = text.indexOf(u'=');
    if (eq < 0)
        return false;
    qsizetype begin = 0;
    while (begin < eq && isBlank(text[begin]))
        ++begin;
    if (begin < text.size() && text[begin] == u';')
        return false;
    qsizetype end = eq;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    line.keyStart = qint32(begin);
    line.keyLength = qint32(end - begin);
    return true;
}

void IniFile::indexSection(Section &section)
{
    if (!section.hasHeader)
        return;
    struct Keyed
    {
        quint32 hash;
        int line;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(section.lines.size());
    for (size_t i = 1; i < section.lines.size(); ++i)
        if (locateKey(section.lines[i]))
            keyed.push_back({foldedHash(keyOf(section.lines[i])), int(i)});
    // Sized once for all its keys; the slot of a key a few ahead is fetched
    // while this one goes in, as they lie all over the table.
    size_t size = 16;
    while (size < keyed.size() * 2 + 2)
        size *= 2;
    section.keySlots.assign(size, Slot{});
    section.keyCount = 0;
    constexpr size_t kAhead = 8;
    for (size_t j = 0; j < keyed.size(); ++j) {
        if (j + kAhead < keyed.size())
            __builtin_prefetch(&section.keySlots[keyed[j + kAhead].hash & (size - 1)]);
        Line &line = section.lines[size_t(keyed[j].line)];
        line.first = insertSlot(section, keyed[j].hash, keyed[j].line, keyOf(line));
    }
}

IniFile::Section *IniFile::findSection(const QString &name)
{
    // Runs of reads and writes address one section; skip the hash for them.
    if (m_lastSection >= 0 && m_lastSectionName == name)
        return &m_sections[size_t(m_lastSection)];
    const auto it = m_sectionIndex.constFind(Codepage::lower(trimmedView(name).toString()));
    if (it == m_sectionIndex.constEnd())
        return nullptr;
    m_lastSectionName = name;
    m_lastSection = *it;
    return &m_sections[size_t(*it)];
}

QString IniFile::read(const QString &section, QStringView key)
{
    prepare();
    const Section *s = findSection(section);
    if (!s)
        return Missing;
    const QStringView name = trimmedView(key);
    const Line *line = findNear(*s, name);
    if (!line)
        line = findKey(*s, name, foldedHash(name));
    if (!line)
        return Missing;
    remember(*s, line);
    return valueOf(*line).toString();
}

QString IniFile::readError()
{
    prepare();
    return m_unreadable;
}

QStringList IniFile::keys(const QString &section)
{
    prepare();
    QStringList names;
    if (const Section *s = findSection(section)) {
        names.reserve(s->keyCount);
        for (const Line &line : s->lines)
            if (line.first)
                names << Codepage::lower(keyOf(line).toString());
    }
    return names;
}

void IniFile::write(const QString &section, QStringView key, const QString &value)
{
    prepare();
    const QStringView keyName = trimmedView(key);
    Section *s = findSection(section);
    if (!s) {
        Section fresh;
        fresh.name = trimmedView(section).toString();
        fresh.hasHeader = true;
        fresh.lines.push_back(Line{});
        setLine(fresh.lines.back(), QLatin1Char('[') + fresh.name + QLatin1Char(']'));
        m_sections.push_back(std::move(fresh));
        m_sectionIndex.insert(Codepage::lower(m_sections.back().name), int(m_sections.size() - 1));
        s = &m_sections.back();
    }
    const Line *found = findNear(*s, keyName);
    const quint32 hash = found ? 0 : foldedHash(keyName);
    if (!found)
        found = findKey(*s, keyName, hash);
    if (found) {
        remember(*s, found);
        Line &line = s->lines[size_t(found - s->lines.data())];
        const QStringView stored = keyOf(line);
        const qsizetype eq = equalsOf(line);
        if (line.keyStart == 0 && eq == stored.size() && line.text.mid(eq + 1) == value) {
            if (m_batchDepth == 0)
                flush();
            return;
        }
        QString text;
        text.reserve(stored.size() + 1 + value.size());
        text.append(stored).append(QLatin1Char('=')).append(value);
        setLine(line, std::move(text));
        line.keyStart = 0;
    } else {
        // After the section's last non-blank line, so blank separators stay between sections.
        int insertAt = int(s->lines.size());
        while (insertAt > 1 && trimmedView(s->lines[size_t(insertAt - 1)].text).isEmpty())
            --insertAt;
        if (insertAt < int(s->lines.size())) {
            // Only blank lines move down; no key line changes its index.
            s->lines.insert(s->lines.begin() + insertAt, Line{});
        } else {
            s->lines.push_back(Line{});
        }
        Line &line = s->lines[size_t(insertAt)];
        QString text;
        text.reserve(keyName.size() + 1 + value.size());
        text.append(keyName).append(QLatin1Char('=')).append(value);
        setLine(line, std::move(text));
        line.keyLength = qint32(keyName.size());
        line.first = true;
        // The hint stays on the last key found: new keys go to the section's end, away from the run.
        insertSlot(*s, hash, insertAt, keyName);
    }
    m_dirty = true;
    if (m_batchDepth == 0)
        flush();
}

QByteArray IniFile::encoded() const
{
    qsizetype lines = 0;
    qsizetype chars = 0;
    for (const Section &section : m_sections) {
        lines += qsizetype(section.lines.size());
        for (const Line &line : section.lines)
            chars += line.text.size();
    }
    const qsizetype breaks = lines == 0 ? 0 : lines - 1 + ((m_trailingEol && (chars > 0 || lines > 1)) ? 1 : 0);
    if (m_utf8) {
        QString text;
        text.reserve(chars + breaks * m_eol.size());
        bool first = true;
        for (const Section &section : m_sections)
            for (const Line &line : section.lines) {
                if (!first)
                    text += m_eol;
                text += line.text;
                first = false;
            }
        if (m_trailingEol && !text.isEmpty())
            text += m_eol;
        return QByteArray(kByteOrderMark) + text.toUtf8();
    }
    // One byte per character: the whole file is sized at once and filled in place.
    const QByteArray eol = m_eol.toLatin1();
    const qsizetype prefix = m_bom ? 3 : 0;
    QByteArray bytes(prefix + chars + breaks * eol.size(), Qt::Uninitialized);
    char *out = bytes.data();
    if (m_bom) {
        std::memcpy(out, kByteOrderMark, 3);
        out += 3;
    }
    bool first = true;
    for (const Section &section : m_sections)
        for (const Line &line : section.lines) {
            if (!first) {
                std::memcpy(out, eol.constData(), size_t(eol.size()));
                out += eol.size();
            }
            Codepage::fromUnicode(line.text, out);
            out += line.text.size();
            first = false;
        }
    if (out != bytes.constData() + bytes.size()) {
        std::memcpy(out, eol.constData(), size_t(eol.size()));
        out += eol.size();
    }
    bytes.truncate(out - bytes.constData());
    return bytes;
}

bool IniFile::flush()
{
    if (!m_dirty) {
        m_lastError = FileError::none();
        return true;
    }
    QByteArray bytes = encoded();
    Platform::Status written;
    SafeFile::Options options;
    options.written = &written;
    // Writing over a file that could not be read would drop what it holds.
    m_lastError = m_unreadable.isEmpty() ? SafeFile::write(m_path, bytes, options)
                                         : FileError::writing(m_path, m_unreadable);
    const bool ok = m_lastError.ok();
    m_dirty = false;
    const FileStamp stamp = ok ? FileStamp::of(m_path) : FileStamp();
    if (ok) {
        ++m_writeCount;
        m_diskStamp = stamp.withHashOf(bytes);
    }
    if (ok && stamp.inode() == written.inode && stamp.device() == written.device) {
        m_stamp = stamp;
        m_bytes = std::move(bytes);
        m_settled = false;
    } else {
        // Memory must match the file that is on disk: read it again.
        m_loaded = false;
    }
    return ok;
}

IniFile::Batch::Batch(IniFile &file)
    : m_file(file)
{
    if (m_file.m_batchDepth++ == 0)
        m_file.refreshIfChanged();
}

IniFile::Batch::~Batch()
{
    if (--m_file.m_batchDepth == 0)
        m_file.flush();
}
