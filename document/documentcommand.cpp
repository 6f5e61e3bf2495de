#include "document/documentcommand.h"

void DocumentCommand::undo()
{
    if (m_skip)
        m_skip = false;
    else
        apply(false);
}

void DocumentCommand::redo()
{
    if (m_skip)
        m_skip = false;
    else
        apply(true);
}
