#include "values/valuetype.h"

#include "common/codepage.h"

namespace ValueTypes {

std::optional<ValueType> fromCell(const QString &text)
{
    for (const ValueType type : {ValueType::Float, ValueType::Integer, ValueType::String})
        if (text == name(type))
            return type;
    return std::nullopt;
}

std::optional<ValueType> fromCellIgnoringCase(const QString &text)
{
    const QString lower = Codepage::lower(text);
    for (const ValueType type : {ValueType::Float, ValueType::Integer, ValueType::String})
        if (lower == Codepage::lower(name(type)))
            return type;
    return std::nullopt;
}

QString name(ValueType type)
{
    switch (type) {
    case ValueType::Float:
        return QStringLiteral("Float");
    case ValueType::Integer:
        return QStringLiteral("Integer");
    case ValueType::String:
        break;
    }
    return QStringLiteral("String");
}

} // namespace ValueTypes
