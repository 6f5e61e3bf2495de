#include "app/mainwindow.h"

#include "document/prxdocument.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QStatusBar>
#include <QTableView>

namespace {

QAction *addItem(QMenu *menu, const QString &text, const char *name, const QKeySequence &shortcut = {})
{
    QAction *action = menu->addAction(text);
    action->setObjectName(QLatin1String(name));
    action->setShortcut(shortcut);
    return action;
}

} // namespace

MainWindow::MainWindow(PrxDocument &document, QWidget *parent)
    : QMainWindow(parent)
    , m_doc(document)
{
    setObjectName(QStringLiteral("Form1"));
    m_list = new QTableView(this);
    m_list->setObjectName(QStringLiteral("list_1"));
    m_list->setModel(&m_doc.model());
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->verticalHeader()->hide();
    m_list->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    m_list->horizontalHeader()->moveSection(BookmarkRow::Number, 0);
    m_list->horizontalHeader()->setStretchLastSection(true);
    m_list->setAlternatingRowColors(true);
    setCentralWidget(m_list);

    buildMenus();
    buildStatusBar();
    resize(700, 660);

    connect(&m_doc, &PrxDocument::changed, this, &MainWindow::syncFromDocument);
    connect(&m_doc, &PrxDocument::columnLayoutRequested, this, &MainWindow::applyColumnLayout);
    applyColumnLayout();
    syncFromDocument();
}

void MainWindow::buildMenus()
{
    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    connect(addItem(file, QStringLiteral("&Open PRX"), "menuOpenPRX", QKeySequence(Qt::CTRL | Qt::Key_O)),
            &QAction::triggered, &m_doc, &PrxDocument::openFromMenu);
    m_savePrx = file->addMenu(QStringLiteral("&Save PRX"));
    m_savePrx->setObjectName(QStringLiteral("mypopup"));
    addItem(m_savePrx, QStringLiteral("Save &Compressed as    "), "popCompress", QKeySequence(Qt::CTRL | Qt::Key_Q));
    addItem(m_savePrx, QStringLiteral("Save &As..."), "popSaveAs");
    addItem(m_savePrx, QStringLiteral("&Save"), "popSave", QKeySequence(Qt::CTRL | Qt::Key_S));
    file->addSeparator();
    addItem(file, QStringLiteral("&Preferences"), "menuPreferences", QKeySequence(Qt::CTRL | Qt::Key_P));
    connect(addItem(file, QStringLiteral("E&xit"), "menuExit", QKeySequence(Qt::CTRL | Qt::Key_F4)),
            &QAction::triggered, this, &QWidget::close);

    QMenu *tools = menuBar()->addMenu(QStringLiteral("&Tools"));
    m_vshTool = addItem(tools, QStringLiteral("VSHmain Tool"), "menuViewCOlor");
    m_vshTool->setCheckable(true);
    tools->addSeparator();
    addItem(tools, QStringLiteral("Search..."), "menuSearch", QKeySequence(Qt::CTRL | Qt::Key_F));

    QMenu *help = menuBar()->addMenu(QStringLiteral("&Help"));
    addItem(help, QStringLiteral("&About"), "menuAbout");
}

void MainWindow::buildStatusBar()
{
    QStatusBar *bar = statusBar();
    bar->setObjectName(QStringLiteral("statBar"));
    bar->setSizeGripEnabled(false);
    const int stretch[3] = {0, 3, 1};
    for (int i = 0; i < 3; ++i) {
        m_panels[i] = new QLabel(bar);
        m_panels[i]->setObjectName(QStringLiteral("statBar(%1)").arg(i + 1));
        m_panels[i]->setFrameShape(QFrame::StyledPanel);
        m_panels[i]->setFrameShadow(QFrame::Sunken);
        bar->addWidget(m_panels[i], stretch[i]);
    }
    m_panels[0]->setToolTip(QStringLiteral("Click to change PRX version"));
    m_panels[0]->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("PRX Version:  00.00")) + 16);
    m_panels[0]->installEventFilter(this);

    m_version = new QComboBox(this);
    m_version->setObjectName(QStringLiteral("cmbVersion"));
    m_version->setEditable(true);
    m_version->setInsertPolicy(QComboBox::NoInsert);
    m_version->hide();
    m_version->installEventFilter(this);
    m_version->lineEdit()->installEventFilter(this);
    connect(m_version, &QComboBox::activated, this, [this](int index) {
        const QString text = m_version->itemText(index);
        m_version->setEditText(text);
        m_version->hide();
        m_doc.versionClick(text);
    });
}

void MainWindow::showVersionBox()
{
    const QRect panel = m_panels[0]->geometry();
    const QPoint topLeft = statusBar()->mapTo(this, panel.topLeft());
    m_version->setGeometry(QRect(topLeft, QSize(std::max(panel.width(), 90), panel.height())));
    m_version->setEditText(m_doc.prxversion);
    m_version->show();
    m_version->raise();
    m_version->setFocus();
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_panels[0] && event->type() == QEvent::MouseButtonPress) {
        showVersionBox();
        return true;
    }
    if ((watched == m_version || watched == m_version->lineEdit()) && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            const QString text = m_version->currentText();
            m_version->hide();
            m_doc.versionEnter(text);
            return true;
        }
    }
    if ((watched == m_version || watched == m_version->lineEdit()) && event->type() == QEvent::FocusOut) {
        if (!m_version->view()->isVisible() && !m_version->hasFocus() && !m_version->lineEdit()->hasFocus())
            m_version->hide();
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::syncFromDocument()
{
    setWindowTitle(m_doc.title());
    for (int i = 0; i < 3; ++i)
        m_panels[i]->setText(m_doc.status(i + 1));
    m_savePrx->setEnabled(m_doc.savePrxEnabled());
    m_vshTool->setEnabled(m_doc.vshToolEnabled());
    m_vshTool->setChecked(m_doc.vshToolChecked());
    if (m_version->count() != m_doc.FirmwareList.size()) {
        m_version->clear();
        m_version->addItems(m_doc.FirmwareList);
    }
    applyColours();
}

void MainWindow::applyColumnLayout()
{
    const bool expert = m_doc.ExpertFlag;
    for (int c : {int(BookmarkRow::Offset), int(BookmarkRow::Type), int(BookmarkRow::Len), int(BookmarkRow::File)})
        m_list->setColumnHidden(c, !expert);
    QHeaderView *header = m_list->horizontalHeader();
    header->resizeSection(BookmarkRow::Number, 44);
    header->resizeSection(BookmarkRow::Description, expert ? 300 : 420);
    header->resizeSection(BookmarkRow::Value, 110);
    header->resizeSection(BookmarkRow::Offset, 80);
    header->resizeSection(BookmarkRow::Type, 60);
    header->resizeSection(BookmarkRow::Len, 40);
}

void MainWindow::applyColours()
{
    const auto &grid = m_doc.colours;
    QPalette palette = m_list->palette();
    const QPalette base = QApplication::palette();
    palette.setColor(QPalette::Text, grid[2] ? QColor(grid[2]->red, grid[2]->green, grid[2]->blue)
                                             : base.color(QPalette::WindowText));
    palette.setColor(QPalette::Base, grid[3] ? QColor(grid[3]->red, grid[3]->green, grid[3]->blue)
                                             : base.color(QPalette::Window));
    m_list->setPalette(palette);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    m_doc.closeModule();
    event->accept();
}
