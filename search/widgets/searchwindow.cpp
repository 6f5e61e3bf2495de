#include "search/widgets/searchwindow.h"

#include "document/prxdocument.h"
#include "search/searchresultmodel.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>
#include <QTreeView>
#include <algorithm>

namespace {

const QString kInformation = QStringLiteral("Information");
const QString kFound = QStringLiteral("Instance(s) Found:");
// The window's frame around its client area, in twips, as the resize rule counts it.
constexpr int kFrameWidth = 120;
constexpr int kFrameHeight = 405;
constexpr int kOuterWidth = 5445;
constexpr int kDesignHeight = 5790;
constexpr int kListLeft = 120;
constexpr int kListTop = 1200;
constexpr int kListWidth = kOuterWidth - kFrameWidth - 2 * kListLeft;
// What a title bar and a frame take beside the window, in pixels.
constexpr int kTitleRoom = 40;

// Sign and five digits: the whole range of a 16-bit integer can be typed.
int maxKeyLength(SearchKey::Type type)
{
    switch (type) {
    case SearchKey::Type::Float:
        return 10;
    case SearchKey::Type::Integer:
        return 6;
    case SearchKey::Type::String:
        break;
    }
    return 32767;
}

} // namespace

SearchWindow::SearchWindow(PrxDocument &document, Describe describe, QWidget *parent)
    // A tool window of the main window: it stays above it when the offset
    // description window or a message gives the main window the focus.
    : QWidget(parent, Qt::Tool)
    , m_doc(document)
    , m_describe(std::move(describe))
{
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("Search"));

    m_key = new QLineEdit(this);
    m_key->setObjectName(QStringLiteral("txtSearch"));
    m_key->installEventFilter(this);
    m_type = new QComboBox(this);
    m_type->setObjectName(QStringLiteral("cmbtype"));
    for (auto type : {SearchKey::Type::Float, SearchKey::Type::Integer, SearchKey::Type::String})
        m_type->addItem(SearchKey::typeName(type));
    m_frame = new QFrame(this);
    m_frame->setObjectName(QStringLiteral("Frame1"));
    m_frame->setFrameShape(QFrame::StyledPanel);
    m_normal = new QRadioButton(QStringLiteral("Scrambled (Normal)"), m_frame);
    m_normal->setObjectName(QStringLiteral("Option1"));
    m_normal->setChecked(true);
    m_descrambled = new QRadioButton(QStringLiteral("Descrambled"), m_frame);
    m_descrambled->setObjectName(QStringLiteral("Option2"));
    m_searchButton = new QPushButton(QStringLiteral("&Search"), this);
    m_searchButton->setObjectName(QStringLiteral("Command1"));
    m_addButton = new QPushButton(QStringLiteral("Add To Bookmark"), this);
    m_addButton->setObjectName(QStringLiteral("Command2"));

    m_session = new SearchSession(document, this);
    m_list = new QTreeView(this);
    m_list->setObjectName(QStringLiteral("SearchList"));
    m_list->setRootIsDecorated(false);
    m_list->setItemsExpandable(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setModel(&m_session->results());
    m_list->header()->setStretchLastSection(false);
    m_list->header()->resizeSection(SearchResultModel::Offset, twips(0, 0, kListWidth * 3 / 5 - 100, 0).width());
    m_list->header()->resizeSection(SearchResultModel::Value, twips(0, 0, kListWidth * 2 / 5 - 100, 0).width());

    m_status = new QStatusBar(this);
    m_status->setObjectName(QStringLiteral("statBar"));
    m_status->setSizeGripEnabled(false);
    const int stretch[3] = {3, 1, 1};
    for (int i = 0; i < 3; ++i) {
        m_panels[i] = new QLabel(m_status);
        m_panels[i]->setObjectName(QStringLiteral("statBar(%1)").arg(i + 1));
        m_panels[i]->setFrameShape(QFrame::StyledPanel);
        m_panels[i]->setFrameShadow(QFrame::Sunken);
        m_status->addWidget(m_panels[i], stretch[i]);
    }
    m_panels[0]->setText(kFound);

    m_key->setGeometry(twips(120, 120, 2895, 315));
    m_type->setGeometry(twips(3135, 120, 2070, 315));
    m_frame->setGeometry(twips(120, 540, 5085, 495));
    m_normal->setGeometry(twips(120, 120, 2535, 255));
    m_descrambled->setGeometry(twips(2775, 120, 2190, 255));
    m_key->setMaxLength(maxKeyLength(currentType()));

    // Tab goes down the window as it stands: the hits lie above the buttons.
    setTabOrder(m_descrambled, m_list);

    // Never taller than the screen leaves room for, with a title bar.
    int room = QWIDGETSIZE_MAX;
    if (const QScreen *where = screen())
        room = where->availableGeometry().height() - kTitleRoom;
    setFixedWidth(sizeHint().width());
    setMinimumHeight(std::min(twips(0, 0, 0, 4200 - kFrameHeight).height(), room));
    resize(width(), std::min(sizeHint().height(), room));

    connect(m_searchButton, &QPushButton::clicked, this, &SearchWindow::Command1_Click);
    connect(m_addButton, &QPushButton::clicked, this, &SearchWindow::Command2_Click);
    connect(m_type, &QComboBox::activated, this, &SearchWindow::cmbtype_Click);
}

QSize SearchWindow::sizeHint() const
{
    return twips(0, 0, kOuterWidth - kFrameWidth, kDesignHeight - kFrameHeight).size();
}

QRect SearchWindow::twips(int x, int y, int w, int h) const
{
    const double scale = logicalDpiX() / 1440.0;
    return QRect(qRound(x * scale), qRound(y * scale), qRound(w * scale), qRound(h * scale));
}

int SearchWindow::toTwips(int pixels) const
{
    return qRound(pixels * 1440.0 / logicalDpiX());
}

void SearchWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // Buttons and list follow the window's height; its width stays.
    const int outer = toTwips(height()) + kFrameHeight;
    const int buttonTop = outer - 1185;
    m_list->setGeometry(twips(kListLeft, kListTop, kListWidth, std::max(outer - 2715, 300)));
    m_searchButton->setGeometry(twips(120, buttonTop, 1935, 375));
    m_addButton->setGeometry(twips(3270, buttonTop, 1935, 375));
    const int bar = m_status->sizeHint().height();
    m_status->setGeometry(0, height() - bar, width(), bar);
}

SearchKey::Type SearchWindow::currentType() const
{
    switch (m_type->currentIndex()) {
    case 1:
        return SearchKey::Type::Integer;
    case 2:
        return SearchKey::Type::String;
    default:
        return SearchKey::Type::Float;
    }
}

void SearchWindow::cmbtype_Click()
{
    // A key that is one of the new type stays whole, beyond the type's usual length too.
    const QString text = m_key->text();
    const bool keep = SearchKey::make(currentType(), text).has_value();
    if (!keep)
        m_key->clear();
    m_key->setMaxLength(std::max<int>(maxKeyLength(currentType()), keep ? int(text.size()) : 0));
}

bool SearchWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_key && event->type() == QEvent::KeyPress)
        return keyFilter(static_cast<QKeyEvent *>(event));
    return QWidget::eventFilter(watched, event);
}

bool SearchWindow::keyFilter(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Command1_Click();
        return true;
    }
    if (currentType() == SearchKey::Type::String || event->key() == Qt::Key_Backspace ||
        event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Cut) ||
        event->matches(QKeySequence::Undo))
        return false;
    const QString text = event->text();
    const bool shortcut = event->modifiers() & Qt::ControlModifier;
    // Keys that type no character (cursor keys, Delete, modifiers) pass;
    // a paste is judged when the key is searched for.
    if (text.isEmpty() || (!shortcut && (text.at(0).unicode() < 0x20 || text.at(0).unicode() == 0x7F)))
        return false;
    if (!shortcut && text.size() == 1 && QStringLiteral("-./0123456789").contains(text.at(0)))
        return false;
    m_doc.prompter().beep();
    return true;
}

void SearchWindow::Command1_Click()
{
    if (m_session->scanning())
        return;
    const bool normal = m_normal->isChecked();
    const QString path = m_session->fileFor(normal);
    Prompter &prompter = m_doc.prompter();
    if (path.isEmpty() || !QFileInfo(path).isFile()) {
        prompter.inform(QStringLiteral("File not Found") + QString(15, u' '), kInformation,
                        Prompter::Icon::Information);
        return;
    }
    const QString text = m_key->text();
    const auto key = SearchKey::make(currentType(), text);
    if (!key) {
        prompter.inform(text.isEmpty() ? QStringLiteral("Enter a search key") : QStringLiteral("Enter a valid search key"),
                        kInformation, Prompter::Icon::Information);
        m_key->setFocus();
        return;
    }
    scan(path, normal, *key);
}

void SearchWindow::scan(const QString &path, bool normal, const SearchKey &key)
{
    Prompter &prompter = m_doc.prompter();
    prompter.setBusy(true);
    const bool isFloat = key.type() == SearchKey::Type::Float;
    if (isFloat) {
        setEnabled(false);
        m_panels[0]->setText(kFound);
    }
    const bool read = m_session->scan(path, normal, key, [this](int percent) {
        m_panels[2]->setText(QString::number(percent) + u'%');
        // Painted, not clicked: the scan runs to its end as one action.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    });
    m_panels[0]->setText(kFound + u' ' + QString::number(m_session->count()));
    m_panels[2]->clear();
    if (isFloat)
        setEnabled(true);
    prompter.setBusy(false);
    if (!read)
        prompter.inform(m_session->errorString(), QStringLiteral("Search"), Prompter::Icon::Critical);
}

void SearchWindow::Command2_Click()
{
    QList<int> rows;
    for (const QModelIndex &index : m_list->selectionModel()->selectedRows())
        rows << index.row();
    QString why;
    if (const auto hits = m_session->hits(rows, &why))
        m_describe(*hits);
    else if (!why.isEmpty())
        m_doc.prompter().inform(why, kInformation, Prompter::Icon::Information);
}
