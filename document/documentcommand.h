#pragma once

#include <QString>
#include <QUndoCommand>

// A change of the document that can be taken back. The document makes the
// change before it pushes the command and performs undo and redo itself
// through apply(), so that a change that can not be made (a module another
// program changed) leaves the history where it was.
class DocumentCommand : public QUndoCommand
{
public:
    using QUndoCommand::QUndoCommand;

    // Makes the change (`forward`) or takes it back. Empty text when done;
    // else why not, and nothing changed.
    virtual QString apply(bool forward) = 0;

    // The next undo() or redo() of the stack finds the change already made.
    void skipNext() { m_skip = true; }

    void undo() final;
    void redo() final;

private:
    // Pushed after the change was made: the stack's first redo() has nothing to do.
    bool m_skip = true;
};
