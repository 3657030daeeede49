// Cases that need what only POSIX systems have: pipes, devices, symbolic links, mode bits
// and a file size limit that makes a write fail part-way. Left out of the Windows build.
#include "config/SettingsKeys.h"
#include "config/XmlSettingsStore.h"

#include "ConfigPosixSupport.h"
#include "ConfigTestSupport.h"
#include "XmlSettingsStoreFixture.h"

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>

namespace marlune {
namespace {

using test::ReadBytes;
using test::ScratchFolder;
using test::WriteBytes;

const std::string& kDeclaration = test::kXmlDeclaration;

class XmlSettingsStorePosixTest : public test::XmlSettingsStoreFixture {};

TEST_F(XmlSettingsStorePosixTest, AFailedSaveLeavesThePreviousFile) {
    const std::string original = "<Config><Body><TopMost>1</TopMost></Body></Config>";
    writeDocument(original);
    EXPECT_TRUE(test::RunWithTinyFileLimit([&] { return !m_store.SetValue("TopMost", "0"); }));
    EXPECT_EQ(document(), original);
    EXPECT_EQ(test::FileCount(m_folder.path()), 1u);

    ::chmod(m_path.c_str(), 0444);
    EXPECT_FALSE(m_store.SetValue("TopMost", "0"));
    EXPECT_EQ(m_store.GetValue("Missing"), "0");
    EXPECT_EQ(document(), original);
}

TEST_F(XmlSettingsStorePosixTest, ReadsTheFileOncePerLoadAndOnlyARegularFileWithinOneMegabyte) {
    writeDocument("<Config><Body><TopMost>1</TopMost><AutoRun>1</AutoRun></Body></Config>");
    EXPECT_EQ(m_store.GetValue("TopMost"), "1");
    // Changed in place behind the store's back, keeping size, file and time: the store reads
    // the next key from the document it has loaded, without parsing the file again.
    struct stat before {};
    ASSERT_EQ(::stat(m_path.c_str(), &before), 0);
    {
        std::FILE* file = std::fopen(m_path.c_str(), "r+");
        ASSERT_NE(file, nullptr);
        std::fputs("<Config><Body><TopMost>1</TopMost><AutoRun>0</AutoRun></Body></Config>", file);
        std::fclose(file);
    }
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, m_path.c_str(), times, 0), 0);
    EXPECT_EQ(m_store.GetValue("AutoRun"), "1");
    // A store made afterwards reads the file as it is; and a change of the file is seen.
    XmlSettingsStore fresh;
    fresh.SetPath(m_path);
    EXPECT_EQ(fresh.GetValue("AutoRun"), "0");
    writeDocument("<Config><Body><TopMost>0</TopMost></Body></Config>");
    EXPECT_EQ(m_store.GetValue("TopMost"), "0");
    // Its own writes it keeps: a set followed by a get gives the new value.
    EXPECT_TRUE(m_store.SetValue("TopMost", "1"));
    EXPECT_EQ(m_store.GetValue("TopMost"), "1");
    EXPECT_EQ(fresh.GetValue("TopMost"), "1");

    // Over 1 MB: not openable, not read, never written.
    std::string big = "<Config><Body><TopMost>1</TopMost><Pad>" + std::string(kSettingsFileMaxBytes, 'x') +
                      "</Pad></Body></Config>";
    writeDocument(big);
    XmlSettingsStore store;
    store.SetPath(m_path);
    EXPECT_FALSE(store.IsOpenable());
    EXPECT_EQ(store.GetValue("TopMost"), "");
    EXPECT_FALSE(store.SetValue("TopMost", "0"));
    EXPECT_EQ(document(), big);

    // A link to a device and a pipe: not openable, and reading them neither hangs nor grows.
    const std::string device = m_folder / "zero.xml";
    ASSERT_EQ(::symlink("/dev/zero", device.c_str()), 0);
    const std::string pipe = m_folder / "pipe.xml";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    for (const std::string& path : {device, pipe}) {
        store.SetPath(path);
        EXPECT_FALSE(store.IsOpenable()) << path;
        EXPECT_EQ(store.GetValue("TopMost"), "") << path;
    }
}

} // namespace
} // namespace marlune
