#pragma once

#include "common/prompter.h"

#include <QString>

class ModuleFiles;

// The descrambled copy of a firmware-5 module that the editor works on. It
// lies beside the module and never has the module's path; only a file this
// program had the scramble tool write is ever deleted.
class WorkingCopy
{
public:
    WorkingCopy(ModuleFiles &files, Prompter &prompter) : m_files(files), m_prompter(prompter) {}

    // Descrambles `module` with `tool` into a new working copy: it becomes
    // file 1, the module file 2. On failure says why and leaves no working copy.
    bool make(const QString &module, const QString &tool);
    // Closes and deletes the working copy, when there is one.
    void drop();
    // The working copy's path, or empty text.
    const QString &path() const { return m_path; }
    // Records beside the working copy that this process made it (its name and
    // identity), so that a later run can remove it once this process is gone.
    // Called again when the working copy was replaced.
    void mark();
    // Removes the working copies in `folder` that a process now gone made and
    // marked, and their marks. A file of the same name that is not the one
    // marked (a person's own vshmain.bin) is never touched.
    static void sweepLeftovers(const QString &folder);

private:
    bool fail(const QString &text, const QString &title = QStringLiteral("Error"),
              Prompter::Icon icon = Prompter::Icon::Critical);

    ModuleFiles &m_files;
    Prompter &m_prompter;
    QString m_path;
    QString m_marker;
};
