#include "cli/moduleidentity.h"

#include "document/modulepacker.h"
#include "document/moduleunpacker.h"

#include <QFile>

QString ModuleIdentity::formatName() const
{
    switch (format) {
    case Format::Elf:
        return QStringLiteral("elf");
    case Format::Packed:
        return QStringLiteral("packed");
    case Format::Unknown:
        break;
    }
    return QStringLiteral("unknown");
}

ModuleIdentity ModuleIdentity::of(QFile &file)
{
    const QByteArray magic = file.peek(4);
    if (magic == QByteArrayLiteral("\x7F" "ELF"))
        return {Format::Elf, file.size()};
    // A packed file is never larger than the packed format allows: anything bigger is unknown unread.
    const ModuleUnpacker::Result unpacked = ModuleUnpacker::unpackBytes(file.read(ModulePacker::SizeLimit));
    if (unpacked.ok())
        return {Format::Packed, unpacked.module.size()};
    return {};
}
