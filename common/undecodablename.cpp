#include "common/undecodablename.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <dirent.h>

namespace UndecodableName {

namespace {

// Qt's folder listings leave such names out, so the folder is read here.
bool hasUndecodableEntry(const QString &folder, const QString &name)
{
    DIR *dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return false;
    bool found = false;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArrayView bytes(entry->d_name);
        if (!bytes.isValidUtf8() && QFile::decodeName(bytes.toByteArray()) == name) {
            found = true;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

} // namespace

QString find(const QString &path)
{
    if (!path.contains(QChar::ReplacementCharacter))
        return QString();
    const QStringList parts = QFileInfo(path).absoluteFilePath().split(u'/', Qt::SkipEmptyParts);
    QString at = QStringLiteral("/");
    for (const QString &part : parts) {
        const QString next = QDir(at).filePath(part);
        if (!QFileInfo::exists(next))
            return part.contains(QChar::ReplacementCharacter) && hasUndecodableEntry(at, part) ? next : QString();
        at = next;
    }
    return QString();
}

QString message(const QString &path)
{
    const QString part = find(path);
    if (part.isEmpty())
        return QString();
    return QStringLiteral("Can not open %1: the name %2 is not valid UTF-8 (%3 stands for its bad bytes), "
                          "and this program can not open a file by such a name. Rename it, then open it again.")
        .arg(QDir::toNativeSeparators(path), QFileInfo(part).fileName(), QString(QChar::ReplacementCharacter));
}

} // namespace UndecodableName
