#pragma once

// Runs part of a test as another user: a forked copy that takes the user id of "nobody" and
// ends with the body's result. Only root can do it; the tests that need it skip otherwise.
#include <functional>

#include <grp.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tessarin::test {

inline constexpr uid_t kOtherUid = 65534;
inline constexpr gid_t kOtherGid = 65534;

inline bool CanRunAsOtherUser() {
    return ::geteuid() == 0;
}

// The forked copy's process id; `body` runs as kOtherUid and its result is the exit code (99 when
// the user could not be changed). `first`, when given, runs before the change, still as root.
inline pid_t ForkAsOtherUser(const std::function<int()>& body,
                             const std::function<void()>& first = {}) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (first)
            first();
        if (::setgroups(0, nullptr) != 0 || ::setgid(kOtherGid) != 0 || ::setuid(kOtherUid) != 0)
            ::_exit(99);
        ::_exit(body());
    }
    return pid;
}

// The exit code of a forked copy, or 128 + the signal that ended it.
inline int WaitForChild(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace tessarin::test
