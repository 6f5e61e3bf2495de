#include "common/hextext.h"

HexText HexText::convert(const QString &text)
{
    HexText result;
    if (text.isEmpty())
        return result;
    double sum = 0;
    double weight = 1;
    for (qsizetype i = text.size() - 1; i >= 0; --i) {
        const char16_t c = text.at(i).unicode();
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else {
            result.m_kind = Kind::Invalid;
            return result;
        }
        if (digit != 0) // a zero digit adds nothing, also once the weight has run to infinity
            sum += digit * weight;
        weight *= 16;
    }
    result.m_kind = Kind::Number;
    result.m_value = sum;
    return result;
}

std::optional<qint64> HexText::offset() const
{
    constexpr double kLimit = 9007199254740992.0; // 2^53: every whole number below is exact
    if (m_kind == Kind::Invalid || !(m_value < kLimit))
        return std::nullopt;
    return qint64(m_value);
}

QString HexText::text() const
{
    switch (m_kind) {
    case Kind::Empty:
        return QString();
    case Kind::Invalid:
        return QStringLiteral("Invalid");
    case Kind::Number:
        break;
    }
    return QString::number(m_value, 'f', 0);
}
