#include "values/stringcodec.h"

#include "common/codepage.h"

#include <algorithm>

namespace StringCodec {

namespace {

constexpr char16_t kPictures = 0x2400; // U+2400..U+241F picture the codes 0..31
constexpr char16_t kDeletePicture = 0x2421;

bool isControl(char16_t c)
{
    return c < 0x20 || c == 0x7F;
}

// Windows-1252 has no byte for the pictures, so the way back is unambiguous.
QString pictured(QString text)
{
    for (QChar &c : text)
        if (isControl(c.unicode()))
            c = QChar(c.unicode() == 0x7F ? kDeletePicture : char16_t(kPictures + c.unicode()));
    return text;
}

QString unpictured(QString text)
{
    for (QChar &c : text) {
        const char16_t u = c.unicode();
        if (u == kDeletePicture)
            c = QChar(char16_t(0x7F));
        else if (u > kPictures && u < kPictures + 0x20)
            c = QChar(char16_t(u - kPictures));
    }
    return text;
}

} // namespace

std::optional<QString> value(QByteArray bytes, std::optional<int> length, int limit)
{
    const bool sized = length && *length >= 0;
    if (sized && *length < bytes.size())
        bytes.truncate(*length);
    const qsizetype zero = bytes.indexOf('\0');
    if (zero >= 0)
        bytes.truncate(zero);
    else if (sized && bytes.size() < std::min(*length, limit))
        return std::nullopt;
    return pictured(Codepage::toUnicode(bytes));
}

QByteArray valueToBytes(const QString &text, int length)
{
    QByteArray chars = Codepage::fromUnicode(unpictured(text));
    if (length > 0 && chars.size() > length)
        chars.truncate(length);
    return chars;
}

bool hasControlCharacter(QStringView text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return isControl(c.unicode()); });
}

} // namespace StringCodec
