#include "document/homefolder.h"

#include "common/safefile.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QStandardPaths>

namespace HomeFolder {

QString resolve(const QString &option, const QString &programFolder)
{
    if (!option.isEmpty())
        return QDir(option).absolutePath();
    const QString fromEnvironment = qEnvironmentVariable("VANTOR_HOME");
    if (!fromEnvironment.isEmpty())
        return QDir(fromEnvironment).absolutePath();
    if (QFileInfo(programFolder + QStringLiteral("/Config.ini")).isFile())
        return programFolder;
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return config + QStringLiteral("/VantorEditor");
}

QString installedData(const QString &programFolder)
{
#ifdef VANTOR_DATA_FROM_BIN
    const QString beside = QDir::cleanPath(programFolder + QStringLiteral("/" VANTOR_DATA_FROM_BIN));
    if (QFileInfo(beside + QStringLiteral("/Config.ini")).isFile())
        return beside;
#else
    Q_UNUSED(programFolder);
#endif
    const QString found = QStandardPaths::locate(QStandardPaths::GenericDataLocation, QStringLiteral("vantoreditor"),
                                                 QStandardPaths::LocateDirectory);
    return !found.isEmpty() && QFileInfo(found + QStringLiteral("/Config.ini")).isFile() ? found : QString();
}

QString installedTool(const QString &programFolder)
{
#ifdef VANTOR_TOOL_FROM_BIN
    const QString tool = QDir::cleanPath(programFolder + QStringLiteral("/" VANTOR_TOOL_FROM_BIN));
    if (QFileInfo(tool).isExecutable())
        return tool;
#else
    Q_UNUSED(programFolder);
#endif
    return QString();
}

bool seed(const QString &home, const QString &dataFolder, const QString &scrambleTool)
{
    if (dataFolder.isEmpty() || QFileInfo(home + QStringLiteral("/Config.ini")).exists())
        return false;
    const QDir from(dataFolder);
    const QDir to(home);
    bool copied = false;
    QDirIterator it(dataFolder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = to.filePath(from.relativeFilePath(source));
        if (QFileInfo::exists(target))
            continue;
        to.mkpath(QFileInfo(target).absolutePath());
        // A new file of the user's (the home's files are theirs to change), written as every file is.
        QByteArray bytes;
        if (SafeFile::read(source, SafeFile::TextLimit, bytes).ok() && SafeFile::write(target, bytes).ok())
            copied = true;
    }
#ifdef Q_OS_WIN
    const QString toolTarget = to.filePath(QStringLiteral("scramble.exe"));
#else
    const QString toolTarget = to.filePath(QStringLiteral("scramble"));
#endif
    if (!scrambleTool.isEmpty() && !QFileInfo::exists(toolTarget))
        copied = (QFile::link(scrambleTool, toolTarget) || QFile::copy(scrambleTool, toolTarget)) || copied;
    return copied;
}

} // namespace HomeFolder
