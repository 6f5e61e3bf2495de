#include "common/codepage.h"

#include <algorithm>
#include <array>
#include <unordered_map>

namespace {

// Bytes 0x80 to 0x9F; the rest of the code page equals Latin-1.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

const std::unordered_map<char16_t, char> &reverseHigh()
{
    static const auto map = [] {
        std::unordered_map<char16_t, char> m;
        for (int i = 0; i < 32; ++i)
            m.emplace(kHigh[i], static_cast<char>(0x80 + i));
        return m;
    }();
    return map;
}

} // namespace

namespace Codepage {

QString toUnicode(const char *data, qsizetype size)
{
    // Latin-1 is right for all but 0x80-0x9F, which are rare in practice.
    QString out = QString::fromLatin1(data, size);
    const char *end = data + size;
    for (const char *p = data; p != end; ++p) {
        const auto b = static_cast<unsigned char>(*p);
        if (b >= 0x80 && b < 0xA0)
            out[p - data] = QChar(kHigh[b - 0x80]);
    }
    return out;
}

QString toUnicode(const QByteArray &bytes)
{
    return toUnicode(bytes.constData(), bytes.size());
}

QByteArray fromUnicode(const QString &text)
{
    QByteArray out = text.toLatin1();
    // Latin-1 is right for all but U+0080-U+009F and what lies beyond U+00FF.
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
            continue;
        const auto it = reverseHigh().find(c);
        out[i] = it != reverseHigh().end() ? it->second : '?';
    }
    return out;
}

QString lower(const QString &text)
{
    const auto needsFold = [](QChar ch) {
        const char16_t c = ch.unicode();
        return (c >= 'A' && c <= 'Z') || c >= 0xC0;
    };
    if (std::none_of(text.begin(), text.end(), needsFold))
        return text;
    QString out = text;
    for (QChar &ch : out) {
        const char16_t c = ch.unicode();
        if (c >= 'A' && c <= 'Z')
            ch = QChar(c + 32);
        else if ((c >= 0xC0 && c <= 0xDE && c != 0xD7))
            ch = QChar(c + 32);
        else if (c == 0x0160 || c == 0x0152 || c == 0x017D)
            ch = QChar(c + 1);
        else if (c == 0x0178)
            ch = QChar(0x00FF);
    }
    return out;
}

} // namespace Codepage
