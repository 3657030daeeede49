// Two programs saving one settings file at the same time: every key each of them wrote
// is in the file afterwards. The second program is a child process.
#include "ConfigTestSupport.h"

#include "config/Profile.h"
#include "config/XmlSettingsStore.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

namespace marlune {
namespace {

using test::ScratchFolder;
using test::WriteBytes;

constexpr int kKeysEach = 150;

// Runs writer("a") in this process and writer("b") in a child at the same time.
void WriteFromTwoPrograms(const std::function<void(const std::string& name)>& writer) {
    int go[2];
    ASSERT_EQ(::pipe(go), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        char byte = 0;
        ::close(go[1]);
        (void)!::read(go[0], &byte, 1);
        writer("b");
        ::_exit(0);
    }
    ::close(go[0]);
    (void)!::write(go[1], "g", 1);
    ::close(go[1]);
    writer("a");
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST(SettingsLockPosix, TwoProgramsSavingOneIniFileLoseNothing) {
    ScratchFolder folder;
    const std::string ini = folder / "base.ini";
    WriteBytes(ini, "[sys]\r\nDataSour=1\r\n");
    WriteFromTwoPrograms([&](const std::string& name) {
        for (int i = 0; i < kKeysEach; ++i)
            ProfileWrite(ini, "sys", name + std::to_string(i), std::to_string(i));
    });
    int lost = 0;
    for (const char* name : {"a", "b"}) {
        for (int i = 0; i < kKeysEach; ++i)
            lost += ProfileRead(ini, "sys", name + std::to_string(i)) != std::to_string(i) ? 1 : 0;
    }
    EXPECT_EQ(lost, 0);
    EXPECT_EQ(ProfileRead(ini, "sys", "DataSour"), "1");
    EXPECT_EQ(test::FileCount(folder.path()), 1u) << "no temporary file left beside it";
    EXPECT_TRUE(test::FileExists(ini + ".lock"));
}

TEST(SettingsLockPosix, TwoProgramsSavingOneXmlFileLoseNothing) {
    ScratchFolder folder;
    const std::string xml = folder / "SSTConf.xml";
    WriteBytes(xml, "<?xml version=\"1.0\"?>\n<Root><Body><DataSour>1</DataSour></Body></Root>\n");
    WriteFromTwoPrograms([&](const std::string& name) {
        XmlSettingsStore store;
        store.SetPath(xml);
        for (int i = 0; i < kKeysEach; ++i)
            store.SetValue(name + std::to_string(i), std::to_string(i));
    });
    XmlSettingsStore store;
    store.SetPath(xml);
    int lost = 0;
    for (const char* name : {"a", "b"}) {
        for (int i = 0; i < kKeysEach; ++i) {
            XmlSettingsStore reader;
            reader.SetPath(xml);
            lost += reader.GetValue(name + std::to_string(i)) != std::to_string(i) ? 1 : 0;
        }
    }
    EXPECT_EQ(lost, 0);
    EXPECT_EQ(store.GetValue("DataSour"), "1");
}

} // namespace
} // namespace marlune
