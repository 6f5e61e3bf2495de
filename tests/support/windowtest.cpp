#include "tests/support/windowtest.h"

#include "common/inifile.h"

#include <QTest>

void WindowTest::answerFirstRun(bool expertMode)
{
    home.answerAssociation();
    if (expertMode)
        IniFile(home.config()).write("Config", "Expertmode", "1");
}

void WindowTest::start()
{
    window.reset();
    doc = std::make_unique<PrxDocument>(home.path(), prompter);
    window = std::make_unique<MainWindow>(*doc);
    doc->startUp();
}

void WindowTest::openAndShow(const QString &module)
{
    doc->openFromCommandLine(module);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
}
