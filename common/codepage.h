#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

// Windows-1252, the single-byte code page of module strings, .vt/.ini text and
// .hbk text fields. The five bytes that Windows-1252 leaves undefined map to
// the C1 control of the same number, so every byte survives a round trip.
namespace Codepage {

QString toUnicode(const QByteArray &bytes);
QString toUnicode(const char *data, qsizetype size);
// Characters outside the code page become '?'.
QByteArray fromUnicode(const QString &text);
// The same into `out`, which has room for text.size() bytes.
void fromUnicode(QStringView text, char *out);
// The byte of one character, '?' outside the code page.
char byteOf(char16_t c);
// Lower-cases A-Z and the upper-case letters of Windows-1252, nothing else.
QString lower(const QString &text);

// One character as lower() folds it.
constexpr char16_t fold(char16_t c)
{
    if (c < 0xC0)
        return c >= 'A' && c <= 'Z' ? char16_t(c + 32) : c;
    if (c <= 0xDE)
        return c == 0xD7 ? c : char16_t(c + 32);
    if (c == 0x0160 || c == 0x0152 || c == 0x017D)
        return char16_t(c + 1);
    return c == 0x0178 ? char16_t(0x00FF) : c;
}

} // namespace Codepage
