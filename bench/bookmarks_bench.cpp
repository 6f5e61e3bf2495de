// Loads a section of 20 000 entries with their values from a 16 MiB module,
// then writes the list back. Each is printed beside what the same bytes cost
// at the least, measured in the same run: a read and line split of the file
// with one read of the module the values come from, and one atomic write
// (temporary file, fsync, rename) of the file saved.
#include "bookmarks/bookmarksection.h"
#include "common/inifile.h"
#include "values/modulefiles.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kRuns = 7;

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double timeMs(const std::function<void()> &prepare, const std::function<void()> &work)
{
    std::vector<double> runs;
    for (int i = 0; i < kRuns; ++i) {
        prepare();
        QElapsedTimer timer;
        timer.start();
        work();
        runs.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    return median(runs);
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The least a reader must do: read the file and find each line and its '='.
qsizetype splitLines(const QString &path)
{
    const QByteArray data = readFile(path);
    std::vector<std::pair<qsizetype, qsizetype>> lines;
    lines.reserve(size_t(data.size() / 16));
    qsizetype keys = 0;
    const char *begin = data.constData();
    const char *end = begin + data.size();
    for (const char *p = begin; p < end;) {
        const char *eol = static_cast<const char *>(std::memchr(p, '\n', size_t(end - p)));
        if (!eol)
            eol = end;
        lines.emplace_back(p - begin, eol - p);
        if (std::memchr(p, '=', size_t(eol - p)))
            ++keys;
        p = eol + 1;
    }
    return keys;
}

// The least a safe writer must do: the bytes into a new file, synced, renamed over the old.
void writeOnce(const QString &path, const QByteArray &bytes)
{
    const QByteArray temporary = QFile::encodeName(path + QStringLiteral(".tmp"));
    const int fd = ::open(temporary.constData(), O_CREAT | O_TRUNC | O_WRONLY | O_CLOEXEC, 0666);
    if (fd < 0 || ::write(fd, bytes.constData(), size_t(bytes.size())) != bytes.size() || ::fsync(fd) != 0)
        std::fprintf(stderr, "cannot write %s\n", temporary.constData());
    ::close(fd);
    ::rename(temporary.constData(), QFile::encodeName(path).constData());
}

void report(const char *what, double ms, const char *floorName, double floorMs)
{
    std::printf("%-36s %7.1f ms  %-28s %6.1f ms  ratio %4.1f  (target < 60 ms, ratio < 3)\n", what, ms, floorName,
                floorMs, ms / floorMs);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    constexpr int kEntries = 20000;
    constexpr qint64 kModuleSize = 16 * 1024 * 1024;
    QTemporaryDir dir;

    QByteArray module(kModuleSize, '\0');
    for (qint64 i = 0; i < kModuleSize; ++i)
        module[i] = char((i * 131) >> 3);
    writeFile(dir.filePath("vshmain.prx"), module);

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
    const QString vtPath = dir.filePath("vshmain.vt");
    writeFile(vtPath, vt);

    ModuleFiles files;
    files.open(ModuleFiles::Working, dir.filePath("vshmain.prx"));

    std::vector<BookmarkRow> rows;
    const double loadMs = timeMs([] {}, [&] {
        IniFile ini(vtPath);
        rows = BookmarkSection::load(ini, "5.00", &files);
    });
    qsizetype keys = 0;
    const double splitOnlyMs = timeMs([] {}, [&] { keys = splitLines(vtPath); });
    const double splitMs = timeMs([] {}, [&] {
        keys = splitLines(vtPath);
        if (readFile(dir.filePath("vshmain.prx")).size() != kModuleSize)
            keys = 0;
    });

    // Every save starts from the file as first written, already parsed, as
    // the editor holds it after the load.
    std::unique_ptr<IniFile> ini;
    bool saved = true;
    const double saveMs = timeMs(
        [&] {
            writeFile(vtPath, vt);
            ini = std::make_unique<IniFile>(vtPath);
            ini->read("5.00", "offset");
        },
        [&] { saved = BookmarkSection::save(*ini, "5.00", rows) && saved; });
    const QByteArray written = readFile(vtPath);
    const QString copyPath = dir.filePath("copy.vt");
    const double writeMs = timeMs([] {}, [&] { writeOnce(copyPath, written); });

    std::printf("entries: %zu, module: %lld bytes, bookmark file: %lld bytes (%lld key lines), saved: %lld bytes\n",
                rows.size(), static_cast<long long>(kModuleSize), static_cast<long long>(vt.size()),
                static_cast<long long>(keys), static_cast<long long>(written.size()));
    std::printf("median of %d runs\n", kRuns);
    report("ReloadBookmark (load with values):", loadMs, "split + module read:", splitMs);
    report("SaveVT (write the list back):", saveMs, "one atomic write:", writeMs);
    std::printf("(the line split alone: %.1f ms; the module read is the rest of the load's floor)\n", splitOnlyMs);
    return rows.size() == size_t(kEntries) && saved ? 0 : 1;
}
