#include "app/mainwindow.h"
#include "document/prxdocument.h"
#include "tests/support/fakeprompter.h"
#include "tests/support/testhome.h"
#include "tools/mkdemo/demofixture.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class MainWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        home.answerAssociation();
        doc = std::make_unique<PrxDocument>(home.path(), prompter);
        window = std::make_unique<MainWindow>(*doc);
        doc->startUp();
    }
    QString panel(int i) const
    {
        return window->findChild<QLabel *>(QStringLiteral("statBar(%1)").arg(i))->text();
    }

    TestHome home;
    FakePrompter prompter;
    std::unique_ptr<PrxDocument> doc;
    std::unique_ptr<MainWindow> window;
};

TEST_F(MainWindowTest, ShowsTheDemoModuleOpenedFromTheCommandLine)
{
    doc->openFromCommandLine(home.module5());
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    EXPECT_EQ(window->objectName(), "Form1");
    EXPECT_EQ(window->windowTitle(), "VantorEditor by VT   [vshmain.prx]");
    EXPECT_EQ(panel(1), "PRX Version:  5.00");
    EXPECT_EQ(panel(2), "Bookmark:  " + home.bookmarks());
    EXPECT_EQ(panel(3), QStringLiteral("Filesize:  %1 bytes").arg(DemoFixture::moduleSize("5.00")));
    EXPECT_TRUE(window->findChild<QMenu *>("mypopup")->isEnabled());

    ASSERT_NE(window->findChild<QWidget *>("list_1"), nullptr);
    const BookmarkModel &model = doc->model();
    const auto entries = DemoFixture::entries("5.00");
    ASSERT_EQ(model.count(), entries.size());
    for (int r = 0; r < entries.size(); ++r) {
        EXPECT_EQ(model.cell(r, BookmarkRow::Description), entries[r].description);
        EXPECT_EQ(model.cell(r, BookmarkRow::Value), entries[r].value);
    }

    const QString workingCopy = home.file("demo/vshmain.bin");
    EXPECT_TRUE(QFileInfo::exists(workingCopy));
    window->close();
    EXPECT_FALSE(QFileInfo::exists(workingCopy));
}

TEST_F(MainWindowTest, VersionBoxChangesTheSectionOnEnter)
{
    doc->openFromCommandLine(home.module5());
    window->show();
    window->showVersionBox();
    auto *box = window->findChild<QComboBox *>("cmbVersion");
    ASSERT_TRUE(box->isVisible());
    EXPECT_EQ(box->count(), 2);
    box->setEditText(QString());
    QTest::keyClicks(box, "4.05");
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_FALSE(box->isVisible());
    EXPECT_EQ(panel(1), "PRX Version: 4.05");
    EXPECT_EQ(doc->model().count(), DemoFixture::entries("4.05").size());
}

} // namespace
