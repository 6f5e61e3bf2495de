#pragma once

#include <QLatin1String>
#include <QString>
#include <QTextStream>

#include <span>
#include <utility>

// Writes a JSON array of flat objects with text values one object at a time,
// laid out byte for byte as QJsonDocument::Indented lays out the whole array,
// so a long list is never held as a document.
class JsonRowWriter
{
public:
    using Member = std::pair<QLatin1String, QString>;

    explicit JsonRowWriter(QTextStream &out);

    // Members are written in the order given; QJsonObject's order is that of the keys' text.
    void writeObject(std::span<const Member> members);
    // Closes the array; an array without objects is written as "[\n]\n".
    void finish();

    // `text` as a JSON string, quotes included, escaped as QJsonDocument escapes it.
    static QString quoted(const QString &text);

private:
    QTextStream &m_out;
    bool m_first = true;
    QString m_line;
};
