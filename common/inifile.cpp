#include "common/inifile.h"

#include "common/codepage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>

namespace {

constexpr int kMaxValueLength = 32766;

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

bool needsFold(QStringView text)
{
    return std::any_of(text.begin(), text.end(), [](QChar ch) {
        const char16_t c = ch.unicode();
        return (c >= 'A' && c <= 'Z') || c >= 0xC0;
    });
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

// The key of a key line, or an empty view for any other line.
QStringView keyOf(QStringView line)
{
    if (trimmedView(line).startsWith(u';'))
        return {};
    const qsizetype eq = line.indexOf(u'=');
    return eq < 0 ? QStringView() : trimmedView(line.left(eq));
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
    line.owned = std::move(text);
    line.text = line.owned;
}

void IniFile::refreshIfChanged()
{
    const QFileInfo info(m_path);
    const qint64 size = info.exists() ? info.size() : -1;
    const QDateTime modified = info.exists() ? info.lastModified() : QDateTime();
    if (m_loaded && size == m_size && modified == m_modified)
        return;
    QByteArray data;
    if (size >= 0) {
        QFile file(m_path);
        if (file.open(QIODevice::ReadOnly))
            data = file.readAll();
    }
    parse(data);
    m_size = size;
    m_modified = modified;
    m_loaded = true;
    m_dirty = false;
}

void IniFile::parse(const QByteArray &data)
{
    m_lastSection = -1;
    m_sections.clear();
    m_sectionIndex.clear();
    m_keyStore.clear();
    m_sections.push_back(Section{}); // lines before the first header
    m_text = Codepage::toUnicode(data);
    const QStringView text = m_text;
    const qsizetype firstBreak = text.indexOf(u'\n');
    m_eol = (firstBreak > 0 && text.at(firstBreak - 1) == u'\r') || data.isEmpty() ? QStringLiteral("\r\n")
                                                                                     : QStringLiteral("\n");
    m_trailingEol = data.isEmpty() || text.endsWith(u'\n');
    // A first pass counts each section's lines, so the second allocates once per section.
    std::vector<qsizetype> counts(1, 0);
    for (qsizetype at = 0; at < text.size();) {
        qsizetype end = text.indexOf(u'\n', at);
        if (end < 0)
            end = text.size();
        if (!headerName(text.mid(at, end - at)).isNull())
            counts.push_back(0);
        ++counts.back();
        at = end + 1;
    }
    m_sections.front().lines.reserve(size_t(counts.front()));
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf(u'\n', start);
        if (end < 0)
            end = text.size();
        qsizetype lineEnd = end;
        if (lineEnd > start && text.at(lineEnd - 1) == u'\r')
            --lineEnd;
        const QStringView line = text.mid(start, lineEnd - start);
        const QString name = headerName(line);
        if (!name.isNull()) {
            Section section;
            section.name = name;
            section.hasHeader = true;
            const qsizetype expected = counts[m_sections.size()];
            section.lines.reserve(size_t(expected));
            section.keys.reserve(expected);
            section.lines.push_back(Line{line, {}});
            m_sections.push_back(std::move(section));
            const QString lowered = Codepage::lower(name);
            if (!m_sectionIndex.contains(lowered))
                m_sectionIndex.insert(lowered, int(m_sections.size() - 1));
        } else {
            Section &current = m_sections.back();
            current.lines.push_back(Line{line, {}});
            indexLine(current, int(current.lines.size() - 1));
        }
        start = end + 1;
    }
}

QStringView IniFile::keyView(QStringView key)
{
    if (!needsFold(key))
        return key;
    m_keyStore.push_back(Codepage::lower(key.toString()));
    return m_keyStore.back();
}

void IniFile::indexLine(Section &section, int index)
{
    if (!section.hasHeader)
        return;
    const QStringView key = keyOf(section.lines[size_t(index)].text);
    if (key.isNull())
        return;
    const QStringView lowered = keyView(key);
    const qsizetype before = section.keys.size();
    int &slot = section.keys[lowered];
    if (section.keys.size() != before)
        slot = index;
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

QString IniFile::read(const QString &section, const QString &key)
{
    if (m_batchDepth == 0 || !m_loaded)
        refreshIfChanged();
    const Section *s = findSection(section);
    if (!s)
        return Missing;
    const QStringView name = trimmedView(key);
    const QString lowered = needsFold(name) ? Codepage::lower(name.toString()) : QString();
    const auto it = s->keys.constFind(lowered.isNull() ? name : QStringView(lowered));
    if (it == s->keys.constEnd())
        return Missing;
    const QStringView line = s->lines[size_t(*it)].text;
    QStringView value = trimmedView(line.mid(line.indexOf(u'=') + 1));
    if (value.size() > kMaxValueLength)
        value.truncate(kMaxValueLength);
    return value.toString();
}

QStringList IniFile::keys(const QString &section)
{
    if (m_batchDepth == 0 || !m_loaded)
        refreshIfChanged();
    QStringList names;
    if (const Section *s = findSection(section)) {
        names.reserve(s->keys.size());
        for (auto it = s->keys.constBegin(); it != s->keys.constEnd(); ++it)
            names << it.key().toString();
    }
    return names;
}

void IniFile::write(const QString &section, const QString &key, const QString &value)
{
    if (m_batchDepth == 0 || !m_loaded)
        refreshIfChanged();
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
    const QString lowered = needsFold(keyName) ? Codepage::lower(keyName.toString()) : QString();
    const QStringView lookup = lowered.isNull() ? keyName : QStringView(lowered);
    const auto it = s->keys.constFind(lookup);
    if (it != s->keys.constEnd()) {
        Line &line = s->lines[size_t(*it)];
        const QStringView stored = trimmedView(line.text.left(line.text.indexOf(u'=')));
        const QStringView current = line.text.mid(line.text.indexOf(u'=') + 1);
        if (line.text.indexOf(u'=') == stored.size() && current == value)
            return;
        setLine(line, stored.toString() + QLatin1Char('=') + value);
    } else {
        // After the section's last non-blank line, so blank separators stay between sections.
        int insertAt = int(s->lines.size());
        while (insertAt > 1 && trimmedView(s->lines[size_t(insertAt - 1)].text).isEmpty())
            --insertAt;
        Line line;
        setLine(line, keyName.toString() + QLatin1Char('=') + value);
        s->lines.insert(s->lines.begin() + insertAt, std::move(line));
        m_keyStore.push_back(lookup.toString());
        s->keys.insert(QStringView(m_keyStore.back()), insertAt);
    }
    m_dirty = true;
    if (m_batchDepth == 0)
        flush();
}

bool IniFile::flush()
{
    if (!m_dirty)
        return true;
    QString text;
    text.reserve(m_text.size() + 4096);
    bool first = true;
    for (const Section &section : m_sections) {
        for (const Line &line : section.lines) {
            if (!first)
                text += m_eol;
            text += line.text;
            first = false;
        }
    }
    if (m_trailingEol && !text.isEmpty())
        text += m_eol;

    const QFileInfo info(m_path);
    bool ok = !(info.exists() && !info.isWritable());
    QString cause = QStringLiteral("the file is read-only");
    if (ok) {
        QSaveFile out(m_path);
        const QByteArray bytes = Codepage::fromUnicode(text);
        ok = out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size() && out.commit();
        if (!ok)
            cause = out.errorString();
    }
    m_lastWriteOk = ok;
    m_lastError = ok ? QString() : QStringLiteral("Can not write %1: %2").arg(QDir::toNativeSeparators(m_path), cause);
    m_dirty = false;
    if (ok) {
        const QFileInfo written(m_path);
        m_size = written.size();
        m_modified = written.lastModified();
    } else {
        // Memory must match the file that is still on disk.
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
