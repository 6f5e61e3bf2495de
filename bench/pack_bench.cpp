// Deflates two inputs of 16 MiB - 1 byte, a synthetic module and real ELF
// code (the Qt 6 Core, Gui and Widgets libraries joined and cut), three ways:
// zlib at level 9 as packing did before, libdeflate at the level packing uses
// now, and gzip -9 run as a process. For each it prints the CPU time, the wall
// time and the size, and whether packing meets its targets against gzip -9.
//   bench_pack [RUNS] [--levels L,L,...]   (extra libdeflate levels to compare)
#include "document/gzipcodec.h"
#include "document/modulepacker.h"

#include <QElapsedTimer>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QtEndian>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <vector>
#include <zlib.h>

extern char **environ;

namespace {

struct Random
{
    quint64 state = 0x9E3779B97F4A7C15ull;
    quint32 next()
    {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return quint32(state >> 11);
    }
    quint32 below(quint32 n) { return next() % n; }
};

// Laid out like a module: MIPS-like code in functions (prologue, body,
// epilogue, with runs that repeat earlier code), then strings and float
// constants, tables of pointers, and relocation records.
QByteArray moduleLike(qsizetype size)
{
    QByteArray b;
    b.reserve(size + 256);
    Random r;
    auto put = [&](quint32 w) {
        char c[4];
        qToLittleEndian(w, c);
        b.append(c, 4);
    };
    auto reg = [&] {
        static const quint32 common[] = {2, 3, 4, 5, 6, 16, 17, 18, 29, 31, 0, 8, 9};
        return r.below(10) ? common[r.below(13)] : r.below(32);
    };
    b.append("\x7f" "ELF\1\1\1", 7);
    b.append(QByteArray(249, '\0'));
    const qsizetype codeEnd = size * 62 / 100, stringsEnd = size * 78 / 100, tablesEnd = size * 88 / 100;
    std::vector<quint32> functions;
    while (b.size() + 1024 < codeEnd) {
        functions.push_back(quint32(b.size()));
        const quint32 frame = 16 * (1 + r.below(6));
        const quint32 saved = r.below(5);
        put(0x27BD0000 | quint16(-qint32(frame)));
        for (quint32 i = 0; i < saved; ++i)
            put(0xAFB00000 | (16 + i) << 16 | (frame - 8 - 4 * i));
        put(0xAFBF0000 | (frame - 4));
        for (quint32 i = 0, body = 6 + r.below(60); i < body; ++i) {
            const quint32 k = r.below(100);
            if (k < 20)
                put(0x8C000000 | reg() << 21 | reg() << 16 | 4 * r.below(12));
            else if (k < 32)
                put(0xAC000000 | reg() << 21 | reg() << 16 | 4 * r.below(32));
            else if (k < 45)
                put(0x24000000 | reg() << 21 | reg() << 16 | (r.below(4) ? r.below(16) : r.below(65536)));
            else if (k < 55)
                put(reg() << 21 | reg() << 16 | reg() << 11 | (r.below(2) ? 0x21 : 0x25));
            else if (k < 63)
                put(0x0C000000 | ((0x8800000 + functions[r.below(quint32(functions.size()))]) >> 2 & 0x3FFFFFF));
            else if (k < 70)
                put(0);
            else if (k < 78)
                put(0x10000000 | r.below(2) << 26 | reg() << 21 | reg() << 16 | r.below(40));
            else if (k < 84)
                put(0x3C000000 | reg() << 16 | (0x8800 + r.below(64)));
            else if (k < 86)
                put(0xC4000000 | reg() << 21 | r.below(32) << 16 | 4 * r.below(32));
            else if (k < 88)
                put(0x46000000 | r.below(32) << 16 | r.below(32) << 11 | r.below(32) << 6 | r.below(4));
            else if (b.size() > 65536) {
                const qsizetype length = 4 * qsizetype(4 + r.below(24));
                const qsizetype from = 256 + 4 * qsizetype(r.below(quint32((b.size() - 256 - length) / 4)));
                b.append(b.mid(from, length));
            }
        }
        put(0x8FBF0000 | (frame - 4));
        for (quint32 i = 0; i < saved; ++i)
            put(0x8FB00000 | (16 + i) << 16 | (frame - 8 - 4 * i));
        put(0x03E00008);
        put(0x27BD0000 | frame);
    }
    b.append(QByteArray(codeEnd - b.size(), '\0'));
    static const char *const words[] = {"system", "settings", "theme", "icon", "music", "photo", "video", "game",
                                        "network", "msg", "title", "update", "power", "save", "sound", "date",
                                        "time", "wave", "font", "color", "psp", "xmb", "item", "list",
                                        "error", "load", "file", "info", "option", "menu"};
    static const float constants[] = {0, 1, 0.5f, 2, -1, 0.25f, 100, 1.5f, 0.75f, 255, 60, 0.1f};
    while (b.size() < stringsEnd) {
        if (r.below(4)) {
            QByteArray s;
            for (quint32 i = 0, n = 1 + r.below(4); i < n; ++i)
                s += (i ? (r.below(2) ? "_" : "/") : "") + QByteArray(words[r.below(30)]);
            if (r.below(3) == 0)
                s += QByteArray::number(r.below(100));
            s.append('\0');
            while (s.size() % 4)
                s.append('\0');
            b.append(s);
        } else {
            for (int i = 0; i < 4; ++i) {
                quint32 bits;
                std::memcpy(&bits, &constants[r.below(12)], 4);
                put(bits);
            }
        }
    }
    while (b.size() < tablesEnd) {
        const quint32 base = 0x8800000 + r.below(quint32(codeEnd));
        for (quint32 i = 0, n = 4 + r.below(20); i < n; ++i) {
            put(base + 16 * i);
            put(r.below(16));
            put(r.below(3) ? 0 : 0xFFFFFFFF);
            put(r.below(256));
        }
    }
    for (quint32 offset = 0; b.size() + 8 <= size;) {
        offset += 4 * (1 + r.below(8));
        put(offset);
        put((r.below(4) ? 4 : (r.below(2) ? 5 : 6)) | r.below(3) << 8);
    }
    b.resize(size, '\0');
    return b;
}

// Real code: the Qt 6 libraries joined and cut to `size`; empty when they are not there.
QByteArray realCode(qsizetype size)
{
    QByteArray b;
    for (const char *name : {"libQt6Core.so.6", "libQt6Gui.so.6", "libQt6Widgets.so.6"}) {
        QFile f(QStringLiteral("/usr/lib/x86_64-linux-gnu/") + QLatin1String(name));
        if (!f.open(QIODevice::ReadOnly))
            return QByteArray();
        b += f.readAll();
    }
    return b.left(size);
}

double seconds(const timeval &t)
{
    return double(t.tv_sec) + double(t.tv_usec) / 1e6;
}

double cpuOf(const rusage &u)
{
    return seconds(u.ru_utime) + seconds(u.ru_stime);
}

struct Figures
{
    double cpu = 1e30;
    double wall = 1e30;
    qint64 bytes = -1;
};

// Best CPU and best wall time of `runs` runs of an in-process compressor.
Figures measure(int runs, const std::function<qint64()> &run)
{
    Figures f;
    for (int i = 0; i < runs; ++i) {
        rusage before{}, after{};
        getrusage(RUSAGE_SELF, &before);
        QElapsedTimer timer;
        timer.start();
        f.bytes = run();
        const double wall = double(timer.nsecsElapsed()) / 1e9;
        getrusage(RUSAGE_SELF, &after);
        f.cpu = std::min(f.cpu, cpuOf(after) - cpuOf(before));
        f.wall = std::min(f.wall, wall);
    }
    return f;
}

// zlib -9 with a gzip wrapper, one stream: what packing did before, less its
// split into chunks (which cost a little more CPU, not less).
qint64 zlibSize(const QByteArray &data)
{
    z_stream zs{};
    if (deflateInit2(&zs, 9, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY) != Z_OK)
        return -1;
    QByteArray out(qsizetype(deflateBound(&zs, uLong(data.size()))), Qt::Uninitialized);
    zs.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    zs.avail_in = uInt(data.size());
    zs.next_out = reinterpret_cast<Bytef *>(out.data());
    zs.avail_out = uInt(out.size());
    const int rc = deflate(&zs, Z_FINISH);
    const qint64 size = rc == Z_STREAM_END ? qint64(zs.total_out) : -1;
    deflateEnd(&zs);
    return size;
}

// gzip -9 -c on `input` into `output`; its CPU time comes from the child's own rusage.
Figures gzip9(int runs, const QString &input, const QString &output)
{
    Figures f;
    const QByteArray in = QFile::encodeName(input), out = QFile::encodeName(output);
    for (int i = 0; i < runs; ++i) {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, out.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        char *argv[] = {const_cast<char *>("gzip"), const_cast<char *>("-9"), const_cast<char *>("-c"),
                        const_cast<char *>(in.constData()), nullptr};
        QElapsedTimer timer;
        timer.start();
        pid_t pid = 0;
        const int spawned = posix_spawnp(&pid, "gzip", &actions, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0)
            return Figures{};
        int status = 0;
        rusage usage{};
        if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
            return Figures{};
        f.wall = std::min(f.wall, double(timer.nsecsElapsed()) / 1e9);
        f.cpu = std::min(f.cpu, cpuOf(usage));
    }
    f.bytes = QFile(output).size();
    return f;
}

void row(const char *name, const Figures &f, const Figures &gzip)
{
    std::printf("  %-16s %7.3f %8.3f %10lld  %9.2f  %9.4f\n", name, f.cpu, f.wall, qlonglong(f.bytes),
                f.cpu / gzip.cpu, double(f.bytes) / double(gzip.bytes));
}

bool benchOne(const char *title, const QByteArray &data, int runs, const std::vector<int> &extraLevels,
              const QTemporaryDir &dir)
{
    const QString input = dir.filePath(QStringLiteral("input")), output = dir.filePath(QStringLiteral("input.gz"));
    QFile f(input);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(data) != data.size()) {
        std::fprintf(stderr, "bench_pack: can not write %s\n", qPrintable(input));
        return false;
    }
    f.close();

    const Figures gzip = gzip9(runs, input, output);
    if (gzip.bytes < 0) {
        std::fprintf(stderr, "bench_pack: gzip -9 failed\n");
        return false;
    }
    const Figures zlib = measure(runs, [&] { return zlibSize(data); });
    QByteArray packed;
    const Figures ours = measure(runs, [&] {
        packed = GzipCodec::compress(data);
        return qint64(packed.size());
    });
    if (GzipCodec::decompress(packed) != data) {
        std::fprintf(stderr, "bench_pack: the packed stream does not unpack to its input\n");
        return false;
    }

    std::printf("%s: %lld bytes, best of %d runs, %u cores\n", title, qlonglong(data.size()), runs,
                std::thread::hardware_concurrency());
    std::printf("  %-16s %7s %8s %10s  %9s  %9s\n", "", "CPU s", "wall s", "bytes", "CPU/gzip", "size/gzip");
    row("zlib -9 (before)", zlib, gzip);
    const QByteArray label = "libdeflate " + QByteArray::number(GzipCodec::PackLevel);
    row(label.constData(), ours, gzip);
    for (const int level : extraLevels) {
        const QByteArray name = "  libdeflate " + QByteArray::number(level);
        row(name.constData(), measure(runs, [&] { return qint64(GzipCodec::compress(data, level).size()); }), gzip);
    }
    row("gzip -9", gzip, gzip);
    const bool small = ours.bytes <= gzip.bytes, cheap = ours.cpu <= 0.7 * gzip.cpu, quick = ours.wall < gzip.wall;
    std::printf("  targets: size <= gzip -9 %s, CPU <= 0.70x gzip -9 %s, wall %.2fx gzip -9\n\n",
                small ? "met" : "NOT MET", cheap ? "met" : "NOT MET", ours.wall / gzip.wall);
    return small && cheap && quick;
}

} // namespace

int main(int argc, char **argv)
{
    int runs = 3;
    std::vector<int> extraLevels;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--levels") == 0 && i + 1 < argc) {
            for (const QString &l : QString::fromLocal8Bit(argv[++i]).split(QLatin1Char(','), Qt::SkipEmptyParts))
                if (const int level = l.toInt(); level >= 1 && level <= 12)
                    extraLevels.push_back(level);
        } else {
            runs = std::max(1, std::atoi(argv[i]));
        }
    }
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "bench_pack: no temporary folder\n");
        return 1;
    }
    const qsizetype size = ModulePacker::SizeLimit - 1;
    bool met = benchOne("synthetic module", moduleLike(size), runs, extraLevels, dir);
    const QByteArray real = realCode(size);
    if (real.isEmpty())
        std::printf("real code: the Qt 6 libraries are not in /usr/lib/x86_64-linux-gnu, left out\n");
    else
        met = benchOne("real code (Qt 6 Core, Gui, Widgets)", real, runs, extraLevels, dir) && met;
    return met ? 0 : 2;
}
