#pragma once

#include "document/documentcommand.h"

#include <QByteArray>
#include <vector>

class ModuleFiles;

// Bytes written into one module file. Taking it back writes the bytes that
// were there before, through the same checks as the write: in one
// replacement of the file, refused (with nothing written) when the file is
// not open, read-only, too short, or was changed by another program.
class ModuleWriteCommand : public DocumentCommand
{
public:
    struct Span
    {
        qint64 offset;
        QByteArray before;
        QByteArray after;
    };

    ModuleWriteCommand(ModuleFiles &files, int slot, std::vector<Span> spans, const QString &text);

    QString apply(bool forward) override;

    // Writes each span's `after` (or `before`) bytes; empty text when all were
    // written, else why none was.
    static QString write(ModuleFiles &files, int slot, const std::vector<Span> &spans, bool forward);

private:
    ModuleFiles &m_files;
    int m_slot;
    std::vector<Span> m_spans;
};
