// The running program on Linux and other POSIX systems.
#if !defined(_WIN32)

#include "platform/os/Process.h"

#include <filesystem>
#include <sys/resource.h>
#include <system_error>
#include <unistd.h>

namespace marlune::os {

std::string ExecutablePath() {
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : exe.string();
}

int ProcessId() {
    return static_cast<int>(::getpid());
}

bool StandardOutputIsTerminal() {
    return ::isatty(STDOUT_FILENO) != 0;
}

void UseUtf8StandardOutput() {
    // Bytes pass unchanged; the terminal's own encoding is the user's to choose.
}

void LowerThisThreadPriority(int priority) {
    // On Linux a thread's nice value is its own: idle becomes nice 19, "lowest" and
    // "below normal" less.
    constexpr int kIdle = -15;
    int nice = 0;
    if (priority <= kIdle)
        nice = 19;
    else if (priority <= -2)
        nice = 10;
    else if (priority == -1)
        nice = 5;
    if (nice > 0)
        ::setpriority(PRIO_PROCESS, 0, nice);
}

} // namespace marlune::os

#endif
