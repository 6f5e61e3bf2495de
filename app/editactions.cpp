#include "app/editactions.h"

#include "document/prxdocument.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

EditActions::EditActions(PrxDocument &document, QObject *parent)
    : QObject(parent), m_doc(document), m_undo(new QAction(this)), m_redo(new QAction(this))
{
    m_undo->setObjectName(QStringLiteral("menuUndo"));
    m_redo->setObjectName(QStringLiteral("menuRedo"));
    m_undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    m_redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    connect(m_undo, &QAction::triggered, this, [this] { m_doc.undo(); });
    connect(m_redo, &QAction::triggered, this, [this] { m_doc.redo(); });
    const QUndoStack *history = &m_doc.history();
    connect(history, &QUndoStack::indexChanged, this, &EditActions::sync);
    connect(history, &QUndoStack::cleanChanged, this, &EditActions::sync);
    connect(history, &QUndoStack::undoTextChanged, this, &EditActions::sync);
    connect(history, &QUndoStack::redoTextChanged, this, &EditActions::sync);
    sync();
}

void EditActions::sync()
{
    const QUndoStack &history = m_doc.history();
    // "&&" keeps an ampersand of a description from becoming a mnemonic.
    const auto named = [](const char *verb, const QString &change) {
        QString text = QLatin1String(verb);
        if (!change.isEmpty())
            text += QStringLiteral(" \"%1\"").arg(QString(change).replace(u'&', QLatin1String("&&")));
        return text;
    };
    m_undo->setText(named("&Undo", history.canUndo() ? history.undoText() : QString()));
    m_redo->setText(named("&Redo", history.canRedo() ? history.redoText() : QString()));
    m_undo->setEnabled(history.canUndo());
    m_redo->setEnabled(history.canRedo());
}

void EditActions::addTo(QMenu *menu) const
{
    menu->addAction(m_undo);
    menu->addAction(m_redo);
}

void EditActions::addShortcutsTo(QWidget *window) const
{
    window->addAction(m_undo);
    window->addAction(m_redo);
}
