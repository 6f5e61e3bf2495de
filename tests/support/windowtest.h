#pragma once

#include "app/mainwindow.h"
#include "document/prxdocument.h"
#include "tests/support/fakeprompter.h"
#include "tests/support/testhome.h"
#include "vshtool/widgets/vshtoolwindow.h"

#include <gtest/gtest.h>
#include <memory>

// The main window over a fresh demo home, as the window tests set it up.
class WindowTest : public ::testing::Test
{
protected:
    // The home with its first-run question answered, so starting asks nothing.
    void answerFirstRun(bool expertMode = false);
    // A new document and main window over the home, started; the old ones go first.
    void start();
    // Opens the module as from the command line and shows the window; fails the test when it is not exposed.
    void openAndShow(const QString &module);
    // The VSHmain tool window's child of that object name; fails the test when there is none.
    template <typename T = QWidget>
    T *toolControl(const QString &name) const
    {
        T *found = window->vshToolWindow() ? window->vshToolWindow()->findChild<T *>(name) : nullptr;
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }

    TestHome home;
    FakePrompter prompter;
    std::unique_ptr<PrxDocument> doc;
    std::unique_ptr<MainWindow> window;
};
