#pragma once

#include "vshtool/colourtable.h"
#include "vshtool/subiconrecords.h"

#include <QWidget>
#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QStackedLayout;
class SwatchView;
class VshTool;
class XmbPictureView;
struct ColourTables;

// The VSHmain tool window (Form2): the monthly colour tables as swatches, the
// wave alphas, and the sub-icon records. Every change goes into the module at
// once; the window keeps nothing but its controls.
class VshToolWindow : public QWidget
{
    Q_OBJECT

public:
    // Creating the window offers the wave tables by version and, from 5.0 on
    // with a module set, clears the five bytes at 0x1A0E8.
    VshToolWindow(VshTool &tool, QWidget *parent = nullptr);

    // All tables into the swatches and alpha boxes; a failed read says so once.
    void VSHreadcolor();
    // The document's lists into cmbSub and cmbMain, for those that were read.
    void fillCategoryLists(bool subMenu, bool main);
    // The wave options enabled from firmware 5.0 on.
    void applyVersion();
    // Without an open module: no colours, no alphas, no export or import.
    void applyModule();
    // The module's bytes changed under the window (an undo or redo): the
    // swatches, alphas and the selected sub-icon record are read again.
    void readModuleAgain();

signals:
    // The close box: the window goes away.
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Panel
    {
        QRadioButton *option = nullptr;
        QGroupBox *frame = nullptr;
        std::array<SwatchView *, kMonths> swatches{};
        std::array<QLineEdit *, kMonths> alphas{};
        SwatchView *all = nullptr;
    };

    void buildPanel(ColourTable table, QWidget *parent);
    QWidget *buildCategories();
    void showPanel(ColourTable table);
    void pickMonth(ColourTable table, int month);
    void pickAllMonths(ColourTable table);
    void alphaChanged(ColourTable layer, int month, const QString &text);
    void setAlphaText(QLineEdit *box, const QString &text);
    void selectRecord(int index);
    void writeMainCategory(int index);
    void xmbClicked();
    void xmbSlimOnly();
    void tell(const QString &what, const QString &why);
    // The XMB preview of the month last picked, typed or clicked, from `tables`.
    void showPreview(const ColourTables &tables);
    void showPreviewMonth(int month);
    void exportColours();
    void importColours();
    Panel &panel(ColourTable table) { return m_panels[size_t(table)]; }

    VshTool &m_tool;
    SubIconRecords m_records;
    std::array<Panel, 4> m_panels;
    QStackedLayout *m_stack = nullptr;
    QComboBox *m_sub = nullptr;
    QComboBox *m_main = nullptr;
    QCheckBox *m_editMain = nullptr;
    QCheckBox *m_xmb = nullptr;
    QPushButton *m_export = nullptr;
    QPushButton *m_import = nullptr;
    XmbPictureView *m_preview = nullptr;
    int m_previewMonth = 0;
    int m_xmbState = 2;
    bool m_filling = false;
};
