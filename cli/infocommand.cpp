#include "cli/cliparser.h"
#include "cli/clisession.h"
#include "cli/commands.h"
#include "document/modulepacker.h"
#include "document/moduleunpacker.h"
#include "values/firmware.h"
#include "values/modulefiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

struct Identity
{
    QString format;
    qint64 moduleSize = -1; // of the module itself, inside a packed file too
};

Identity identify(QFile &file)
{
    const QByteArray magic = file.peek(4);
    if (magic == QByteArrayLiteral("\x7F" "ELF"))
        return {QStringLiteral("elf"), file.size()};
    // A packed file is never larger than the packed format allows: anything bigger is unknown unread.
    const ModuleUnpacker::Result unpacked = ModuleUnpacker::unpackBytes(file.read(ModulePacker::SizeLimit));
    if (unpacked.ok())
        return {QStringLiteral("packed"), unpacked.module.size()};
    return {QStringLiteral("unknown"), -1};
}

} // namespace

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
    if (!file.open(QIODevice::ReadOnly))
        return session.fail(QStringLiteral("Can not open %1: %2").arg(QDir::toNativeSeparators(module), file.errorString()));
    const Identity identity = identify(file);
    const QString base = ModuleFiles::baseName(QFileInfo(module).fileName());
    PrxDocument &doc = session.document();
    const QString version = identity.moduleSize >= 0 ? doc.versionOfSize(base, identity.moduleSize) : QString();
    const QString bookmarks = doc.settings().bookmarkFile(base);

    context.out << "size: " << file.size() << '\n'
                << "format: " << identity.format << '\n'
                << "version: " << (version.isEmpty() ? QStringLiteral("none") : version) << '\n'
                << "bookmark file: "
                << (QFileInfo(bookmarks).isFile() ? QDir::toNativeSeparators(bookmarks) : QStringLiteral("none")) << '\n'
                << "scrambled: " << (Firmware::isScrambled(version) ? "yes" : "no") << Qt::endl;
    return CliContext::Success;
}
