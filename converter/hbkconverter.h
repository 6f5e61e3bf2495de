#pragma once

#include "converter/conversionreport.h"

#include <QString>

// Turns the bookmarks of a .hbk file into the entries of one firmware-version
// section of the .vt bookmark file beside it. The one conversion that the
// Kestrin window, `Kestrin --convert` and the editor's command line share.
class HbkConverter
{
public:
    struct Options
    {
        // A record whose count field is above 1 becomes that many entries.
        bool expandArrays = false;
        // The module the bookmarks are for: its size becomes the section's
        // PRXSize, by which the editor finds the version. Empty: none named.
        QString modulePath;
    };

    static constexpr int MaxArrayCount = 4096;
    // Expanded arrays may give at most this many entries in all (about 8 MB of
    // .vt text, a list the editor still loads at once); above it the
    // conversion fails and writes nothing.
    static constexpr int MaxExpandedEntries = 65536;

    // Writes `PRXSize` when a module is named, `offset` = the number of
    // entries written, then per entry the keys description, offset, type,
    // length and file, all in one atomic write of the .vt file. Every record
    // with a description gives an entry. Keys of the section not written here,
    // and every other section, stay as they were. On failure nothing is written.
    static ConversionReport convert(const QString &hbkPath, const QString &section, const Options &options);

    // vshmain.hbk gives vshmain.vt: the last three characters replaced by
    // "vt"; a file name without a three-letter extension gets ".vt" appended.
    static QString outputPathFor(const QString &hbkPath);
};
