#include "cli/cliparser.h"
#include "cli/clisession.h"
#include "cli/commands.h"
#include "cli/moduleidentity.h"
#include "common/undecodablename.h"
#include "values/firmware.h"
#include "values/modulefiles.h"

#include <QDir>
#include "common/safefile.h"

#include <QFile>
#include <QFileInfo>

int infoCommand(CliContext &context)
{
    CliParser parser(context, QStringLiteral("vantor info MODULE"));
    if (!parser.parse(1, 1))
        return CliContext::UsageError;
    const QString module = parser.operands().first();
    CliSession session(context);
    QFile file(module);
    if (QFileInfo(module).isDir())
        return session.fail(QStringLiteral("%1 is a folder, not a module file.").arg(QDir::toNativeSeparators(module)));
    if (QFileInfo(module).exists() && !QFileInfo(module).isFile())
        return session.fail(SafeFile::checkInput(module).text());
    if (!file.open(QIODevice::ReadOnly)) {
        const QString undecodable = UndecodableName::message(module);
        return session.fail(!undecodable.isEmpty() ? undecodable
                                                   : QStringLiteral("Can not open %1: %2")
                                                         .arg(QDir::toNativeSeparators(module), file.errorString()));
    }
    const ModuleIdentity identity = ModuleIdentity::of(file);
    const QString base = ModuleFiles::baseName(QFileInfo(module).fileName());
    PrxDocument &doc = session.document();
    const QString version = identity.moduleSize >= 0 ? doc.versionOfSize(base, identity.moduleSize) : QString();
    const QString bookmarks = doc.settings().bookmarkFile(base);

    context.out << "size: " << file.size() << '\n'
                << "format: " << identity.formatName() << '\n'
                << "version: " << (version.isEmpty() ? QStringLiteral("none") : version) << '\n'
                << "bookmark file: "
                << (QFileInfo(bookmarks).isFile() ? QDir::toNativeSeparators(bookmarks) : QStringLiteral("none")) << '\n'
                << "scrambled: " << (Firmware::isScrambled(version) ? "yes" : "no") << Qt::endl;
    return CliContext::Success;
}
