#include "app/fileassociation.h"

#include "common/safefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QStringTokenizer>

namespace {

const QString kDefaults = QStringLiteral("[Default Applications]");

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Writes the file unless it holds `bytes` already; true when it was written.
bool writeIfDifferent(const QString &path, const QByteArray &bytes)
{
    if (QFileInfo(path).isFile() && readFile(path) == bytes)
        return false;
    QDir().mkpath(QFileInfo(path).absolutePath());
    return SafeFile::write(path, bytes).ok();
}

QString homeOr(const char *variable, const QString &fallback)
{
    const QString value = qEnvironmentVariable(variable);
    // XDG base directories must be absolute; a relative one is ignored.
    return !value.isEmpty() && QDir::isAbsolutePath(value) ? value : QDir::homePath() + fallback;
}

// The quoting of an Exec argument in a desktop entry, then the escaping of its value.
QString execArgument(const QString &path)
{
    QString quoted;
    for (const QChar c : path) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c;
    }
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    quoted.replace(QLatin1Char('%'), QStringLiteral("%%"));
    return u'"' + quoted + u'"';
}

void runHelper(const QString &program, const QString &folder)
{
    const QString found = QStandardPaths::findExecutable(program);
    if (found.isEmpty())
        return;
    // A desktop helper that hangs must not hang the editor: it only refreshes a cache.
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start(found, {folder});
    if (process.waitForStarted(5000) && !process.waitForFinished(10000))
        process.kill();
    process.waitForFinished(1000);
}

// mimeapps.list with the type's default set to our entry (`on`) or our entry
// taken out of it. Other lines stay as they are.
QByteArray editedMimeApps(const QByteArray &original, bool on)
{
    QStringList lines = QString::fromUtf8(original).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    const QString key = FileAssociation::MimeType + QLatin1Char('=');
    qsizetype section = -1;
    qsizetype end = lines.size();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString trimmed = lines[i].trimmed();
        if (trimmed.startsWith(QLatin1Char('['))) {
            if (section >= 0) {
                end = i;
                break;
            }
            if (trimmed == kDefaults)
                section = i;
        }
    }
    qsizetype found = -1;
    for (qsizetype i = section + 1; section >= 0 && i < end; ++i) {
        if (lines[i].trimmed().startsWith(key))
            found = i;
    }
    if (on) {
        const QString line = key + FileAssociation::DesktopId + QLatin1Char(';');
        if (found >= 0) {
            lines[found] = line;
        } else if (section >= 0) {
            while (end > section + 1 && lines[end - 1].trimmed().isEmpty())
                --end;
            lines.insert(end, line);
        } else {
            if (!lines.isEmpty() && !lines.last().trimmed().isEmpty())
                lines << QString();
            lines << kDefaults << line;
        }
    } else if (found >= 0) {
        QStringList ids = lines[found].trimmed().mid(key.size()).split(QLatin1Char(';'), Qt::SkipEmptyParts);
        ids.removeAll(FileAssociation::DesktopId);
        if (ids.isEmpty())
            lines.removeAt(found);
        else
            lines[found] = key + ids.join(QLatin1Char(';')) + QLatin1Char(';');
    }
    return lines.isEmpty() ? QByteArray() : (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
}

} // namespace

QString FileAssociation::dataHome()
{
    return homeOr("XDG_DATA_HOME", QStringLiteral("/.local/share"));
}

QString FileAssociation::configHome()
{
    return homeOr("XDG_CONFIG_HOME", QStringLiteral("/.config"));
}

QString FileAssociation::desktopEntryPath()
{
    return dataHome() + QStringLiteral("/applications/") + DesktopId;
}

QString FileAssociation::mimePackagePath()
{
    return dataHome() + QStringLiteral("/mime/packages/vantoreditor-prx.xml");
}

QString FileAssociation::mimeAppsPath()
{
    return configHome() + QStringLiteral("/mimeapps.list");
}

QString FileAssociation::desktopEntry() const
{
    // The installed entry, so the two never drift apart, with this program's
    // path and the file type it opens.
    QString entry;
    const QString shipped = QString::fromUtf8(readFile(QStringLiteral(":/vantor/vantoreditor.desktop")));
    for (const QStringView line : QStringTokenizer(shipped, u'\n')) {
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u"Exec="))
            entry += QStringLiteral("Exec=") + execArgument(m_programPath) + QStringLiteral(" %f\n");
        else
            entry += line + u'\n';
    }
    return entry + QStringLiteral("MimeType=") + MimeType + QStringLiteral(";\n");
}

void FileAssociation::add()
{
    const QByteArray package = readFile(QStringLiteral(":/vantor/vantoreditor-prx.xml"));
    const bool mimeChanged = !package.isEmpty() && writeIfDifferent(mimePackagePath(), package);
    const bool entryChanged = writeIfDifferent(desktopEntryPath(), desktopEntry().toUtf8());
    writeIfDifferent(mimeAppsPath(), editedMimeApps(readFile(mimeAppsPath()), true));
    if (mimeChanged)
        runHelper(QStringLiteral("update-mime-database"), dataHome() + QStringLiteral("/mime"));
    if (entryChanged)
        runHelper(QStringLiteral("update-desktop-database"), dataHome() + QStringLiteral("/applications"));
}

void FileAssociation::remove()
{
    if (QFileInfo(mimeAppsPath()).isFile())
        writeIfDifferent(mimeAppsPath(), editedMimeApps(readFile(mimeAppsPath()), false));
    if (QFileInfo(desktopEntryPath()).isFile() && QFile::remove(desktopEntryPath()))
        runHelper(QStringLiteral("update-desktop-database"), dataHome() + QStringLiteral("/applications"));
}
