#include "cli/cliparser.h"
#include "cli/clisession.h"
#include "cli/commands.h"
#include "document/backupstore.h"

#include <QDir>
#include <QFileInfo>

int restoreCommand(CliContext &context)
{
    CliParser parser(context, QStringLiteral("vantor restore MODULE BACKUP"));
    if (!parser.parse(2, 2))
        return CliContext::UsageError;
    const QString module = parser.operands()[0];
    CliSession session(context);
    BackupStore &store = session.document().backupStore();
    QString backup = parser.operands()[1];
    // A bare name, as `vantor backups` lists them, is looked for in the backups folder.
    if (!backup.contains(QLatin1Char('/')) && !QFileInfo::exists(backup))
        backup = QDir(store.folder()).filePath(backup);
    if (QFileInfo(module).isDir())
        return session.fail(QStringLiteral("%1 is a folder, not a module file.").arg(QDir::toNativeSeparators(module)));
    // Not opened: a module too broken to open is what a backup is for.
    if (!session.lock(module))
        return CliContext::Failure;
    QString kept;
    if (const FileError error = store.restore(backup, module, &kept); !error.ok())
        return session.fail(QStringLiteral("nothing was restored: ") + error.text());
    context.out << "restored " << QDir::toNativeSeparators(module) << " from " << QDir::toNativeSeparators(backup);
    if (!kept.isEmpty())
        context.out << "; as it was before, it is kept in " << QDir::toNativeSeparators(kept);
    context.out << Qt::endl;
    return CliContext::Success;
}
