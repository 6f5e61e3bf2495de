#pragma once

#include "common/fileerror.h"
#include "common/platform.h"

#include <QByteArray>
#include <QString>
#include <functional>

class FileStamp;

// The one way the programs write a file. The new content goes to a file
// created exclusively in the target's folder under a short name of this
// process, is written and fsynced, gets the target's mode (and owner where
// the user may set it), is renamed over the target, and the folder is
// fsynced: the target holds its old bytes or all of the new ones. A target
// that is a link is written through; one that is not a regular file is
// refused. Leftovers of killed runs in the folder are swept first: only plain
// files and folders of this user, named by a process that no longer runs.
namespace SafeFile {

// Above this, INI files and other texts read whole are refused.
constexpr qint64 TextLimit = 64 * 1024 * 1024;

struct Options
{
    // The version of the target last read: a target changed since is not replaced.
    const FileStamp *expected = nullptr;
    // Refuse to make a new file: only an existing one is replaced.
    bool mustExist = false;
    // When set, receives what the new file is on disk (its identity), taken before the rename.
    Platform::Status *written = nullptr;
};

FileError write(const QString &path, QByteArrayView bytes, const Options &options = {});
// Renames `staged`, a complete file this process made in the target's folder
// (see Stage), over `path` by the same rules.
FileError commit(const QString &staged, const QString &path, const Options &options = {});

// The file a write to `path` lands in: links followed to their end.
QString finalPath(const QString &path);
// Refuses what can not be replaced by a write: not a regular file, read-only.
FileError checkTarget(const QString &path);
// Refuses an input that is missing or is not a regular file (a link to one is fine).
FileError checkInput(const QString &path);
// Reads a regular file whole; refused above `limit` bytes, before reading.
FileError read(const QString &path, qint64 limit, QByteArray &bytes);

// Removes what killed runs left in `folder`.
void sweep(const QString &folder);

// Tests watch the order of the durable steps: "sync" (a file), "rename",
// "sync-folder", each with its path. Null turns it off.
void setTrace(std::function<void(const char *step, const QString &path)> trace);

// A private folder beside a file about to be replaced, for results that a
// tool writes under a name of its choosing; removed with the object.
class Stage
{
public:
    explicit Stage(const QString &target);
    ~Stage();
    Stage(const Stage &) = delete;
    Stage &operator=(const Stage &) = delete;

    const FileError &error() const { return m_error; }
    bool isValid() const { return m_error.ok(); }
    const QString &folder() const { return m_folder; }
    QString file(const QString &name) const;
    // Copies `from` into the stage as `name`, checked to the last byte and synced.
    FileError copyIn(const QString &from, const QString &name);
    // Renames the staged `name` over the target (through commit()).
    FileError commit(const QString &name, const Options &options = {});

private:
    QString m_target;
    QString m_folder;
    FileError m_error;
};

} // namespace SafeFile
