#pragma once

#include <QString>
#include <memory>

class QTemporaryDir;

// A private folder beside a file that is about to be replaced: the new
// content is made complete there, then renamed over the file in one step, so
// a crash leaves the old file or the new one, never a torn one. A folder left
// by a process that was killed is swept away by the next stage beside it.
class ModuleStage
{
public:
    explicit ModuleStage(const QString &target);
    ~ModuleStage();
    ModuleStage(const ModuleStage &) = delete;
    ModuleStage &operator=(const ModuleStage &) = delete;

    // False when the folder could not be made; error() says why.
    bool isValid() const;
    const QString &error() const { return m_error; }
    QString folder() const;
    // A path inside the folder.
    QString file(const QString &name) const;

    // Copies `from` into the folder as `name`, checked to the last byte.
    bool copyIn(const QString &from, const QString &name);
    // Flushes `staged` to the disk and renames it over the target. On failure
    // the target is as it was and error() says why, naming the target.
    bool commit(const QString &staged);

private:
    bool fail(const QString &text);

    QString m_target;
    QString m_error;
    std::unique_ptr<QTemporaryDir> m_dir;
};
