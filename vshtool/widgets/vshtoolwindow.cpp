#include "vshtool/widgets/vshtoolwindow.h"

#include "common/prompter.h"
#include "document/prxdocument.h"
#include "values/firmware.h"
#include "vshtool/presettransfer.h"
#include "vshtool/widgets/swatchview.h"
#include "vshtool/vshfiles.h"
#include "vshtool/vshtool.h"
#include "vshtool/widgets/xmbpictureview.h"
#include "vshtool/preview/xmbpicture.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStackedLayout>
#include <QVBoxLayout>

namespace {

const QString kPresetFilter = QStringLiteral("Colour presets (*.json)");

struct PanelNames
{
    const char *option;
    const char *optionCaption;
    const char *frame;
    const char *frameCaption;
    const char *swatch;
    const char *alpha; // empty for font and option bar
    const char *all;
};

const PanelNames &namesOf(ColourTable table)
{
    static const PanelNames names[4] = {
        {"Option1", "Font Color", "Frame6", "Font Color", "pic", "", "picAll"},
        {"Option2", "Option Color", "Frame1", "Option Bar", "infopic", "", "infoAll"},
        {"Option3", "Wave Color (Back)", "Frame3", "Wave Color", "WavePic", "txtAlpha", "WavePicAll"},
        {"Option4", "Wave Color (Front)", "Frame5", "Wave Color", "WavePicFront", "txtAlphaFront", "Picture8"},
    };
    return names[size_t(table)];
}

QString indexed(const char *name, int index)
{
    return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(index);
}

} // namespace

VshToolWindow::VshToolWindow(VshTool &tool, QWidget *parent)
    // A tool window of the main window: it stays above it, also after a
    // colour dialog or a message has given the main window the focus.
    : QWidget(parent, Qt::Tool)
    , m_tool(tool)
    , m_records(tool.document())
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("VSHmain Tool"));
    if (parent)
        setWindowIcon(parent->windowIcon());
    setAttribute(Qt::WA_DeleteOnClose);

    auto *layout = new QVBoxLayout(this);
    auto *options = new QHBoxLayout;
    auto *group = new QButtonGroup(this);
    auto *panels = new QWidget(this);
    // One panel shows at a time; the window keeps the size of the largest.
    m_stack = new QStackedLayout(panels);
    for (ColourTable table : kColourTables) {
        Panel &p = panel(table);
        p.option = new QRadioButton(QLatin1String(namesOf(table).optionCaption), this);
        p.option->setObjectName(QLatin1String(namesOf(table).option));
        group->addButton(p.option);
        options->addWidget(p.option);
        connect(p.option, &QRadioButton::clicked, this, [this, table] { showPanel(table); });
        buildPanel(table, panels);
        m_stack->addWidget(p.frame);
    }
    options->addStretch();
    layout->addLayout(options);
    // The preview beside the swatches, so the window stays low enough for small screens.
    auto *colours = new QHBoxLayout;
    colours->addWidget(panels);
    auto *previewFrame = new QGroupBox(QStringLiteral("XMB Preview"), this);
    previewFrame->setObjectName(QStringLiteral("FramePreview"));
    m_preview = new XmbPictureView(QStringLiteral("picPreview"), previewFrame);
    connect(m_preview, &XmbPictureView::monthClicked, this, &VshToolWindow::showPreviewMonth);
    (new QVBoxLayout(previewFrame))->addWidget(m_preview);
    colours->addWidget(previewFrame, 1);
    layout->addLayout(colours);
    layout->addWidget(buildCategories());

    auto *buttons = new QHBoxLayout;
    m_export = new QPushButton(QStringLiteral("Export Colours..."), this);
    m_export->setObjectName(QStringLiteral("cmdExportColours"));
    m_import = new QPushButton(QStringLiteral("Import Colours..."), this);
    m_import->setObjectName(QStringLiteral("cmdImportColours"));
    connect(m_export, &QPushButton::clicked, this, &VshToolWindow::exportColours);
    connect(m_import, &QPushButton::clicked, this, &VshToolWindow::importColours);
    buttons->addStretch();
    buttons->addWidget(m_export);
    buttons->addWidget(m_import);
    layout->addLayout(buttons);

    // Qt would give a new window at most two thirds of the screen, which
    // squeezes the preview on a small one: as much as it asks for, if the screen has it.
    if (const QScreen *where = screen())
        resize(sizeHint().boundedTo(where->availableSize() - QSize(16, 48)).expandedTo(minimumSizeHint()));

    panel(ColourTable::Font).option->setChecked(true);
    showPanel(ColourTable::Font);
    applyVersion();
    applyModule();
    // Not a person's action: a module the clear can not go into (read-only,
    // too short) was spoken of when it was opened, and stays as it is.
    if (Firmware::hasWaveTables(m_tool.document().prxversion()))
        m_tool.clearFixed();
}

void VshToolWindow::buildPanel(ColourTable table, QWidget *parent)
{
    const PanelNames &names = namesOf(table);
    Panel &p = panel(table);
    p.frame = new QGroupBox(QLatin1String(names.frameCaption), parent);
    p.frame->setObjectName(QLatin1String(names.frame));
    auto *grid = new QGridLayout(p.frame);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(8);
    const bool wave = isWave(table);
    const int columnsPerMonth = wave ? 4 : 3;
    for (int m = 0; m < kMonths; ++m) {
        const int row = m / 3;
        const int column = (m % 3) * columnsPerMonth;
        p.swatches[size_t(m)] = new SwatchView(indexed(names.swatch, m), p.frame);
        p.swatches[size_t(m)]->setAccessibleName(
            QStringLiteral("%1, %2").arg(QLatin1String(names.optionCaption), QLatin1String(kMonthNames[m])));
        connect(p.swatches[size_t(m)], &SwatchView::clicked, this, [this, table, m] { pickMonth(table, m); });
        grid->addWidget(p.swatches[size_t(m)], row, column);
        auto *label = new QLabel(QLatin1String(kMonthNames[m]), p.frame);
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("September")) + 4);
        grid->addWidget(label, row, column + 1);
        if (wave) {
            auto *box = new QLineEdit(p.frame);
            box->setObjectName(indexed(names.alpha, m));
            box->setFixedWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("0.0000000")) + 12);
            box->setToolTip(QStringLiteral("Alpha of %1, 0 to 1").arg(QLatin1String(kMonthNames[m])));
            box->setAccessibleName(QStringLiteral("Alpha of %1").arg(QLatin1String(kMonthNames[m])));
            p.alphas[size_t(m)] = box;
            connect(box, &QLineEdit::textChanged, this,
                    [this, table, m](const QString &text) { alphaChanged(table, m, text); });
            grid->addWidget(box, row, column + 2);
        }
        if (m % 3 != 2)
            grid->setColumnMinimumWidth(column + columnsPerMonth - 1, 18);
    }
    p.all = new SwatchView(QLatin1String(names.all), p.frame);
    p.all->setAccessibleName(QStringLiteral("%1, all months").arg(QLatin1String(names.optionCaption)));
    connect(p.all, &SwatchView::clicked, this, [this, table] { pickAllMonths(table); });
    grid->addWidget(p.all, 4, 0);
    grid->addWidget(new QLabel(QStringLiteral("All Months"), p.frame), 4, 1, 1, 2);
}

QWidget *VshToolWindow::buildCategories()
{
    auto *frame = new QGroupBox(QStringLiteral("Re-Order Icons"), this);
    frame->setObjectName(QStringLiteral("Frame2"));
    auto *row = new QHBoxLayout(frame);
    m_sub = new QComboBox(frame);
    m_sub->setObjectName(QStringLiteral("cmbSub"));
    m_sub->setAccessibleName(QStringLiteral("Sub-icon"));
    m_sub->setPlaceholderText(QStringLiteral("Network Update"));
    m_sub->setMinimumContentsLength(20);
    m_editMain = new QCheckBox(QStringLiteral("Main Category"), frame);
    m_editMain->setObjectName(QStringLiteral("chkEditMain"));
    m_editMain->setToolTip(QStringLiteral("Redirect Subicons"));
    m_main = new QComboBox(frame);
    m_main->setObjectName(QStringLiteral("cmbMain"));
    m_main->setAccessibleName(QStringLiteral("Main category of the sub-icon"));
    m_main->addItems({QStringLiteral("Settings"), QStringLiteral("Photo"), QStringLiteral("Music"),
                      QStringLiteral("Video"), QStringLiteral("TV"), QStringLiteral("Game"),
                      QStringLiteral("Network")});
    m_main->setMinimumContentsLength(10);
    m_main->setEnabled(false);
    m_xmb = new QCheckBox(frame);
    m_xmb->setObjectName(QStringLiteral("chkXMB"));
    m_xmb->setAccessibleName(QStringLiteral("Submenu enabled"));
    m_xmb->setTristate(true);
    m_xmb->setCheckState(Qt::Checked);
    m_xmbState = Qt::Checked;
    m_xmb->setToolTip(QStringLiteral("Enable/Disable Submenu. Righ-Click to enable for slim only"));
    m_xmb->installEventFilter(this);
    row->addWidget(m_sub, 1);
    row->addSpacing(12);
    row->addWidget(m_editMain);
    row->addWidget(m_main, 1);
    row->addSpacing(12);
    row->addWidget(m_xmb);

    connect(m_sub, &QComboBox::activated, this, &VshToolWindow::selectRecord);
    connect(m_main, &QComboBox::activated, this, &VshToolWindow::writeMainCategory);
    connect(m_editMain, &QCheckBox::clicked, this, [this] { m_main->setEnabled(!m_main->isEnabled()); });
    connect(m_xmb, &QCheckBox::clicked, this, &VshToolWindow::xmbClicked);
    return frame;
}

void VshToolWindow::showPanel(ColourTable table)
{
    m_stack->setCurrentWidget(panel(table).frame);
}

void VshToolWindow::applyVersion()
{
    const bool waves = Firmware::hasWaveTables(m_tool.document().prxversion());
    for (ColourTable t : {ColourTable::WaveBack, ColourTable::WaveFront}) {
        panel(t).option->setEnabled(waves);
        // A wave panel left showing would still take clicks for tables the version lacks.
        if (!waves && m_stack->currentWidget() == panel(t).frame) {
            panel(ColourTable::Font).option->setChecked(true);
            showPanel(ColourTable::Font);
        }
    }
}

void VshToolWindow::applyModule()
{
    const bool open = m_tool.document().moduleOpen();
    m_export->setEnabled(open);
    m_import->setEnabled(open);
    if (open)
        return;
    // Nothing of a module that is gone stays on show.
    for (ColourTable t : kColourTables) {
        Panel &p = panel(t);
        for (int m = 0; m < kMonths; ++m) {
            p.swatches[size_t(m)]->setColour(SwatchView::NoColour);
            if (isWave(t))
                setAlphaText(p.alphas[size_t(m)], QString());
        }
        p.all->setColour(SwatchView::NoColour);
    }
    m_preview->clear();
}

void VshToolWindow::readModuleAgain()
{
    if (!m_tool.document().moduleOpen())
        return;
    VSHreadcolor();
    if (m_sub->currentIndex() >= 0)
        selectRecord(m_sub->currentIndex());
}

void VshToolWindow::VSHreadcolor()
{
    ColourTables tables = m_tool.VSHreadcolor();
    for (ColourTable t : kColourTables) {
        for (int m = 0; m < kMonths; ++m) {
            if (const auto &colour = tables.swatch(t, m))
                panel(t).swatches[size_t(m)]->setColour(*colour);
            if (isWave(t))
                if (const auto &alpha = tables.alpha(t, m))
                    setAlphaText(panel(t).alphas[size_t(m)], *alpha);
        }
    }
    showPreview(tables);
    if (!tables.complete)
        m_tool.document().prompter().inform(
            QStringLiteral("PRX Version doesn't match!\r\nPlease select the correct version."), Prompter::AppTitle,
            Prompter::Icon::None);
}

void VshToolWindow::tell(const QString &what, const QString &why)
{
    m_tool.document().prompter().inform(what + QStringLiteral(": ") + why + QLatin1Char('.'), Prompter::AppTitle,
                                        Prompter::Icon::Warning);
}

void VshToolWindow::showPreview(const ColourTables &tables)
{
    if (!m_tool.document().moduleOpen())
        return m_preview->clear();
    m_preview->setPicture(XmbPicture::month(tables, m_previewMonth), m_previewMonth);
}

void VshToolWindow::showPreviewMonth(int month)
{
    m_previewMonth = month;
    showPreview(m_tool.VSHreadcolor());
}

void VshToolWindow::pickMonth(ColourTable table, int month)
{
    // The month a person turns to is the one to see, also when the pick is cancelled.
    showPreviewMonth(month);
    const ColourWrite result = m_tool.WriteColor(table, month);
    if (result.status == ColourWrite::Status::Refused)
        return tell(QStringLiteral("The colour was not written"), result.why);
    if (result.status != ColourWrite::Status::Written)
        return;
    panel(table).swatches[size_t(month)]->setColour(result.colour);
    // What the file holds now, with the wave's alpha.
    VSHreadcolor();
}

void VshToolWindow::pickAllMonths(ColourTable table)
{
    const ColourWrite result = m_tool.WriteColorAllMonths(table);
    if (result.status == ColourWrite::Status::Refused)
        return tell(QStringLiteral("The colour was not written"), result.why);
    if (result.status != ColourWrite::Status::Written)
        return;
    // Unblended, also for the waves, until the tables are read again.
    for (SwatchView *swatch : panel(table).swatches)
        swatch->setColour(result.colour);
    panel(table).all->setColour(result.colour);
    showPreview(m_tool.VSHreadcolor());
}

void VshToolWindow::setAlphaText(QLineEdit *box, const QString &text)
{
    // Text put in by the program is what the module holds: writing it back
    // could change the stored single (its text has seven digits).
    const bool filling = std::exchange(m_filling, true);
    box->setText(text);
    m_filling = filling;
}

void VshToolWindow::alphaChanged(ColourTable layer, int month, const QString &text)
{
    if (m_filling)
        return;
    const AlphaWrite result = m_tool.WriteWaveAlpha(layer, month, text);
    showPreviewMonth(month);
    if (result.written) {
        if (result.swatch)
            panel(layer).swatches[size_t(month)]->setColour(*result.swatch);
        return;
    }
    QLineEdit *box = panel(layer).alphas[size_t(month)];
    if (result.stored)
        setAlphaText(box, *result.stored);
    box->setFocus();
    m_tool.document().prompter().beep();
}

void VshToolWindow::fillCategoryLists(bool subMenu, bool main)
{
    const PrxDocument &doc = m_tool.document();
    if (subMenu) {
        m_sub->clear();
        m_sub->addItems(doc.XMBmenu());
        m_sub->setCurrentIndex(m_sub->findText(QStringLiteral("Network Update")));
    }
    if (main) {
        m_main->clear();
        m_main->addItems(doc.XMBmain());
        m_main->setCurrentIndex(m_main->findText(QStringLiteral("Settings")));
    }
    if ((subMenu || main) && m_sub->currentIndex() >= 0)
        selectRecord(m_sub->currentIndex());
}

void VshToolWindow::selectRecord(int index)
{
    const auto record = m_records.select(index);
    if (!record)
        return;
    const auto category = record->mainCategory;
    // A category that is no position of the list is shown as none.
    m_main->setCurrentIndex(category && *category >= 0 && *category < m_main->count() ? *category : -1);
    Qt::CheckState state = Qt::Unchecked;
    if (record->mode == qint32(SubIconRecords::Mode::SlimOnly))
        state = Qt::PartiallyChecked;
    else if (record->mode == qint32(SubIconRecords::Mode::Enabled))
        state = Qt::Checked;
    m_xmb->setCheckState(state);
    m_xmbState = state;
}

void VshToolWindow::writeMainCategory(int index)
{
    if (const QString why = m_records.writeMainCategory(index); !why.isEmpty())
        tell(QStringLiteral("The main category was not written"), why);
}

void VshToolWindow::xmbClicked()
{
    // A click turns the submenu on or off; the slim-only state comes from the right button.
    const Qt::CheckState before = Qt::CheckState(m_xmbState);
    const Qt::CheckState after = before == Qt::Checked ? Qt::Unchecked : Qt::Checked;
    m_xmb->setCheckState(after);
    const QString why = m_records.writeMode(after == Qt::Checked ? SubIconRecords::Mode::Enabled
                                                                 : SubIconRecords::Mode::Disabled);
    if (!why.isEmpty()) {
        m_xmb->setCheckState(before);
        return tell(QStringLiteral("The submenu mode was not written"), why);
    }
    m_xmbState = after;
}

void VshToolWindow::xmbSlimOnly()
{
    const Qt::CheckState before = Qt::CheckState(m_xmbState);
    m_xmb->setCheckState(Qt::PartiallyChecked);
    if (const QString why = m_records.writeMode(SubIconRecords::Mode::SlimOnly); !why.isEmpty()) {
        m_xmb->setCheckState(before);
        return tell(QStringLiteral("The submenu mode was not written"), why);
    }
    m_xmbState = Qt::PartiallyChecked;
}

bool VshToolWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_xmb && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::RightButton) {
        xmbSlimOnly();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void VshToolWindow::exportColours()
{
    Prompter &prompter = m_tool.document().prompter();
    const QString path = prompter.chooseNewFile(kPresetFilter, QString());
    if (path.isEmpty())
        return;
    QStringList notes;
    if (const QString why = PresetTransfer::exportTo(m_tool, path, notes); !why.isEmpty())
        tell(QStringLiteral("The colours were not exported"), why);
}

void VshToolWindow::importColours()
{
    Prompter &prompter = m_tool.document().prompter();
    const QString path = prompter.chooseOpenFile(kPresetFilter, QString());
    if (path.isEmpty())
        return;
    QStringList notes;
    if (const QString why = PresetTransfer::importFrom(m_tool, path, notes); !why.isEmpty())
        return tell(QStringLiteral("Nothing was imported"), why);
    VSHreadcolor();
    if (!notes.isEmpty())
        prompter.inform(QStringLiteral("The colours were imported; ") + notes.join(QStringLiteral("; ")) +
                            QLatin1Char('.'),
                        Prompter::AppTitle, Prompter::Icon::Information);
}

void VshToolWindow::closeEvent(QCloseEvent *event)
{
    emit closed();
    QWidget::closeEvent(event);
}
