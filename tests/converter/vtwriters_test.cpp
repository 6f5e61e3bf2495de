#include "hbkbuilder.h"

#include "bookmarks/bookmarksection.h"
#include "common/inifile.h"
#include "converter/hbkconverter.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray contents(const QString &file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void put(const QString &file, const QByteArray &bytes)
{
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

// A section whose keys came in over time, in no one writer's order, between other text.
const QByteArray kBefore = "; theme bookmarks\r\n"
                           "[5.00]\r\n"
                           "PRXSize=1024\r\n"
                           "offset=4\r\n"
                           "entry.1.value=1.5\r\nentry.1.offset=0\r\nentry.1.description=Old one\r\n"
                           "entry.1.type=Integer\r\nentry.1.file=2\r\nentry.1.length=9\r\n"
                           "entry.2.file=1\r\nentry.2.type=Float\r\nentry.2.length=0\r\nentry.2.value=7\r\n"
                           "entry.2.description=Old two\r\nentry.2.offset=4\r\n"
                           "entry.3.description=Old three\r\nentry.3.offset=8\r\nentry.3.type=Float\r\n"
                           "entry.3.length=0\r\nentry.3.file=1\r\nentry.3.value=Hi\r\n"
                           "entry.4.description=Left over\r\n"
                           "\r\n"
                           "[4.05]\r\n"
                           "offset=0\r\n";

const QByteArray kAfter = "; theme bookmarks\r\n"
                          "[5.00]\r\n"
                          "PRXSize=1024\r\n"
                          "offset=3\r\n"
                          "entry.1.value=1.5\r\nentry.1.offset=0001A0E8\r\nentry.1.description=Font red\r\n"
                          "entry.1.type=Float\r\nentry.1.file=1\r\nentry.1.length=0\r\n"
                          "entry.2.file=1\r\nentry.2.type=Integer\r\nentry.2.length=0\r\nentry.2.value=7\r\n"
                          "entry.2.description=Menu count\r\nentry.2.offset=00000200\r\n"
                          "entry.3.description=Title\r\nentry.3.offset=0000F000\r\nentry.3.type=String\r\n"
                          "entry.3.length=20\r\nentry.3.file=1\r\nentry.3.value=Hi\r\n"
                          "entry.4.description=Left over\r\n"
                          "\r\n"
                          "[4.05]\r\n"
                          "offset=0\r\n";

TEST(VtWriters, SaveSortAndConverterWriteTheSameTextForTheSameEntries)
{
    QTemporaryDir dir;
    std::vector<BookmarkRow> rows(3);
    rows[0].cells = {"Font red", "1.5", "0001A0E8", "Float", "0", "1", "1"};
    rows[1].cells = {"Menu count", "7", "00000200", "Integer", "0", "2", "1"};
    rows[2].cells = {"Title", "Hi", "0000F000", "String", "20", "3", "1"};

    const QString saved = dir.filePath("saved.vt");
    put(saved, kBefore);
    IniFile savedIni(saved);
    ASSERT_TRUE(BookmarkSection::save(savedIni, "5.00", rows));
    EXPECT_EQ(contents(saved), kAfter) << "the editor's save";

    const QString sorted = dir.filePath("sorted.vt");
    put(sorted, kBefore);
    IniFile sortedIni(sorted);
    ASSERT_TRUE(BookmarkSection::saveSorted(sortedIni, "5.00", rows));
    EXPECT_EQ(contents(sorted), kAfter) << "the rewrite after a sort";

    const QString hbk = HbkBuilder()
                            .record("Font red", "0001A0E8", "00000004")
                            .record("Menu count", "00000200", "00000002")
                            .record("Title", "0000F000", "00000014")
                            .writeTo(dir.filePath("vshmain.hbk"));
    put(dir.filePath("vshmain.vt"), kBefore);
    const ConversionReport report = HbkConverter::convert(hbk, "5.00", {});
    ASSERT_TRUE(report.ok) << report.message.toStdString();
    EXPECT_EQ(contents(dir.filePath("vshmain.vt")), kAfter) << "the converter";
}

} // namespace
