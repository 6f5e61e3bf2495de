#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// What a search looks for: the key's bytes as they lie in a module file, and
// the Value text that every hit of it shows.
class SearchKey
{
public:
    enum class Type { Float, Integer, String };

    // The key of `text`, or nothing when the text can not be one: empty text,
    // a Float or Integer text that is not a number of that type, a String
    // with a character the code page has no byte for.
    static std::optional<SearchKey> make(Type type, const QString &text);

    // "Float", "Integer", "String", as the type selector and the Type cell show them.
    static QString typeName(Type type);
    // The type named by `name`, compared without regard to case.
    static std::optional<Type> typeNamed(const QString &name);

    Type type() const { return m_type; }
    // String keys are stored folded to lower case and compared folded.
    const QByteArray &pattern() const { return m_pattern; }
    bool foldsCase() const { return m_type == Type::String; }
    // The Value text of a hit: the key text for a String, else the number's text.
    const QString &valueText() const { return m_valueText; }

private:
    Type m_type = Type::Float;
    QByteArray m_pattern;
    QString m_valueText;
};
