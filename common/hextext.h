#pragma once

#include <QString>

// The hex-text conversion of offsets and table starts: digits 0-9 and a-f in
// either case, no prefix, no blanks. Empty text converts to an empty result,
// which counts as 0 where a number is needed; anything else is "Invalid".
class HexText
{
public:
    enum class Kind { Empty, Number, Invalid };

    static HexText convert(const QString &text);

    Kind kind() const { return m_kind; }
    bool isInvalid() const { return m_kind == Kind::Invalid; }
    bool isNumber() const { return m_kind == Kind::Number; }
    // 0 for empty and invalid text.
    double value() const { return m_value; }
    // "Invalid", empty text, or the number in decimal.
    QString text() const;

private:
    Kind m_kind = Kind::Empty;
    double m_value = 0;
};
