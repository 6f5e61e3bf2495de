#pragma once

#include <QString>

// Writes `count` Float entries 1..count (offsets 0, 4, 8, …) as section
// `section` of the bookmark file, replacing its entry count.
void writeFloatEntries(const QString &bookmarkFile, const QString &section, int count);
