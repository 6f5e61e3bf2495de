#pragma once

#include "tests/support/forkedchild.h"

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
    const ForkedChild::Result result = ForkedChild().run([&] { return body().toUtf8(); });
    if (!result.exitedNormally || result.exitCode != 0)
        return std::nullopt;
    return QString::fromUtf8(result.output);
}

} // namespace ChildRun
