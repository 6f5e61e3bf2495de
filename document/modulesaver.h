#pragma once

#include <QString>
#include <optional>

class PrxDocument;
class Prompter;

// The Save PRX menu and the question about unsaved values: writing the list's
// values into the module files, copies under other names, packed copies.
class ModuleSaver
{
public:
    explicit ModuleSaver(PrxDocument &document);

    // Value check, the list into the bookmark file, every value into its
    // module file at its offset, the snapshot renewed, and for firmware 5 and
    // later the working copy scrambled back into the module file (writes made
    // into file 2 are replayed after that). False when nothing was saved: no
    // module is open, or the value check stopped it with its row selected.
    bool save();
    // "Save As...": a copy of the module, with the list's values, over an
    // existing file. The module's own snapshot stays as it was before 5.00.
    void saveAs();
    // "Save Compressed as": Save, then the module packed over an existing file.
    void saveCompressedAs();

    // Asked before the open module is let go (the window closing, another
    // module opening). True when it may go: nothing differs from the snapshot,
    // Yes saved it, or No. False for Cancel and for a Save that was stopped.
    bool exitCheck();
    // 0-based row of the first value that differs from its snapshot, or -1.
    int firstModifiedRow();

    // The path chosen last in either save dialog.
    const QString &lastSavePath() const { return m_lastSavePath; }

private:
    // Selects the first row whose value can not be written and says so. With
    // `copySize` every row goes into one copy of that size, whatever its File cell.
    bool checkValues(std::optional<qint64> copySize = std::nullopt);
    int firstInvalidRow(std::optional<qint64> copySize);
    void scrambleBack();
    QString chooseTarget(const QString &start);

    PrxDocument &m_doc;
    Prompter &m_prompter;
    QString m_lastSavePath;
};
