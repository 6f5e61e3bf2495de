#include "common/filelock.h"

#include <cerrno>

FileLock::~FileLock()
{
    release();
}

void FileLock::release()
{
    if (m_handle != Platform::NoHandle)
        Platform::close(m_handle);
    m_handle = Platform::NoHandle;
}

FileError FileLock::acquire(const QString &path, std::chrono::milliseconds wait)
{
    release();
    const auto until = std::chrono::steady_clock::now() + wait;
    int lateTries = 0;
    for (;;) {
        if (const int error = Platform::openForReading(path, m_handle))
            return FileError::reading(path, Platform::errorText(error));
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
        const int error = Platform::lockExclusive(m_handle, std::max(left, std::chrono::milliseconds(0)));
        if (error == ETIMEDOUT) {
            release();
            return FileError::writing(path, QStringLiteral("another program kept it in use for %1 s")
                                                .arg(double(wait.count()) / 1000.0));
        }
        if (error) {
            release();
            return FileError::writing(path, Platform::errorText(error));
        }
        const Platform::Status locked = Platform::status(m_handle);
        const Platform::Status named = Platform::status(path);
        if (named.exists && named.device == locked.device && named.inode == locked.inode)
            return FileError::none();
        release();
        // A path that never names the file locked (a file system whose
        // numbers do not agree) must not hold the program for ever; a file
        // replaced just before the wait ended still gets its tries.
        if (std::chrono::steady_clock::now() >= until && ++lateTries > 10)
            return FileError::writing(path, QStringLiteral("it keeps being replaced while it is locked"));
    }
}
