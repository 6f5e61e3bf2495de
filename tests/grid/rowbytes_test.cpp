#include "tests/document/documenttest.h"
#include "grid/rowbytes.h"
#include "tools/mkdemo/demofixture.h"

#include <QSignalSpy>
#include <QTest>

namespace {

class RowBytesTest : public DocumentTest
{
protected:
    void SetUp() override
    {
        DocumentTest::SetUp();
        doc->openFromCommandLine(home.module5());
        ASSERT_TRUE(doc->moduleOpen());
        bytes = std::make_unique<RowBytes>(*doc);
        plain = DemoFixture::plainModule(DemoFixture::kVersion5);
    }
    int rowOf(const QString &description) const
    {
        return int(column(BookmarkRow::Description).indexOf(description));
    }
    // The highlighted offsets of what is shown.
    std::pair<qint64, qint64> highlighted() const
    {
        qint64 first = -1;
        qint64 end = -1;
        for (qint64 at = bytes->start(); at < bytes->start() + bytes->bytes().size(); ++at) {
            if (bytes->isHighlighted(at)) {
                if (first < 0)
                    first = at;
                end = at + 1;
            }
        }
        return {first, end};
    }

    std::unique_ptr<RowBytes> bytes;
    QByteArray plain;
};

TEST_F(RowBytesTest, ShowsTheLinesAroundAFloatRowAndReadsItEachWay)
{
    bytes->setRow(rowOf("Icon spacing"));
    const qint64 at = DemoFixture::kDataOffset + 0x14;
    EXPECT_TRUE(bytes->problem().isEmpty());
    EXPECT_EQ(bytes->file(), 1);
    EXPECT_EQ(bytes->offset(), at);
    EXPECT_EQ(bytes->caption(), QStringLiteral("File 1, offset 0x10014 (65556)"));
    // Two lines before the offset's line, six in all, from a line start.
    EXPECT_EQ(bytes->start(), at / 16 * 16 - 32);
    EXPECT_EQ(bytes->bytes(), plain.mid(bytes->start(), 96));
    EXPECT_EQ(highlighted(), std::make_pair(at, at + 4));
    EXPECT_EQ(bytes->readings().asFloat, "12.25");
    EXPECT_EQ(bytes->readings().asInt32, "1094975488"); // 12.25f is 0x41440000
    EXPECT_EQ(bytes->readings().asInteger, "0");
}

TEST_F(RowBytesTest, HighlightsByTypeAndLength)
{
    bytes->setRow(rowOf("Wave direction"));
    EXPECT_EQ(highlighted(), std::make_pair(qint64(DemoFixture::kDataOffset + 0x22), qint64(DemoFixture::kDataOffset + 0x24)));
    EXPECT_EQ(bytes->readings().asInteger, "-1");

    const int label = rowOf("Sub-menu label");
    bytes->setRow(label);
    const qint64 at = DemoFixture::kDataOffset + 0x40;
    EXPECT_EQ(highlighted(), std::make_pair(at, at + 16));
    EXPECT_EQ(bytes->readings().asString, "Network Update");
    // Without a length a String takes its text up to the zero byte.
    doc->model().setCell(label, BookmarkRow::Len, QStringLiteral("0"));
    EXPECT_EQ(highlighted(), std::make_pair(at, at + qint64(QByteArrayLiteral("Network Update").size())));
}

TEST_F(RowBytesTest, FollowsTheRowsCellsAndFile)
{
    const int row = rowOf("Background dim");
    bytes->setRow(row);
    EXPECT_EQ(bytes->file(), 2);
    EXPECT_EQ(bytes->readings().asFloat, doc->model().cell(row, BookmarkRow::Value));

    QSignalSpy changed(bytes.get(), &RowBytes::changed);
    doc->model().setCell(row, BookmarkRow::File, QStringLiteral("1"));
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(bytes->file(), 1);
    EXPECT_EQ(bytes->bytes(), plain.mid(bytes->start(), 96));

    doc->model().setCell(row, BookmarkRow::Offset, QStringLiteral("10"));
    EXPECT_EQ(bytes->offset(), 0x10);
    EXPECT_EQ(bytes->start(), 0);
    EXPECT_EQ(bytes->bytes(), plain.left(96));

    // A change that moves nothing says nothing.
    changed.clear();
    doc->model().setCell(row, BookmarkRow::Description, QStringLiteral("renamed"));
    EXPECT_EQ(changed.count(), 0);

    doc->model().setCell(row, BookmarkRow::Offset, QStringLiteral("FFFFFF"));
    EXPECT_TRUE(bytes->bytes().isEmpty());
    EXPECT_TRUE(bytes->problem().contains("beyond the end of file 1"));
    doc->model().setCell(row, BookmarkRow::Offset, QStringLiteral("xyz"));
    EXPECT_EQ(bytes->problem(), QStringLiteral("Row %1 has no offset.").arg(row + 1));

    // The row removed: nothing to show.
    bytes->setRow(doc->model().count() - 1);
    doc->model().removeRowAt(doc->model().count() - 1);
    EXPECT_TRUE(bytes->bytes().isEmpty());
    EXPECT_FALSE(bytes->problem().isEmpty());
}

TEST_F(RowBytesTest, SeesAWriteThatCameWithoutASignal)
{
    const int row = rowOf("Clock text scale");
    bytes->setRow(row);
    QSignalSpy changed(bytes.get(), &RowBytes::changed);
    ASSERT_TRUE(doc->files().write(ModuleFiles::Working, DemoFixture::kDataOffset + 0x10, QByteArray(4, '\0')).ok());
    EXPECT_TRUE(changed.wait(2000));
    EXPECT_EQ(bytes->readings().asFloat, "0");

    // An inactive panel reads nothing.
    bytes->setActive(false);
    changed.clear();
    ASSERT_TRUE(doc->files().write(ModuleFiles::Working, DemoFixture::kDataOffset + 0x10, QByteArray(4, '\1')).ok());
    EXPECT_FALSE(changed.wait(800));
    bytes->setActive(true);
    EXPECT_EQ(changed.count(), 1);
}

TEST(RowBytesText, HexAndWindows1252Text)
{
    const QByteArray bytes("A\0\x80\x81\xE9\x7F z", 8);
    EXPECT_EQ(RowBytes::hexText(bytes), "41 00 80 81 E9 7F 20 7A");
    EXPECT_EQ(RowBytes::charText(bytes), QStringLiteral("A.\u20AC.\u00E9. z"));
    EXPECT_EQ(RowBytes::addressText(0x1A2B), "00001A2B");
}

} // namespace
