// The running program on Windows.
#if defined(_WIN32)

#include "platform/os/Process.h"

#include "platform/os/WideText.h"

#include <windows.h>

#include <cstdio>
#include <fcntl.h>
#include <io.h>

namespace marlune::os {

std::string ExecutablePath() {
    std::wstring path(MAX_PATH, L'\0');
    while (true) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return {};
        if (length < path.size())
            return WithSlashes(Narrow(path.data(), length));
        path.resize(path.size() * 2);
    }
}

int ProcessId() {
    return static_cast<int>(::GetCurrentProcessId());
}

bool StandardOutputIsTerminal() {
    return ::_isatty(::_fileno(stdout)) != 0;
}

void UseUtf8StandardOutput() {
    std::fflush(stdout);
    ::_setmode(::_fileno(stdout), _O_BINARY);
    if (StandardOutputIsTerminal())
        ::SetConsoleOutputCP(CP_UTF8);
}

void LowerThisThreadPriority(int priority) {
    if (priority < 0)
        ::SetThreadPriority(::GetCurrentThread(), priority);
}

} // namespace marlune::os

#endif
