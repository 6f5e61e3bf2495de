// With 100 000 rows: the time of ReloadBookmark with values (alone and with
// the grid repainted), and of one editor placement (a pointer motion onto a
// new cell, handled and painted).
#include "app/mainwindow.h"
#include "bench/silentprompter.h"
#include "bookmarks/bookmarksection.h"
#include "common/inifile.h"
#include "document/prxdocument.h"
#include "grid/widgets/gridview.h"
#include "tools/mkdemo/demofixture.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    constexpr int kRows = 100000;
    QTemporaryDir home;
    DemoFixture::writeHome(home.path());
    const QString vt = home.filePath("bookmarks/vshmain.vt");
    {
        IniFile ini(vt);
        IniFile::Batch batch(ini);
        ini.write("4.05", "offset", QString::number(kRows));
        const char *types[] = {"Float", "Integer", "String"};
        for (int n = 1; n <= kRows; ++n) {
            ini.write("4.05", BookmarkSection::entryKey(n, "description"), QStringLiteral("Bookmark %1").arg(n));
            ini.write("4.05", BookmarkSection::entryKey(n, "offset"), QString::number((n * 37) % 0x18000, 16));
            ini.write("4.05", BookmarkSection::entryKey(n, "type"), QLatin1String(types[n % 3]));
            ini.write("4.05", BookmarkSection::entryKey(n, "length"), n % 3 == 2 ? "12" : "0");
            ini.write("4.05", BookmarkSection::entryKey(n, "file"), "1");
        }
    }
    IniFile(home.filePath("Config.ini")).write("Config", "PRXassociation", "0");

    SilentPrompter prompter;
    PrxDocument doc(home.path(), prompter);
    MainWindow window(doc);
    doc.startUp();
    doc.openFromCommandLine(home.filePath("demo/4.05/vshmain.prx"));
    window.show();
    app.processEvents();

    // Each reload replaces 100 000 rows with 100 000 new ones, then the grid repaints.
    constexpr int kReloads = 7;
    std::vector<double> reloads;
    std::vector<double> repaints;
    QElapsedTimer timer;
    for (int i = 0; i < kReloads; ++i) {
        timer.start();
        doc.ReloadBookmark();
        reloads.push_back(double(timer.nsecsElapsed()) / 1e6);
        window.grid()->repaint();
        app.processEvents();
        repaints.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    const auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    const double reloadMs = median(reloads);
    const double repaintMs = median(repaints);

    GridView *grid = window.grid();
    constexpr int kMoves = 2000;
    timer.restart();
    for (int i = 0; i < kMoves; ++i) {
        const double y = grid->state().listTop + 90 + (1 + i % 38) * 210 + 100;
        const double x = 90 + 30 + (i % 2 ? 1000 : 5300);
        const QPointF at = grid->twips(x, y, 0, 0).topLeft();
        QMouseEvent move(QEvent::MouseMove, at, grid->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(grid, &move);
        app.processEvents();
    }
    const double placeMs = double(timer.nsecsElapsed()) / 1e6 / kMoves;

    std::printf("rows: %d\n", doc.model().count());
    std::printf("ReloadBookmark with values: %8.1f ms   (target < 300 ms, median of %d)\n", reloadMs, kReloads);
    std::printf("  with the grid repainted:  %8.1f ms\n", repaintMs);
    std::printf("editor placement (move + paint): %8.3f ms   (target < 1 ms, mean of %d moves)\n", placeMs, kMoves);
    return doc.model().count() == kRows ? 0 : 1;
}
