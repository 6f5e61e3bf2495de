#pragma once

#include <QMainWindow>

class PrxDocument;
class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QTableView;

// The main window (Form1): menus, the bookmark list, the status bar and the
// version combo box over its first panel. All state lives in the document.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(PrxDocument &document, QWidget *parent = nullptr);

    QTableView *list() const { return m_list; }

    // Shows the version combo box over the first status panel.
    void showVersionBox();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildMenus();
    void buildStatusBar();
    void syncFromDocument();
    void applyColumnLayout();
    void applyColours();

    PrxDocument &m_doc;
    QTableView *m_list = nullptr;
    QMenu *m_savePrx = nullptr;
    QAction *m_vshTool = nullptr;
    QLabel *m_panels[3] = {};
    QComboBox *m_version = nullptr;
};
