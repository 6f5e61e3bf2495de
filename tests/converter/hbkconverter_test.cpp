#include "hbkbuilder.h"

#include "bookmarks/bookmarksection.h"
#include "common/inifile.h"
#include "converter/hbkconverter.h"
#include "fuzz/filecheck.h"
#include "fuzz/hbkcheck.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <gtest/gtest.h>

namespace {

class HbkConverterTest : public ::testing::Test
{
protected:
    QString path(const QString &name) const { return m_dir.filePath(name); }

    static QByteArray contents(const QString &file)
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    static ConversionReport convert(const QString &hbk, const QString &section = QStringLiteral("5.00"),
                                    bool expand = false, const QString &module = QString())
    {
        HbkConverter::Options options;
        options.expandArrays = expand;
        options.modulePath = module;
        return HbkConverter::convert(hbk, section, options);
    }

    QTemporaryDir m_dir;
};

QString key(int n, const char *field)
{
    return BookmarkSection::entryKey(n, field);
}

TEST_F(HbkConverterTest, ThreeRecordsWriteThreeEntriesKeyByKeyInOrder)
{
    const QString hbk = HbkBuilder()
                            .record("Font red", "0001A0E8", "00000004")
                            .record("Menu count", "00000200", "00000002")
                            .record("Title", "0000F000", "00000014")
                            .writeTo(path("vshmain.hbk"));

    const ConversionReport report = convert(hbk);

    ASSERT_TRUE(report.ok) << report.message.toStdString();
    EXPECT_EQ(report.outputPath, path("vshmain.vt"));
    EXPECT_EQ(report.entriesWritten, 3);
    EXPECT_TRUE(report.skipped.empty());
    EXPECT_EQ(contents(path("vshmain.vt")),
              QByteArray("[5.00]\r\n"
                         "offset=3\r\n"
                         "entry.1.description=Font red\r\nentry.1.offset=0001A0E8\r\n"
                         "entry.1.type=Float\r\nentry.1.length=0\r\nentry.1.file=1\r\n"
                         "entry.2.description=Menu count\r\nentry.2.offset=00000200\r\n"
                         "entry.2.type=Integer\r\nentry.2.length=0\r\nentry.2.file=1\r\n"
                         "entry.3.description=Title\r\nentry.3.offset=0000F000\r\n"
                         "entry.3.type=String\r\nentry.3.length=20\r\nentry.3.file=1\r\n"));
    EXPECT_EQ(report.statusLine(),
              QStringLiteral("Wrote 3 bookmarks to section \"5.00\" of %1. The section has no PRXSize, so VantorEditor "
                             "finds no module's version by it: name the module these bookmarks are for (Module..., or "
                             "--module) and convert again.")
                  .arg(QDir::toNativeSeparators(path("vshmain.vt"))));
}

TEST_F(HbkConverterTest, EmptyAndCutShortRecordsAreTheOnlyOnesSkipped)
{
    const QString hbk = HbkBuilder()
                            .record("First", "10", "4")
                            .emptyRecord()
                            .record("Third", "30", "2")
                            .trailing(100)
                            .writeTo(path("a.hbk"));

    const ConversionReport report = convert(hbk);

    ASSERT_TRUE(report.ok);
    IniFile vt(path("a.vt"));
    EXPECT_EQ(vt.read("5.00", "offset"), "2");
    EXPECT_EQ(vt.read("5.00", key(1, "description")), "First");
    EXPECT_EQ(vt.read("5.00", key(2, "description")), "Third");
    EXPECT_EQ(vt.read("5.00", key(2, "offset")), "30");
    EXPECT_EQ(vt.read("5.00", key(3, "description")), IniFile::Missing);
    ASSERT_EQ(report.skipped.size(), 2u);
    EXPECT_EQ(report.skipped[0].record, 2);
    EXPECT_EQ(report.skipped[0].reason, ConversionReport::SkipReason::Empty);
    EXPECT_EQ(report.skipped[1].record, 4);
    EXPECT_EQ(report.skipped[1].reason, ConversionReport::SkipReason::CutShort);
    EXPECT_TRUE(report.statusLine().contains(
        ". Skipped 2 records of 4: 1 empty, 1 cut short at the end of the file. The section has no PRXSize"))
        << report.statusLine().toStdString();
}

TEST_F(HbkConverterTest, EveryWholeRecordIsReadAndATrailingPartialOneIgnored)
{
    struct Case
    {
        int records;
        int trailing;
    };
    for (const Case c : {Case{1, 0}, Case{2, 655}, Case{3, 1}, Case{0, 655}}) {
        HbkBuilder builder;
        for (int i = 1; i <= c.records; ++i)
            builder.record("Bookmark " + QByteArray::number(i), "1" + QByteArray::number(i), "4");
        builder.trailing(c.trailing);
        const QString hbk = builder.writeTo(path(QStringLiteral("r%1_%2.hbk").arg(c.records).arg(c.trailing)));

        const ConversionReport report = convert(hbk);

        SCOPED_TRACE(testing::Message() << c.records << " records, " << c.trailing << " trailing bytes");
        ASSERT_TRUE(report.ok);
        EXPECT_EQ(report.recordsRead, c.records);
        IniFile vt(report.outputPath);
        EXPECT_EQ(vt.read("5.00", "offset"), QString::number(c.records));
        EXPECT_EQ(vt.read("5.00", key(c.records + 1, "description")), IniFile::Missing);
        if (c.records > 0) {
            EXPECT_EQ(vt.read("5.00", key(c.records, "description")), QStringLiteral("Bookmark %1").arg(c.records));
        }
    }
}

TEST_F(HbkConverterTest, FileShorterThanTheHeaderWritesNothing)
{
    for (const int size : {0, 1, 447}) {
        const QString hbk = path(QStringLiteral("short%1.hbk").arg(size));
        HbkBuilder().writeTo(hbk);
        QFile::resize(hbk, size);

        const ConversionReport report = convert(hbk);

        SCOPED_TRACE(size);
        EXPECT_FALSE(report.ok);
        EXPECT_TRUE(report.message.contains(QDir::toNativeSeparators(hbk)));
        EXPECT_TRUE(report.message.contains("shorter than the 448-byte header"));
        EXPECT_FALSE(QFile::exists(HbkConverter::outputPathFor(hbk)));
    }
}

TEST_F(HbkConverterTest, EveryRecordIsKeptTheSizeValueDecidesTheTypeAndHexPrefixesGo)
{
    struct Case
    {
        QByteArray offset;
        QByteArray size;
        const char *writtenOffset;
        const char *type;
        const char *length;
    };
    const Case cases[] = {
        {"100", "00000004", "100", "Float", "0"},
        {"100", "00000002", "100", "Integer", "0"},
        {"100", "00000014", "100", "String", "20"},
        {"100", "0000000a", "100", "String", "10"},
        {"100", QByteArray("000\0\0" "00004", 10), "100", "Float", "0"},
        {"0x108", "0x14", "108", "String", "20"},
        {"0X1a0e8", "0x4", "1a0e8", "Float", "0"},
        {" 0x200\t", " 2 ", "200", "Integer", "0"},
        {"0x", "2", "0x", "Integer", "0"},
        {"0x0x10", "4", "0x0x10", "Float", "0"},
        {"", "4", "", "Float", "0"},
        {"xyz", "4", "xyz", "Float", "0"},
        {"100", "", "100", "String", ""},
        {"100", "1 4", "100", "String", "Invalid"},
        {"100", "0x", "100", "String", "Invalid"},
        {"100", "10000000000000000", "100", "String", "18446744073709551616"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.offset.toStdString() + " / " + c.size.toStdString());
        const QString hbk = HbkBuilder().record("v", c.offset, c.size).writeTo(path("one.hbk"));
        const ConversionReport report = convert(hbk);
        ASSERT_TRUE(report.ok);
        EXPECT_EQ(report.entriesWritten, 1);
        EXPECT_TRUE(report.skipped.empty());
        EXPECT_FALSE(report.statusLine().contains("Skipped")) << report.statusLine().toStdString();
        IniFile vt(report.outputPath);
        EXPECT_EQ(vt.read("5.00", "offset"), "1");
        EXPECT_EQ(vt.read("5.00", key(1, "offset")), c.writtenOffset);
        EXPECT_EQ(vt.read("5.00", key(1, "type")), c.type);
        EXPECT_EQ(vt.read("5.00", key(1, "length")), c.length);
    }
}

TEST_F(HbkConverterTest, TextFieldsWithoutAZeroByteKeepEveryCharacter)
{
    const QByteArray description = QByteArray(79, 'd') + 'Z';
    const QByteArray offset = QByteArray(123, '0') + "1A0E8";
    const QByteArray size = QByteArray(127, '0') + '4';
    const QByteArray count = QByteArray(127, '0') + '3';
    ASSERT_EQ(description.size(), 80);
    ASSERT_EQ(offset.size(), 128);
    const QString hbk = HbkBuilder().record(description, offset, size, count).writeTo(path("full.hbk"));

    const ConversionReport plain = convert(hbk);
    ASSERT_TRUE(plain.ok);
    IniFile vt(plain.outputPath);
    EXPECT_EQ(vt.read("5.00", key(1, "description")), QString::fromLatin1(description));
    EXPECT_EQ(vt.read("5.00", key(1, "offset")), QString::fromLatin1(offset));
    EXPECT_EQ(vt.read("5.00", key(1, "type")), "Float");

    const ConversionReport expanded = convert(hbk, QStringLiteral("6.60"), true);
    ASSERT_TRUE(expanded.ok);
    EXPECT_EQ(expanded.entriesWritten, 3);
    EXPECT_EQ(vt.read("6.60", key(3, "offset")), QString(QByteArray(123, '0') + "1A0F0"));
}

TEST_F(HbkConverterTest, DescriptionEndsAtItsFirstZeroByteAndStaysOnOneLine)
{
    const QString hbk = HbkBuilder()
                            .record(QByteArray("Wave\0\0\0junk", 11), "10", "4")
                            .record("Two\r\nlines\t[x]", "20", "4")
                            .writeTo(path("desc.hbk"));

    ASSERT_TRUE(convert(hbk).ok);

    const QByteArray vt = contents(path("desc.vt"));
    EXPECT_TRUE(vt.contains("entry.1.description=Wave\r\n"));
    EXPECT_TRUE(vt.contains("entry.2.description=Two  lines [x]\r\n"));
    EXPECT_FALSE(vt.contains("junk"));
}

TEST_F(HbkConverterTest, ConvertingAgainReplacesTheSectionAndKeepsEverythingElse)
{
    const QByteArray before = "; themes\n[4.00]\nPRXSize=123\nentry.1.description=Old\n\n"
                              "[5.00]\nRFontStart=1A0E8\nentry.1.description=Stale\nentry.1.value=0.5\n\n"
                              "[6.20]\noffset=0\n";
    {
        QFile f(path("vshmain.vt"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(before);
    }
    const QString hbk = path("vshmain.hbk");
    HbkBuilder().record("A", "10", "4").record("B", "20", "2").writeTo(hbk);
    ASSERT_TRUE(convert(hbk).ok);
    HbkBuilder().record("C", "30", "00000010").writeTo(hbk);
    ASSERT_TRUE(convert(hbk).ok);

    EXPECT_EQ(contents(path("vshmain.vt")),
              QByteArray("; themes\n[4.00]\nPRXSize=123\nentry.1.description=Old\n\n"
                         "[5.00]\nRFontStart=1A0E8\nentry.1.description=C\nentry.1.value=0.5\n"
                         "offset=1\nentry.1.offset=30\nentry.1.type=String\nentry.1.length=16\nentry.1.file=1\n"
                         "entry.2.description=B\nentry.2.offset=20\nentry.2.type=Integer\nentry.2.length=0\n"
                         "entry.2.file=1\n\n"
                         "[6.20]\noffset=0\n"));
}

TEST_F(HbkConverterTest, Windows1252DescriptionReachesTheEditorsList)
{
    const QByteArray description = "Caf\xE9 \x80 5 \x9C";
    const QString hbk = HbkBuilder().record(description, "0001A0E8", "00000004").writeTo(path("cp.hbk"));

    ASSERT_TRUE(convert(hbk).ok);

    EXPECT_TRUE(contents(path("cp.vt")).contains("entry.1.description=" + description + "\r\n"));
    IniFile vt(path("cp.vt"));
    const std::vector<BookmarkRow> rows = BookmarkSection::load(vt, QStringLiteral("5.00"), nullptr);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][BookmarkRow::Description], QStringLiteral(u"Caf\u00e9 \u20ac 5 \u0153"));
    EXPECT_EQ(rows[0][BookmarkRow::Offset], "0001A0E8");
    EXPECT_EQ(rows[0][BookmarkRow::Type], "Float");
    EXPECT_EQ(rows[0][BookmarkRow::Len], "0");
}

TEST_F(HbkConverterTest, ExpandArraysTurnsACountIntoElementsAndKeepsTheRestWhole)
{
    const QString hbk = HbkBuilder()
                            .record("Wave", "0001A0E8", "00000004", "00000003")
                            .record("Names", "ff0", "00000010", "2")
                            .record("Single", "100", "00000002", "00000001")
                            .record("Huge", "100", "00000004", "00001001")
                            .record("No count", "200", "00000004")
                            .record("Prefixed", "0x300", "0x2", "0x2")
                            .record("Nowhere", "zz", "4", "3")
                            .record("Past the end", "FFFFFFFFFFFFFFFE", "4", "2")
                            .writeTo(path("arr.hbk"));

    const ConversionReport plain = convert(hbk);
    ASSERT_TRUE(plain.ok);
    EXPECT_EQ(plain.entriesWritten, 8);
    EXPECT_TRUE(plain.unexpanded.empty());

    const ConversionReport expanded = convert(hbk, QStringLiteral("6.60"), true);
    ASSERT_TRUE(expanded.ok);
    IniFile vt(expanded.outputPath);
    const QString s = QStringLiteral("6.60");
    const QStringList expected[] = {
        {"Wave [0]", "0001A0E8", "Float"},  {"Wave [1]", "0001A0EC", "Float"},    {"Wave [2]", "0001A0F0", "Float"},
        {"Names [0]", "FF0", "String"},     {"Names [1]", "1000", "String"},      {"Single", "100", "Integer"},
        {"Huge", "100", "Float"},           {"No count", "200", "Float"},         {"Prefixed [0]", "300", "Integer"},
        {"Prefixed [1]", "302", "Integer"}, {"Nowhere", "zz", "Float"},           {"Past the end", "FFFFFFFFFFFFFFFE", "Float"},
    };
    EXPECT_EQ(vt.read(s, "offset"), QString::number(std::size(expected)));
    int n = 0;
    for (const QStringList &e : expected) {
        ++n;
        EXPECT_EQ(vt.read(s, key(n, "description")), e[0]);
        EXPECT_EQ(vt.read(s, key(n, "offset")), e[1]);
        EXPECT_EQ(vt.read(s, key(n, "type")), e[2]);
    }
    using A = ConversionReport::ArrayReason;
    ASSERT_EQ(expanded.unexpanded.size(), 3u);
    EXPECT_EQ(expanded.unexpanded[0].record, 4);
    EXPECT_EQ(expanded.unexpanded[0].reason, A::CountTooLarge);
    EXPECT_EQ(expanded.unexpanded[1].record, 7);
    EXPECT_EQ(expanded.unexpanded[1].reason, A::NoNumericPlace);
    EXPECT_EQ(expanded.unexpanded[2].record, 8);
    EXPECT_TRUE(expanded.skipped.empty());
    EXPECT_TRUE(expanded.statusLine().contains(
        " Kept 3 arrays as one bookmark: 1 count above 4096, 2 offset or size not a usable number."))
        << expanded.statusLine().toStdString();
}

TEST_F(HbkConverterTest, ExpandedArraysAreBoundedInAll)
{
    const QByteArray before = "[4.00]\r\noffset=0\r\n";
    {
        QFile f(path("big.vt"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(before);
    }
    // 16 arrays of 4096 elements reach the cap; the one more bookmark passes it.
    HbkBuilder overCap;
    for (int i = 0; i < 16; ++i)
        overCap.record("Table " + QByteArray::number(i), QByteArray::number(0x10000 * (i + 1), 16), "4", "1000");
    overCap.record("One more", "20", "4");

    const QString hbk = overCap.writeTo(path("big.hbk"));
    const ConversionReport refused = convert(hbk, QStringLiteral("5.00"), true);
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.message, QStringLiteral("Cannot convert \"%1\": expanding its arrays gives 65537 bookmarks, more "
                                              "than the 65536 allowed. Nothing was written.")
                                   .arg(QDir::toNativeSeparators(hbk)));
    EXPECT_EQ(contents(path("big.vt")), before);

    const ConversionReport plain = convert(hbk, QStringLiteral("5.00"), false);
    ASSERT_TRUE(plain.ok);
    EXPECT_EQ(plain.entriesWritten, 17) << "without expansion every record is one bookmark";
}

TEST_F(HbkConverterTest, FailuresNameTheFileAndTheCauseAndWriteNothing)
{
    const QString good = HbkBuilder().record("A", "10", "4").writeTo(path("good.hbk"));
    QDir(m_dir.path()).mkdir("folder.hbk");
    const QString blocked = HbkBuilder().record("A", "10", "4").writeTo(path("blocked.hbk"));
    QDir(m_dir.path()).mkdir("blocked.vt");
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("pipe.hbk")).constData(), 0600), 0);

    struct Case
    {
        QString input;
        QString section;
        QString named;
        QString cause;
    };
    const Case cases[] = {
        {"", "5.00", "", "No input file given"},
        {"  ", "5.00", "", "No input file given"},
        {path("missing.hbk"), "5.00", path("missing.hbk"), "does not exist"},
        {path("folder.hbk"), "5.00", path("folder.hbk"), "cannot be read (it is a folder)"},
        {path("pipe.hbk"), "5.00", path("pipe.hbk"), "cannot be read (it is not a regular file)"},
        {good, "", good, "No firmware version given"},
        {good, "5.00]\nx", good, "cannot name a section"},
        {blocked, "5.00", path("blocked.vt"), "Can not write " + QDir::toNativeSeparators(path("blocked.vt")) + ": it is a folder"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.input.toStdString() + " / " + c.section.toStdString());
        const ConversionReport report = convert(c.input, c.section);
        EXPECT_FALSE(report.ok);
        EXPECT_TRUE(report.message.contains(c.cause)) << report.message.toStdString();
        EXPECT_TRUE(report.message.contains(QDir::toNativeSeparators(c.named))) << report.message.toStdString();
        EXPECT_EQ(report.statusLine(), report.message);
    }
    EXPECT_FALSE(QFile::exists(path("good.vt")));
    EXPECT_FALSE(QFile::exists(path("missing.vt")));
    EXPECT_FALSE(QFile::exists(path("pipe.vt")));
    EXPECT_TRUE(QFileInfo(path("blocked.vt")).isDir());
}

TEST_F(HbkConverterTest, ANamedModuleGivesPrxSizeAndWithoutOneTheSummarySaysWhatToDo)
{
    QByteArray moduleBytes(1000, '\0');
    moduleBytes.replace(0, 4, "\x7F" "ELF");
    const QString module = path("theme.prx");
    {
        QFile f(module);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(moduleBytes);
    }
    const QString hbk = HbkBuilder().record("A", "0x10", "4").writeTo(path("vshmain.hbk"));
    const QString vt = QDir::toNativeSeparators(path("vshmain.vt"));

    const ConversionReport named = convert(hbk, QStringLiteral("5.00"), false, module);
    ASSERT_TRUE(named.ok) << named.message.toStdString();
    EXPECT_EQ(contents(path("vshmain.vt")),
              QByteArray("[5.00]\r\nPRXSize=1000\r\noffset=1\r\n"
                         "entry.1.description=A\r\nentry.1.offset=10\r\n"
                         "entry.1.type=Float\r\nentry.1.length=0\r\nentry.1.file=1\r\n"));
    EXPECT_EQ(named.statusLine(),
              QStringLiteral("Wrote 1 bookmark to section \"5.00\" of %1, with PRXSize 1000 of theme.prx. VantorEditor "
                             "reads the bookmarks of theme.prx from theme.vt in its bookmark folder.")
                  .arg(vt));

    // Converting again without a module keeps the section's PRXSize, which still serves.
    const ConversionReport again = convert(hbk);
    ASSERT_TRUE(again.ok);
    EXPECT_EQ(again.prxSize, "1000");
    EXPECT_EQ(again.statusLine(), QStringLiteral("Wrote 1 bookmark to section \"5.00\" of %1.").arg(vt));

    const ConversionReport other = convert(hbk, QStringLiteral("6.60"));
    ASSERT_TRUE(other.ok);
    EXPECT_TRUE(other.prxSize.isEmpty());
    EXPECT_TRUE(other.statusLine().endsWith(" The section has no PRXSize, so VantorEditor finds no module's version by "
                                            "it: name the module these bookmarks are for (Module..., or --module) and "
                                            "convert again."))
        << other.statusLine().toStdString();
}

TEST_F(HbkConverterTest, AModuleThatCannotGiveItsSizeIsRefusedAndNothingIsWritten)
{
    const QString hbk = HbkBuilder().record("A", "10", "4").writeTo(path("a.hbk"));
    QDir(m_dir.path()).mkdir("folder.prx");
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("pipe.prx")).constData(), 0600), 0);
    {
        QFile packed(path("packed.prx"));
        ASSERT_TRUE(packed.open(QIODevice::WriteOnly));
        packed.write(QByteArray(2000, '\x1F'));
    }
    const std::pair<const char *, const char *> cases[] = {
        {"missing.prx", "does not exist"},
        {"folder.prx", "is a folder"},
        {"pipe.prx", "is not a regular file"},
        {"packed.prx", "is not a plain module (bytes 1 to 3 are not \"ELF\")"},
    };
    for (const auto &[name, cause] : cases) {
        SCOPED_TRACE(name);
        const ConversionReport report = convert(hbk, QStringLiteral("5.00"), false, path(name));
        EXPECT_FALSE(report.ok);
        EXPECT_TRUE(report.message.startsWith(QStringLiteral("Cannot convert \"%1\": the module \"%2\" %3")
                                                  .arg(QDir::toNativeSeparators(hbk),
                                                       QDir::toNativeSeparators(path(name)), cause)))
            << report.message.toStdString();
        EXPECT_FALSE(QFile::exists(path("a.vt")));
    }
}

TEST(HbkConverterOutputPath, ReplacesTheExtensionWithVt)
{
    const std::pair<QString, QString> cases[] = {
        {"vshmain.hbk", "vshmain.vt"},
        {"/themes/A.HBK", "/themes/A.vt"},
        {"/themes/a.b/marks.bin", "/themes/a.b/marks.vt"},
        {"/themes/a.b/marks", "/themes/a.b/marks.vt"},
        {"/themes/marks.hb", "/themes/marks.hb.vt"},
        {"/themes/.hbk", "/themes/.hbk.vt"},
    };
    for (const auto &[in, out] : cases)
        EXPECT_EQ(HbkConverter::outputPathFor(in), out) << in.toStdString();
}

TEST(FuzzRegressions, HbkInputsConvert)
{
    QTemporaryDir work;
    const QString inputs = QStringLiteral(FUZZ_REGRESSIONS "/fuzz_hbk");
    ASSERT_FALSE(QDir(inputs).entryList(QDir::Files).isEmpty());
    EXPECT_EQ(FileCheck::checkAll(inputs, work.path(), HbkCheck::check), QStringList());
}

} // namespace
