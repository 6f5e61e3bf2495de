#include "common/inifile.h"

#include "common/codepage.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

constexpr int kMaxValueLength = 32766;

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

QString trimmed(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin).toString();
}

// The section name of a header line, or a null string when it is not one.
QString headerName(const QString &line)
{
    const QString t = trimmed(line);
    if (!t.startsWith(u'['))
        return QString();
    const qsizetype close = t.indexOf(u']');
    if (close < 0)
        return QString();
    QString name = trimmed(QStringView(t).mid(1, close - 1));
    return name.isNull() ? QStringLiteral("") : name;
}

QString keyOf(const QString &line)
{
    if (trimmed(line).startsWith(u';'))
        return QString();
    const qsizetype eq = line.indexOf(u'=');
    if (eq < 0)
        return QString();
    return trimmed(QStringView(line).left(eq));
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
    m_sections.clear();
    m_sectionIndex.clear();
    m_sections.push_back(Section{}); // lines before the first header
    const QString text = Codepage::toUnicode(data);
    const qsizetype firstBreak = text.indexOf(u'\n');
    m_eol = (firstBreak > 0 && text.at(firstBreak - 1) == u'\r') || data.isEmpty() ? QStringLiteral("\r\n")
                                                                                     : QStringLiteral("\n");
    m_trailingEol = data.isEmpty() || text.endsWith(u'\n');
    if (data.isEmpty())
        return;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf(u'\n', start);
        if (end < 0)
            end = text.size();
        qsizetype lineEnd = end;
        if (lineEnd > start && text.at(lineEnd - 1) == u'\r')
            --lineEnd;
        QString line = text.mid(start, lineEnd - start);
        const QString name = headerName(line);
        if (!name.isNull()) {
            Section section;
            section.name = name;
            section.hasHeader = true;
            section.lines.push_back(std::move(line));
            m_sections.push_back(std::move(section));
            const QString lowered = Codepage::lower(name);
            if (!m_sectionIndex.contains(lowered))
                m_sectionIndex.insert(lowered, int(m_sections.size() - 1));
        } else {
            Section &current = m_sections.back();
            current.lines.push_back(std::move(line));
            indexLine(current, int(current.lines.size() - 1));
        }
        start = end + 1;
    }
}

void IniFile::indexLine(Section &section, int index)
{
    if (!section.hasHeader)
        return;
    const QString key = keyOf(section.lines[index]);
    if (key.isNull())
        return;
    const QString lowered = Codepage::lower(key);
    if (!section.keys.contains(lowered))
        section.keys.insert(lowered, index);
}

IniFile::Section *IniFile::findSection(const QString &name)
{
    const auto it = m_sectionIndex.constFind(Codepage::lower(trimmed(name)));
    return it == m_sectionIndex.constEnd() ? nullptr : &m_sections[*it];
}

QString IniFile::read(const QString &section, const QString &key)
{
    if (m_batchDepth == 0 || !m_loaded)
        refreshIfChanged();
    const Section *s = findSection(section);
    if (!s)
        return Missing;
    const auto it = s->keys.constFind(Codepage::lower(trimmed(key)));
    if (it == s->keys.constEnd())
        return Missing;
    const QString &line = s->lines[*it];
    QString value = trimmed(QStringView(line).mid(line.indexOf(u'=') + 1));
    if (value.size() > kMaxValueLength)
        value.truncate(kMaxValueLength);
    return value;
}

void IniFile::write(const QString &section, const QString &key, const QString &value)
{
    if (m_batchDepth == 0 || !m_loaded)
        refreshIfChanged();
    const QString keyName = trimmed(key);
    Section *s = findSection(section);
    if (!s) {
        Section fresh;
        fresh.name = trimmed(section);
        fresh.hasHeader = true;
        fresh.lines.push_back(QLatin1Char('[') + fresh.name + QLatin1Char(']'));
        m_sections.push_back(std::move(fresh));
        m_sectionIndex.insert(Codepage::lower(m_sections.back().name), int(m_sections.size() - 1));
        s = &m_sections.back();
    }
    const auto it = s->keys.constFind(Codepage::lower(keyName));
    if (it != s->keys.constEnd()) {
        QString &line = s->lines[*it];
        QString replaced = trimmed(QStringView(line).left(line.indexOf(u'='))) + QLatin1Char('=') + value;
        if (replaced == line)
            return;
        line = std::move(replaced);
    } else {
        // After the section's last non-blank line, so blank separators stay between sections.
        int insertAt = int(s->lines.size());
        while (insertAt > 1 && trimmed(s->lines[insertAt - 1]).isEmpty())
            --insertAt;
        s->lines.insert(s->lines.begin() + insertAt, keyName + QLatin1Char('=') + value);
        s->keys.insert(Codepage::lower(keyName), insertAt);
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
    bool first = true;
    for (const Section &section : m_sections) {
        for (const QString &line : section.lines) {
            if (!first)
                text += m_eol;
            text += line;
            first = false;
        }
    }
    if (m_trailingEol && !text.isEmpty())
        text += m_eol;

    const QFileInfo info(m_path);
    bool ok = !(info.exists() && !info.isWritable());
    if (ok) {
        QSaveFile out(m_path);
        ok = out.open(QIODevice::WriteOnly) && out.write(Codepage::fromUnicode(text)) >= 0 && out.commit();
    }
    m_lastWriteOk = ok;
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
