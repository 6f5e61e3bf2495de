#pragma once

#include "tests/support/forkedchild.h"

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <QThread>
#include <functional>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

// Helpers for tests that meet the world as a person would: fake scramble
// tools written as shell scripts, and a forked child running as an
// unprivileged user (the tests run as root, who may write any file).
namespace ProcessHelpers {

inline bool writeScript(const QString &path, const QByteArray &body)
{
    QFile::remove(path);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write("#!/bin/sh\n" + body + "\n") < 0)
        return false;
    f.close();
    return QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                           QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
}

// True when the process has ended (gone, or a zombie nobody reaps) within the time.
inline bool processEnds(qint64 pid, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    do {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            return true;
        const QByteArray line = stat.readAll();
        const qsizetype close = line.lastIndexOf(')');
        if (close >= 0 && line.mid(close + 2, 1) == "Z")
            return true;
        QThread::msleep(20);
    } while (clock.elapsed() < timeoutMs);
    return false;
}

// Opens every folder and file under `folder` (and the folder itself) to everyone,
// so that the unprivileged child can work in a temporary home.
inline void shareWithEveryone(const QString &folder)
{
    const auto all = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::WriteGroup |
                     QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    QFile::setPermissions(folder, all);
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile::setPermissions(path, QFileInfo(path).isDir() || QFileInfo(path).isExecutable()
                                        ? all
                                        : QFile::Permissions(all & ~(QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther)));
    }
}

// Runs `body` in a forked child as user and group 65534; its result is the
// body's result (-1 when the child did not exit normally).
inline int runAsNobody(const std::function<int()> &body)
{
    ForkedChild child;
    child.asNobody = true;
    const ForkedChild::Result result = child.run([&] { return QByteArray::number(body()); });
    return result.exitedNormally && result.exitCode == 0 ? result.output.toInt() : -1;
}

} // namespace ProcessHelpers
