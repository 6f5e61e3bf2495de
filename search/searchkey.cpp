#include "search/searchkey.h"

#include "common/codepage.h"
#include "search/bytefold.h"
#include "values/valuecodec.h"

#include <QtEndian>
#include <cstring>

std::optional<SearchKey> SearchKey::make(Type type, const QString &text)
{
    if (text.isEmpty())
        return std::nullopt;
    SearchKey key;
    key.m_type = type;
    switch (type) {
    case Type::Float: {
        const auto value = ValueCodec::parseFloat(text);
        if (!value)
            return std::nullopt;
        quint32 bits;
        std::memcpy(&bits, &*value, sizeof bits);
        key.m_pattern.resize(4);
        qToLittleEndian(bits, key.m_pattern.data());
        key.m_valueText = ValueCodec::formatFloat(*value);
        break;
    }
    case Type::Integer: {
        const auto value = ValueCodec::parseInteger(text);
        if (!value)
            return std::nullopt;
        key.m_pattern.resize(2);
        qToLittleEndian(*value, key.m_pattern.data());
        key.m_valueText = ValueCodec::formatInteger(*value);
        break;
    }
    case Type::String: {
        const QByteArray bytes = Codepage::fromUnicode(text);
        // A character without a byte would be searched for as '?'.
        if (Codepage::toUnicode(bytes) != text)
            return std::nullopt;
        key.m_pattern = ByteFold::folded(bytes);
        key.m_valueText = text;
        break;
    }
    }
    return key;
}

QString SearchKey::typeName(Type type)
{
    switch (type) {
    case Type::Float:
        return QStringLiteral("Float");
    case Type::Integer:
        return QStringLiteral("Integer");
    case Type::String:
        return QStringLiteral("String");
    }
    return QString();
}

std::optional<SearchKey::Type> SearchKey::typeNamed(const QString &name)
{
    for (Type type : {Type::Float, Type::Integer, Type::String})
        if (name.compare(typeName(type), Qt::CaseInsensitive) == 0)
            return type;
    return std::nullopt;
}
