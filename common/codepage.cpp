#include "common/codepage.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

// Bytes 0x80 to 0x9F; the rest of the code page equals Latin-1.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

} // namespace

namespace Codepage {

QString toUnicode(const char *data, qsizetype size)
{
    // Latin-1 is right for all but 0x80-0x9F, which are rare in practice.
    QString out = QString::fromLatin1(data, size);
    const auto fix = [&](qsizetype at) {
        const auto b = static_cast<unsigned char>(data[at]);
        if (b >= 0x80 && b < 0xA0)
            out[at] = QChar(kHigh[b - 0x80]);
    };
    qsizetype at = 0;
    // Eight bytes at a time: a word without a high bit needs nothing.
    for (quint64 word; size - at >= 8; at += 8) {
        std::memcpy(&word, data + at, 8);
        if (word & 0x8080808080808080ull)
            for (qsizetype i = at; i < at + 8; ++i)
                fix(i);
    }
    for (; at < size; ++at)
        fix(at);
    return out;
}

QString toUnicode(const QByteArray &bytes)
{
    return toUnicode(bytes.constData(), bytes.size());
}

char byteOf(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<char>(c);
    for (int i = 0; i < 32; ++i)
        if (kHigh[size_t(i)] == c)
            return static_cast<char>(0x80 + i);
    return '?';
}

void fromUnicode(QStringView text, char *out)
{
    const char16_t *in = text.utf16();
    const qsizetype size = text.size();
    // Plain loops the compiler turns into vector code: one test of the whole
    // text, then a straight narrowing copy when it is all ASCII.
    char16_t any = 0;
    for (qsizetype i = 0; i < size; ++i)
        any |= in[i];
    if (any < 0x80) {
        for (qsizetype i = 0; i < size; ++i)
            out[i] = static_cast<char>(in[i]);
        return;
    }
    for (qsizetype i = 0; i < size; ++i)
        out[i] = in[i] < 0x80 ? static_cast<char>(in[i]) : byteOf(in[i]);
}

QByteArray fromUnicode(const QString &text)
{
    QByteArray out(text.size(), Qt::Uninitialized);
    fromUnicode(text, out.data());
    return out;
}

QString lower(const QString &text)
{
    const auto changes = [](QChar ch) { return fold(ch.unicode()) != ch.unicode(); };
    const auto first = std::find_if(text.begin(), text.end(), changes);
    if (first == text.end())
        return text;
    QString out = text;
    for (auto it = out.begin() + (first - text.begin()); it != out.end(); ++it)
        *it = QChar(fold(it->unicode()));
    return out;
}

} // namespace Codepage
