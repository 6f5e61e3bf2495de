#include "document/modulewritecommand.h"

#include "values/modulefiles.h"

#include <QDir>

ModuleWriteCommand::ModuleWriteCommand(ModuleFiles &files, int slot, std::vector<Span> spans, const QString &text)
    : m_files(files), m_slot(slot), m_spans(std::move(spans))
{
    setText(text);
}

QString ModuleWriteCommand::apply(bool forward)
{
    return write(m_files, m_slot, m_spans, forward);
}

QString ModuleWriteCommand::write(ModuleFiles &files, int slot, const std::vector<Span> &spans, bool forward)
{
    if (!files.isOpen(slot))
        return QStringLiteral("module file %1 is not open").arg(slot);
    const QString name = QDir::toNativeSeparators(files.path(slot));
    if (!files.isWritable(slot))
        return QStringLiteral("%1 is read-only").arg(name);
    for (const Span &span : spans)
        if (span.offset < 0 || span.offset + span.after.size() > files.size(slot))
            return QStringLiteral("offset %1 does not lie inside %2 (%3 bytes)")
                .arg(QString::number(span.offset, 16).toUpper(), name)
                .arg(files.size(slot));
    // All spans reach the module in one replacement, or none does.
    ModuleFiles::Changes changes(files);
    for (const Span &span : spans)
        if (const FileError error = files.write(slot, span.offset, forward ? span.after : span.before); !error.ok())
            return error.text();
    return changes.commit().text();
}
