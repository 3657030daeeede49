// Watch list saves and reads against what only POSIX systems have: a file size limit that
// makes a write fail part-way, pipes, devices, symbolic links and mode bits. Left out of
// the Windows build.
#include "QuoteTestSupport.h"
#include "quote/WatchListFile.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace marlune {
namespace {

using test::FirstRunListBytes;
using test::TempDir;

TEST(WatchListFile, FailedSaveKeepsTheOldFile) {
    TempDir dir;
    std::string path = dir.file("list.ini");
    ASSERT_TRUE(WriteFileAtomically(path, FirstRunListBytes()));

    WatchList big;
    for (int i = 0; i < 20; ++i)
        big.push_back(test::Entry(std::to_string(600000 + i), 1));

    // A disk that fills up mid-write: the file size limit stops the write after 64 bytes.
    struct rlimit old {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    ListSaveResult saved = SaveWatchList(path, big);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(saved, ListSaveResult::NotWritten);
    EXPECT_EQ(ReadFileBytes(path).value(), FirstRunListBytes());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.file("")), {}), 1); // no temp left

    EXPECT_EQ(SaveWatchList(dir.file("no/such/folder/list.ini"), big), ListSaveResult::NotWritten);
}

TEST(WatchListFile, OnlyRegularFilesOfAtMostOneMegabyteAreRead) {
    TempDir dir;
    const std::string fallback = FirstRunListBytes();

    // A link to a device that never ends, and a pipe nobody writes to: refused at once.
    const std::string device = dir.file("device.ini");
    ASSERT_EQ(::symlink("/dev/zero", device.c_str()), 0);
    const std::string pipe = dir.file("pipe.ini");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    for (const std::string& path : {device, pipe}) {
        ListFile file = ReadListFile(path, MarketReading::Number, fallback);
        EXPECT_EQ(file.status, FileReadStatus::NotRegular) << path;
        EXPECT_FALSE(MaySaveOver(file));
        ASSERT_EQ(file.entries.size(), 2u); // the fallback stands in
        EXPECT_EQ(file.entries[0].code, "000001");
        std::vector<std::string> lines;
        EXPECT_FALSE(ReadListLines(path, lines));
    }

    // One byte over the limit is refused; the limit itself is read.
    std::string line = "k|600000|pf|1|0|0|0|0|0\r\n";
    std::string big;
    while (big.size() + line.size() <= kSettingsFileMaxBytes)
        big += line;
    big.append(kSettingsFileMaxBytes - big.size(), '#');
    const std::string path = dir.file("list.ini");
    ASSERT_TRUE(WriteFileAtomically(path, big));
    ListFile atLimit = ReadListFile(path, MarketReading::Number, fallback);
    EXPECT_EQ(atLimit.status, FileReadStatus::Read);
    EXPECT_TRUE(MaySaveOver(atLimit));
    EXPECT_EQ(atLimit.entries.size(), big.size() / line.size());
    ASSERT_TRUE(WriteFileAtomically(path, big + "#"));
    ListFile over = ReadListFile(path, MarketReading::Number, fallback);
    EXPECT_EQ(over.status, FileReadStatus::TooLarge);
    EXPECT_FALSE(MaySaveOver(over));
    EXPECT_EQ(over.entries.size(), 2u);
    EXPECT_EQ(LoadWatchList(path).size(), 0u); // no fallback asked for: nothing
    // A missing file may be created; an unreadable one may not be written over.
    EXPECT_TRUE(MaySaveOver(ReadListFile(dir.file("absent.ini"), MarketReading::Number)));
}

TEST(WatchListFile, SavesWriteThroughLinksAndLeaveReadOnlyFilesAlone) {
    TempDir dir;
    std::filesystem::create_directories(dir.file("real"));
    const std::string target = dir.file("real/list.ini");
    ASSERT_TRUE(WriteFileAtomically(target, FirstRunListBytes()));
    const std::string link = dir.file("list.ini");
    ASSERT_EQ(::symlink("real/list.ini", link.c_str()), 0);

    WatchList list = LoadWatchListForEditing(link);
    ASSERT_EQ(list.size(), 2u);
    list.pop_back();
    ASSERT_EQ(SaveWatchList(link, list), ListSaveResult::Saved);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadFileBytes(target).value(), WatchListFileBytes(list).value());
    // The temporary file went beside the target and is gone.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.file("real")), {}), 1);

    // Read-only: left as it is, and the caller is told why.
    ::chmod(target.c_str(), 0444);
    const std::string before = ReadFileBytes(target).value();
    EXPECT_EQ(SaveWatchList(link, WatchList{}), ListSaveResult::ReadOnly);
    EXPECT_EQ(ReadFileBytes(target).value(), before);
    ::chmod(target.c_str(), 0644);
}

} // namespace
} // namespace marlune
