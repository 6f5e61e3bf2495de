#pragma once

#include <QString>
#include <optional>

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
    // The number as a byte offset (empty text is 0), or nothing when the text is
    // invalid or the number lies beyond any file.
    std::optional<qint64> offset() const;
    // "Invalid", empty text, or the number in decimal.
    QString text() const;

private:
    Kind m_kind = Kind::Empty;
    double m_value = 0;
};
