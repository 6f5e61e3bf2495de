#pragma once

#include "search/searchkey.h"
#include "search/searchsession.h"

#include <QWidget>
#include <functional>

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

// "Search" (Form5): the controls of a SearchSession. Finds a Float, Integer or
// String in the module file as opened or in its working copy, lists the hits
// and hands selected ones to the bookmark list through the "Offset
// Description" window.
class SearchWindow : public QWidget
{
    Q_OBJECT

public:
    using Hits = SearchSession::Hits;
    // Asks for the hits' description and adds them to the bookmark list.
    using Describe = std::function<void(const Hits &)>;

    SearchWindow(PrxDocument &document, Describe describe, QWidget *parent = nullptr);

    SearchResultModel &results() { return m_session->results(); }
    // The window's design size.
    QSize sizeHint() const override;

    void Command1_Click();
    void Command2_Click();
    void cmbtype_Click();

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    SearchKey::Type currentType() const;
    void scan(const QString &path, bool normal, const SearchKey &key);
    bool keyFilter(QKeyEvent *event);
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
    SearchSession *m_session = nullptr;
};
