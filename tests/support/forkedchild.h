#pragma once

#include <QByteArray>

#include <cerrno>
#include <functional>

#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

// Runs a body in a forked child, so that a file-size limit (a full disk) or
// the unprivileged user 65534 (a read-only file, since the tests run as root)
// never reaches the test runner. The text the body returns comes back
// through a pipe; the child never runs test assertions itself.
struct ForkedChild
{
    // Bytes a file may grow to in the child; negative for no limit. SIGXFSZ is
    // ignored, so an over-long write fails with EFBIG as on a full disk.
    long long fileSizeLimit = -1;
    bool asNobody = false;

    struct Result
    {
        bool exitedNormally = false;
        int exitCode = -1;
        QByteArray output;
    };

    Result run(const std::function<QByteArray()> &body) const
    {
        Result result;
        int fds[2];
        if (pipe(fds) != 0)
            return result;
        const pid_t pid = fork();
        if (pid < 0)
            return result;
        if (pid == 0) {
            close(fds[0]);
            if (fileSizeLimit >= 0) {
                signal(SIGXFSZ, SIG_IGN);
                rlimit limit{};
                getrlimit(RLIMIT_FSIZE, &limit);
                limit.rlim_cur = rlim_t(fileSizeLimit);
                if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
                    _exit(90);
            }
            if (asNobody && (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0))
                _exit(91);
            const QByteArray out = body();
            for (qsizetype at = 0; at < out.size();) {
                const ssize_t n = write(fds[1], out.constData() + at, size_t(out.size() - at));
                if (n <= 0)
                    _exit(92);
                at += n;
            }
            _exit(0);
        }
        close(fds[1]);
        char buffer[4096];
        for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) != 0;) {
            if (n > 0)
                result.output.append(buffer, n);
            else if (errno != EINTR)
                break;
        }
        close(fds[0]);
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        result.exitedNormally = WIFEXITED(status);
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return result;
    }
};
