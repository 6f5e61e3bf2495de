#include "app/homefolder.h"

#include <QDir>
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

} // namespace HomeFolder
