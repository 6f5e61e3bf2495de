#include "app/mainwindow.h"
#include "app/restorebackupdialog.h"
#include "document/prxdocument.h"
#include "tests/support/fakeprompter.h"
#include "tests/support/modalanswer.h"
#include "tests/support/testhome.h"
#include "tests/support/windowtest.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <functional>
#include <gtest/gtest.h>

namespace {

class RestoreBackupTest : public WindowTest
{
protected:
    void SetUp() override
    {
        answerFirstRun();
        start();
    }
    QAction *item() const { return window->findChild<QAction *>("menuRestoreBackup"); }
    // Triggers File > Restore Backup... and runs `look` on the dialog it opens.
    void withDialog(const std::function<void(RestoreBackupDialog *)> &look)
    {
        bool seen = false;
        answerModal([&] { item()->trigger(); },
                    [&](QWidget *modal, int) {
                        auto *dialog = qobject_cast<RestoreBackupDialog *>(modal);
                        if (!dialog || seen)
                            return;
                        seen = true;
                        look(dialog);
                        if (dialog->isVisible())
                            dialog->reject();
                    });
        EXPECT_TRUE(seen) << "the dialog opened";
    }
    void saveValue(const QString &value)
    {
        doc->model().setCell(0, BookmarkRow::Value, value);
        ASSERT_TRUE(doc->save());
    }

};

TEST_F(RestoreBackupTest, ListsTheModulesBackupsAndPutsTheChosenOneBack)
{
    EXPECT_FALSE(item()->isEnabled()) << "no module is open";
    doc->openFromCommandLine(home.module4());
    window->show();
    ASSERT_TRUE(item()->isEnabled());
    EXPECT_EQ(item()->text(), "Restore &Backup...");

    withDialog([](RestoreBackupDialog *dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Restore Backup");
        EXPECT_TRUE(dialog->findChild<QLabel *>("lblBackups")->text().startsWith("There are no backups of vshmain.prx"));
        EXPECT_FALSE(dialog->findChild<QPushButton *>("cmdRestore")->isEnabled());
    });

    const QByteArray original = TestHome::readAll(home.module4());
    saveValue("2.5");
    doc->openFromCommandLine(home.module4());
    const QByteArray saved = TestHome::readAll(home.module4());
    saveValue("3.5");

    prompter.answers.push_back(Prompter::Answer::Yes);
    withDialog([&](RestoreBackupDialog *dialog) {
        auto *list = dialog->findChild<QTreeWidget *>("lstBackups");
        ASSERT_EQ(list->topLevelItemCount(), 2);
        EXPECT_EQ(list->currentItem(), list->topLevelItem(0)) << "the newest is offered";
        EXPECT_EQ(list->topLevelItem(0)->text(1), QLocale(QLocale::English).toString(saved.size()) + " bytes");
        EXPECT_TRUE(list->topLevelItem(1)->text(0).endsWith("(the first)"));
        EXPECT_EQ(list->headerItem()->text(0), "Made");
        list->setCurrentItem(list->topLevelItem(1));
        QTest::mouseClick(dialog->findChild<QPushButton *>("cmdRestore"), Qt::LeftButton);
    });
    ASSERT_EQ(prompter.count("ask"), 1);
    EXPECT_TRUE(TestHome::readAll(home.module4()) == original);
    EXPECT_EQ(doc->model().cell(0, BookmarkRow::Value), "1.5") << "the module is read again";
    EXPECT_FALSE(window->windowTitle().endsWith("*"));
}

} // namespace
