// The scanner's speed on 256 MiB held in the page cache: a random file for
// each key type, with grep's case-folding fixed-string count on the same file
// beside it; a file of the demo module repeated (mostly zero bytes) for a
// Float key; and the search window listing 1 000 000 hits.
#include "app/mainwindow.h"
#include "bench/silentprompter.h"
#include "common/inifile.h"
#include "document/prxdocument.h"
#include "search/scanner.h"
#include "search/searchresultmodel.h"
#include "search/widgets/searchwindow.h"
#include "tools/mkdemo/demofixture.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QComboBox>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr qint64 kSize = qint64(256) << 20;
constexpr int kRounds = 3;

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size() && f.flush();
}

// The best of a few rounds, so that the figure is the scan and not a cold cache.
template<typename Run>
double bestSeconds(Run run)
{
    double best = 1e9;
    for (int i = 0; i < kRounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        run();
        best = std::min(best, double(timer.nsecsElapsed()) / 1e9);
    }
    return best;
}

double scanSeconds(const QString &path, SearchKey::Type type, const QString &text, qint64 &hits)
{
    const auto key = SearchKey::make(type, text);
    return bestSeconds([&] {
        hits = 0;
        Scanner scanner(*key);
        if (!scanner.scanFile(path, [&](qint64) { ++hits; }))
            std::fprintf(stderr, "scan failed: %s\n", qPrintable(scanner.errorString()));
    });
}

double grepSeconds(const QString &path, const QString &key, QString &count)
{
    return bestSeconds([&] {
        QProcess grep;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("LC_ALL", "C");
        grep.setProcessEnvironment(env);
        grep.start("grep", {"-c", "-a", "-F", "-i", key, path});
        grep.waitForFinished(-1);
        count = QString::fromLatin1(grep.readAllStandardOutput()).trimmed();
    });
}

double mbps(double seconds)
{
    return double(kSize) / 1e6 / seconds;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;

    const QString random = dir.filePath("random.bin");
    {
        QByteArray bytes(kSize, '\0');
        QRandomGenerator generator(1207);
        generator.fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
        if (!writeFile(random, bytes))
            return 1;
    }
    std::printf("random file, %lld MiB, page cache (best of %d):\n", kSize >> 20, kRounds);
    const QString stringKey = "WaveColour";
    qint64 hits = 0;
    const double stringSeconds = scanSeconds(random, SearchKey::Type::String, stringKey, hits);
    std::printf("  String  %-10s %8.0f MB/s  %lld hits\n", qPrintable(stringKey), mbps(stringSeconds), hits);
    const double intSeconds = scanSeconds(random, SearchKey::Type::Integer, "12345", hits);
    std::printf("  Integer %-10s %8.0f MB/s  %lld hits\n", "12345", mbps(intSeconds), hits);
    const double floatSeconds = scanSeconds(random, SearchKey::Type::Float, "1.5", hits);
    std::printf("  Float   %-10s %8.0f MB/s  %lld hits\n", "1.5", mbps(floatSeconds), hits);
    QString lines;
    const double grep = grepSeconds(random, stringKey, lines);
    std::printf("  grep -c -a -F -i %s (LC_ALL=C) %8.0f MB/s  %s lines\n", qPrintable(stringKey), mbps(grep),
                qPrintable(lines));
    std::printf("  String search / grep: %.2fx grep's speed\n", grep / stringSeconds);
    QFile::remove(random);

    const QString moduleLike = dir.filePath("modules.bin");
    const QByteArray module = DemoFixture::plainModule(DemoFixture::kVersion4);
    {
        QByteArray bytes;
        bytes.reserve(kSize);
        while (bytes.size() < kSize)
            bytes.append(module.left(kSize - bytes.size()));
        const qsizetype zeros = std::count(bytes.cbegin(), bytes.cend(), '\0');
        if (!writeFile(moduleLike, bytes))
            return 1;
        std::printf("demo module repeated to %lld MiB (%.0f%% zero bytes):\n", kSize >> 20, 100.0 * zeros / bytes.size());
    }
    const double moduleFloat = scanSeconds(moduleLike, SearchKey::Type::Float, "1.5", hits);
    std::printf("  Float   %-10s %8.0f MB/s  %lld hits\n", "1.5", mbps(moduleFloat), hits);
    const double moduleInt = scanSeconds(moduleLike, SearchKey::Type::Integer, "1", hits);
    std::printf("  Integer %-10s %8.0f MB/s  %lld hits\n", "1", mbps(moduleInt), hits);
    QFile::remove(moduleLike);

    // A module of zeros after its magic, whose size the bookmark file records.
    const QString home = dir.filePath("home");
    DemoFixture::writeHome(home);
    IniFile(home + "/Config.ini").write("Config", "PRXassociation", "0");
    const qint64 zeroSize = 4 + 2 * 1000000;
    QByteArray zeros(zeroSize, '\0');
    zeros.replace(0, 4, "\x7F" "ELF");
    const QString zeroModule = home + "/demo/4.05/vshmain.prx";
    IniFile vt(home + "/bookmarks/vshmain.vt");
    vt.write(DemoFixture::kVersion4, "PRXSize", QString::number(zeroSize));
    if (!writeFile(zeroModule, zeros) || !vt.lastError().ok())
        return 1;
    SilentPrompter prompter;
    PrxDocument doc(home, prompter);
    MainWindow window(doc);
    doc.startUp();
    doc.openFromCommandLine(zeroModule);
    if (doc.currentModuleFile().isEmpty()) {
        std::fprintf(stderr, "the zero module did not open: %s\n", qPrintable(prompter.failure));
        return 1;
    }
    SearchWindow *search = window.searchWindow();
    search->show();
    app.processEvents();
    auto *type = search->findChild<QComboBox *>("cmbtype");
    type->setCurrentIndex(1);
    emit type->activated(1);
    search->findChild<QLineEdit *>("txtSearch")->setText("0");
    QElapsedTimer timer;
    timer.start();
    search->Command1_Click();
    app.processEvents();
    const double listMs = double(timer.nsecsElapsed()) / 1e6;
    std::printf("search window, Integer 0 in %lld zero bytes: %d hits listed in %.0f ms (%s)\n", zeroSize - 4,
                search->results().rowCount(), listMs,
                qPrintable(search->findChild<QLabel *>("statBar(1)")->text()));
    return 0;
}
