#include "vshtool/vshfiles.h"

#include "common/hextext.h"
#include "common/inifile.h"
#include "document/prxdocument.h"
#include "values/firmware.h"

#include <QFileInfo>

namespace VshFiles {

int colourFile(const PrxDocument &doc)
{
    const QString copy = doc.workingCopyPath();
    return !copy.isEmpty() && QFileInfo::exists(copy) ? ModuleFiles::Held : ModuleFiles::Working;
}

int categoryFile(const PrxDocument &doc)
{
    return Firmware::hasWaveTables(doc.prxversion()) ? ModuleFiles::Held : ModuleFiles::Working;
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
