#include "tools/mkdemo/demofixture.h"

#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

// Writes the demo home folder: mkdemo FOLDER
int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: mkdemo FOLDER\n");
        return 2;
    }
    if (!DemoFixture::writeHome(args[1])) {
        std::fprintf(stderr, "mkdemo: could not write the demo home in %s\n", qPrintable(args[1]));
        return 1;
    }
    return 0;
}
