#include "cli/cliparser.h"
#include "cli/clisession.h"
#include "cli/commands.h"
#include "document/backupstore.h"

#include <QDir>
#include <QFileInfo>

int backupsCommand(CliContext &context)
{
    CliParser parser(context, QStringLiteral("vantor backups MODULE"));
    if (!parser.parse(1, 1))
        return CliContext::UsageError;
    CliSession session(context);
    // Only the module's name counts: its backups are listed also when it is gone.
    const QString module = parser.operands().first();
    const BackupStore &store = session.document().backupStore();
    const auto backups = store.list(module);
    if (backups.empty())
        context.err << "vantor: there are no backups of " << QFileInfo(module).fileName() << " in "
                    << QDir::toNativeSeparators(store.folder()) << Qt::endl;
    for (const BackupStore::Backup &b : backups)
        context.out << QDir::toNativeSeparators(b.path) << '\t' << BackupStore::timeText(b.time) << '\t' << b.size
                    << Qt::endl;
    return CliContext::Success;
}
