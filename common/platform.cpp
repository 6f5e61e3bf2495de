#include "common/platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif
#include <sys/stat.h>
#include <unistd.h>

namespace Platform {

namespace {

QByteArray encoded(const QString &path)
{
    return QFile::encodeName(path);
}

qint64 nanoseconds(const timespec &t)
{
    return qint64(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

Status fromStat(const struct stat &st)
{
    Status s;
    s.exists = true;
    s.regular = S_ISREG(st.st_mode);
    s.folder = S_ISDIR(st.st_mode);
    s.link = S_ISLNK(st.st_mode);
    s.device = quint64(st.st_dev);
    s.inode = quint64(st.st_ino);
    s.size = qint64(st.st_size);
    s.modifiedNs = nanoseconds(st.st_mtim);
    s.changedNs = nanoseconds(st.st_ctim);
    s.mode = uint(st.st_mode & 07777);
    s.owner = uint(st.st_uid);
    s.group = uint(st.st_gid);
    return s;
}

int lastError()
{
    return errno != 0 ? errno : EIO;
}

std::atomic<bool> g_terminating{false};
std::atomic<int> g_signal{0};
int g_pipe[2] = {-1, -1};

void onTermination(int signal)
{
    g_signal = signal;
    if (g_terminating.exchange(true)) {
        ::signal(signal, SIG_DFL);
        ::raise(signal);
        return;
    }
    if (g_pipe[1] >= 0) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t n = ::write(g_pipe[1], &byte, 1);
    }
}

} // namespace

Status status(const QString &path, bool followLinks)
{
    struct stat st{};
    const QByteArray name = encoded(path);
    if ((followLinks ? ::stat(name.constData(), &st) : ::lstat(name.constData(), &st)) != 0) {
        Status missing;
        missing.error = errno;
        return missing;
    }
    return fromStat(st);
}

Status status(Handle handle)
{
    struct stat st{};
    if (::fstat(handle, &st) != 0)
        return Status();
    return fromStat(st);
}

QString errorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QString linkTarget(const QString &path)
{
    char buffer[4096];
    const ssize_t n = ::readlink(encoded(path).constData(), buffer, sizeof buffer - 1);
    if (n <= 0)
        return QString();
    const QString target = QFile::decodeName(QByteArray(buffer, qsizetype(n)));
    return QDir::cleanPath(QFileInfo(path).absoluteDir().absoluteFilePath(target));
}

int nameLimit(const QString &folder)
{
    const long limit = ::pathconf(encoded(folder).constData(), _PC_NAME_MAX);
    return limit > 0 ? int(std::min<long>(limit, 4096)) : 255;
}

bool mayWrite(const QString &path)
{
    return ::access(encoded(path).constData(), W_OK) == 0;
}

int createExclusive(const QString &path, Handle &handle)
{
    handle = ::open(encoded(path).constData(), O_CREAT | O_EXCL | O_NOFOLLOW | O_WRONLY | O_CLOEXEC, 0666);
    return handle < 0 ? lastError() : 0;
}

int openForReading(const QString &path, Handle &handle)
{
    handle = ::open(encoded(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (handle < 0)
        return lastError();
    // Reads of a regular file never block; the flag only kept the open from waiting on a pipe.
    ::fcntl(handle, F_SETFL, ::fcntl(handle, F_GETFL) & ~O_NONBLOCK);
    return 0;
}

int writeAll(Handle handle, const char *data, qint64 size)
{
    while (size > 0) {
        const ssize_t n = ::write(handle, data, size_t(std::min<qint64>(size, 1 << 30)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? lastError() : ENOSPC;
        data += n;
        size -= n;
    }
    return 0;
}

qint64 read(Handle handle, char *into, qint64 size, int &error)
{
    error = 0;
    qint64 got = 0;
    while (got < size) {
        const ssize_t n = ::read(handle, into + got, size_t(std::min<qint64>(size - got, 1 << 30)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            error = lastError();
            return -1;
        }
        if (n == 0)
            break;
        got += n;
    }
    return got;
}

int syncFile(Handle handle)
{
    // Some file systems can not sync; what they hold is then as safe as they make it.
    return ::fsync(handle) == 0 || errno == EINVAL ? 0 : lastError();
}

int syncFolder(const QString &folder)
{
    const int fd = ::open(encoded(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return lastError();
    const int result = ::fsync(fd) == 0 || errno == EINVAL ? 0 : lastError();
    ::close(fd);
    return result;
}

int close(Handle handle)
{
    return ::close(handle) == 0 ? 0 : lastError();
}

int setModeAndOwner(Handle handle, uint mode, uint owner, uint group)
{
    // Only root may give a file away; anyone may keep its group when a member of it.
    if (::fchown(handle, uid_t(owner), gid_t(group)) != 0)
        [[maybe_unused]] const int ignored = ::fchown(handle, uid_t(-1), gid_t(group));
    return ::fchmod(handle, mode_t(mode)) == 0 ? 0 : lastError();
}

int rename(const QString &from, const QString &to)
{
    return ::rename(encoded(from).constData(), encoded(to).constData()) == 0 ? 0 : lastError();
}

int remove(const QString &path)
{
    return ::unlink(encoded(path).constData()) == 0 ? 0 : lastError();
}

int makeFolder(const QString &prefix, QString &made)
{
    QByteArray pattern = encoded(prefix) + "XXXXXX";
    if (!::mkdtemp(pattern.data()))
        return lastError();
    made = QFile::decodeName(pattern);
    return 0;
}

QStringList arguments(int argc, char **argv)
{
    QStringList out;
    for (int i = 0; i < argc; ++i)
        out << QString::fromLocal8Bit(argv[i]);
    return out;
}

qint64 processId()
{
    return qint64(::getpid());
}

uint userId()
{
    return uint(::geteuid());
}

bool processRunning(qint64 pid)
{
    if (pid <= 0 || pid > std::numeric_limits<pid_t>::max())
        return false;
    return ::kill(pid_t(pid), 0) == 0 || errno != ESRCH;
}

int lockExclusive(Handle handle, std::chrono::milliseconds wait)
{
    const auto until = std::chrono::steady_clock::now() + wait;
    for (;;) {
        if (::flock(handle, LOCK_EX | LOCK_NB) == 0)
            return 0;
        if (errno != EWOULDBLOCK && errno != EINTR)
            return lastError();
        if (std::chrono::steady_clock::now() >= until || g_terminating)
            return ETIMEDOUT;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

void ignoreFileSizeSignal()
{
    ::signal(SIGXFSZ, SIG_IGN);
}

void catchTermination()
{
    if (g_pipe[0] < 0 && ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        g_pipe[0] = g_pipe[1] = -1;
    struct sigaction action{};
    action.sa_handler = onTermination;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}

bool terminationRequested()
{
    return g_terminating;
}

Handle terminationHandle()
{
    return g_pipe[0];
}

void endAfterTermination()
{
    const int signal = g_signal;
    if (!g_terminating || signal == 0)
        return;
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

bool tieChildToParent(qint64 parent)
{
#ifdef __linux__
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
#endif
    return qint64(::getppid()) == parent;
}

} // namespace Platform
