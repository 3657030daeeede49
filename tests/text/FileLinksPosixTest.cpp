// Files only POSIX systems have: symbolic links anyone may make, pipes, devices and
// mode bits. Left out of the Windows build.
#include "text/FileBytes.h"

#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace marlune;

namespace {

std::filesystem::path FreshFolder(const char* name) {
    auto dir = std::filesystem::temp_directory_path() / name;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

void SetAge(const std::filesystem::path& path, int seconds) {
    std::filesystem::last_write_time(path, std::filesystem::file_time_type::clock::now() -
                                               std::chrono::seconds(seconds));
}

} // namespace

TEST(FileBytes, RefusesDevicesAndPipes) {
    auto dir = FreshFolder("marlune_device_test");
    // Through a link to a device, and a pipe without a writer: refused, never waited on.
    std::filesystem::create_symlink("/dev/zero", dir / "zero.ini");
    EXPECT_EQ(ReadRegularFile((dir / "zero.ini").string()).status, FileReadStatus::NotRegular);
    EXPECT_EQ(ProbeRegularFile((dir / "zero.ini").string()), FileReadStatus::NotRegular);
    ASSERT_EQ(::mkfifo((dir / "pipe.ini").c_str(), 0600), 0);
    EXPECT_EQ(ReadRegularFile((dir / "pipe.ini").string()).status, FileReadStatus::NotRegular);
    std::filesystem::remove_all(dir);
}

TEST(FileBytes, WritesThroughLinksBesideTheirTarget) {
    auto dir = FreshFolder("marlune_link_test");
    std::filesystem::create_directories(dir / "real");
    const std::string target = (dir / "real" / "list.ini").string();
    ASSERT_TRUE(WriteFileAtomically(target, "old"));
    ::chmod(target.c_str(), 0640);
    // A link to a link, one of them relative.
    std::filesystem::create_symlink(target, dir / "middle.ini");
    std::filesystem::create_symlink("middle.ini", dir / "list.ini");
    const std::string link = (dir / "list.ini").string();
    EXPECT_EQ(ResolveLinks(link).value_or(""), target);
    ASSERT_TRUE(WriteFileAtomically(link, "new"));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadFileBytes(target).value_or(""), "new");
    EXPECT_EQ(std::filesystem::status(target).permissions() & std::filesystem::perms::all,
              std::filesystem::perms(0640));
    // A loop of links names no file: nothing is written.
    std::filesystem::create_symlink("loop2", dir / "loop1");
    std::filesystem::create_symlink("loop1", dir / "loop2");
    EXPECT_FALSE(ResolveLinks((dir / "loop1").string()).has_value());
    EXPECT_FALSE(WriteFileAtomically((dir / "loop1").string(), "x"));

    // Read-only and not-regular files are left alone by a settings save.
    ::chmod(target.c_str(), 0444);
    EXPECT_TRUE(IsReadOnlyFile(link));
    EXPECT_EQ(ReplaceSettingsFile(link, "newer"), ReplaceResult::ReadOnly);
    EXPECT_EQ(ReadFileBytes(target).value_or(""), "new");
    EXPECT_EQ(ReplaceSettingsFile((dir / "real").string(), "x"), ReplaceResult::NotRegular);
    ::chmod(target.c_str(), 0644);
    EXPECT_EQ(ReplaceSettingsFile(link, std::string(kSettingsFileMaxBytes + 1, 'x')), ReplaceResult::Failed);
    EXPECT_EQ(ReadFileBytes(target).value_or(""), "new");
    std::filesystem::remove_all(dir);
}

TEST(FileBytes, RemovesStaleTemporaryFilesBesideALinksTarget) {
    auto dir = FreshFolder("marlune_stale_link_test");
    const std::time_t started = std::time(nullptr) - 60;
    std::filesystem::create_directories(dir / "real");
    ASSERT_TRUE(WriteFileAtomically((dir / "real" / "list.ini").string(), "x"));
    std::filesystem::create_symlink("real/list.ini", dir / "list.ini");
    std::ofstream(dir / "real" / "list.ini.tmp-abcDEF") << "x";
    SetAge(dir / "real" / "list.ini.tmp-abcDEF", 3600);
    EXPECT_EQ(RemoveStaleTemporaryFiles((dir / "list.ini").string(), started), 1);
    EXPECT_FALSE(std::filesystem::exists(dir / "real" / "list.ini.tmp-abcDEF"));
    std::filesystem::remove_all(dir);
}
