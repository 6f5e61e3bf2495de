// The time from the start of the editor's process to its main window shown
// with the demo module's list filled and painted once. The program starts
// itself several times as a child that does what the editor's main() does
// and reports the moment of its first paint; the median is printed.
#include "app/mainwindow.h"
#include "bench/silentprompter.h"
#include "common/inifile.h"
#include "document/prxdocument.h"
#include "grid/widgets/gridview.h"
#include "tools/mkdemo/demofixture.h"

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

constexpr int kRuns = 7;

qint64 monotonicNs()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return qint64(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

class FirstPaint : public QObject
{
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            // Once the paint has been handled and the loop is back.
            QTimer::singleShot(0, qApp, [] {
                std::printf("painted %lld\n", static_cast<long long>(monotonicNs()));
                std::fflush(stdout);
                QCoreApplication::quit();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_seen = false;
};

int child(int argc, char **argv, const QString &home)
{
    const qint64 mainAt = monotonicNs();
    QApplication app(argc, argv);
    SilentPrompter prompter;
    PrxDocument document(home, prompter);
    MainWindow window(document);
    document.startUp();
    document.openFromCommandLine(home + QStringLiteral("/demo/vshmain.prx"));
    FirstPaint watch;
    window.grid()->installEventFilter(&watch);
    window.restoreSize();
    window.show();
    std::printf("main %lld\nrows %d\n", static_cast<long long>(mainAt), document.model().count());
    if (!prompter.failure.isEmpty())
        std::printf("failure %s\n", qPrintable(prompter.failure));
    return app.exec();
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 3 && QByteArray(argv[1]) == "--child")
        return child(1, argv, QString::fromLocal8Bit(argv[2]));

    QTemporaryDir home;
    if (!DemoFixture::writeHome(home.path()) ||
        !QFile::copy(QStringLiteral(SCRAMBLE_PATH), home.filePath(QStringLiteral("scramble")))) {
        std::fprintf(stderr, "cannot write the demo home\n");
        return 1;
    }
    IniFile config(home.filePath(QStringLiteral("Config.ini")));
    config.write(QStringLiteral("Config"), QStringLiteral("PRXassociation"), QStringLiteral("0"));
    if (!config.lastError().ok())
        return 1;

    std::vector<double> total;
    std::vector<double> inMain;
    int rows = 0;
    // The first start fills the disk cache and the demo's saved values; it is not counted.
    for (int run = 0; run <= kRuns; ++run) {
        QProcess process;
        const qint64 startedAt = monotonicNs();
        process.start(QString::fromLocal8Bit(argv[0]), {QStringLiteral("--child"), home.path()});
        if (!process.waitForFinished(30000) || process.exitCode() != 0) {
            std::fprintf(stderr, "the child failed: %s\n", process.readAllStandardError().constData());
            return 1;
        }
        qint64 mainAt = 0;
        qint64 paintedAt = 0;
        for (const QByteArray &line : process.readAllStandardOutput().split('\n')) {
            const QList<QByteArray> words = line.split(' ');
            if (words.size() < 2)
                continue;
            if (words[0] == "main")
                mainAt = words[1].toLongLong();
            else if (words[0] == "painted")
                paintedAt = words[1].toLongLong();
            else if (words[0] == "rows")
                rows = words[1].toInt();
            else if (words[0] == "failure")
                std::fprintf(stderr, "%s\n", line.constData());
        }
        if (paintedAt == 0 || rows == 0) {
            std::fprintf(stderr, "the child showed no filled list\n");
            return 1;
        }
        if (run > 0) {
            total.push_back(double(paintedAt - startedAt) / 1e6);
            inMain.push_back(double(paintedAt - mainAt) / 1e6);
        }
    }
    std::printf("demo rows: %d, median of %d starts\n", rows, kRuns);
    std::printf("process start to first paint:  %7.1f ms   (target < 300 ms)\n", median(total));
    std::printf("of which main() to first paint: %7.1f ms\n", median(inMain));
    return 0;
}
