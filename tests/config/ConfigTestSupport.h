#pragma once
// Helpers shared by the configuration tests: a scratch folder and file access.

#include "text/FileBytes.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace marlune::test {

// A fresh folder below the temporary folder, removed with everything in it.
class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "marlune-config-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr)
            m_path = pattern + "/";
    }
    ~ScratchFolder() {
        if (m_path.empty())
            return;
        std::error_code error;
        // Read-only folders made by a test must become writable again to be removed.
        for (auto& entry : std::filesystem::recursive_directory_iterator(m_path, error)) {
            if (entry.is_directory(error))
                std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all, error);
        }
        std::filesystem::remove_all(m_path, error);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // The folder, ending with '/'.
    const std::string& path() const { return m_path; }
    std::string operator/(const std::string& relative) const { return m_path + relative; }

private:
    std::string m_path;
};

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    ASSERT_TRUE(WriteFileAtomically(path, bytes)) << path;
}

inline std::string ReadBytes(const std::string& path) {
    return ReadFileBytes(path).value_or("<missing>");
}

// Names of the files in a folder (to see that no temporary file was left behind).
inline std::size_t FileCount(const std::string& folder) {
    std::size_t count = 0;
    for ([[maybe_unused]] auto& entry : std::filesystem::directory_iterator(folder))
        ++count;
    return count;
}

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

inline bool FileExists(const std::string& path) {
    return std::filesystem::exists(path);
}

inline bool RunningAsRoot() {
    return ::geteuid() == 0;
}

} // namespace marlune::test
