#include "fuzz/searchcheck.h"
#include "search/searchresultmodel.h"
#include "tests/support/testhome.h"

#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Outcome
{
    int status = -1;
    QString out;
    QString err;
};

class SearchCommandTest : public ::testing::Test
{
protected:
    Outcome vantor(const QStringList &arguments)
    {
        QProcess process;
        process.start(QStringLiteral(VANTOR_PATH), QStringList{"--home", home.path(), "search"} + arguments);
        EXPECT_TRUE(process.waitForFinished(60000));
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }
    QString write(const QByteArray &bytes)
    {
        const QString path = dir.filePath("data.bin");
        EXPECT_TRUE(TestHome::writeAll(path, bytes));
        return path;
    }
    // What the command must print: the scanner's hits, one line each.
    static QString expected(const QString &path, SearchKey::Type type, const QString &text)
    {
        const auto key = SearchKey::make(type, text);
        QString lines;
        for (qint64 offset : SearchCheck::scan(path, *key, Scanner::DefaultBlock))
            lines += SearchResultModel::offsetText(offset) + '\t' + key->valueText() + '\n';
        return lines;
    }

    TestHome home;
    QTemporaryDir dir;
};

TEST_F(SearchCommandTest, PrintsTheScannersHits)
{
    QByteArray bytes(70000, '\0');
    for (qsizetype at : {5, 63, 4095, 65535, 69990}) {
        bytes.replace(at, 5, "ViSh\xC9");
        bytes.replace(at - 4, 4, QByteArray("\x00\x00\xC0\x3F", 4));
    }
    const QString path = write(bytes);
    const struct { const char *option; SearchKey::Type type; QString key; } cases[] = {
        {"--string", SearchKey::Type::String, QString::fromUtf8("vIsH\xC3\xA9")},
        {"--float", SearchKey::Type::Float, "1.5"},
        {"--int", SearchKey::Type::Integer, "-16384"},
        {"--int", SearchKey::Type::Integer, "0"},
    };
    for (const auto &c : cases) {
        const Outcome run = vantor({path, c.option, c.key});
        const QString lines = expected(path, c.type, c.key);
        EXPECT_EQ(run.status, 0) << c.option;
        EXPECT_EQ(run.out, lines) << c.option;
        EXPECT_EQ(run.err, QStringLiteral("Instance(s) Found: %1\n").arg(lines.count('\n'))) << c.option;
    }
    EXPECT_TRUE(vantor({path, "--string", "vish"}).out.startsWith("5\tvish\n3F\tvish\n")) << "offsets in upper-case hexadecimal";
    EXPECT_TRUE(vantor({path, "--float", "-1.5"}).out.isEmpty());
    EXPECT_EQ(vantor({path, "--float", "-1.5"}).status, 0) << "nothing found is no failure";
}

TEST_F(SearchCommandTest, RefusesBadKeysAndMissingFiles)
{
    const QString path = write("abc");
    for (const QStringList &arguments : {QStringList{path}, QStringList{path, "--int", "1", "--string", "a"},
                                         QStringList{path, "--int", "32768"}, QStringList{path, "--float", "x"},
                                         QStringList{path, "--string", ""}, QStringList{"--int", "1"}}) {
        const Outcome run = vantor(arguments);
        EXPECT_EQ(run.status, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains("usage: vantor search")) << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty());
    }
    const Outcome missing = vantor({dir.filePath("none.bin"), "--int", "1"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(missing.err.startsWith("vantor: Can not read")) << missing.err.toStdString();
}

} // namespace
