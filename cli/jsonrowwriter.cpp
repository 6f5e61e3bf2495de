#include "cli/jsonrowwriter.h"

JsonRowWriter::JsonRowWriter(QTextStream &out)
    : m_out(out)
{
    m_out << "[\n";
}

void JsonRowWriter::writeObject(std::span<const Member> members)
{
    m_line.clear();
    m_line += m_first ? QLatin1String("    {\n") : QLatin1String(",\n    {\n");
    m_first = false;
    for (std::size_t i = 0; i < members.size(); ++i) {
        m_line += QLatin1String("        \"") + members[i].first + QLatin1String("\": ");
        m_line += quoted(members[i].second);
        m_line += i + 1 < members.size() ? QLatin1String(",\n") : QLatin1String("\n");
    }
    m_line += QLatin1String("    }");
    m_out << m_line;
}

void JsonRowWriter::finish()
{
    m_out << (m_first ? "]\n" : "\n]\n");
}

QString JsonRowWriter::quoted(const QString &text)
{
    static const char hex[] = "0123456789abcdef";
    QString result;
    result.reserve(text.size() + 2);
    result += QLatin1Char('"');
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        switch (u) {
        case u'"': result += QLatin1String("\\\""); break;
        case u'\\': result += QLatin1String("\\\\"); break;
        case u'\b': result += QLatin1String("\\b"); break;
        case u'\f': result += QLatin1String("\\f"); break;
        case u'\n': result += QLatin1String("\\n"); break;
        case u'\r': result += QLatin1String("\\r"); break;
        case u'\t': result += QLatin1String("\\t"); break;
        default:
            if (u < 0x20) {
                result += QLatin1String("\\u00");
                result += QLatin1Char(hex[u >> 4]);
                result += QLatin1Char(hex[u & 0xf]);
            } else {
                result += c;
            }
        }
    }
    result += QLatin1Char('"');
    return result;
}
