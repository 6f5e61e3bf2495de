// Undoing a colour pick on a 16 MiB module: the pick's bytes go back in one
// replacement of the whole file, as every module write does. Prints the
// median undo beside the median pick it takes back.
#include "bench/silentprompter.h"
#include "common/inifile.h"
#include "document/prxdocument.h"
#include "tools/mkdemo/demofixture.h"
#include "vshtool/vshtool.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRuns = 9;
constexpr qint64 kModuleSize = 16 * 1024 * 1024;

// Picks a colour at once, a different one each time.
class PickingPrompter : public SilentPrompter
{
public:
    std::optional<Rgb> chooseColour(Rgb, const QString &) override
    {
        ++m_picks;
        return Rgb{std::uint8_t(m_picks * 37), std::uint8_t(m_picks * 11), std::uint8_t(m_picks * 5)};
    }

private:
    int m_picks = 0;
};

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir home;
    if (!DemoFixture::writeHome(home.path()))
        return 1;
    const QString module = home.path() + QStringLiteral("/demo/4.05/vshmain.prx");
    QByteArray bytes = DemoFixture::plainModule(DemoFixture::kVersion4);
    bytes.resize(kModuleSize, '\0');
    if (!DemoFixture::writeFile(module, bytes))
        return 1;
    IniFile(home.path() + QStringLiteral("/bookmarks/vshmain.vt"))
        .write(DemoFixture::kVersion4, QStringLiteral("PRXSize"), QString::number(kModuleSize));

    PickingPrompter prompter;
    PrxDocument doc(home.path(), prompter);
    doc.startUp(false);
    doc.openFromCommandLine(module, DemoFixture::kVersion4);
    VshTool tool(doc);
    std::vector<double> picks, undos;
    for (int i = 0; i < kRuns; ++i) {
        QElapsedTimer timer;
        timer.start();
        if (tool.WriteColor(ColourTable::Font, i % 12).status != ColourWrite::Status::Written) {
            std::fprintf(stderr, "the pick was not written: %s\n", qPrintable(prompter.failure));
            return 1;
        }
        picks.push_back(double(timer.nsecsElapsed()) / 1e6);
        timer.restart();
        if (!doc.undo()) {
            std::fprintf(stderr, "the undo failed: %s\n", qPrintable(prompter.failure));
            return 1;
        }
        undos.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::printf("colour pick on a 16 MiB module:  %.1f ms (median of %d)\n", median(picks), kRuns);
    std::printf("undo of that pick:               %.1f ms (median of %d, target < 100 ms)\n", median(undos), kRuns);
    return 0;
}
