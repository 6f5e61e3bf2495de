#include "hbkbuilder.h"

#include "converter/hbkconverter.h"
#include "tests/document/documenttest.h"
#include "tools/mkdemo/demofixture.h"

#include <QDir>
#include <QFile>

namespace {

// Bookmarks made in a hex editor for a theme's own module, converted into
// the editor's bookmark folder, then the module opened in the editor.
class HbkModuleTest : public DocumentTest
{
protected:
    void SetUp() override
    {
        DocumentTest::SetUp();
        ASSERT_TRUE(QDir().mkpath(home.file("theme")));
        ASSERT_TRUE(QFile::copy(home.module5(), module));
        HbkBuilder hbk;
        for (const DemoFixture::Entry &e : DemoFixture::entries(DemoFixture::kVersion5)) {
            if (e.file != 1)
                continue;
            const int size = e.type == "Float" ? 4 : e.type == "Integer" ? 2 : e.length;
            hbk.record(e.description.toLatin1(), "0x" + QByteArray::number(e.offset, 16),
                       "0x" + QByteArray::number(size, 16));
            values << e.value;
        }
        hbkPath = hbk.writeTo(home.file("bookmarks/mytheme.hbk"));
    }

    ConversionReport convert(const QString &modulePath)
    {
        HbkConverter::Options options;
        options.modulePath = modulePath;
        return HbkConverter::convert(hbkPath, DemoFixture::kVersion5, options);
    }

    const QString module = home.file("theme/mytheme.prx");
    QString hbkPath;
    QStringList values;
};

TEST_F(HbkModuleTest, ASectionMadeWithModuleOpensThatModuleInTheEditor)
{
    const ConversionReport report = convert(module);
    ASSERT_TRUE(report.ok) << report.message.toStdString();
    EXPECT_EQ(report.outputPath, home.file("bookmarks/mytheme.vt"));

    doc->openFromCommandLine(module);

    EXPECT_TRUE(prompter.messages().isEmpty()) << prompter.messages().join("|").toStdString();
    EXPECT_EQ(doc->prxversion(), DemoFixture::kVersion5);
    ASSERT_EQ(column(BookmarkRow::Value), values) << "every value read, code values from the descrambled copy";
    EXPECT_EQ(column(BookmarkRow::Offset).first(), "10010") << "no 0x prefix the editor cannot read";
    doc->closeModule();
}

TEST_F(HbkModuleTest, WithoutAModuleNoVersionIsFoundAndTheSummarySaysSo)
{
    const ConversionReport report = convert(QString());
    ASSERT_TRUE(report.ok);
    EXPECT_TRUE(report.statusLine().contains("The section has no PRXSize")) << report.statusLine().toStdString();

    doc->openFromCommandLine(module);

    EXPECT_TRUE(doc->prxversion().isEmpty());
    ASSERT_EQ(prompter.messages().size(), 1);
    EXPECT_TRUE(prompter.messages()[0].startsWith("No bookmark found for mytheme.prx"));
}

} // namespace
