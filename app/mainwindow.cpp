#include "app/mainwindow.h"

#include "app/aboutdialog.h"
#include "app/bytesdock.h"
#include "app/editactions.h"
#include "app/preferencesdialog.h"
#include "app/recentmenu.h"
#include "app/restorebackupdialog.h"
#include "document/prxdocument.h"
#include "document/recentmodules.h"
#include "grid/rowbytes.h"
#include "grid/widgets/gridview.h"
#include "search/widgets/offsetdescriptiondialog.h"
#include "search/widgets/searchwindow.h"
#include "vshtool/vshtool.h"
#include "vshtool/widgets/vshtoolwindow.h"

#include <QApplication>
#include <QAbstractItemView>
#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QStatusBar>
#include <QTimer>
#include <utility>

namespace {

constexpr int kSavedNoteMs = 4000;
const QString kWindowSection = QStringLiteral("Window");

QAction *addItem(QMenu *menu, const QString &text, const char *name, const QKeySequence &shortcut = {})
{
    QAction *action = menu->addAction(text);
    action->setObjectName(QLatin1String(name));
    action->setShortcut(shortcut);
    return action;
}

// The one local file a drag carries, or empty text.
QString droppedFile(const QMimeData *data)
{
    if (!data || !data->hasUrls() || data->urls().size() != 1 || !data->urls().constFirst().isLocalFile())
        return QString();
    return data->urls().constFirst().toLocalFile();
}

} // namespace

MainWindow::MainWindow(PrxDocument &document, QWidget *parent)
    : QMainWindow(parent)
    , m_doc(document)
    , m_texts(document)
{
    setObjectName(QStringLiteral("Form1"));
    m_grid = new GridView(m_doc, this);
    m_grid->setObjectName(QStringLiteral("list_1"));
    setCentralWidget(m_grid);

    buildMenus();
    buildPanels();
    buildButtons();
    buildStatusBar();
    m_grid->installEventFilter(this);
    layoutButtons();
    resize(sizeHint());

    connect(&m_doc, &PrxDocument::changed, this, &MainWindow::syncFromDocument);
    connect(&m_texts, &WindowTexts::changed, this, &MainWindow::syncFromDocument);
    connectVshTool();
    const BookmarkModel *model = &m_doc.model();
    for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(model, signal, this, &MainWindow::updateTitle);
    connect(model, &QAbstractItemModel::modelReset, this, &MainWindow::updateTitle);
    connect(model, &QAbstractItemModel::dataChanged, this, &MainWindow::updateTitle);
    connect(model, &BookmarkModel::saved, this, &MainWindow::updateTitle);
    connectShell();
    syncFromDocument();
}

void MainWindow::buildMenus()
{
    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    connect(addItem(file, QStringLiteral("&Open PRX"), "menuOpenPRX", QKeySequence(Qt::CTRL | Qt::Key_O)),
            &QAction::triggered, this,
            [this] {
                runWithDialogTitle(QStringLiteral("Open PRX"), [this] {
                    m_grid->state().editor().hide();
                    m_doc.openFromMenu();
                });
            });
    m_savePrx = file->addMenu(QStringLiteral("&Save PRX"));
    m_savePrx->setObjectName(QStringLiteral("mypopup"));
    addItem(m_savePrx, QStringLiteral("Save &Compressed as    "), "popCompress", QKeySequence(Qt::CTRL | Qt::Key_Q));
    addItem(m_savePrx, QStringLiteral("Save &As..."), "popSaveAs");
    addItem(m_savePrx, QStringLiteral("&Save"), "popSave", QKeySequence(Qt::CTRL | Qt::Key_S));
    m_restoreBackup = addItem(file, QStringLiteral("Restore &Backup..."), "menuRestoreBackup");
    connect(m_restoreBackup, &QAction::triggered, this, &MainWindow::restoreBackup);
    file->addSeparator();
    addItem(file, QStringLiteral("&Preferences"), "menuPreferences", QKeySequence(Qt::CTRL | Qt::Key_P));
    connect(addItem(file, QStringLiteral("E&xit"), "menuExit", QKeySequence(Qt::CTRL | Qt::Key_F4)),
            &QAction::triggered, this, &QWidget::close);

    QMenu *edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    edit->setObjectName(QStringLiteral("menuEdit"));
    m_editActions = new EditActions(m_doc, this);
    m_editActions->addTo(edit);

    QMenu *tools = menuBar()->addMenu(QStringLiteral("&Tools"));
    m_vshTool = addItem(tools, QStringLiteral("VSHmain Tool"), "menuViewCOlor");
    m_vshTool->setCheckable(true);
    tools->addSeparator();
    connect(addItem(tools, QStringLiteral("Search..."), "menuSearch", QKeySequence(Qt::CTRL | Qt::Key_F)),
            &QAction::triggered, this, [this] {
                SearchWindow *search = searchWindow();
                search->show();
                search->raise();
                search->activateWindow();
            });

    QMenu *help = menuBar()->addMenu(QStringLiteral("&Help"));
    addItem(help, QStringLiteral("&About"), "menuAbout");

    // Not on the menu bar: popped up by the ">" button.
    m_offsetPop = new QMenu(QStringLiteral("offsetPop"), this);
    m_offsetPop->setObjectName(QStringLiteral("menuoffsetPop"));
    const struct { const char *text; const char *name; const char *type; } items[] = {
        {"&Float", "menuFloatData", "Float"}, {"&Integer", "menuIntData", "Integer"},
        {"&String ", "menuStringData", "String"}};
    for (const auto &item : items) {
        const QString type = QLatin1String(item.type);
        connect(addItem(m_offsetPop, QLatin1String(item.text), item.name), &QAction::triggered, this,
                [this, type] { m_grid->list().AddTypedEntry(type); });
    }
}

// Beside the classic menus: File > Recent Modules, View > Bytes and drops.
void MainWindow::buildPanels()
{
    m_recent = new RecentModules(m_doc, this);
    QMenu *file = menuBar()->actions().constFirst()->menu();
    auto *recent = new RecentMenu(
        *m_recent,
        [this](const QString &path) {
            m_grid->state().editor().hide();
            m_doc.openPath(path);
        },
        file);
    file->insertMenu(m_savePrx->menuAction(), recent);
    recent->rebuild();

    m_bytesDock = new BytesDock(m_doc, this);
    addDockWidget(Qt::BottomDockWidgetArea, m_bytesDock);
    connect(m_grid, &GridView::currentCellChanged, this, [this](int row) { m_bytesDock->bytes().setRow(row - 1); });
    connect(&m_doc, &PrxDocument::started, m_bytesDock, &BytesDock::restoreShown);
    auto *view = new QMenu(QStringLiteral("&View"), this);
    view->setObjectName(QStringLiteral("menuView"));
    view->addAction(m_bytesDock->shownAction());
    // Before Tools: the menu that holds the VSHmain Tool item.
    menuBar()->insertMenu(qobject_cast<QMenu *>(m_vshTool->parent())->menuAction(), view);
    setAcceptDrops(true);
    // The cell editor takes dropped text; a dropped module file goes on to the window.
    m_grid->editor()->installEventFilter(this);
}

void MainWindow::buildButtons()
{
    // The bottom strip: its top lies at 9000 twips, the buttons 60 below it.
    const struct { int index; const char *caption; int left; int width; } buttons[] = {
        {1, "Add Offset", 90, 1455}, {2, "Remove Offset", 1935, 1455}, {3, "Refresh Bookmark", 3465, 1620},
        {4, "Save Bookmark", 5160, 1455}, {5, "View Offsets", 6690, 1455}};
    for (const auto &b : buttons) {
        auto *button = new QPushButton(QLatin1String(b.caption), m_grid);
        button->setObjectName(QStringLiteral("cmdBookmark(%1)").arg(b.index));
        button->setFocusPolicy(Qt::TabFocus);
        m_stripButtons.push_back({button, b.left, b.width});
        const int index = b.index;
        connect(button, &QPushButton::clicked, this, [this, index] { m_grid->list().cmdBookmark_Click(index); });
        if (index == 5)
            m_viewButton = button;
    }
    auto *more = new QPushButton(QStringLiteral(">"), m_grid);
    more->setObjectName(QStringLiteral("Command1"));
    more->setFocusPolicy(Qt::TabFocus);
    m_stripButtons.push_back({more, 1560, 300});
    connect(more, &QPushButton::clicked, this, [this] { m_offsetPop->popup(QCursor::pos()); });
    // Tab goes along the strip as it stands: ">" sits next to "Add Offset".
    QWidget::setTabOrder(m_stripButtons.front().button, more);
}

void MainWindow::buildStatusBar()
{
    QStatusBar *bar = statusBar();
    bar->setObjectName(QStringLiteral("statBar"));
    bar->setSizeGripEnabled(false);
    bar->setMouseTracking(true);
    bar->installEventFilter(this);
    const int stretch[3] = {0, 3, 1};
    for (int i = 0; i < 3; ++i) {
        m_panels[i] = new QLabel(bar);
        m_panels[i]->setObjectName(QStringLiteral("statBar(%1)").arg(i + 1));
        m_panels[i]->setFrameShape(QFrame::StyledPanel);
        m_panels[i]->setFrameShadow(QFrame::Sunken);
        m_panels[i]->setMouseTracking(true);
        m_panels[i]->installEventFilter(this);
        bar->addWidget(m_panels[i], stretch[i]);
    }
    m_panels[0]->setToolTip(QStringLiteral("Click to change PRX version"));
    m_panels[0]->setFixedWidth(m_grid->twips(0, 0, 2100, 0).width());
    m_savedNote = new QLabel(QStringLiteral("Saved"), bar);
    m_savedNote->setObjectName(QStringLiteral("savedNote"));
    m_savedNote->setFrameShape(QFrame::StyledPanel);
    m_savedNote->setFrameShadow(QFrame::Sunken);
    m_savedNote->hide();
    bar->addPermanentWidget(m_savedNote);
    m_changedRows = new QLabel(bar);
    m_changedRows->setObjectName(QStringLiteral("changedRows"));
    m_changedRows->setFrameShape(QFrame::StyledPanel);
    m_changedRows->setFrameShadow(QFrame::Sunken);
    m_changedRows->hide();
    bar->addPermanentWidget(m_changedRows);
    m_savedTimer = new QTimer(this);
    m_savedTimer->setSingleShot(true);
    m_savedTimer->setInterval(kSavedNoteMs);
    connect(m_savedTimer, &QTimer::timeout, m_savedNote, &QWidget::hide);

    m_version = new QComboBox(this);
    m_version->setObjectName(QStringLiteral("cmbVersion"));
    m_version->setEditable(true);
    m_version->setInsertPolicy(QComboBox::NoInsert);
    m_version->hide();
    m_version->installEventFilter(this);
    m_version->lineEdit()->installEventFilter(this);
    // Qt's editable combo box also activates an item when its text matches one
    // as it loses the focus, and on arrow keys and the wheel; those only change the text.
    m_version->view()->installEventFilter(this);
    m_version->view()->viewport()->installEventFilter(this);
    connect(m_version, &QComboBox::activated, this, [this](int index) {
        if (!std::exchange(m_versionPicked, false))
            return;
        const QString text = m_version->itemText(index);
        m_version->setEditText(text);
        m_version->hide();
        // Cancel at the question about unsaved values keeps the version shown.
        if (!m_doc.versionClick(text))
            m_version->setEditText(m_doc.prxversion());
    });
}

void MainWindow::layoutButtons()
{
    // The bottom strip keeps its distance from the grid's lower edge.
    const double top = m_grid->bottomStripTop() + 60;
    for (const StripButton &b : m_stripButtons)
        b.button->setGeometry(m_grid->twips(b.left, top, b.width, 360));
}

MainWindow::~MainWindow() = default;

VshToolWindow *MainWindow::vshToolWindow() const
{
    return m_vshWindow;
}

VshToolWindow *MainWindow::ensureVshToolWindow()
{
    if (!m_vshWindow) {
        m_vshWindow = new VshToolWindow(VshTool::of(m_doc), this);
        m_editActions->addShortcutsTo(m_vshWindow);
        connect(m_vshWindow, &VshToolWindow::closed, this, [this] { m_vshTool->setChecked(false); });
    }
    return m_vshWindow;
}

void MainWindow::connectVshTool()
{
    connect(m_vshTool, &QAction::triggered, this, [this](bool checked) {
        if (!checked) {
            if (m_vshWindow)
                m_vshWindow->hide();
        } else {
            VshToolWindow *window = ensureVshToolWindow();
            window->show();
            window->raise();
            window->VSHreadcolor();
        }
        if (m_vshWindow) {
            const PrxDocument::CategoryLists lists = m_doc.readCategoryLists();
            m_vshWindow->fillCategoryLists(lists.subMenu, lists.main);
        }
    });
    connect(&m_doc, &PrxDocument::vshToolVisibilityRequested, this, [this](bool visible) {
        // Shown only with its menu item, which can hide it again.
        if (visible && m_doc.vshToolEnabled()) {
            m_vshTool->setChecked(true);
            VshToolWindow *window = ensureVshToolWindow();
            // Shown before the main window (a module named on the command
            // line), it would not be kept above it: it waits for showEvent.
            if (isVisible())
                window->show();
        } else {
            m_vshTool->setChecked(false);
            if (m_vshWindow)
                m_vshWindow->hide();
        }
    });
    connect(&m_doc, &PrxDocument::vshToolReloaded, this, [this](bool readColours, bool subMenu, bool main) {
        if (readColours)
            ensureVshToolWindow()->VSHreadcolor();
        if (!m_vshWindow)
            return;
        m_vshWindow->fillCategoryLists(subMenu, main);
        m_vshWindow->applyVersion();
    });
    connect(&m_doc, &PrxDocument::moduleRewritten, this, [this] {
        if (m_vshWindow)
            m_vshWindow->readModuleAgain();
    });
}

OffsetDescriptionDialog *MainWindow::offsetDescription()
{
    if (!m_offsetDescription) {
        m_offsetDescription = new OffsetDescriptionDialog(this);
        connect(m_offsetDescription, &OffsetDescriptionDialog::rowsNamed, &m_doc, &PrxDocument::addDescribedRows);
    }
    return m_offsetDescription;
}

SearchWindow *MainWindow::searchWindow()
{
    if (!m_searchWindow)
        m_searchWindow = new SearchWindow(
            m_doc,
            [this](const SearchWindow::Hits &hits) {
                OffsetDescriptionDialog *dialog = offsetDescription();
                dialog->setHits(hits.values, hits.offsets, hits.type, hits.file, hits.length);
                dialog->exec();
            },
            this);
    return m_searchWindow;
}

void MainWindow::showVersionBox()
{
    if (m_version->isVisible())
        return;
    const QRect panel = m_panels[0]->geometry();
    const QPoint topLeft = statusBar()->mapTo(this, panel.topLeft());
    m_version->setGeometry(QRect(topLeft, QSize(panel.width(), panel.height())));
    m_version->setEditText(m_doc.prxversion());
    m_versionPicked = false;
    m_version->show();
    m_version->raise();
    m_version->setFocus();
}

void MainWindow::statusBarMoved(int x)
{
    if (x < m_panels[0]->geometry().right())
        showVersionBox();
    else if (!m_version->view()->isVisible())
        m_version->hide();
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_grid->editor() && event->type() == QEvent::DragEnter &&
        !droppedFile(static_cast<QDropEvent *>(event)->mimeData()).isEmpty()) {
        event->ignore();
        return true;
    }
    if (!m_version)
        return QMainWindow::eventFilter(watched, event);
    if (watched == m_grid && event->type() == QEvent::Resize)
        layoutButtons();
    QAbstractItemView *list = m_version->view();
    if (watched == list->viewport() && event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        m_versionPicked = mouse->button() == Qt::LeftButton && list->indexAt(mouse->position().toPoint()).isValid();
    }
    if (watched == list && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        m_versionPicked = key == Qt::Key_Return || key == Qt::Key_Enter;
    }
    const bool inStatusBar = watched == statusBar() || watched == m_panels[0] || watched == m_panels[1] ||
                             watched == m_panels[2];
    if (inStatusBar && event->type() == QEvent::MouseMove) {
        const auto *widget = static_cast<QWidget *>(watched);
        const QPoint at = widget->mapTo(statusBar(), static_cast<QMouseEvent *>(event)->position().toPoint());
        statusBarMoved(at.x());
    }
    if (watched == m_panels[0] && event->type() == QEvent::MouseButtonPress) {
        showVersionBox();
        return true;
    }
    const bool inVersionBox = watched == m_version || watched == m_version->lineEdit();
    if (inVersionBox && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            const QString text = m_version->currentText();
            m_version->hide();
            if (!m_doc.versionEnter(text))
                m_version->setEditText(m_doc.prxversion());
            return true;
        }
    }
    if (inVersionBox && event->type() == QEvent::FocusOut) {
        if (!m_version->view()->isVisible() && !m_version->hasFocus() && !m_version->lineEdit()->hasFocus())
            m_version->hide();
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::dragEnterEvent(QDragEnterEvent *event)
{
    if (!droppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent *event)
{
    const QString path = droppedFile(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    // After the drop has ended: the question about unsaved values is modal.
    QTimer::singleShot(0, this, [this, path] {
        m_grid->state().editor().hide();
        m_doc.openPath(path);
    });
}

QString MainWindow::moduleFolder() const
{
    const QString &module = m_doc.currentModuleFile();
    return module.isEmpty() ? QString() : QFileInfo(module).absolutePath();
}

void MainWindow::updateTitle()
{
    const bool modified = m_doc.moduleOpen() && m_doc.model().firstModifiedRow() >= 0;
    const QString title = modified ? m_texts.title() + QStringLiteral(" *") : m_texts.title();
    if (windowTitle() != title)
        setWindowTitle(title);
    const int changed = m_doc.moduleOpen() ? m_doc.model().changedRowCount() : 0;
    m_changedRows->setText(changed == 1 ? QStringLiteral("1 changed row") : QStringLiteral("%1 changed rows").arg(changed));
    m_changedRows->setVisible(changed > 0);
}

void MainWindow::syncFromDocument()
{
    updateTitle();
    for (int i = 0; i < 3; ++i)
        m_panels[i]->setText(m_texts.status(i + 1));
    m_savePrx->setEnabled(m_texts.savePrxEnabled());
    m_vshTool->setEnabled(m_doc.vshToolEnabled());
    m_restoreBackup->setEnabled(m_doc.moduleOpen());
    if (m_vshWindow)
        m_vshWindow->applyModule();
    m_viewButton->setText(BookmarkList::viewButtonCaption(m_doc.settings().ExpertFlag()));
    const QStringList &firmware = m_doc.settings().FirmwareList();
    if (m_version->count() != firmware.size()) {
        m_version->clear();
        m_version->addItems(firmware);
    }
    m_grid->syncFromDocument();
}

void MainWindow::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::ActivationChange || !isActiveWindow() || m_checkingDisk ||
        QApplication::activeModalWidget())
        return;
    m_checkingDisk = true;
    m_doc.confirmDiskVersion(false);
    m_checkingDisk = false;
}

void MainWindow::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    // After this window is mapped: the show event comes before that. The
    // focus stays here, where the person opened the module.
    if (!event->spontaneous())
        QTimer::singleShot(0, this, [this] {
            if (!m_vshTool->isChecked() || !m_vshWindow || m_vshWindow->isVisible())
                return;
            m_vshWindow->setAttribute(Qt::WA_ShowWithoutActivating);
            m_vshWindow->show();
            m_vshWindow->setAttribute(Qt::WA_ShowWithoutActivating, false);
            activateWindow();
        });
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (!m_doc.exitCheck()) {
        event->ignore();
        return;
    }
    if (!m_preferencesShown)
        PreferencesDialog(m_doc, this).storeSettings();
    storeSize();
    m_doc.closeModule();
    event->accept();
}

void MainWindow::connectShell()
{
    auto action = [this](const char *name) { return findChild<QAction *>(QLatin1String(name)); };
    connect(action("popSave"), &QAction::triggered, this, [this] {
        if (m_doc.save())
            showSaved();
        updateTitle();
    });
    connect(action("popSaveAs"), &QAction::triggered, this, [this] {
        runWithDialogTitle(QStringLiteral("Save PRX As"), [this] { m_doc.saveAs(); });
        updateTitle();
    });
    connect(action("popCompress"), &QAction::triggered, this, [this] {
        runWithDialogTitle(QStringLiteral("Save Compressed PRX As"), [this] { m_doc.saveCompressedAs(); });
        updateTitle();
    });
    connect(action("menuPreferences"), &QAction::triggered, this, &MainWindow::showPreferences);
    connect(action("menuAbout"), &QAction::triggered, this, &MainWindow::showAbout);
    connect(&m_doc, &PrxDocument::valueFaulted, this, [this] { m_grid->setFocus(); });
}

void MainWindow::showPreferences()
{
    m_preferencesShown = true;
    PreferencesDialog dialog(m_doc, this);
    dialog.exec();
}

void MainWindow::restoreBackup()
{
    m_grid->state().editor().hide();
    RestoreBackupDialog dialog(m_doc.OpenedFiletitle(), m_doc.backupStore().folder(), m_doc.backups(), this);
    if (dialog.exec() == QDialog::Accepted && !dialog.chosen().isEmpty())
        m_doc.restoreBackup(dialog.chosen());
    updateTitle();
}

void MainWindow::showAbout()
{
    AboutDialog dialog(this);
    dialog.exec();
}

void MainWindow::runWithDialogTitle(const QString &title, const std::function<void()> &run)
{
    const QString outer = std::exchange(m_fileDialogTitle, title);
    run();
    m_fileDialogTitle = outer;
}

void MainWindow::showSaved()
{
    m_savedNote->show();
    m_savedTimer->start();
}

void MainWindow::restoreSize()
{
    IniFile &config = m_doc.config();
    bool wide = false;
    bool high = false;
    const int width = config.read(kWindowSection, QStringLiteral("Width")).toInt(&wide);
    const int height = config.read(kWindowSection, QStringLiteral("Height")).toInt(&high);
    QSize size = sizeHint();
    if (wide && high && width > 0 && height > 0) {
        size = QSize(width, height);
    } else if (const QScreen *where = screen()) {
        // Room for the window's frame and title, which the window's size leaves out.
        const QSize room = where->availableGeometry().size() - QSize(16, 40);
        size = size.boundedTo(room);
    }
    resize(size.expandedTo(minimumSizeHint()));
}

void MainWindow::storeSize()
{
    IniFile &config = m_doc.config();
    const QString width = QString::number(this->width());
    const QString height = QString::number(this->height());
    if (config.read(kWindowSection, QStringLiteral("Width")) == width &&
        config.read(kWindowSection, QStringLiteral("Height")) == height)
        return;
    {
        const IniFile::Batch batch(config);
        config.write(kWindowSection, QStringLiteral("Width"), width);
        config.write(kWindowSection, QStringLiteral("Height"), height);
    }
    m_doc.settings().reportWriteFailure(config);
}
