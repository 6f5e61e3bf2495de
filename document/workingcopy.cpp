#include "document/workingcopy.h"

#include "common/platform.h"
#include "common/safefile.h"
#include "document/toolrunner.h"
#include "values/modulefiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// ".vantor-work-<pid>-<n>": lines with the working copy's name, device and inode.
const QString kMarkerPrefix = QStringLiteral(".vantor-work-");

// Deletes a file even when it is read-only.
void forceRemove(const QString &path)
{
    QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::WriteOwner);
    QFile::remove(path);
}

} // namespace

bool WorkingCopy::fail(const QString &text, const QString &title, Prompter::Icon icon)
{
    drop();
    m_prompter.inform(text, title, icon);
    return false;
}

bool WorkingCopy::make(const QString &module, const QString &toolPath)
{
    drop();
    m_files.closeAll();
    const QString title = QFileInfo(module).fileName();
    const QString tool = QDir::toNativeSeparators(toolPath);
    const QFileInfo toolInfo(toolPath);
    if (!toolInfo.exists())
        return fail(QStringLiteral("The scramble tool %1 is missing: %2 can not be descrambled.").arg(tool, title));
    if (!toolInfo.isFile() || !toolInfo.isExecutable())
        return fail(QStringLiteral("The scramble tool %1 is not executable: %2 can not be descrambled.").arg(tool, title));
    if (!m_files.open(ModuleFiles::Held, module))
        return fail(QStringLiteral("Can not open %1: %2")
                        .arg(QDir::toNativeSeparators(module), m_files.errorString(ModuleFiles::Held)));
    // The name is free now, so whatever lies there after the run is the tool's.
    sweepLeftovers(QFileInfo(module).absolutePath());
    m_path = ModuleFiles::freeWorkingCopyPath(module);
    const QString copyName = QFileInfo(m_path).fileName();
    const ToolRun run = ToolRunner::run(m_prompter, toolPath, {QStringLiteral("-d"), title, copyName},
                                        QFileInfo(module).absolutePath(), QStringLiteral("Descrambling %1...").arg(title));
    const QString failed = QStringLiteral("The scramble tool %1 failed on %2: ").arg(tool, title);
    if (run.outcome == ToolRun::Outcome::Cancelled)
        return fail(QStringLiteral("Descrambling %1 was cancelled: the module is left as it was.").arg(title),
                    Prompter::AppTitle, Prompter::Icon::Information);
    if (run.outcome == ToolRun::Outcome::NotStarted)
        return fail(QStringLiteral("The scramble tool %1 could not be started: %2").arg(tool, run.errorOutput));
    if (!run.succeeded())
        return fail(failed + run.describe());
    const QFileInfo copy(m_path);
    if (!copy.isFile())
        return fail(failed + QStringLiteral("it left no working copy %1").arg(copyName));
    // A descrambled module need not have the scrambled one's size; the ELF check below judges it.
    if (copy.size() == 0)
        return fail(failed + QStringLiteral("it wrote an empty working copy %1").arg(copyName));
    if (!m_files.open(ModuleFiles::Working, m_path))
        return fail(QStringLiteral("Can not open the working copy %1: %2")
                        .arg(QDir::toNativeSeparators(m_path), m_files.errorString(ModuleFiles::Working)));
    // The tool did its work, but what it made is no module: the wrong version was chosen.
    if (m_files.read(ModuleFiles::Working, 1, 3) != QByteArrayLiteral("ELF"))
        return fail(QStringLiteral("PRX Version doesn't match! \r\nPlease select the correct version."),
                    Prompter::AppTitle, Prompter::Icon::None);
    m_files.setScratch(ModuleFiles::Working, true);
    m_files.setJournalling(true);
    mark();
    return true;
}

void WorkingCopy::drop()
{
    if (!m_marker.isEmpty())
        QFile::remove(m_marker);
    m_marker.clear();
    if (m_path.isEmpty())
        return;
    if (m_files.path(ModuleFiles::Working) == m_path)
        m_files.close(ModuleFiles::Working);
    const QFileInfo copy(m_path);
    if (copy.exists() || copy.isSymLink())
        forceRemove(m_path);
    m_path.clear();
}

void WorkingCopy::mark()
{
    if (m_path.isEmpty())
        return;
    const Platform::Status copy = Platform::status(m_path, false);
    if (!copy.regular)
        return;
    if (m_marker.isEmpty()) {
        static int sequence = 0;
        m_marker = QFileInfo(m_path).absolutePath() + QLatin1Char('/') + kMarkerPrefix +
                   QString::number(Platform::processId()) + QLatin1Char('-') + QString::number(sequence++);
    }
    const QByteArray text = QFile::encodeName(QFileInfo(m_path).fileName()) + '\n' + QByteArray::number(copy.device) +
                            '\n' + QByteArray::number(copy.inode) + '\n';
    // Without its mark the copy is only left behind after a crash, never someone else's file taken.
    SafeFile::write(m_marker, text);
}

void WorkingCopy::sweepLeftovers(const QString &folder)
{
    const QStringList markers =
        QDir(folder).entryList({kMarkerPrefix + QLatin1Char('*')}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : markers) {
        const QString marker = folder + QLatin1Char('/') + name;
        const QStringView rest = QStringView(name).mid(kMarkerPrefix.size());
        bool ok = false;
        const qint64 pid = rest.left(rest.indexOf(u'-')).toLongLong(&ok);
        const Platform::Status mine = Platform::status(marker, false);
        if (!ok || Platform::processRunning(pid) || !mine.regular || mine.owner != Platform::userId())
            continue;
        QByteArray text;
        if (!SafeFile::read(marker, 4096, text).ok())
            continue;
        const QList<QByteArray> lines = text.split('\n');
        if (lines.size() >= 3 && !lines[0].isEmpty() && !lines[0].contains('/')) {
            const QString copy = folder + QLatin1Char('/') + QFile::decodeName(lines[0]);
            const Platform::Status s = Platform::status(copy, false);
            if (s.regular && s.owner == Platform::userId() && QByteArray::number(s.device) == lines[1] &&
                QByteArray::number(s.inode) == lines[2])
                forceRemove(copy);
        }
        QFile::remove(marker);
    }
}
