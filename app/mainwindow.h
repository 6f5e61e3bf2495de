#pragma once

#include "document/modulesaver.h"

#include <QMainWindow>

class GridView;
class OffsetDescriptionDialog;
class PrxDocument;
class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QPushButton;

// The main window (Form1): menus, the bookmark grid with its buttons, the
// status bar and the version combo box over its first panel. All state lives
// in the document.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(PrxDocument &document, QWidget *parent = nullptr);

    GridView *grid() const { return m_grid; }
    OffsetDescriptionDialog *offsetDescription();

    // Shows the version combo box over the first status panel, with the focus.
    void showVersionBox();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildMenus();
    void buildButtons();
    void buildStatusBar();
    void syncFromDocument();
    void statusBarMoved(int x);

    PrxDocument &m_doc;
    GridView *m_grid = nullptr;
    QMenu *m_savePrx = nullptr;
    QMenu *m_offsetPop = nullptr;
    QAction *m_vshTool = nullptr;
    QPushButton *m_viewButton = nullptr;
    QLabel *m_panels[3] = {};
    QComboBox *m_version = nullptr;
    OffsetDescriptionDialog *m_offsetDescription = nullptr;

    // The Save PRX items, Preferences, About and the exit check.
    void connectShell();
    void showPreferences();
    void showAbout();

    ModuleSaver m_saver;
    // The Preferences window stores its settings when it closes; one never
    // shown during the session stores them as the program ends.
    bool m_preferencesShown = false;
};
