#pragma once

#include "common/codepage.h"
#include "common/inifile.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QStringDecoder>
#include <QStringList>

#include <vector>

// Reads bytes as an INI file through IniFile and checks it against a reading
// of its own: every key of every section as the profile rules give it; then
// writes every key back changed and reads again; then appends a section and
// checks that every byte of the old text stayed where it was. Returns what
// differed, or empty text. `folder` holds the file (a tmpfs folder for speed).
namespace IniRoundTrip {

struct Key
{
    QString section;
    QString key;
    QString value; // IniFile::Missing for a key hidden by an earlier section of the same name
};

inline QStringView trimmed(QStringView text)
{
    while (!text.isEmpty() && (text.front() == u' ' || text.front() == u'\t'))
        text = text.sliced(1);
    while (!text.isEmpty() && (text.back() == u' ' || text.back() == u'\t'))
        text.chop(1);
    return text;
}

inline std::vector<Key> expectedKeys(const QByteArray &bytes, bool *mixedEndings)
{
    QByteArray body = bytes;
    QString text;
    bool decoded = false;
    if (body.startsWith("\xEF\xBB\xBF")) {
        body = body.sliced(3);
        QStringDecoder utf8(QStringDecoder::Utf8,
                            QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
        text = utf8.decode(body);
        decoded = !utf8.hasError();
    }
    if (!decoded)
        text = Codepage::toUnicode(body);
    // CR LF, LF and a lone CR each end a line; a file whose breaks are not all
    // of one form is rewritten with its first form throughout.
    QStringList lines;
    QString firstForm;
    *mixedEndings = false;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'\n' && text[i] != u'\r')
            continue;
        const bool pair = text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n';
        const QString form = pair ? QStringLiteral("\r\n") : QString(text[i]);
        if (firstForm.isEmpty())
            firstForm = form;
        else if (form != firstForm)
            *mixedEndings = true;
        lines << text.mid(start, i - start);
        i += pair ? 1 : 0;
        start = i + 1;
    }
    lines << text.mid(start);

    std::vector<Key> keys;
    QHash<QString, int> firstSection; // lower-cased name -> the index of its first header
    QHash<QString, bool> seen;        // lower-cased section + '\0' + key
    int sectionIndex = -1;
    QString section;
    bool hidden = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QStringView line = lines[i];
        const QStringView t = trimmed(line);
        if (t.startsWith(u'[') && t.indexOf(u']') > 0) {
            section = trimmed(t.sliced(1, t.indexOf(u']') - 1)).toString();
            ++sectionIndex;
            const QString lowered = Codepage::lower(section);
            hidden = firstSection.contains(lowered);
            if (!hidden)
                firstSection.insert(lowered, sectionIndex);
            continue;
        }
        if (sectionIndex < 0 || t.startsWith(u';') || !line.contains(u'='))
            continue;
        const QString key = trimmed(line.left(line.indexOf(u'='))).toString();
        const QString id = Codepage::lower(section) + QChar(0) + Codepage::lower(key);
        if (seen.contains(id))
            continue;
        // A key of a hidden section reads as missing, unless the visible one has it too (seen above).
        seen.insert(id, true);
        QStringView stored = trimmed(line.sliced(line.indexOf(u'=') + 1));
        // One pair of matching quotes around a value is dropped.
        if (stored.size() >= 2 && (stored.front() == u'"' || stored.front() == u'\'') && stored.back() == stored.front())
            stored = stored.sliced(1, stored.size() - 2);
        QString value = hidden ? IniFile::Missing : stored.toString();
        keys.push_back({section, key, value.left(32766)});
    }
    return keys;
}

inline QString check(const QByteArray &bytes, const QString &folder)
{
    const QString path = folder + QStringLiteral("/fuzz.ini");
    const auto put = [&](const QByteArray &data) {
        QFile f(path);
        return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(data) == data.size();
    };
    if (!put(bytes))
        return QStringLiteral("can not write the input to ") + path;

    bool mixed = false;
    const std::vector<Key> keys = expectedKeys(bytes, &mixed);
    const auto describe = [](const Key &k, const QString &got, const QString &want) {
        return QStringLiteral("[%1] %2: read \"%3\", expected \"%4\"").arg(k.section, k.key, got, want);
    };
    {
        IniFile ini(path);
        for (const Key &k : keys) {
            const QString got = ini.read(k.section, k.key);
            if (got != k.value)
                return QStringLiteral("parse: ") + describe(k, got, k.value);
        }
        IniFile::Batch batch(ini);
        for (const Key &k : keys)
            ini.write(k.section, k.key, k.value + QLatin1Char('!'));
    }
    {
        IniFile again(path);
        for (const Key &k : keys) {
            const QString want = (k.value + QLatin1Char('!')).left(32766);
            const QString got = again.read(k.section, k.key);
            if (got != want)
                return QStringLiteral("write back: ") + describe(k, got, want);
        }
    }

    // Lines nobody wrote keep their bytes: a new section only adds to the end.
    const QByteArray body = bytes.startsWith("\xEF\xBB\xBF") ? bytes.sliced(3) : bytes;
    if (mixed || body.isEmpty())
        return QString();
    if (!put(bytes))
        return QStringLiteral("can not write the input to ") + path;
    IniFile appended(path);
    if (appended.read(QStringLiteral("fuzz appended"), QStringLiteral("k")) != IniFile::Missing)
        return QString();
    appended.write(QStringLiteral("fuzz appended"), QStringLiteral("k"), QStringLiteral("1"));
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QStringLiteral("can not read ") + path;
    const QByteArray after = f.readAll();
    if (!after.startsWith(bytes))
        return QStringLiteral("append changed the old text");
    return QString();
}

} // namespace IniRoundTrip
