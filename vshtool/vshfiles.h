#pragma once

#include <QString>
#include <optional>

class PrxDocument;

// Which open module file the tool's reads and writes address, and where its
// tables begin.
namespace VshFiles {

// The colour tables live in the module as it was opened: file 2 while this
// program's working copy of it exists, whatever the version; file 1 otherwise.
int colourFile(const PrxDocument &doc);
// The sub-icon records: file 2 from firmware 5.0 on, file 1 below.
int categoryFile(const PrxDocument &doc);
// The offset a bookmark key of the current section gives, or nothing when the
// key is missing, empty or no hexadecimal number.
std::optional<qint64> keyOffset(PrxDocument &doc, const QString &key);
// A module path is set and names a file.
bool moduleExists(const PrxDocument &doc);

} // namespace VshFiles
