#include "document/prxdocument.h"
#include "gridtyping.h"
#include "tests/support/fakeprompter.h"
#include "tests/support/testhome.h"
#include "values/valuecodec.h"

#include <clocale>
#include <gtest/gtest.h>

namespace {

using namespace GridTyping;

// Started by Locale.ValuesAreShownAndReadWithThePointInEveryLocale in a German
// locale; a program of its own, so an ordinary test run never runs it.
TEST(LocaleChild, ShowsTypesAndSavesWithThePoint)
{
    ASSERT_STREQ(std::localeconv()->decimal_point, ",") << "the German LC_NUMERIC is in effect";
    TestHome home;
    home.answerAssociation();
    FakePrompter prompter;
    PrxDocument doc(home.path(), prompter);
    GridState grid(doc);
    doc.startUp();
    doc.openFromCommandLine(home.module4());
    ASSERT_TRUE(doc.moduleOpen());
    EXPECT_EQ(doc.model().cell(0, BookmarkRow::Value), "1.5");
    EXPECT_EQ(doc.model().cell(1, BookmarkRow::Value), "12.25");
    EXPECT_EQ(ValueCodec::formatFloat(12345678.0f), "1.234568E+07");
    EXPECT_EQ(ValueCodec::formatFloat(-0.00001f), "-1E-05");
    EXPECT_FALSE(ValueCodec::parseFloat("2,75")) << "the comma is no separator";

    typeInto(grid, kValue, 1, "2.75");
    ASSERT_EQ(doc.model().cell(0, BookmarkRow::Value), "2.75");
    ASSERT_TRUE(doc.save()) << prompter.messages().join(" | ").toStdString();
    EXPECT_EQ(floatIn(TestHome::readAll(home.module4()), kClockAt), 2.75f);
    EXPECT_EQ(doc.model().cell(0, BookmarkRow::Value), "2.75");
}


} // namespace
