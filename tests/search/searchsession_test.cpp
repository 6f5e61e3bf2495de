#include "search/searchresultmodel.h"
#include "search/searchsession.h"
#include "tests/document/documenttest.h"

#include <QFile>

namespace {

class SearchSessionTest : public DocumentTest
{
protected:
    // Overwrites bytes at offsets from the end of a file, keeping its size.
    static void plant(const QString &path, const QByteArray &bytes, qint64 fromEnd)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.seek(f.size() - fromEnd));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }
};

TEST_F(SearchSessionTest, HitsAreHandedOnInFileOrderWithTheFilesOwnLetters)
{
    // The module as opened, while its working copy stands in for it as file 1.
    doc->openFromCommandLine(home.module5());
    const QString module = doc->currentModuleFile();
    ASSERT_EQ(module, home.module5());
    ASSERT_FALSE(doc->workingCopyPath().isEmpty());
    plant(module, "VantorKey", 4000);
    plant(module, "VANTORKEY", 2000);
    SearchSession session(*doc);
    const auto key = SearchKey::make(SearchKey::Type::String, QStringLiteral("vantorkey"));
    ASSERT_TRUE(key);
    ASSERT_TRUE(session.scan(session.fileFor(true), true, *key));
    ASSERT_EQ(session.count(), 2);

    const auto hits = session.hits({1, 0});
    ASSERT_TRUE(hits);
    const qint64 size = QFile(module).size();
    EXPECT_EQ(hits->offsets, (QStringList{SearchResultModel::offsetText(size - 4000),
                                          SearchResultModel::offsetText(size - 2000)}));
    EXPECT_EQ(hits->values, (QStringList{"VantorKey", "VANTORKEY"}));
    EXPECT_EQ(hits->type, "String");
    EXPECT_EQ(hits->length, 9);
    EXPECT_EQ(hits->file, "2");
    EXPECT_FALSE(session.hits({}));
}

TEST_F(SearchSessionTest, HitsOfAFileNoLongerOpenAreRefusedWithAReason)
{
    doc->openFromCommandLine(home.module4());
    SearchSession session(*doc);
    const auto key = SearchKey::make(SearchKey::Type::Integer, QStringLiteral("0"));
    ASSERT_TRUE(key);
    ASSERT_TRUE(session.scan(session.fileFor(true), true, *key));
    ASSERT_GT(session.count(), 0);
    doc->openFromCommandLine(home.module5());
    ASSERT_EQ(doc->currentModuleFile(), home.module5());

    QString why;
    EXPECT_FALSE(session.hits({0}, &why));
    EXPECT_EQ(why, "The file searched is no longer open: search again");

    const QString missing = home.file("gone.prx");
    EXPECT_FALSE(session.scan(missing, true, *key));
    EXPECT_TRUE(session.errorString().contains("gone.prx")) << session.errorString().toStdString();
    EXPECT_EQ(session.results().count(), 0);
}

} // namespace
