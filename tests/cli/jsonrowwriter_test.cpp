#include "cli/jsonrowwriter.h"
#include "tests/support/testhome.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

#include <vector>

namespace {

QByteArray written(const std::vector<std::vector<JsonRowWriter::Member>> &objects)
{
    QString text;
    QTextStream out(&text);
    JsonRowWriter writer(out);
    for (const auto &members : objects)
        writer.writeObject(members);
    writer.finish();
    out.flush();
    return text.toUtf8();
}

QByteArray asDocument(const std::vector<std::vector<JsonRowWriter::Member>> &objects)
{
    QJsonArray array;
    for (const auto &members : objects) {
        QJsonObject object;
        for (const auto &[key, value] : members)
            object.insert(key, value);
        array.append(object);
    }
    return QJsonDocument(array).toJson(QJsonDocument::Indented);
}

} // namespace

TEST(JsonRowWriter, WritesWhatTheWholeDocumentWouldHoldByteForByte)
{
    QString everyAscii;
    for (char16_t u = 0; u < 0x80; ++u)
        everyAscii += QChar(u);
    const QString beyond = QString::fromUtf8("caf\xc3\xa9 \xe2\x82\xac \xe6\xbc\xa2 \xf0\x9f\x8e\xa8 \xc2\xa0\xc2\x9f");
    const QLatin1String a("a"), b("b"), c("c");
    const std::vector<std::vector<JsonRowWriter::Member>> cases[] = {
        {},
        {{{a, QString()}}},
        {{{a, everyAscii}, {b, beyond}}, {{a, "\"quoted\" \\path\\"}, {b, "1.5E+07"}}, {{a, "x"}, {b, "y"}, {c, "z"}}},
    };
    for (const auto &objects : cases) {
        SCOPED_TRACE(objects.size());
        EXPECT_EQ(written(objects).toStdString(), asDocument(objects).toStdString());
    }
}

TEST(JsonRowWriter, ListJsonHasTheKeysInOrderAndTheLayoutOfADocument)
{
    TestHome home;
    home.answerAssociation();
    QProcess process;
    process.start(QStringLiteral(VANTOR_PATH), {"--home", home.path(), "list", home.module5(), "--json"});
    ASSERT_TRUE(process.waitForFinished(60000));
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    const QByteArray out = process.readAllStandardOutput();
    const QJsonDocument parsed = QJsonDocument::fromJson(out);
    ASSERT_TRUE(parsed.isArray());
    ASSERT_GT(parsed.array().size(), 8);
    EXPECT_EQ(parsed.array()[0].toObject().keys(),
              QStringList({"description", "file", "len", "number", "offset", "type", "value"}));
    // Written again by Qt, the output is unchanged: same key order, same layout, same escapes.
    EXPECT_EQ(out.toStdString(), parsed.toJson(QJsonDocument::Indented).toStdString());
}
