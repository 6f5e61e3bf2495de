#include "common/codepage.h"

#include <gtest/gtest.h>

TEST(Codepage, EveryByteSurvivesARoundTrip)
{
    QByteArray all(256, '\0');
    for (int i = 0; i < 256; ++i)
        all[i] = char(i);
    EXPECT_EQ(Codepage::fromUnicode(Codepage::toUnicode(all)), all);
    EXPECT_EQ(Codepage::toUnicode(QByteArray("\x80\x8A\xE9")), QString::fromUtf8("€Šé"));
    EXPECT_EQ(Codepage::fromUnicode(QString::fromUtf8("日")), QByteArray("?"));
}

TEST(Codepage, LowerFoldsAsciiAndCodePageCapitals)
{
    EXPECT_EQ(Codepage::lower(QString::fromUtf8("DEFAULT ÀÉÖ ŠŒŽŸ × 1")), QString::fromUtf8("default àéö šœžÿ × 1"));
}
