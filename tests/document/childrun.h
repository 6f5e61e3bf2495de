#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <grp.h>
#include <optional>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

// Failure cases as a person meets them, though the tests run as root: the
// case runs in a forked child that limits its file size (a full disk) or
// becomes the user nobody, so neither reaches the test runner. The child
// reports what it saw as text; the parent makes the assertions.
namespace ChildRun {

// Writes past `bytes` fail with EFBIG instead of killing the process.
inline bool limitFileSize(rlim_t bytes)
{
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{bytes, bytes};
    return setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

inline bool becomeNobody()
{
    return setgroups(0, nullptr) == 0 && setgid(65534) == 0 && setuid(65534) == 0;
}

// The text `body` gave in a forked child, or nothing when the child did not
// end normally.
inline std::optional<QString> run(const std::function<QString()> &body)
{
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return std::nullopt;
    const pid_t pid = fork();
    if (pid < 0)
        return std::nullopt;
    if (pid == 0) {
        close(pipeFds[0]);
        const QByteArray text = body().toUtf8();
        qsizetype done = 0;
        while (done < text.size()) {
            const ssize_t n = write(pipeFds[1], text.constData() + done, size_t(text.size() - done));
            if (n <= 0)
                _exit(3);
            done += n;
        }
        _exit(0);
    }
    close(pipeFds[1]);
    QByteArray text;
    char buffer[4096];
    for (ssize_t n; (n = read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, n);
    close(pipeFds[0]);
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    return QString::fromUtf8(text);
}

} // namespace ChildRun
