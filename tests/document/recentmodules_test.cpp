#include "documenttest.h"
#include "common/inifile.h"
#include "document/recentmodules.h"

#include <QDir>
#include <QFile>

namespace {

class RecentModulesTest : public DocumentTest
{
protected:
    QStringList listed()
    {
        QStringList out;
        for (const RecentModules::Entry &entry : recent->entries())
            out << entry.path;
        return out;
    }
    void SetUp() override
    {
        DocumentTest::SetUp();
        recent = std::make_unique<RecentModules>(*doc);
    }

    std::unique_ptr<RecentModules> recent;
};

TEST_F(RecentModulesTest, NewestFirstOnceEachAndNoMoreThanEight)
{
    EXPECT_TRUE(recent->entries().empty());
    QStringList added;
    for (int i = 0; i < 10; ++i) {
        added.prepend(home.file(QStringLiteral("m%1.prx").arg(i)));
        EXPECT_TRUE(recent->add(added.front()));
    }
    EXPECT_EQ(listed(), added.mid(0, RecentModules::Limit));

    // Named again, also through another spelling of its path: moved to the front, not listed twice.
    EXPECT_TRUE(recent->add(home.file(QStringLiteral("demo/../m5.prx"))));
    QStringList expected = added.mid(0, RecentModules::Limit);
    expected.removeAll(home.file(QStringLiteral("m5.prx")));
    expected.prepend(home.file(QStringLiteral("m5.prx")));
    EXPECT_EQ(listed(), expected);

    // Kept in Config.ini: a new session lists the same.
    restart();
    recent = std::make_unique<RecentModules>(*doc);
    EXPECT_EQ(listed(), expected);
}

TEST_F(RecentModulesTest, OpenedModulesAreListedAndAMissingOneIsMarked)
{
    doc->openFromCommandLine(home.module4());
    ASSERT_TRUE(doc->moduleOpen());
    doc->openPath(home.module5());
    ASSERT_EQ(doc->currentModuleFile(), home.module5());
    EXPECT_EQ(listed(), QStringList({home.module5(), home.module4()}));

    ASSERT_TRUE(QFile::remove(home.module4()));
    const auto entries = recent->entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_TRUE(entries[0].exists);
    EXPECT_FALSE(entries[1].exists);

    // Opening it anyway says so and leaves the open module as it is.
    doc->openPath(home.module4());
    EXPECT_EQ(doc->currentModuleFile(), home.module5());
    EXPECT_EQ(prompter.messages().constLast(),
              QStringLiteral("File not found: ") + QDir::toNativeSeparators(home.module4()));
}

TEST_F(RecentModulesTest, AFailedOpenIsNotListed)
{
    const QString other = home.file(QStringLiteral("demo/other.prx"));
    ASSERT_TRUE(QFile::copy(home.module4(), other));
    // No bookmark file for "other": the open ends with no module.
    doc->openPath(other);
    EXPECT_FALSE(doc->moduleOpen());
    EXPECT_TRUE(recent->entries().empty());
}

TEST_F(RecentModulesTest, OpeningARecentModuleAsksAboutUnsavedValuesFirst)
{
    doc->openFromCommandLine(home.module5());
    doc->model().setCell(0, BookmarkRow::Value, QStringLiteral("2.5"));
    prompter.answers.push_back(Prompter::Answer::Cancel);
    doc->openPath(home.module4());
    EXPECT_EQ(doc->currentModuleFile(), home.module5());
    EXPECT_EQ(doc->model().cell(0, BookmarkRow::Value), "2.5");
    ASSERT_EQ(prompter.count("ask"), 1);
    EXPECT_TRUE(prompter.messages().constLast().contains("Opening another module drops the unsaved changes"));

    prompter.answers.push_back(Prompter::Answer::No);
    doc->openPath(home.module4());
    EXPECT_EQ(doc->currentModuleFile(), home.module4());
}

} // namespace
