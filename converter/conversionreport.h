#pragma once

#include <QString>
#include <vector>

// What one conversion did: shown in the window's status line, printed by
// `Kestrin --convert`, and used by any other caller of HbkConverter.
struct ConversionReport
{
    // Why a record gave no bookmark: nothing to read in it.
    enum class SkipReason { Empty, CutShort };
    // Why an array asked to be expanded stayed one bookmark.
    enum class ArrayReason { CountTooLarge, NoNumericPlace };

    struct Skip
    {
        int record = 0; // 1-based position in the .hbk file
        SkipReason reason = SkipReason::Empty;
    };
    struct Unexpanded
    {
        int record = 0;
        ArrayReason reason = ArrayReason::CountTooLarge;
    };

    bool ok = false;
    // On failure: names the file and the cause.
    QString message;
    QString outputPath;
    QString section;
    // The whole records of the file; a record cut short is not among them.
    int recordsRead = 0;
    int entriesWritten = 0;
    std::vector<Skip> skipped;
    std::vector<Unexpanded> unexpanded;
    // The file name of the module the bookmarks were made for; empty when none was named.
    QString moduleName;
    // The PRXSize the section holds after the conversion; empty when it has none.
    QString prxSize;

    // On success: how many bookmarks went to which section of which file,
    // which records gave none and why, arrays left whole, and how the editor
    // finds the section (or that it cannot). On failure: the message.
    QString statusLine() const;

    static QString reasonText(SkipReason reason);
    static QString reasonText(ArrayReason reason);
    int skippedFor(SkipReason reason) const;
    int unexpandedFor(ArrayReason reason) const;
    // The bookmark file the editor reads for the module: its name without the
    // extension, then ".vt".
    QString moduleBookmarkName() const;
};
