#pragma once

#include "common/fileerror.h"
#include "common/platform.h"

#include <QString>
#include <chrono>

// An exclusive advisory lock on a file for a whole read-modify-write, between
// programs that take it too. The file is replaced (renamed over) by each
// write, so the lock is taken on what the path names once locked: a holder
// that replaced it meanwhile makes the waiter lock the new file instead.
class FileLock
{
public:
    FileLock() = default;
    ~FileLock();
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;

    // Waits at most `wait`; then the error names the file and says it is in use.
    FileError acquire(const QString &path, std::chrono::milliseconds wait);
    void release();

private:
    Platform::Handle m_handle = Platform::NoHandle;
};
