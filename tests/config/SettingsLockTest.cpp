// Files: the lock around each save of a settings file, the mark of the program running on
// a folder, and saves of many keys in one write.
#include "ConfigTestSupport.h"

#include "config/FirstRun.h"
#include "config/Profile.h"
#include "config/ProgramFolder.h"
#include "config/SettingsFileLock.h"
#include "config/XmlSettingsStore.h"
#include "platform/os/FileLock.h"

#include <gtest/gtest.h>

#include <string>

namespace marlune {
namespace {

using test::ReadBytes;
using test::ScratchFolder;
using test::WriteBytes;

TEST(SettingsLock, ALockIsOneHoldersAndKeepsNobodyFromTheFile) {
    ScratchFolder folder;
    const std::string ini = folder / "base.ini";
    WriteBytes(ini, "[sys]\r\nA=1\r\n");
    using Wait = os::FileLock::Wait;
    os::FileLock first;
    ASSERT_TRUE(first.Lock(ini, Wait::kNot, false));
    os::FileLock second;
    EXPECT_FALSE(second.Lock(ini, Wait::kNot, false)) << "held by the first";
    EXPECT_FALSE(second.Held());
    // Readers and writers that take no lock are not kept out, not even from the locked file.
    EXPECT_EQ(ProfileRead(ini, "sys", "A"), "1");
    EXPECT_TRUE(WriteFileAtomically(folder / "other.ini", "x"));
    os::FileLock moved = std::move(first);
    EXPECT_TRUE(moved.Held());
    EXPECT_FALSE(first.Held());
    moved.Unlock();
    EXPECT_TRUE(second.Lock(ini, Wait::kUntilFree, false));
    EXPECT_FALSE(os::FileLock().Lock(folder / "missing.ini", Wait::kNot, false));
    EXPECT_FALSE(test::FileExists(folder / "missing.ini"));
    EXPECT_FALSE(os::FileLock().Lock(folder.path(), Wait::kNot, false)) << "a folder is nothing to lock";

    // A save holds the lock file beside the settings file (never replaced, unlike the
    // file itself) while it reads and writes; another save waits its turn.
    EXPECT_EQ(SettingsFileLock::LockPathOf(ini), ini + ".lock");
    {
        const SettingsFileLock saving(ini);
        ASSERT_TRUE(saving.Held());
        EXPECT_FALSE(os::FileLock().Lock(ini + ".lock", Wait::kNot, false));
    }
    EXPECT_TRUE(os::FileLock().Lock(ini + ".lock", Wait::kNot, false));
    EXPECT_FALSE(SettingsFileLock(folder / "gone/base.ini").Held()) << "no folder for the lock file";
}

TEST(SettingsLock, ASecondProgramOnAFolderFindsItClaimed) {
    ScratchFolder folder;
    ASSERT_TRUE(CreateFirstRunFilesIn(folder.path()));
    os::FileLock running;
    EXPECT_EQ(ClaimProgramFolder(running, folder.path()), FolderClaim::kClaimed);
    os::FileLock second;
    EXPECT_EQ(ClaimProgramFolder(second, folder.path()), FolderClaim::kAlreadyRunning);
    ScratchFolder other;
    ASSERT_TRUE(CreateFirstRunFilesIn(other.path()));
    os::FileLock elsewhere;
    EXPECT_EQ(ClaimProgramFolder(elsewhere, other.path()), FolderClaim::kClaimed);
    running.Unlock();
    EXPECT_EQ(ClaimProgramFolder(second, folder.path()), FolderClaim::kClaimed) << "the first one ended";
    // The lock is no settings file: saves beside it go on.
    EXPECT_TRUE(ProfileWrite(folder / kBaseIniFile, "sys", "TopMost", "1"));
    ScratchFolder empty; // no config folder: nothing to say about others
    os::FileLock none;
    EXPECT_EQ(ClaimProgramFolder(none, empty / "gone/"), FolderClaim::kUnknown);
}

TEST(SettingsLock, ManyKeysGoInOneWriteOrNotAtAll) {
    ScratchFolder folder;
    const std::string ini = folder / "base.ini";
    WriteBytes(ini, "[sys]\r\nDataSour=1\r\n");
    EXPECT_TRUE(
        ProfileWriteAll(ini, {{"sys", "DataSour", "4"}, {"sys", "FreshSec", "7"}, {"net", "Ip", "x"}}));
    EXPECT_EQ(ReadBytes(ini), "[sys]\r\nDataSour=4\r\nFreshSec=7\r\n[net]\r\nIp=x\r\n");
    // One entry that may not be written keeps back all the others.
    EXPECT_FALSE(ProfileWriteAll(ini, {{"sys", "DataSour", "5"}, {"sys", "Bad=Key", "1"}}));
    EXPECT_FALSE(ProfileWriteAll(ini, {{"sys", "DataSour", "5"}, {"sys", "FreshSec", "1\r\n[x]"}}));
    EXPECT_EQ(ProfileRead(ini, "sys", "DataSour"), "4");
    // A file the write creates, and a failed write that leaves none behind.
    EXPECT_TRUE(ProfileWriteAll(folder / "new.ini", {{"a", "b", "c"}}));
    EXPECT_EQ(ReadBytes(folder / "new.ini"), "[a]\r\nb=c\r\n");
    EXPECT_FALSE(ProfileWriteAll(folder / "none/x.ini", {{"a", "b", "c"}}));

    const std::string xml = folder / "SSTConf.xml";
    WriteBytes(xml, "<Root><Body><A>1</A><B>2</B></Body></Root>");
    XmlSettingsStore store;
    store.SetPath(xml);
    EXPECT_TRUE(store.SetValues({{"A", "10"}, {"B", "20"}, {"C", "30"}}));
    EXPECT_EQ(ReadBytes(xml), "<Root><Body><A>10</A><B>20</B><C>30</C></Body></Root>");
    EXPECT_FALSE(store.SetValues({{"A", "11"}, {"not a name", "1"}}));
    EXPECT_EQ(store.GetValue("A"), "10") << "the store does not keep what was not saved";
    EXPECT_EQ(ReadBytes(xml), "<Root><Body><A>10</A><B>20</B><C>30</C></Body></Root>");
}

} // namespace
} // namespace marlune
