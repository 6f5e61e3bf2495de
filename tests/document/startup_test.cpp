#include "app/windowtexts.h"
#include "common/inifile.h"
#include "document/prxdocument.h"
#include "tests/support/fakeprompter.h"
#include "tests/support/testhome.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct StartUp
{
    explicit StartUp(const QByteArray &config)
    {
        if (!config.isNull())
            TestHome::writeAll(dir.filePath("Config.ini"), config);
        doc = std::make_unique<PrxDocument>(dir.path(), prompter);
        texts = std::make_unique<WindowTexts>(*doc);
        doc->startUp();
    }
    QTemporaryDir dir;
    FakePrompter prompter;
    std::unique_ptr<PrxDocument> doc;
    std::unique_ptr<WindowTexts> texts;
};

TEST(StartUp, ReadsFirmwareViewModeAndBookmarkFolder)
{
    const struct { QByteArray config; QStringList firmware; bool expert; const char *folder; } cases[] = {
        {"[Config]\nFirmware=3.71,4.05,5.00\nExpertmode=0\nBookmarkPath=DEFAULT\n", {"3.71", "4.05", "5.00"}, false, ""},
        {"[Config]\nFirmware=4.05,5.00,\nExpertmode=1\nBookmarkPath=\n", {"4.05", "5.00", ""}, true, ""},
        {"[Config]\nExpertmode=yes\nBookmarkPath=/srv/marks\n", {"Default"}, true, "/srv/marks"},
        {"[Config]\n", {"Default"}, true, ""},
        {"[Config]\nBookmarkPath=marks/vt\n", {"Default"}, true, "<home>/marks/vt"},
    };
    for (const auto &c : cases) {
        StartUp s(c.config);
        EXPECT_EQ(s.doc->settings().FirmwareList(), c.firmware);
        EXPECT_EQ(s.doc->settings().ExpertFlag(), c.expert);
        // A relative folder lies in the home folder, whatever the current folder.
        QString expected = *c.folder ? QString::fromLatin1(c.folder) : s.dir.filePath("bookmarks");
        expected.replace("<home>", s.dir.path());
        EXPECT_EQ(s.doc->settings().bookmarkFolder(), expected);
    }
}

TEST(StartUp, MissingConfigReadsDefaultEverywhere)
{
    StartUp s{QByteArray()};
    EXPECT_EQ(s.doc->prxversion(), "Default");
    EXPECT_EQ(s.texts->status(1), "PRX Version:  Default");
    EXPECT_FALSE(s.texts->savePrxEnabled());
    EXPECT_EQ(s.texts->title(), "VantorEditor by VT");
    for (const auto &colour : s.doc->settings().colours())
        EXPECT_FALSE(colour.has_value());
}

TEST(StartUp, AsksTheAssociationQuestionOnlyOnFirstRun)
{
    StartUp first("[Config]\nPRXversion=5.00\n");
    ASSERT_EQ(first.prompter.count("ask"), 1);
    EXPECT_EQ(first.prompter.calls[0].text, "Do you want to associate .PRX files to Vantor Editor?      ");
    EXPECT_EQ(first.prompter.calls[0].title, "File association");
    EXPECT_EQ(first.prompter.calls[0].buttons, Prompter::Buttons::YesNo);
    EXPECT_EQ(IniFile(first.dir.filePath("Config.ini")).read("Config", "PRXassociation"), "0");

    StartUp answered("[Config]\nPRXassociation=1\n");
    EXPECT_EQ(answered.prompter.count("ask"), 0);
    EXPECT_TRUE(answered.doc->settings().associatePrx());
}

TEST(StartUp, ColoursAreWindowsColourNumbers)
{
    StartUp s("[Config]\nPRXassociation=0\n[Colors]\nColor.0=255\nColor.1=16711680\nColor.2=blue\nColor.3=\n");
    EXPECT_EQ(s.doc->settings().colours()[0], (Rgb{255, 0, 0}));
    EXPECT_EQ(s.doc->settings().colours()[1], (Rgb{0, 0, 255}));
    EXPECT_FALSE(s.doc->settings().colours()[2].has_value());
    EXPECT_FALSE(s.doc->settings().colours()[3].has_value());
}

} // namespace
