// Where an installed program keeps the user's files: the per-user data folder of the
// base directory rules, chosen by the layout of the executable's folder.
#include "config/InstalledFolder.h"

#include "ConfigTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

namespace marlune {
namespace {

bool MakeFolder(const std::string& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    return !error;
}

// Sets an environment variable for the scope and puts the old value back.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name))
            m_old = old;
        if (value != nullptr)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnvironment() {
        if (m_old)
            ::setenv(m_name, m_old->c_str(), 1);
        else
            ::unsetenv(m_name);
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

TEST(InstalledFolder, PerUserFolderFollowsTheBaseDirectoryRules) {
    ScopedEnvironment home("HOME", "/home/someone");
    {
        ScopedEnvironment xdg("XDG_DATA_HOME", nullptr);
        EXPECT_EQ(PerUserDataFolder(), "/home/someone/.local/share/marlune/");
    }
    {
        ScopedEnvironment xdg("XDG_DATA_HOME", "/data/someone/");
        EXPECT_EQ(PerUserDataFolder(), "/data/someone/marlune/");
    }
    {
        // Relative and empty values are not usable and fall back to the default.
        ScopedEnvironment xdg("XDG_DATA_HOME", "relative/share");
        EXPECT_EQ(PerUserDataFolder(), "/home/someone/.local/share/marlune/");
        ScopedEnvironment empty("XDG_DATA_HOME", "");
        EXPECT_EQ(PerUserDataFolder(), "/home/someone/.local/share/marlune/");
    }
}

TEST(InstalledFolder, OnlyAnInstalledLayoutMovesTheFilesToTheUser) {
    test::ScratchFolder prefix;
    ASSERT_TRUE(MakeFolder(prefix / "bin"));
    ASSERT_TRUE(MakeFolder(prefix / "share/applications"));
    ScopedEnvironment xdg("XDG_DATA_HOME", (prefix / "user").c_str());

    // A build folder or an unpacked one: the files stay beside the program.
    EXPECT_FALSE(IsInstalledProgramFolder(prefix / "bin"));
    EXPECT_EQ(DefaultProgramFolderFor(prefix / "bin"), prefix / "bin/");

    test::WriteBytes(prefix / "share/applications/marlune.desktop", "[Desktop Entry]\n");
    EXPECT_TRUE(IsInstalledProgramFolder(prefix / "bin"));
    EXPECT_TRUE(IsInstalledProgramFolder(prefix / "bin/"));
    EXPECT_EQ(DefaultProgramFolderFor(prefix / "bin/"), prefix / "user/marlune/");
    // Only a folder named bin is an installed one, and the menu entry must be a file.
    ASSERT_TRUE(MakeFolder(prefix / "opt"));
    EXPECT_FALSE(IsInstalledProgramFolder(prefix / "opt"));
    test::ScratchFolder other;
    ASSERT_TRUE(MakeFolder(other / "bin"));
    ASSERT_TRUE(MakeFolder(other / "share/applications/marlune.desktop"));
    EXPECT_FALSE(IsInstalledProgramFolder(other / "bin"));
}

} // namespace
} // namespace marlune
