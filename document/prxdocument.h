#pragma once

#include "bookmarks/bookmarklist.h"
#include "bookmarks/bookmarkmodel.h"
#include "common/inifile.h"
#include "values/modulefiles.h"
#include "common/rgb.h"
#include "grid/celleditor.h"
#include "grid/gridgeometry.h"

#include <QObject>
#include <QStringList>
#include <array>
#include <map>
#include <memory>
#include <optional>

class Prompter;

// The application state of the main window and the operations on the open
// module: settings, opening and version detection, the working copy, the
// bookmark list. Windows read and change this state; they keep no copies.
class PrxDocument : public QObject
{
    Q_OBJECT

public:
    static inline const QString AppTitle = QStringLiteral("VantorEditor");
    static inline const QString BaseTitle = QStringLiteral("VantorEditor by VT");

    PrxDocument(const QString &homeFolder, Prompter &prompter, QObject *parent = nullptr);
    ~PrxDocument() override;

    // Settings, firmware list, view mode, bookmark folder, colours and the
    // first-run association question, in the order of the window's load.
    void startUp();
    void openFromCommandLine(const QString &argument);
    void openFromMenu();
    // The version combo box: Enter switches the section only, a click also
    // reopens the module files (and makes a new working copy for firmware 5).
    // Both first ask about unsaved values; false when the person kept them
    // (Cancel, or a Save that was stopped): nothing changed.
    bool versionEnter(const QString &text);
    bool versionClick(const QString &text);
    // Closes the module files and deletes the working copy, as the program ends.
    void closeModule();

    QString getVersion(const QString &PRXname);
    static QString GetLongFilename(const QString &sShortName);
    bool SetBookmark();
    void ReloadBookmark();
    // Before the list is dropped: the editor's typed text into the list, then
    // the exit check's question when values differ from their saved values.
    // False when the list must stay as it is.
    bool mayDropList();
    // The list into the current bookmark file; a failed write is reported and gives false.
    bool SaveVT(const QString &section);
    // Tells the person why the last write of `file` failed; true when it did not.
    bool reportWriteFailure(const IniFile &file);
    // Replaces the packed module file by the module it holds and reopens it as
    // file 1. False, with the cause told, when it could not: file 1 is closed.
    bool unpackCurrentModule();

    // State read by the windows.
    QString AppPath;
    QStringList FirmwareList;
    QString prxversion;
    bool ExpertFlag = true;
    QString bookmarkFolder;
    QString prxtempname;
    QString OpenedFiletitle;
    QString currentModuleFile;
    QString currentBookmarkFile;
    qint32 BeginOffset = 0;
    double ScrollScale = 1.0;
    float listTop = GridGeometry::ListTopAtRest;
    GridGeometry::ListScroll scroll;
    QStringList XMBmenu;
    QStringList XMBmain;
    std::array<std::optional<Rgb>, 4> colours;
    bool associatePrx = false;

    const QString &title() const { return m_title; }
    const QString &status(int panel) const { return m_status[size_t(panel - 1)]; }
    bool savePrxEnabled() const { return m_savePrxEnabled; }
    bool vshToolEnabled() const { return m_vshToolEnabled; }
    bool vshToolChecked() const { return m_vshToolChecked; }

    bool moduleOpen() const { return !currentModuleFile.isEmpty(); }
    // The working copy this program made for the open module, or empty text.
    QString workingCopyPath() const;
    QString scrambleToolPath() const;
    QString configPath() const { return AppPath + QStringLiteral("Config.ini"); }

    ModuleFiles &files() { return m_files; }
    CellEditor &editor() { return m_editor; }
    BookmarkList &list() { return m_list; }
    BookmarkModel &model() { return m_model; }
    IniFile &config() { return ini(configPath()); }
    IniFile &bookmarks() { return ini(currentBookmarkFile); }
    IniFile &ini(const QString &path);
    Prompter &prompter() { return m_prompter; }

    void writeExpertmode();

signals:
    void changed();
    void vshToolVisibilityRequested(bool visible);
    // The value check found fault with the selected row: the list takes the focus.
    void listFocusRequested();

private:
    void openModule(bool fromMenu);
    // Descrambles the module into a new working copy (file 1, with the module
    // as file 2). On failure says why and leaves no working copy.
    bool makeWorkingCopy();
    void dropWorkingCopy();
    void writeSkeleton();
    void setStatusAfterOpen();
    void setTitle(const QString &title);

    Prompter &m_prompter;
    ModuleFiles m_files;
    BookmarkModel m_model;
    CellEditor m_editor{*this};
    BookmarkList m_list{*this};
    std::map<QString, std::unique_ptr<IniFile>> m_inis;
    QString m_title = BaseTitle;
    std::array<QString, 3> m_status = {QStringLiteral("PRX Version:"), QStringLiteral("Bookmark:"),
                                       QStringLiteral("Filesize:")};
    bool m_savePrxEnabled = false;
    bool m_vshToolEnabled = false;
    bool m_vshToolChecked = false;
    // Only a file this program had the tool write is ever deleted as the working copy.
    QString m_workingCopy;
};
