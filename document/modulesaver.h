#pragma once

#include "common/safefile.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class BookmarkModel;
class IniFile;
class ModuleFiles;
class Prompter;
struct BookmarkRow;

// The open module as a save sees it.
struct SaveTarget
{
    QString module;       // the module file as opened
    QString version;      // the firmware version: its bookmark section
    QString workingCopy;  // the working copy this program made, or empty text
    QString scrambleTool;
    QString headerTemplate;
    IniFile *bookmarks = nullptr; // the bookmark file, when there is one

    bool isOpen() const { return !module.isEmpty(); }
    QString title() const;
};

// The Save PRX menu and the question about unsaved values: writing the list's
// values into the module files, copies under other names, packed copies.
class ModuleSaver
{
public:
    ModuleSaver(BookmarkModel &model, ModuleFiles &files, Prompter &prompter);

    // The save works on what `target` gives at the start of each operation.
    void setTarget(std::function<SaveTarget()> target) { m_target = std::move(target); }
    // Called with the 0-based row whose value can not be written, before the person is told.
    void setFaultHandler(std::function<void(int row)> handler) { m_onFault = std::move(handler); }
    // Asked before anything is written: false stops the save (the files
    // changed on disk and the person did not choose to write over them).
    void setDiskCheck(std::function<bool()> check) { m_diskCheck = std::move(check); }
    // Asked before the module file is replaced, with its path: text (why it
    // can not be backed up first) stops the save.
    void setBeforeModuleChange(std::function<QString(const QString &module)> check)
    {
        m_beforeModuleChange = std::move(check);
    }
    // Called when a save has put a new working copy in place of the old one.
    void setWorkingCopyRenewed(std::function<void()> renewed) { m_onWorkingCopyRenewed = std::move(renewed); }

    // Value check (also refused: two rows that would be written sharing a
    // byte), every changed value into its module file at its offset, for
    // firmware 5 and later the working copy scrambled back (writes made into
    // file 2 are made again on the result) and the result descrambled as the
    // new working copy, the module replaced in one step, every row's value
    // read again from the files, then the list into the bookmark file.
    // False, with a message, when the module was not changed (it is as it
    // was) or the bookmark file could not be written.
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
    // The same question while the program goes on: `dropping` names what
    // drops the list ("Refreshing the bookmark list"). Yes saves first, No
    // drops the changes, Cancel keeps them.
    bool dropCheck(const QString &dropping);
    // 0-based row of the first value that differs from its snapshot, or -1.
    int firstModifiedRow();

    // The path chosen last in either save dialog.
    const QString &lastSavePath() const { return m_lastSavePath; }

private:
    struct Fault
    {
        int row;
        QString text;
    };

    bool askAboutChanges(const QString &question);
    static bool isPending(const BookmarkRow &row);
    // Whether Save writes the row: changed, of a written type, into an open
    // file (any row, when `intoCopy`: a copy takes every row).
    bool isWritten(const BookmarkRow &row, bool intoCopy) const;
    // Selects the first changed row whose value can not be written and says
    // so. With `copySize` every row goes into one copy of that size, whatever
    // its File cell.
    bool checkValues(std::optional<qint64> copySize = std::nullopt);
    Fault firstFault(std::optional<qint64> copySize);
    // Two written rows on one byte of one file: one of them would undo the other.
    Fault firstOverlap(std::optional<qint64> copySize);
    bool fail(const QString &text);
    // Empty text when the module may be replaced now, else why not.
    QString beforeModuleChange() const;
    // Each returns empty text when the module changed, complete, or why it did not change.
    QString savePlain();
    // Replaces only the version of the slot's file that was read.
    SafeFile::Options expecting(int slot) const;
    QString saveScrambled();
    // The steps of saveScrambled, each giving empty text or why the save stops.
    QString scrambleBack(SafeFile::Stage &stage, const QString &copyName, const QString &moduleName);
    QString writeHeld(const QString &staged);
    QString descrambleSaved(const QString &staged, SafeFile::Stage &copyStage, const QString &moduleName,
                            const QString &copyName);
    // After the module was replaced: the working copy made in `copyStage`
    // takes the old one's place (when it can not, the old one stays and says so).
    void renewWorkingCopy(SafeFile::Stage &copyStage, const QString &copyName);
    // Says so when the module's new size no longer finds its version.
    void noteSizeChange(qint64 before, qint64 after);
    // The changed rows whose File cell is `fileCell`, written into `target`'s `slot`.
    QString writePending(ModuleFiles &target, int slot, int fileCell);
    // A complete copy of `from` over the existing file `to`, with the changed
    // values when `withValues`; failures are reported.
    bool copyOver(const QString &from, const QString &to, bool withValues);
    QString chooseTarget(const QString &start);
    bool saveList();

    BookmarkModel &m_model;
    ModuleFiles &m_files;
    Prompter &m_prompter;
    std::function<SaveTarget()> m_target;
    std::function<void(int row)> m_onFault;
    std::function<bool()> m_diskCheck;
    std::function<void()> m_onWorkingCopyRenewed;
    std::function<QString(const QString &module)> m_beforeModuleChange;
    SaveTarget m_t;
    QString m_lastSavePath;
    // What a save that succeeded has to say once it is done.
    QStringList m_notices;
};
