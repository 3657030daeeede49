#pragma once
// Helpers shared by the configuration tests: a scratch folder and file access.

#include "text/FileBytes.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

namespace marlune::test {

// A fresh folder below the temporary folder, removed with everything in it.
class ScratchFolder {
public:
    ScratchFolder() {
        // A name no other test run holds: create_directory fails for one that exists.
        std::random_device random;
        for (int attempt = 0; attempt < 100 && m_path.empty(); ++attempt) {
            const auto candidate =
                std::filesystem::temp_directory_path() / ("marlune-config-" + std::to_string(random()));
            std::error_code error;
            if (std::filesystem::create_directory(candidate, error))
                m_path = candidate.generic_u8string() + "/";
        }
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

// How many files a folder holds (to see that no temporary file was left behind). The lock
// file a save leaves beside a settings file is not counted: it stays by design.
inline std::size_t FileCount(const std::string& folder) {
    std::size_t count = 0;
    for (auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().generic_u8string();
        if (name.size() < 5 || name.compare(name.size() - 5, 5, ".lock") != 0)
            ++count;
    }
    return count;
}

inline bool FileExists(const std::string& path) {
    return std::filesystem::exists(path);
}

} // namespace marlune::test
