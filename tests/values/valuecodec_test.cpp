#include "common/numbertext.h"
#include "values/modulefiles.h"
#include "values/valuecodec.h"
#include "tests/support/testhome.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <limits>

using namespace ValueCodec;

namespace {

class ValueCodecTest : public ::testing::Test
{
protected:
    // A module of 32 bytes holding `bytes` at offset 8.
    void load(const QByteArray &bytes)
    {
        QByteArray module(32, '\x11');
        module.replace(8, bytes.size(), bytes);
        TestHome::writeAll(path(), module);
        ASSERT_TRUE(files.open(ModuleFiles::Working, path()));
    }
    QByteArray at8(int n) { return files.read(ModuleFiles::Working, 8, n); }
    QString path() const { return dir.filePath("m.bin"); }

    QTemporaryDir dir;
    ModuleFiles files;
};

TEST_F(ValueCodecTest, ReadsEachTypeLittleEndian)
{
    const struct { QByteArray bytes; const char *type; std::optional<int> length; const char *text; } cases[] = {
        {QByteArray::fromHex("0000803F"), "Float", {}, "1"},
        {QByteArray::fromHex("0000C0BF"), "Float", {}, "-1.5"},
        {QByteArray::fromHex("FFFF"), "Integer", {}, "-1"},
        {QByteArray::fromHex("0080"), "Integer", {}, "-32768"},
        {QByteArray::fromHex("4142004344"), "String", 5, "AB"},
        {QByteArray("ABCDEFGHIJKLMNOP"), "String", 10, "ABCDEFGHIJ"},
        {QByteArray::fromHex("0000803F"), "float", {}, ""},
    };
    for (const auto &c : cases) {
        load(c.bytes);
        EXPECT_EQ(ReadValue(files, 1, 8, QLatin1String(c.type), c.length, 64), QLatin1String(c.text)) << c.type;
    }
}

TEST_F(ValueCodecTest, StringReadStopsAtTheLimit)
{
    QByteArray module(200, 'x');
    TestHome::writeAll(path(), module);
    ASSERT_TRUE(files.open(1, path()));
    EXPECT_EQ(ReadValue(files, 1, 0, "String", 100, 64).size(), 64);
}

TEST_F(ValueCodecTest, AValueTheFileDoesNotWhollyHoldReadsAsNoValue)
{
    QByteArray module(200, 'x');
    module.replace(192, 4, QByteArray::fromHex("0000803F"));
    module.replace(100, 3, QByteArray("AB\0", 3));
    TestHome::writeAll(path(), module);
    ASSERT_TRUE(files.open(1, path()));
    const struct { qint64 offset; const char *type; std::optional<int> length; const char *text; } cases[] = {
        {192, "Float", {}, "1"},         {197, "Float", {}, ""},        {5000, "Float", {}, ""},
        {198, "Integer", {}, "30840"},   {199, "Integer", {}, ""},      {200, "Integer", {}, ""},
        {-2, "Integer", {}, ""},         {100, "String", 8, "AB"},      {196, "String", 8, ""},
        {196, "String", {}, "xxxx"},     {196, "String", 2, "xx"},      {200, "String", 4, ""},
        {200, "String", {}, ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ReadValue(files, 1, c.offset, QLatin1String(c.type), c.length, 64), QLatin1String(c.text))
            << c.type << " at " << c.offset;
    EXPECT_EQ(ReadValue(files, 2, 0, "Integer", std::nullopt, 64), "") << "a file that is not open";
}

TEST_F(ValueCodecTest, FloatTextHasSevenSignificantDigits)
{
    const struct { float value; const char *text; } cases[] = {
        {0.5f, "0.5"}, {1.0f / 3.0f, "0.3333333"}, {12345678.0f, "1.234568E+07"}, {1e-5f, "1E-05"},
        {-2.25f, "-2.25"}, {100.0f, "100"}, {-0.0f, "0"}, {1234567.0f, "1234567"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(formatFloat(c.value), QLatin1String(c.text));
}

TEST(NumberText, ParsesWithThePointAlone)
{
    // Against snprintf/strtod: the same text rules, at the edges of a double and a single.
    const struct { float value; const char *text; } cases[] = {
        {3.4028235e38f, "3.402823E+38"}, {1.4e-45f, "1.401298E-45"}, {1e10f, "1E+10"},
        {1234567.5f, "1234568"}, {0.0001f, "0.0001"}, {123456.7f, "123456.7"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(formatFloat(c.value), QLatin1String(c.text));
    EXPECT_EQ(NumberText::parse("+1.5"), 1.5);
    EXPECT_EQ(NumberText::parse("1."), 1.0);
    EXPECT_EQ(NumberText::parse(".5e1"), 5.0);
    EXPECT_EQ(NumberText::parse("-2.5E-3"), -0.0025);
    EXPECT_EQ(NumberText::parse("1e400"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(NumberText::parse("-1e99999999999999999999"), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(NumberText::parse("0.000001e-400"), 0.0);
    EXPECT_EQ(NumberText::parse("1e-50"), 1e-50);
    EXPECT_FALSE(NumberText::parse("1,5"));
    EXPECT_FALSE(parseFloat("1e39")) << "beyond a single";
    EXPECT_EQ(parseFloat("1e-50"), 0.0f);
}

TEST_F(ValueCodecTest, ControlCharactersOfAStringShowAsPicturesAndGoBackAsThemselves)
{
    load(QByteArray("a\nb\r\x7F\x01z\0", 8));
    const QString shown = ReadValue(files, ModuleFiles::Working, 8, "String", 8, 64);
    EXPECT_EQ(shown, QString::fromUtf8("a\u240Ab\u240D\u2421\u2401z"));
    EXPECT_FALSE(hasControlCharacter(shown));
    ASSERT_EQ(WriteValue(files, ModuleFiles::Working, 8, "String", 8, shown), WriteResult::Written);
    EXPECT_EQ(at8(8), QByteArray("a\nb\r\x7F\x01z\0", 8));
    EXPECT_EQ(lineSafe("a\r\nb\tc"), QString::fromUtf8("a\u240D\u240Ab\tc"));
    EXPECT_TRUE(hasControlCharacter(QString("x\ty")));
    EXPECT_TRUE(hasControlCharacter(QString("\x7F")));
}

TEST_F(ValueCodecTest, WritesNumbersRoundingIntegersHalfToEven)
{
    const struct { const char *type; const char *text; QByteArray bytes; } cases[] = {
        {"Integer", "2.5", QByteArray::fromHex("0200")}, {"Integer", "3.5", QByteArray::fromHex("0400")},
        {"Integer", "-0.4", QByteArray::fromHex("0000")}, {"Integer", "-32768", QByteArray::fromHex("0080")},
        {"Float", "1", QByteArray::fromHex("0000803F")}, {"Float", "-1.5e0", QByteArray::fromHex("0000C0BF")},
    };
    for (const auto &c : cases) {
        load(QByteArray(4, '\x11'));
        EXPECT_EQ(WriteValue(files, 1, 8, QLatin1String(c.type), 0, QLatin1String(c.text)), WriteResult::Written);
        EXPECT_EQ(at8(int(c.bytes.size())), c.bytes) << c.type << " " << c.text;
    }
}

TEST_F(ValueCodecTest, RefusesBadNumbersAndWritesNothing)
{
    const struct { const char *type; const char *text; WriteResult result; } cases[] = {
        {"Integer", "32768", WriteResult::OutOfRange}, {"Integer", "-32769", WriteResult::OutOfRange},
        {"Float", "1e39", WriteResult::OutOfRange}, {"Float", "abc", WriteResult::NotANumber},
        {"Integer", "1,5", WriteResult::NotANumber}, {"Float", "", WriteResult::NotANumber},
    };
    for (const auto &c : cases) {
        load(QByteArray(4, '\x11'));
        EXPECT_EQ(WriteValue(files, 1, 8, QLatin1String(c.type), 0, QLatin1String(c.text)), c.result) << c.text;
        EXPECT_EQ(at8(4), QByteArray(4, '\x11'));
    }
}

TEST_F(ValueCodecTest, StoredNaNAndInfinityRoundTrip)
{
    const struct { QByteArray before; const char *text; QByteArray after; } cases[] = {
        {QByteArray::fromHex("FFFFFFFF"), "NaN", QByteArray::fromHex("FFFFFFFF")},
        {QByteArray::fromHex("0000807F"), "Infinity", QByteArray::fromHex("0000807F")},
        {QByteArray::fromHex("000080FF"), "-Infinity", QByteArray::fromHex("000080FF")},
        {QByteArray::fromHex("0000803F"), "NaN", QByteArray::fromHex("0000C07F")},
        {QByteArray::fromHex("0000803F"), "-Infinity", QByteArray::fromHex("000080FF")},
    };
    for (const auto &c : cases) {
        load(c.before);
        const QString shown = ReadValue(files, 1, 8, "Float", {}, 64);
        if (c.before == c.after) {
            EXPECT_EQ(shown, QLatin1String(c.text));
        }
        EXPECT_EQ(WriteValue(files, 1, 8, "Float", 0, QLatin1String(c.text)), WriteResult::Written);
        EXPECT_EQ(at8(4), c.after) << c.text << " keeps a stored payload, else writes the plain value";
    }
}

TEST_F(ValueCodecTest, WritesStringsClearingTheFieldButItsFirstByte)
{
    const struct { QByteArray before; int length; const char *text; QByteArray after; } cases[] = {
        {QByteArray::fromHex("4142004344"), 5, "XY", QByteArray::fromHex("5859000000")},
        {QByteArray::fromHex("41424344"), 4, "", QByteArray::fromHex("41000000")},
        {QByteArray::fromHex("41424344"), 0, "xy", QByteArray::fromHex("78794344")},
        {QByteArray::fromHex("41424344"), 2, "WXYZ", QByteArray::fromHex("57584344")},
    };
    for (const auto &c : cases) {
        load(c.before);
        EXPECT_EQ(WriteValue(files, 1, 8, "String", c.length, QLatin1String(c.text)), WriteResult::Written);
        EXPECT_EQ(at8(int(c.after.size())), c.after) << c.text;
    }
}

TEST_F(ValueCodecTest, NeverExtendsTheFile)
{
    load(QByteArray());
    EXPECT_EQ(WriteValue(files, 1, 30, "Float", 0, "1"), WriteResult::OutsideFile);
    EXPECT_EQ(WriteValue(files, 1, 28, "String", 8, "abc"), WriteResult::OutsideFile);
    EXPECT_EQ(WriteValue(files, 1, 28, "Float", 0, "1"), WriteResult::Written);
    EXPECT_EQ(files.size(1), 32);
    EXPECT_EQ(WriteValue(files, 2, 0, "Float", 0, "1"), WriteResult::NoFile);
}

TEST(IsNumberKey, AcceptsDigitsPointSlashMinusAndEditKeys)
{
    for (int code : {46, 47, 48, 57, 8, 45, 22, 24, 26})
        EXPECT_TRUE(IsNumberKey(code)) << code;
    for (int code : {int('e'), int('E'), int('+'), int(' '), int('a'), 44, 58, 0, 13})
        EXPECT_FALSE(IsNumberKey(code)) << code;
}

} // namespace
