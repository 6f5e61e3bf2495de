#pragma once

#include "app/windowtexts.h"

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <vector>

class BytesDock;
class GridView;
class OffsetDescriptionDialog;
class PrxDocument;
class RecentModules;
class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QPushButton;
class QTimer;
class EditActions;
class VshToolWindow;
class SearchWindow;

// The main window (Form1): menus, the bookmark grid with its buttons, the
// status bar and the version combo box over its first panel. All state lives
// in the document.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(PrxDocument &document, QWidget *parent = nullptr);
    ~MainWindow() override;

    GridView *grid() const { return m_grid; }
    EditActions *editActions() const { return m_editActions; }
    OffsetDescriptionDialog *offsetDescription();
    // The VSHmain tool window while it exists (shown or hidden), else null.
    VshToolWindow *vshToolWindow() const;
    // The modeless search window (Tools > Search...), made on first use.
    SearchWindow *searchWindow();

    BytesDock *bytesDock() const { return m_bytesDock; }
    RecentModules &recentModules() { return *m_recent; }

    // Shows the version combo box over the first status panel, with the focus.
    void showVersionBox();

    // The size the window had when the program last ended (Config.ini,
    // "Window"), or the classic size as far as the screen allows.
    void restoreSize();
    // The size into Config.ini when it differs from the stored one; a failed
    // write is told, a good one is not.
    void storeSize();
    // The title of the file dialog that the running menu item opens; empty otherwise.
    const QString &fileDialogTitle() const { return m_fileDialogTitle; }
    // The folder of the open module, where file dialogs start; empty with none open.
    QString moduleFolder() const;
    // The window title's text: "*" after it while a value differs from its saved value.
    void updateTitle();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    // Coming back to the window: files changed meanwhile by another program are asked about.
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    // A module file dropped onto the window opens as one chosen with Open PRX.
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void buildMenus();
    void buildButtons();
    void buildPanels();
    void buildStatusBar();
    void syncFromDocument();
    void statusBarMoved(int x);
    void layoutButtons();
    void runWithDialogTitle(const QString &title, const std::function<void()> &run);
    void showSaved();
    // The VSHmain tool window, created hidden when it does not exist.
    VshToolWindow *ensureVshToolWindow();
    void connectVshTool();

    PrxDocument &m_doc;
    bool m_checkingDisk = false;
    GridView *m_grid = nullptr;
    QMenu *m_savePrx = nullptr;
    EditActions *m_editActions = nullptr;
    QMenu *m_offsetPop = nullptr;
    QAction *m_vshTool = nullptr;
    QAction *m_restoreBackup = nullptr;
    QPushButton *m_viewButton = nullptr;
    QLabel *m_panels[3] = {};
    QComboBox *m_version = nullptr;
    // Set by a click on an item of the open list or Enter in it: only such a
    // choice switches the version, not the combo box losing the focus.
    bool m_versionPicked = false;
    struct StripButton
    {
        QPushButton *button;
        int left;
        int width;
    };
    std::vector<StripButton> m_stripButtons;
    QLabel *m_savedNote = nullptr;
    QLabel *m_changedRows = nullptr;
    QTimer *m_savedTimer = nullptr;
    QString m_fileDialogTitle;
    OffsetDescriptionDialog *m_offsetDescription = nullptr;
    QPointer<VshToolWindow> m_vshWindow;
    SearchWindow *m_searchWindow = nullptr;
    BytesDock *m_bytesDock = nullptr;
    RecentModules *m_recent = nullptr;

    // The Save PRX items, Preferences, About and the exit check.
    void connectShell();
    void showPreferences();
    void showAbout();
    // File > Restore Backup...: the dialog, then the document puts the chosen one back.
    void restoreBackup();

    WindowTexts m_texts;
    // The Preferences window stores its settings when it closes; one never
    // shown during the session stores them as the program ends.
    bool m_preferencesShown = false;
};
