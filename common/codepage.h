#pragma once

#include <QByteArray>
#include <QString>

// Windows-1252, the single-byte code page of module strings, .vt/.ini text and
// .hbk text fields. The five bytes that Windows-1252 leaves undefined map to
// the C1 control of the same number, so every byte survives a round trip.
namespace Codepage {

QString toUnicode(const QByteArray &bytes);
QString toUnicode(const char *data, qsizetype size);
// Characters outside the code page become '?'.
QByteArray fromUnicode(const QString &text);
// Lower-cases A-Z and the upper-case letters of Windows-1252, nothing else.
QString lower(const QString &text);

} // namespace Codepage
