#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

// What the file-based fuzz targets share: a check takes an input's bytes and
// a work folder and gives empty text when the input held, else why not.
namespace FileCheck {

// The fuzzer's entry: `check` on one input, in a tmpfs folder of this
// process (the code under test works on paths); a failed check aborts.
template<typename Check>
int fuzzOne(const char *target, const uint8_t *data, size_t size, Check check)
{
    static const QString folder = [target] {
        const QString path = QStringLiteral("/dev/shm/vantor-%1-%2").arg(QLatin1String(target)).arg(::getpid());
        QDir().mkpath(path);
        return path;
    }();
    const QString why = check(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)), folder);
    if (!why.isEmpty()) {
        std::fprintf(stderr, "%s: %s\n", target, why.toUtf8().constData());
        std::abort();
    }
    return 0;
}

// `check` on every file of `folder` (the kept regression inputs); the failures, one line each.
template<typename Check>
QStringList checkAll(const QString &folder, const QString &workFolder, Check check)
{
    QStringList failures;
    for (const QFileInfo &input : QDir(folder).entryInfoList(QDir::Files)) {
        QFile f(input.filePath());
        if (!f.open(QIODevice::ReadOnly)) {
            failures << input.fileName() + QStringLiteral(": can not be read: ") + f.errorString();
            continue;
        }
        const QString why = check(f.readAll(), workFolder);
        if (!why.isEmpty())
            failures << input.fileName() + QStringLiteral(": ") + why;
    }
    return failures;
}

} // namespace FileCheck
