#pragma once

#include "search/searchkey.h"

#include <QStringList>
#include <QWidget>
#include <functional>
#include <optional>

class PrxDocument;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QStatusBar;
class QTreeView;
class SearchResultModel;

// "Search" (Form5): finds a Float, Integer or String in the module file as
// opened or in its working copy, lists the hits and hands selected ones to
// the bookmark list through the "Offset Description" window.
class SearchWindow : public QWidget
{
    Q_OBJECT

public:
    // What "Add To Bookmark" hands on: one value and offset per selected hit.
    struct Hits
    {
        QStringList values;
        QStringList offsets;
        QString type;
        QString file;
        // The Len of a String hit: the key's length in bytes.
        int length = 0;
    };
    // Asks for the hits' description and adds them to the bookmark list.
    using Describe = std::function<void(const Hits &)>;

    SearchWindow(PrxDocument &document, Describe describe, QWidget *parent = nullptr);

    SearchResultModel &results() { return *m_results; }
    // The window's design size.
    QSize sizeHint() const override;

    void Command1_Click();
    void Command2_Click();
    void cmbtype_Click();

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // What a listed hit belongs to: the search that found it, not the
    // controls as they are when it is added to the bookmark list.
    struct Search
    {
        QString path;
        bool normal;
        SearchKey key;
    };

    SearchKey::Type currentType() const;
    void scan(const QString &path, bool normal, const SearchKey &key);
    bool keyFilter(QKeyEvent *event);
    QStringList foundValues(const QList<int> &rows) const;
    QRect twips(int x, int y, int w, int h) const;
    int toTwips(int pixels) const;

    PrxDocument &m_doc;
    Describe m_describe;
    QLineEdit *m_key = nullptr;
    QComboBox *m_type = nullptr;
    QFrame *m_frame = nullptr;
    QRadioButton *m_normal = nullptr;
    QRadioButton *m_descrambled = nullptr;
    QPushButton *m_searchButton = nullptr;
    QPushButton *m_addButton = nullptr;
    QTreeView *m_list = nullptr;
    QStatusBar *m_status = nullptr;
    QLabel *m_panels[3] = {};
    SearchResultModel *m_results = nullptr;
    std::optional<Search> m_search;
    qint64 m_count = 0;
    bool m_scanning = false;
};
