// Loads a section of 20 000 entries with their values from a 16 MiB module,
// then writes the list back; prints the time and entries per second of each.
#include "bookmarks/bookmarksection.h"
#include "common/inifile.h"
#include "values/modulefiles.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    constexpr int kEntries = 20000;
    constexpr qint64 kModuleSize = 16 * 1024 * 1024;
    QTemporaryDir dir;

    QByteArray module(kModuleSize, '\0');
    for (qint64 i = 0; i < kModuleSize; ++i)
        module[i] = char((i * 131) >> 3);
    QFile m(dir.filePath("vshmain.prx"));
    m.open(QIODevice::WriteOnly);
    m.write(module);
    m.close();

    QByteArray vt = "[5.00]\r\nPRXSize=16777216\r\noffset=" + QByteArray::number(kEntries) + "\r\n";
    const char *types[] = {"Float", "Integer", "String"};
    for (int n = 1; n <= kEntries; ++n) {
        const QByteArray p = "entry." + QByteArray::number(n) + ".";
        const qint64 offset = (qint64(n) * 797) % (kModuleSize - 64);
        vt += p + "description=Bookmark number " + QByteArray::number(n) + "\r\n";
        vt += p + "offset=" + QByteArray::number(offset, 16).toUpper() + "\r\n";
        vt += p + "type=" + types[n % 3] + "\r\n";
        vt += p + "length=" + (n % 3 == 2 ? "16" : "0") + "\r\n";
        vt += p + "file=1\r\n";
    }
    QFile f(dir.filePath("vshmain.vt"));
    f.open(QIODevice::WriteOnly);
    f.write(vt);
    f.close();

    ModuleFiles files;
    files.open(ModuleFiles::Working, dir.filePath("vshmain.prx"));
    IniFile ini(dir.filePath("vshmain.vt"));

    QElapsedTimer timer;
    timer.start();
    const auto rows = BookmarkSection::load(ini, "5.00", &files);
    const double loadMs = double(timer.nsecsElapsed()) / 1e6;

    timer.restart();
    BookmarkSection::save(ini, "5.00", rows);
    const double saveMs = double(timer.nsecsElapsed()) / 1e6;

    std::printf("entries: %zu, module: %lld bytes, bookmark file: %lld bytes\n", rows.size(),
                static_cast<long long>(kModuleSize), static_cast<long long>(vt.size()));
    std::printf("ReloadBookmark (load with values): %8.1f ms  %10.0f entries/s  (target < 150 ms)\n", loadMs,
                kEntries / (loadMs / 1000.0));
    std::printf("SaveVT (write the list back):      %8.1f ms  %10.0f entries/s  (target < 150 ms)\n", saveMs,
                kEntries / (saveMs / 1000.0));
    return rows.size() == size_t(kEntries) ? 0 : 1;
}
