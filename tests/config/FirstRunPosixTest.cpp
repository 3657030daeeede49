// Cases that need what only POSIX systems have: pipes, devices, symbolic links, mode bits
// and a file size limit that makes a write fail part-way. Left out of the Windows build.
#include "config/FirstRun.h"
#include "config/Profile.h"
#include "config/ProgramFolder.h"
#include "config/SettingsKeys.h"
#include "config/StartupFiles.h"
#include "config/XmlSettingsStore.h"

#include "ConfigPosixSupport.h"
#include "ConfigTestSupport.h"

#include <chrono>
#include <ctime>
#include <filesystem>
#include <sys/stat.h>
#include <vector>

namespace marlune {
namespace {

using test::ReadBytes;
using test::ScratchFolder;
using test::WriteBytes;

// The watch list the first run writes, in GBK with CR LF.
const std::string kExpectedListIni =
    "dac000001|000001|\xC9\xCF\xD6\xA4\xD6\xB8\xCA\xFD|1|1|3.0|2.00|5|1.00\r\n"
    "dac399001|399001|\xC9\xEE\xD6\xA4\xB3\xC9\xD6\xB8|2|2|0|0|0|0.0\r\n";

TEST(FirstRun, FailsWhenAFolderOrFileCannotBeMade) {
    {
        ScratchFolder folder;
        WriteBytes(folder / "config", "a file where the folder should be");
        EXPECT_FALSE(CreateFirstRunFilesIn(folder.path()));
    }
    if (!test::RunningAsRoot()) {
        ScratchFolder folder;
        ::chmod(folder.path().c_str(), 0555);
        EXPECT_FALSE(CreateFirstRunFilesIn(folder.path()));
    }
}

TEST(StartupFiles, RemovesStaleSaveFilesAndNamesRefusedSettingsFiles) {
    ScratchFolder folder;
    ASSERT_TRUE(CreateFirstRunFilesIn(folder.path()));
    const auto age = [](const std::string& path) {
        std::filesystem::last_write_time(path, std::filesystem::file_time_type::clock::now() -
                                                   std::chrono::hours(1));
    };
    const std::vector<std::string> stale = {"config/base.ini.tmp-Ab12Cd", "config/list.ini.tmp-000000",
                                            "scnf/SSTConf.xml.tmp-zzzzzz", "data/alerts.txt.tmp-q1w2e3"};
    const std::vector<std::string> kept = {"config/base.ini.tmp-fresh1", "config/notes.txt.tmp-Ab12Cd",
                                           "config/base.ini.backup", "data/sh600000.dat"};
    for (const std::string& name : stale) {
        WriteBytes(folder / name, "x");
        age(folder / name);
    }
    for (const std::string& name : kept) {
        WriteBytes(folder / name, "x");
        if (name != "config/base.ini.tmp-fresh1")
            age(folder / name);
    }
    EXPECT_EQ(RemoveStaleSaveFiles(folder.path(), std::time(nullptr) - 60), 4);
    for (const std::string& name : stale)
        EXPECT_FALSE(test::FileExists(folder / name)) << name;
    for (const std::string& name : kept)
        EXPECT_TRUE(test::FileExists(folder / name)) << name;
    EXPECT_EQ(ReadBytes(folder / kListIniFile), kExpectedListIni);
    EXPECT_LE(ProgramStartTime(), std::time(nullptr));

    EXPECT_TRUE(RefusedSettingsFiles(folder.path()).empty());
    const std::string big = std::string(kSettingsFileMaxBytes + 1, '#');
    WriteBytes(folder / kListIniFile, big);
    std::filesystem::remove(folder / kXmlSettingsFile);
    ASSERT_EQ(::mkfifo((folder / kXmlSettingsFile).c_str(), 0600), 0);
    const std::vector<std::string> refused = RefusedSettingsFiles(folder.path());
    EXPECT_EQ(refused, (std::vector<std::string>{kListIniFile, kXmlSettingsFile}));
    EXPECT_EQ(RefusedSettingsFilesText(refused),
              "配置文件过大或不是普通文件，未读取，已使用默认设置：config/list.ini、scnf/SSTConf.xml");
    // A start leaves them as they are.
    ASSERT_TRUE(CreateFirstRunFilesIn(folder.path()));
    EXPECT_EQ(ReadBytes(folder / kListIniFile), big);
}

} // namespace
} // namespace marlune
