#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <chrono>

// Every call to the operating system that Qt does not offer lives here, so a
// port to another system replaces this unit and nothing else. Functions that
// can fail give 0 or the system's error code; errorText() turns it into words.
namespace Platform {

using Handle = int;
constexpr Handle NoHandle = -1;

// What the system knows of a path (the link itself when `followLinks` is false).
struct Status
{
    bool exists = false;
    int error = 0; // why it could not be looked at, when it does not exist
    bool regular = false;
    bool folder = false;
    bool link = false;
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = -1;
    qint64 modifiedNs = 0;
    qint64 changedNs = 0;
    uint mode = 0; // permission bits
    uint owner = 0;
    uint group = 0;
};

Status status(const QString &path, bool followLinks = true);
Status status(Handle handle);
QString errorText(int error);
// The target a link names, made absolute against the link's folder; empty text when `path` is no link.
QString linkTarget(const QString &path);
// The longest file name the folder's file system takes.
int nameLimit(const QString &folder);
bool mayWrite(const QString &path);

// Creates `folder/name` exclusively: never an existing file, never through a link of that name.
int createExclusive(const QString &path, Handle &handle);
// Opens an existing file for reading, never blocking on a pipe or device.
int openForReading(const QString &path, Handle &handle);
int writeAll(Handle handle, const char *data, qint64 size);
// Reads up to `size` bytes; gives the count, or -1 with `error` set.
qint64 read(Handle handle, char *into, qint64 size, int &error);
int syncFile(Handle handle);
int syncFolder(const QString &folder);
int close(Handle handle);
// Gives the file `mode` and, where the user may, `owner` and `group`.
int setModeAndOwner(Handle handle, uint mode, uint owner, uint group);
int rename(const QString &from, const QString &to);
int remove(const QString &path);
// A new private folder `prefix` + unique letters; its path in `made`.
int makeFolder(const QString &prefix, QString &made);

// The program's arguments as the system hands them to main(), decoded, before
// any application object exists (help and the version need none).
QStringList arguments(int argc, char **argv);

// Process identity, for telling leftovers of a process that is gone.
qint64 processId();
uint userId();
bool processRunning(qint64 pid);

// Waits for an exclusive advisory lock on the open file, at most `wait`.
// ETIMEDOUT when another process kept it that long.
int lockExclusive(Handle handle, std::chrono::milliseconds wait);

// A write past the file-size limit then fails with EFBIG instead of ending the program.
void ignoreFileSizeSignal();
// SIGINT, SIGTERM and SIGHUP set a flag instead of ending the program at once;
// the program polls it (or watches terminationHandle() become readable) and
// ends cleanly. A second signal ends the program at once.
void catchTermination();
bool terminationRequested();
Handle terminationHandle();
// After the program has cleaned up: ends it by the signal that asked, so its
// parent sees how it ended. Returns only when no signal arrived.
void endAfterTermination();

// For a child process about to run a tool: it ends when this program ends,
// even killed; false when this program has already gone (the child must exit).
bool tieChildToParent(qint64 parent);

} // namespace Platform
