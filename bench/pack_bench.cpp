// Packs a module of 16 MiB - 1 byte and runs gzip -9 on the same file, and
// prints both times, their ratio and the output sizes. A single deflate
// stream over the whole module is timed too, for reference.
#include "bench/silentprompter.h"
#include "document/modulepacker.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>
#include <algorithm>
#include <cstdio>
#include <thread>
#include <zlib.h>

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

double bestOf(int runs, const std::function<void()> &run)
{
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        run();
        best = std::min(best, timer.nsecsElapsed() / 1e9);
    }
    return best;
}

qint64 singleStreamSize(const QByteArray &module)
{
    z_stream zs{};
    deflateInit2(&zs, 9, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY);
    QByteArray out(qsizetype(deflateBound(&zs, uLong(module.size()))), Qt::Uninitialized);
    zs.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(module.constData()));
    zs.avail_in = uInt(module.size());
    zs.next_out = reinterpret_cast<Bytef *>(out.data());
    zs.avail_out = uInt(out.size());
    deflate(&zs, Z_FINISH);
    const qint64 size = qint64(zs.total_out);
    deflateEnd(&zs);
    return size;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    QTemporaryDir dir;
    const QString modulePath = dir.filePath(QStringLiteral("vshmain.prx"));
    const QString templatePath = dir.filePath(QStringLiteral("5.00.prx"));
    const QString packedPath = dir.filePath(QStringLiteral("packed.prx"));
    const QString gzipPath = dir.filePath(QStringLiteral("vshmain.prx.gz"));
    const QByteArray module = moduleLike(ModulePacker::SizeLimit - 1);
    {
        QFile m(modulePath), t(templatePath);
        if (!m.open(QIODevice::WriteOnly) || m.write(module) != module.size() || !t.open(QIODevice::WriteOnly) ||
            t.write(QByteArray(336, '\0')) != 336) {
            std::fprintf(stderr, "bench_pack: can not write the module\n");
            return 1;
        }
    }

    SilentPrompter prompter;
    const double ours = bestOf(runs, [&] { ModulePacker(prompter).pack(modulePath, templatePath, packedPath); });
    if (!prompter.failure.isEmpty()) {
        std::fprintf(stderr, "bench_pack: %s\n", qPrintable(prompter.failure));
        return 1;
    }
    int gzipExit = -1;
    const double gzip = bestOf(runs, [&] {
        QProcess process;
        process.setStandardOutputFile(gzipPath);
        process.start(QStringLiteral("gzip"), {QStringLiteral("-9"), QStringLiteral("-c"), modulePath});
        process.waitForFinished(-1);
        gzipExit = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    });
    if (gzipExit != 0) {
        std::fprintf(stderr, "bench_pack: gzip -9 failed\n");
        return 1;
    }
    qint64 single = 0;
    const double singleTime = bestOf(1, [&] { single = singleStreamSize(module); });

    const qint64 packed = QFileInfo(packedPath).size();
    const qint64 stream = packed - 336;
    const qint64 gzipped = QFileInfo(gzipPath).size();
    std::printf("module             %lld bytes, best of %d runs, %u cores\n", qlonglong(module.size()), runs,
                std::thread::hardware_concurrency());
    std::printf("pack (zlib -9)     %.3f s  stream %lld bytes  packed file %lld bytes\n", ours, qlonglong(stream),
                qlonglong(packed));
    std::printf("gzip -9 -c         %.3f s  output %lld bytes\n", gzip, qlonglong(gzipped));
    std::printf("time ratio         %.2f (target at most 0.80)\n", ours / gzip);
    std::printf("size               stream %s gzip's output by %lld bytes\n",
                stream <= gzipped ? "below or equal to" : "ABOVE", qlonglong(std::abs(gzipped - stream)));
    std::printf("one deflate stream %.3f s  %lld bytes (reference: zlib -9 without chunks, one core)\n", singleTime,
                qlonglong(single));
    return 0;
}
