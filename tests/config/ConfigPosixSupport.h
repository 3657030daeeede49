#pragma once
// Helpers of the configuration tests that need POSIX: a child process with a file size
// limit, and the user's identity.

#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace marlune::test {

// Runs the action in a child process whose files may not grow beyond a few bytes, so
// that every write fails part-way, even for the super-user. Returns what the action
// returned, or true when the child did not end normally.
inline bool RunWithTinyFileLimit(const std::function<bool()>& action) {
    pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{16, 16};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::_exit(action() ? 1 : 0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return !WIFEXITED(status) || WEXITSTATUS(status) != 0;
}

inline bool RunningAsRoot() {
    return ::geteuid() == 0;
}

} // namespace marlune::test
