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

private:
    bool fail(const QString &text, const QString &title = QStringLiteral("Error"),
              Prompter::Icon icon = Prompter::Icon::Critical);

    ModuleFiles &m_files;
    Prompter &m_prompter;
    QString m_path;
};
