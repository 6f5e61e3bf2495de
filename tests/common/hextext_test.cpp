#include "common/hextext.h"
#include "common/numbertext.h"

#include <gtest/gtest.h>

TEST(HexText, ConvertsDigitsWithoutPrefix)
{
    const struct { const char *in; const char *out; } cases[] = {
        {"1A", "26"}, {"ff", "255"}, {"0000000", "0"}, {"00A0", "160"}, {"1a0e8", "106728"},
        {"12g", "Invalid"}, {"A0 ", "Invalid"}, {"0x10", "Invalid"}, {"-1", "Invalid"}, {"1.5", "Invalid"},
        {"", ""}, {"FFFFFFFF", "4294967295"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(HexText::convert(QLatin1String(c.in)).text(), QLatin1String(c.out)) << c.in;
    EXPECT_EQ(HexText::convert("").value(), 0);
    EXPECT_EQ(HexText::convert("").kind(), HexText::Kind::Empty);
    EXPECT_EQ(HexText::convert("1A0E8").offset(), 0x1A0E8);
    EXPECT_EQ(HexText::convert("").offset(), 0);
    EXPECT_FALSE(HexText::convert("zz").offset());
    EXPECT_FALSE(HexText::convert("1" + QString(300, '0')).offset()) << "runs to infinity, never to NaN";
    EXPECT_FALSE(HexText::convert(QString(20, 'F')).offset());
}

TEST(NumberText, AcceptsOnlyPlainDecimalNumbers)
{
    for (const char *ok : {"0", "-1", "+2", "1.", ".5", "1.5e3", "1E-05", "012345"})
        EXPECT_TRUE(NumberText::parse(QLatin1String(ok))) << ok;
    for (const char *bad : {"", ".", "-", "1e", "1 ", " 1", "1,000", "0x10", "e5", "1.2.3", "Default", "1e+"})
        EXPECT_FALSE(NumberText::parse(QLatin1String(bad))) << bad;
    EXPECT_EQ(*NumberText::parse("012345"), 12345);
    EXPECT_FALSE(NumberText::parseWhole("2.5"));
    EXPECT_EQ(*NumberText::parseWhole("3"), 3);
}
