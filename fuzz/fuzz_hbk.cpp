#include "fuzz/hbkcheck.h"

#include <QDir>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

// The reader works on a path, so each input goes through a file in a tmpfs folder.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString folder = [] {
        const QString path = QStringLiteral("/dev/shm/vantor-fuzz-hbk-%1").arg(::getpid());
        QDir().mkpath(path);
        return path;
    }();
    const QString why = HbkCheck::check(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)), folder);
    if (!why.isEmpty()) {
        std::fprintf(stderr, "fuzz_hbk: %s\n", why.toUtf8().constData());
        std::abort();
    }
    return 0;
}
