#include "config/Profile.h"
#include "config/SettingsKeys.h"

#include "ConfigTestSupport.h"

#include <filesystem>

namespace marlune {
namespace {

using test::ReadBytes;
using test::ScratchFolder;
using test::WriteBytes;

TEST(Profile, ReadsValuesAsTheSettingsReadersExpectThem) {
    ScratchFolder folder;
    std::string path = folder / "base.ini";
    std::string longValue(200, 'x');
    WriteBytes(path, "[sys]\r\n"
                     "HotKey= A\r\n"
                     "FreshSec=abc\r\n"
                     "  Spaced Key  =  v w  \t\r\n"
                     "Quoted=\"  q  \"\r\n"
                     "Half=\"q\r\n"
                     "Long=" +
                         longValue +
                         "\r\n"
                         "Dup=first\r\n"
                         "Dup=second\n"
                         "Nul=ab" +
                         std::string(1, '\0') +
                         "cd\r\n"
                         "[color]\r\n"
                         "ColorUp=0000ff\r\n"
                         "[sys]\r\n"
                         "Later=1\r\n");

    EXPECT_EQ(ProfileRead(path, "sys", "HotKey"), "A");
    EXPECT_EQ(ProfileRead(path, "SYS", "hotkey"), "A");
    EXPECT_EQ(ProfileReadInt(path, "sys", "FreshSec"), 0);
    EXPECT_EQ(ProfileRead(path, "sys", "Spaced Key"), "v w");
    EXPECT_EQ(ProfileRead(path, "sys", "Quoted"), "  q  ");
    EXPECT_EQ(ProfileRead(path, "sys", "Half"), "\"q");
    EXPECT_EQ(ProfileRead(path, "sys", "Long"), std::string(127, 'x'));
    EXPECT_EQ(ProfileRead(path, "sys", "Dup"), "first");
    EXPECT_EQ(ProfileRead(path, "sys", "Nul"), "ab");
    EXPECT_EQ(ProfileRead(path, baseini::kColor, "ColorUp"), "0000ff");
    // Only the first section of a name counts.
    EXPECT_EQ(ProfileRead(path, "sys", "Later"), "");
    EXPECT_EQ(ProfileRead(path, "sys", "ColorUp"), "");
    EXPECT_EQ(ProfileRead(path, "nothere", "HotKey"), "");
    EXPECT_EQ(ProfileRead(folder / "missing.ini", "sys", "HotKey"), "");
    EXPECT_EQ(ProfileReadInt(folder / "missing.ini", "sys", "FreshSec"), 0);
    EXPECT_EQ(ProfileRead(folder.path(), "sys", "HotKey"), "1"); // a folder: refused, first-run value
}

TEST(Profile, ReadsGbkNamesAndValuesWithoutSplittingCharacters) {
    ScratchFolder folder;
    std::string path = folder / "gbk.ini";
    // 0xB05D ends in ']' and 0xB041 in 'A': both must stay inside their characters.
    std::string longChinese;
    for (int i = 0; i < 100; ++i)
        longChinese += "\xD6\xD0"; // 中
    WriteBytes(path, "[\xB0\x5D]\r\n"
                     "ReSoft=C:\\\xBD\xBB\xD2\xD7\xC8\xED\xBC\xFE\\a.exe\r\n"
                     "\xB0\x41=upper\r\n"
                     "Long=" +
                         longChinese +
                         "\r\n"
                         "Bad=\xFF\x80z\r\n");

    EXPECT_EQ(ProfileRead(path, "癩", "ReSoft"), "C:\\交易软件\\a.exe");
    EXPECT_EQ(ProfileRead(path, "癩", "癆"), "upper");
    EXPECT_EQ(ProfileRead(path, "癩", "癮"), ""); // 0xB061 differs from 0xB041 only in ASCII case
    std::string cut = ProfileRead(path, "癩", "Long");
    EXPECT_EQ(cut.size(), 63u * 3); // 63 characters of two GBK bytes each: 126 <= 127
    EXPECT_EQ(ProfileRead(path, "癩", "Bad").back(), 'z');
}

TEST(Profile, WritesChangeOnlyTheirLineAndKeepEveryOtherByte) {
    ScratchFolder folder;
    std::string path = folder / "base.ini";
    std::string head = "; settings of the ticker\r\n";
    WriteBytes(path, head + "[sys]\r\n"
                            "  HotKey = 1\r\n"
                            "FreshSec=10\n"
                            "\r\n"
                            "; colours below\r\n"
                            "[color]\r\n"
                            "ColorUp=0000ff\r\n"
                            "[empty]\r\n"
                            "[last]\r\n"
                            "X=1");

    EXPECT_TRUE(ProfileWrite(path, "SYS", "hotkey", " A"));
    EXPECT_TRUE(ProfileWrite(path, "sys", "ReSoft", "/opt/交易软件"));
    EXPECT_TRUE(ProfileWrite(path, baseini::kColor, "ColorDown", "009900"));
    EXPECT_TRUE(ProfileWrite(path, "empty", "K", "v"));
    EXPECT_TRUE(ProfileWrite(path, "last", "Y", "2"));
    EXPECT_TRUE(ProfileWriteInt(path, "net", "Port", -5));

    EXPECT_EQ(ReadBytes(path), head + "[sys]\r\n"
                                      "HotKey= A\r\n"
                                      "FreshSec=10\n"
                                      "ReSoft=/opt/\xBD\xBB\xD2\xD7\xC8\xED\xBC\xFE\r\n"
                                      "\r\n"
                                      "; colours below\r\n"
                                      "[color]\r\n"
                                      "ColorUp=0000ff\r\n"
                                      "ColorDown=009900\r\n"
                                      "[empty]\r\n"
                                      "K=v\r\n"
                                      "[last]\r\n"
                                      "X=1\r\n"
                                      "Y=2\r\n"
                                      "[net]\r\n"
                                      "Port=-5\r\n");
    EXPECT_EQ(ProfileRead(path, "sys", "HotKey"), "A");
    EXPECT_EQ(ProfileRead(path, "sys", "ReSoft"), "/opt/交易软件");
}

TEST(Profile, WriteCreatesAMissingFileButNotItsFolder) {
    ScratchFolder folder;
    std::string path = folder / "new.ini";
    EXPECT_TRUE(ProfileWrite(path, "sys", "TopMost", "0"));
    EXPECT_EQ(ReadBytes(path), "[sys]\r\nTopMost=0\r\n");
    EXPECT_FALSE(ProfileWrite(folder / "no/such/folder.ini", "sys", "TopMost", "0"));
}

TEST(Profile, KeepsValuesInUtf8InAFileWithAUtf8ByteOrderMark) {
    ScratchFolder folder;
    std::string path = folder / "utf8.ini";
    WriteBytes(path, "\xEF\xBB\xBF[sys]\r\nReSoft=/opt/交易\r\n");
    EXPECT_EQ(ProfileRead(path, "sys", "ReSoft"), "/opt/交易");
    EXPECT_TRUE(ProfileWrite(path, "sys", "Name", "软件"));
    EXPECT_EQ(ReadBytes(path), "\xEF\xBB\xBF[sys]\r\nReSoft=/opt/交易\r\nName=软件\r\n");
}

TEST(Profile, RefusesWritesThatWouldBreakTheFileApart) {
    ScratchFolder folder;
    std::string path = folder / "base.ini";
    const std::string original = "[sys]\r\nReSoft=a\r\n";
    WriteBytes(path, original);

    EXPECT_FALSE(ProfileWrite(path, "sys", "ReSoft", "/tmp/x\n[sys]\nFreshSec=0"));
    EXPECT_FALSE(ProfileWrite(path, "sys", "ReSoft", std::string("a\0b", 3)));
    EXPECT_FALSE(ProfileWrite(path, "sys", "Re=Soft", "1"));
    EXPECT_FALSE(ProfileWrite(path, "sys", "[x", "1"));
    EXPECT_FALSE(ProfileWrite(path, "s]ys", "ReSoft", "1"));
    EXPECT_FALSE(ProfileWrite(path, "", "ReSoft", "1"));
    EXPECT_FALSE(ProfileWrite(path, "sys", "  ", "1"));
    EXPECT_EQ(ReadBytes(path), original);
}

TEST(Profile, FileExistsForFilesAndFolders) {
    ScratchFolder folder;
    WriteBytes(folder / "f", "");
    EXPECT_TRUE(FileExists(folder / "f"));
    EXPECT_TRUE(FileExists(folder.path()));
    EXPECT_FALSE(FileExists(folder / "g"));
    EXPECT_FALSE(FileExists(""));
}

} // namespace
} // namespace marlune
