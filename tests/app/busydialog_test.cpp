#include "app/widgetprompter.h"
#include "document/toolrunner.h"
#include "tests/document/processhelpers.h"
#include "tests/support/testhome.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

QProgressDialog *shownBusyDialog()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *dialog = qobject_cast<QProgressDialog *>(w); dialog && dialog->isVisible())
            return dialog;
    return nullptr;
}

TEST(BusyDialog, AShortWaitShowsNothing)
{
    WidgetPrompter prompter;
    QElapsedTimer clock;
    clock.start();
    bool seen = false;
    EXPECT_TRUE(prompter.waitWhileBusy("Descrambling vshmain.prx...", [&] {
        seen = seen || shownBusyDialog();
        return clock.elapsed() > 1000;
    }));
    EXPECT_FALSE(seen);
}

TEST(BusyDialog, ALongRunShowsTheBusyDialogWhoseCancelStopsTheTool)
{
    QTemporaryDir dir;
    const QString pidFile = dir.filePath("tool.pid");
    ASSERT_TRUE(ProcessHelpers::writeScript(dir.filePath("tool"), "echo $$ > '" + pidFile.toLocal8Bit() + "'; exec sleep 30"));
    QWidget window;
    WidgetPrompter prompter(&window);
    QElapsedTimer clock;
    clock.start();
    qint64 shownAfter = -1;
    QString title, label;
    bool busyRange = false, modal = false;
    // The tool runs through the prompter; the test acts as the person looking at the screen.
    QObject person;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, &person, [&] {
        QProgressDialog *dialog = shownBusyDialog();
        if (!dialog || shownAfter >= 0)
            return;
        shownAfter = clock.elapsed();
        title = dialog->windowTitle();
        label = dialog->labelText();
        busyRange = dialog->minimum() == 0 && dialog->maximum() == 0;
        modal = dialog->isModal();
        if (auto *cancel = dialog->findChild<QPushButton *>()) {
            EXPECT_EQ(cancel->text(), "Cancel");
            cancel->click();
        }
    });
    look.start(50);
    const ToolRun run = ToolRunner::run(prompter, dir.filePath("tool"), {}, dir.path(), "Scrambling vshmain.prx...");
    EXPECT_EQ(run.outcome, ToolRun::Outcome::Cancelled);
    EXPECT_GE(shownAfter, 1900) << "not before about two seconds";
    EXPECT_LT(clock.elapsed(), 6000);
    EXPECT_EQ(title, "VantorEditor");
    EXPECT_EQ(label, "Scrambling vshmain.prx...");
    EXPECT_TRUE(busyRange);
    EXPECT_TRUE(modal);
    EXPECT_EQ(shownBusyDialog(), nullptr) << "the dialog is gone with the run";
    const qint64 pid = TestHome::readAll(pidFile).trimmed().toLongLong();
    ASSERT_GT(pid, 0);
    EXPECT_TRUE(ProcessHelpers::processEnds(pid, 2000));
}

} // namespace
