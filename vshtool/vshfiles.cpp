#include "vshtool/vshfiles.h"

#include "common/hextext.h"
#include "common/inifile.h"
#include "common/numbertext.h"
#include "document/prxdocument.h"

#include <QFileInfo>

namespace VshFiles {

int colourFile(const PrxDocument &doc)
{
    const QString copy = doc.workingCopyPath();
    return !copy.isEmpty() && QFileInfo::exists(copy) ? ModuleFiles::Held : ModuleFiles::Working;
}

int categoryFile(const PrxDocument &doc)
{
    return hasWaveTables(doc.prxversion()) ? ModuleFiles::Held : ModuleFiles::Working;
}

std::optional<double> numericVersion(const QString &version)
{
    return NumberText::parse(version.trimmed());
}

bool hasWaveTables(const QString &version)
{
    const auto value = numericVersion(version);
    return value && *value >= 5.0;
}

std::optional<qint64> keyOffset(PrxDocument &doc, const QString &key)
{
    if (doc.currentBookmarkFile().isEmpty())
        return std::nullopt;
    const HexText hex = HexText::convert(doc.bookmarks().read(doc.prxversion(), key));
    // An empty key would mean offset 0: the module's header, never a table.
    return hex.isNumber() ? hex.offset() : std::nullopt;
}

bool moduleExists(const PrxDocument &doc)
{
    return !doc.currentModuleFile().isEmpty() && QFileInfo(doc.currentModuleFile()).isFile();
}

} // namespace VshFiles
