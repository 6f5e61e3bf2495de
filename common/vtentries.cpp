#include "common/vtentries.h"

#include "common/inifile.h"

#include <iterator>

namespace VtEntries {

namespace {

constexpr char16_t kPictures = 0x2400; // U+2400..U+241F picture the codes 0..31

constexpr QLatin1StringView kNames[FieldCount] = {
    QLatin1StringView("description"), QLatin1StringView("offset"), QLatin1StringView("type"),
    QLatin1StringView("length"),      QLatin1StringView("file"),   QLatin1StringView("value"),
};

// "entry.<n>.<field>" built in place, so a run of writes allocates no keys.
class KeyText
{
public:
    QStringView make(int n, QLatin1StringView field)
    {
        char16_t *out = m_text;
        for (const char c : QLatin1StringView("entry."))
            *out++ = char16_t(c);
        char digits[12];
        int count = 0;
        unsigned value = n < 0 ? 0u - unsigned(n) : unsigned(n);
        do {
            digits[count++] = char('0' + value % 10);
            value /= 10;
        } while (value != 0);
        if (n < 0)
            *out++ = u'-';
        while (count > 0)
            *out++ = char16_t(digits[--count]);
        *out++ = u'.';
        const qsizetype room = qsizetype(std::size(m_text)) - (out - m_text);
        for (qsizetype i = 0; i < field.size() && i < room; ++i)
            *out++ = field[i].unicode();
        return QStringView(m_text, out - m_text);
    }

private:
    char16_t m_text[64];
};

} // namespace

QString key(int n, QLatin1StringView field)
{
    return KeyText().make(n, field).toString();
}

QString key(int n, Field field)
{
    return key(n, kNames[field]);
}

QString lineSafe(const QString &text)
{
    // One branch-free pass (vector code) tells whether there is anything to change.
    const ushort *in = text.utf16();
    bool any = false;
    for (qsizetype i = 0; i < text.size(); ++i)
        any |= (in[i] == u'\n') | (in[i] == u'\r');
    if (!any)
        return text;
    QString safe = text;
    for (QChar &c : safe)
        if (c == u'\n' || c == u'\r')
            c = QChar(char16_t(kPictures + c.unicode()));
    return safe;
}

bool write(IniFile &file, const QString &section, const std::vector<Entry> &entries,
           std::initializer_list<Field> order)
{
    {
        IniFile::Batch batch(file);
        file.write(section, QStringLiteral("offset"), QString::number(entries.size()));
        KeyText key;
        int n = 0;
        for (const Entry &entry : entries) {
            ++n;
            for (const Field field : order)
                file.write(section, key.make(n, kNames[field]), lineSafe(entry[field]));
        }
    }
    return file.lastError().ok();
}

} // namespace VtEntries
