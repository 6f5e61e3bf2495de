#pragma once

#include <QDockWidget>

class BytesView;
class PrxDocument;
class QAction;
class RowBytes;

// View > Bytes: the bytes behind the current row, docked under the grid.
// Shown or hidden as the person last left it (Config.ini, "Window", "Bytes").
class BytesDock : public QDockWidget
{
    Q_OBJECT

public:
    explicit BytesDock(PrxDocument &document, QWidget *parent = nullptr);

    // The View menu's checkable item.
    QAction *shownAction() const { return m_shown; }
    RowBytes &bytes() { return *m_bytes; }
    BytesView *view() const { return m_view; }
    // Shows or hides the panel as Config.ini says, without writing it.
    void restoreShown();

private:
    void setShown(bool shown);

    PrxDocument &m_doc;
    RowBytes *m_bytes = nullptr;
    BytesView *m_view = nullptr;
    QAction *m_shown = nullptr;
};
