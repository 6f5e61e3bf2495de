#pragma once

#include "bookmarks/bookmarkmodel.h"
#include "common/inistore.h"
#include "document/backupstore.h"
#include "bookmarks/editrules.h"
#include "document/modulesaver.h"
#include "document/settings.h"
#include "document/workingcopy.h"
#include "values/modulefiles.h"

#include <QObject>
#include <QStringList>
#include <QUndoStack>
#include <optional>
#include <utility>

class IniFile;
class Prompter;

// A session's document: the settings, the open module with its working copy,
// its version and the bookmark list of that version's section. Windows call
// its operations and follow its signals; they keep no copies of its state.
class PrxDocument : public QObject
{
    Q_OBJECT

public:
    PrxDocument(const QString &homeFolder, Prompter &prompter, QObject *parent = nullptr);
    ~PrxDocument() override;

    // Settings, firmware list, view mode, bookmark folder, colours and the
    // first-run association question, in the order of the window's load.
    // Without `askFirstRun` (scripts) the association question is not asked and nothing is stored for it.
    void startUp(bool askFirstRun = true);
    // Opens a module named on a command line. A `version` given is used
    // instead of the one its size gives.
    void openFromCommandLine(const QString &argument, const QString &version = QString());
    void openFromMenu();
    // Opens a module named by the window (a recent module, a dropped file) as
    // openFromMenu opens the chosen one: unsaved values are asked about first.
    void openPath(const QString &path);
    // The version combo box: Enter switches the section only, a click also
    // reopens the module files (and makes a new working copy for firmware 5).
    // Both first ask about unsaved values; false when the person kept them
    // (Cancel, or a Save that was stopped): nothing changed.
    bool versionEnter(const QString &text);
    bool versionClick(const QString &text);
    // Closes the module files and deletes the working copy, as the program ends.
    void closeModule();

    QString getVersion(const QString &moduleName);
    // The version whose recorded PRXSize in moduleName's bookmark file is `size`, or empty text.
    QString versionOfSize(const QString &moduleName, qint64 size);
    static QString GetLongFilename(const QString &shortName);
    bool SetBookmark();
    void ReloadBookmark();
    // The sub-menu and main-category lists of the current section into
    // XMBmenu() and XMBmain(); a missing key leaves its list as it was.
    struct CategoryLists
    {
        bool subMenu = false;
        bool main = false;
    };
    CategoryLists readCategoryLists();
    // What drops the list while the program goes on.
    enum class ListDrop { Refresh, Version, OpenModule };
    // Before the list is dropped: pending edits into the list (aboutToDropList),
    // then, when values differ from their saved values, the question whether
    // to save them first, naming what drops them. False when the list must
    // stay as it is.
    bool mayDropList(ListDrop why);
    // The list into the current bookmark file; a failed write is reported and gives false.
    bool SaveVT(const QString &section);
    // Replaces the packed module file by the module it holds and reopens it as
    // file 1. False, with the cause told, when it could not: file 1 is closed.
    bool unpackCurrentModule();

    // The backups of the open module's name, newest first.
    std::vector<BackupStore::Backup> backups() const { return m_backups.list(m_currentModuleFile); }
    BackupStore &backupStore() { return m_backups; }
    // After the person's Yes: `backup` (one of backups()) replaces the open
    // module, which is backed up first, and the module is opened again. False
    // when nothing was replaced (No, or a failure that was told).
    bool restoreBackup(const QString &backup);

    // The Save PRX menu and the exit check (see ModuleSaver).
    bool save() { return m_saver.save(); }
    void saveAs() { m_saver.saveAs(); }
    void saveCompressedAs() { m_saver.saveCompressedAs(); }
    bool exitCheck() { return m_saver.exitCheck(); }
    int firstModifiedRow() { return m_saver.firstModifiedRow(); }
    const QString &lastSavePath() const { return m_saver.lastSavePath(); }
    SaveTarget saveTarget();

    Settings &settings() { return m_settings; }
    const Settings &settings() const { return m_settings; }
    IniFile &config() { return m_settings.config(); }
    const QString &prxversion() const { return m_prxversion; }
    const QString &prxtempname() const { return m_prxtempname; }
    const QString &OpenedFiletitle() const { return m_openedFiletitle; }
    const QString &currentModuleFile() const { return m_currentModuleFile; }
    const QString &currentBookmarkFile() const { return m_currentBookmarkFile; }
    qint32 BeginOffset() const { return m_beginOffset; }
    // The start of the sub-icon record the VSHmain tool has selected.
    void setBeginOffset(qint32 offset) { m_beginOffset = offset; }
    const QStringList &XMBmenu() const { return m_xmbMenu; }
    const QStringList &XMBmain() const { return m_xmbMain; }
    // The open module is a vshmain whose section says where its tables begin.
    bool vshToolEnabled() const { return m_vshToolEnabled; }
    // The file name the window's title shows, or empty text.
    const QString &titledModule() const { return m_titledModule; }

    bool moduleOpen() const { return !m_currentModuleFile.isEmpty(); }

    // What happens when the open module or its bookmark file was changed by
    // another program: the person is asked (the window), or nothing is
    // written over it (scripts).
    enum class DiskChanges { Ask, Refuse };
    void setDiskChanges(DiskChanges policy) { m_diskChanges = policy; }
    // Checks the module and its bookmark file against the versions read or
    // written here. When another program changed one, asks: Yes reloads (the
    // changes not saved here are lost), No keeps this version, to be saved
    // over the other; Cancel does neither. True when the caller may go on
    // writing: nothing changed, or No.
    bool confirmDiskVersion(bool beforeSave = true);
    // The working copy this program made for the open module, or empty text.
    QString workingCopyPath() const { return m_workingCopy.path(); }

    // The history of changes. Every change of the list or of a module made
    // through the operations below is one command on it; it ends when
    // another module is opened or the list is reloaded.
    const QUndoStack &history() const { return m_history; }
    // Takes back (or makes again) the latest change. A change that can not
    // be made (a module file read-only or changed by another program) is
    // told, and leaves the history where it was: false then.
    bool undo();
    bool redo();

    // One edit of a cell (0-based row, a BookmarkRow column) from `before`
    // to `newText`, by the in-place editor's rules; the keystrokes of one
    // `session` of the editor on one cell are one change.
    EditRules::Change editCell(int row, int column, const QString &before, const QString &newText, qint64 moduleSize,
                               quint64 session);
    // The row's cells put back as they were when an edit began (Escape).
    void restoreRow(int row, int column, const BookmarkRow &cells, quint64 session);
    // A new empty row of `type` at the end of the list.
    void addTypedRow(const QString &type);
    // One row per offset (search hits), their values read from the module.
    void addDescribedRows(const QString &description, const QStringList &values, const QStringList &offsets,
                          const QString &type, const QString &file, int length);
    void removeRow(int row);
    // Sorts by a column's text and writes the section in that order.
    void sortList(int column, bool ascending);
    // The row's cells as last loaded or saved; its value read anew when its place changed.
    void revertRow(int row);
    // View Offsets / Hide Offsets: the Expertmode setting turned over.
    void toggleExpertFlag();
    // The Preferences window's choices into Config.ini; false when the write failed.
    bool storePreferences(const Settings::Colours &colours, bool associate)
    {
        return m_settings.storePreferences(colours, associate);
    }
    // Writes bytes into a module file as one change named `text`: all of
    // them in one replacement, or none. Empty text when written, else why not.
    QString writeModule(int slot, const std::vector<std::pair<qint64, QByteArray>> &writes, const QString &text);

    ModuleFiles &files() { return m_files; }
    const ModuleFiles &files() const { return m_files; }
    BookmarkModel &model() { return m_model; }
    const BookmarkModel &model() const { return m_model; }
    IniFile &bookmarks() { return ini(m_currentBookmarkFile); }
    IniFile &ini(const QString &path) { return m_inis.file(path); }
    Prompter &prompter() { return m_prompter; }

signals:
    void changed();
    // The settings are read.
    void started();
    // A module was opened: its bookmark file and size are to be shown.
    void moduleShown();
    // A module was opened and its list loaded.
    void moduleOpened();
    // An open failed: no module is open and none is to be shown.
    void moduleClosed();
    // The version in use changed: by the person's choice, or by an open.
    void versionChanged(bool chosen);
    void vshToolVisibilityRequested(bool visible);
    // The list was reloaded: the VSHmain tool reads the colour tables when
    // `readColours` (a vshmain module whose section has them), takes the
    // category lists that were read, and offers the wave tables by version.
    void vshToolReloaded(bool readColours, bool subMenuRead, bool mainRead);
    // The list is about to be replaced or asked about: pending edits go in now.
    void aboutToDropList();
    // A value of the 0-based row can not be saved; the person is told next.
    void valueFaulted(int row);
    // An undo or redo wrote into a module file: what is shown of it is to be read again.
    void moduleRewritten();
    // An undo or redo changed the list or a module: an edit in progress ends.
    void historyMoved();

private:
    void openModule(bool fromMenu, const QString &version = QString());
    void openChosen(const QString &chosen);
    bool askBeforeDrop(ListDrop why);
    bool makeWorkingCopy();
    void writeSkeleton();
    // Why the current bookmark file can not be read (a folder, a bookmark
    // folder that is a file, no permission), or empty text.
    QString bookmarkFileProblem();
    void setTitledModule(const QString &title);
    // The module slot that holds the file as it lies on disk (not the working copy).
    int moduleSlot() const;
    void rememberBookmarkVersion();
    bool bookmarksChangedOnDisk();
    void reloadFromDisk();
    // Empty text when the module at `path` is backed up (once an opening), else why not.
    QString backUpBeforeChange(const QString &path);
    bool step(bool forward);
    void pushDone(class DocumentCommand *command);

    Prompter &m_prompter;
    IniStore m_inis;
    Settings m_settings;
    ModuleFiles m_files;
    BookmarkModel m_model;
    WorkingCopy m_workingCopy{m_files, m_prompter};
    ModuleSaver m_saver{m_model, m_files, m_prompter};
    BackupStore m_backups;
    QUndoStack m_history;

    QString m_prxversion;
    QString m_prxtempname;
    QString m_openedFiletitle;
    QString m_currentModuleFile;
    QString m_currentBookmarkFile;
    qint32 m_beginOffset = 0;
    QStringList m_xmbMenu;
    QStringList m_xmbMain;
    bool m_vshToolEnabled = false;
    QString m_titledModule;
    DiskChanges m_diskChanges = DiskChanges::Ask;
    FileStamp m_bookmarkStamp;
    quint64 m_bookmarkWrites = 0;
    std::optional<std::pair<FileStamp, FileStamp>> m_putOff;
};
