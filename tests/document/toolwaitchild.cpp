#include "document/toolrunner.h"
#include "tests/support/fakeprompter.h"

#include <QCoreApplication>
#include <QFileInfo>

// A stand-in editor for ToolRunner.EndingTheEditorEndsTheTool: runs the tool
// given as its argument and waits for it, until it is killed.
int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString tool = app.arguments().value(1);
    if (tool.isEmpty())
        return 2;
    FakePrompter prompter;
    ToolRunner::run(prompter, tool, {}, QFileInfo(tool).absolutePath(), QStringLiteral("Waiting..."));
    return 0;
}
