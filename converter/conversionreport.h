#pragma once

#include <QString>
#include <vector>

// What one conversion did: shown in the window's status line, printed by
// `Kestrin --convert`, and used by any other caller of HbkConverter.
struct ConversionReport
{
    enum class SkipReason { Empty, OffsetNotHex, SizeNotHex, OutOfRange, ArrayTooLarge };

    struct Skip
    {
        int record = 0; // 1-based position in the .hbk file
        SkipReason reason = SkipReason::Empty;
    };

    bool ok = false;
    // On failure: names the file and the cause.
    QString message;
    QString outputPath;
    QString section;
    int recordsRead = 0;
    int entriesWritten = 0;
    std::vector<Skip> skipped;

    // On success: how many bookmarks went to which section of which file, and
    // how many records were skipped and why. On failure: the message.
    QString statusLine() const;

    static QString reasonText(SkipReason reason);
    int skippedFor(SkipReason reason) const;
};
