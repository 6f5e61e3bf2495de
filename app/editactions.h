#pragma once

#include <QObject>

class PrxDocument;
class QAction;
class QMenu;
class QWidget;

// The Edit menu's Undo and Redo over the document's history: their texts
// name the change they take back or make again, and their shortcuts work in
// every window they are added to.
class EditActions : public QObject
{
    Q_OBJECT

public:
    EditActions(PrxDocument &document, QObject *parent);

    QAction *undo() const { return m_undo; }
    QAction *redo() const { return m_redo; }
    void addTo(QMenu *menu) const;
    // The shortcuts also while `window` (a tool window) is the active one.
    void addShortcutsTo(QWidget *window) const;

private:
    void sync();

    PrxDocument &m_doc;
    QAction *m_undo;
    QAction *m_redo;
};
