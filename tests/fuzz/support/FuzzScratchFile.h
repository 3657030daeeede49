#pragma once
// Shared pieces of the fuzz entry points that work on files.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace marlune::fuzz {

// The file the input is written to, in memory when possible (every write is flushed
// to disk, which would make the fuzzer crawl). Removed after each input, so that
// nothing is left behind however the fuzzer ends.
class ScratchFile {
public:
    explicit ScratchFile(const char* name) {
        std::error_code error;
        std::filesystem::path base = std::filesystem::is_directory("/dev/shm", error)
                                         ? std::filesystem::path("/dev/shm")
                                         : std::filesystem::temp_directory_path();
        m_path = (base / ("marlune-fuzz-" + std::to_string(::getpid()) + "-" + name)).string();
    }
    ~ScratchFile() { std::remove(m_path.c_str()); }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

// Stops the fuzzer with a message when a property does not hold.
inline void Check(bool condition, const char* fuzzer, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "%s: %s\n", fuzzer, what);
        std::abort();
    }
}

} // namespace marlune::fuzz
