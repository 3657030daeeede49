// Cases that need what only POSIX systems have: pipes, devices, symbolic links, mode bits
// and a file size limit that makes a write fail part-way. Left out of the Windows build.
#include "config/Profile.h"
#include "config/SettingsKeys.h"

#include "ConfigPosixSupport.h"
#include "ConfigTestSupport.h"

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace marlune {
namespace {

using test::ReadBytes;
using test::ScratchFolder;
using test::WriteBytes;

TEST(Profile, AFailedWriteLeavesThePreviousFile) {
    ScratchFolder folder;
    std::string path = folder / "base.ini";
    const std::string original = "[sys]\r\nLastX=100\r\nLastY=400\r\n";
    WriteBytes(path, original);

    // The disk fills up half-way through the new file.
    EXPECT_FALSE(test::RunWithTinyFileLimit(
        [&] { return ProfileWrite(path, "sys", "ReSoft", std::string(100, 'p')); }));
    EXPECT_EQ(ReadBytes(path), original);
    EXPECT_EQ(test::FileCount(folder.path()), 1u); // no temporary file left behind

    // A file marked read-only stays as it is.
    ::chmod(path.c_str(), 0444);
    EXPECT_FALSE(ProfileWrite(path, "sys", "LastX", "5"));
    EXPECT_EQ(ReadBytes(path), original);
    ::chmod(path.c_str(), 0644);

    // A folder that cannot be written (the super-user may write anyway).
    if (!test::RunningAsRoot()) {
        ::chmod(folder.path().c_str(), 0555);
        EXPECT_FALSE(ProfileWrite(path, "sys", "LastX", "5"));
        ::chmod(folder.path().c_str(), 0755);
        EXPECT_EQ(ReadBytes(path), original);
    }
}

TEST(Profile, AFileRefusedForItsSizeOrKindReadsAsTheFirstRunValuesAndIsNeverWritten) {
    ScratchFolder folder;
    const std::string path = folder / "base.ini";
    const std::string big = "[sys]\r\nFreshSec=30\r\n;" + std::string(kSettingsFileMaxBytes, 'x') + "\r\n";
    WriteBytes(path, big);
    EXPECT_EQ(ProfileRead(path, "sys", "FreshSec"), "10");
    EXPECT_EQ(ProfileReadInt(path, "SYS", "hotkey"), 1);
    EXPECT_EQ(ProfileRead(path, "Color", "ColorBK"), "e6ffff");
    EXPECT_EQ(ProfileRead(path, "sys", "NoSuchKey"), "");
    EXPECT_FALSE(ProfileWriteInt(path, "sys", "LastX", 5));
    EXPECT_EQ(ReadBytes(path), big);

    const std::string device = folder / "device.ini";
    ASSERT_EQ(::symlink("/dev/zero", device.c_str()), 0);
    EXPECT_EQ(ProfileRead(device, "sys", "TopMost"), "1");
    EXPECT_FALSE(ProfileWrite(device, "sys", "TopMost", "0"));
    EXPECT_TRUE(std::filesystem::is_symlink(device));
}

TEST(Profile, WritesThroughALinkToItsTarget) {
    ScratchFolder folder;
    const std::string target = folder / "real.ini";
    WriteBytes(target, "[sys]\r\nLastX=1\r\n");
    const std::string link = folder / "base.ini";
    ASSERT_EQ(::symlink("real.ini", link.c_str()), 0);
    EXPECT_TRUE(ProfileWriteInt(link, "sys", "LastX", 250));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadBytes(target), "[sys]\r\nLastX=250\r\n");
}

} // namespace
} // namespace marlune
