#include "config/FirstRun.h"
#include "config/Profile.h"
#include "config/ProgramFolder.h"
#include "config/SettingsKeys.h"
#include "config/StartupFiles.h"
#include "config/XmlSettingsStore.h"

#include "ConfigTestSupport.h"

#include <chrono>
#include <ctime>
#include <filesystem>
#include <vector>

namespace marlune {
namespace {

using test::ReadBytes;
using test::ScratchFolder;
using test::WriteBytes;

const std::string kExpectedBaseIni = "[sys]\r\n"
                                     "NewStockTip=1\r\n"
                                     "HotKey=1\r\n"
                                     "HotKeyPress=1\r\n"
                                     "FreshSec=10\r\n"
                                     "DataSour=1\r\n"
                                     "ReSoft=\r\n"
                                     "ShowTitle=0\r\n"
                                     "TransBK=0\r\n"
                                     "TopMost=1\r\n"
                                     "ServerIp=127.0.0.1\r\n"
                                     "ServerPort=80\r\n"
                                     "ServerDomain=www.orvento.example\r\n"
                                     "Securty=0\r\n"
                                     "LastX=100\r\n"
                                     "LastY=400\r\n"
                                     "[color]\r\n"
                                     "CustColor=0\r\n"
                                     "ColorUp=0000ff\r\n"
                                     "ColorDown=009900\r\n"
                                     "ColorName=ff0000\r\n"
                                     "ColorTitle=000000\r\n"
                                     "ColorBK=e6ffff\r\n"
                                     "CustFont=0\r\n";

// The two index rows in GBK: 上证指数 and 深证成指.
const std::string kExpectedListIni =
    "dac000001|000001|\xC9\xCF\xD6\xA4\xD6\xB8\xCA\xFD|1|1|3.0|2.00|5|1.00\r\n"
    "dac399001|399001|\xC9\xEE\xD6\xA4\xB3\xC9\xD6\xB8|2|2|0|0|0|0.0\r\n";

std::string ShippedXmlSettings() {
    return ReadBytes(std::string(MARLUNE_TEST_DATA_DIR) + "/../../resources/scnf/SSTConf.xml");
}

TEST(FirstRun, AnEmptyFolderGetsEveryFileByteForByte) {
    ScratchFolder folder;
    std::string home = folder / "home/marlune"; // missing: the program folder is made too
    ASSERT_TRUE(CreateFirstRunFilesIn(home));

    EXPECT_EQ(ReadBytes(home + "/config/base.ini"), kExpectedBaseIni);
    EXPECT_EQ(ReadBytes(home + "/config/list.ini"), kExpectedListIni);
    EXPECT_TRUE(std::filesystem::is_directory(home + "/data"));
    EXPECT_TRUE(std::filesystem::is_empty(home + "/data"));
    EXPECT_EQ(test::FileCount(home + "/config"), 2u);
    std::string shipped = ShippedXmlSettings();
    EXPECT_EQ(ReadBytes(home + "/scnf/SSTConf.xml"), shipped);
    EXPECT_EQ(DefaultXmlSettings(), shipped);

    // The files are what the readers expect.
    EXPECT_EQ(ProfileReadInt(home + "/config/base.ini", baseini::kSys, baseini::kFreshSec.name), 10);
    EXPECT_EQ(ProfileRead(home + "/config/base.ini", baseini::kColor, baseini::kColorBK.name), "e6ffff");
    XmlSettingsStore store;
    store.SetPath(home + "/scnf/SSTConf.xml");
    ASSERT_TRUE(store.IsOpenable());
    EXPECT_EQ(store.GetValue(sstconf::kFontSize.name), "0");
    EXPECT_TRUE(store.SetValue(sstconf::kUpdateTime.name, "1700000000"));
    EXPECT_EQ(store.GetValue(sstconf::kUpdateTime.name), "1700000000");
}

TEST(FirstRun, ExistingFilesAreNeverTouched) {
    ScratchFolder folder;
    std::filesystem::create_directory(folder / "config");
    const std::string ownBaseIni = "[sys]\r\nFreshSec=3\r\n"; // lacks most keys, and keeps lacking them
    WriteBytes(folder / "config/base.ini", ownBaseIni);

    ASSERT_TRUE(CreateFirstRunFilesIn(folder.path()));
    EXPECT_EQ(ReadBytes(folder / "config/base.ini"), ownBaseIni);
    EXPECT_EQ(ReadBytes(folder / "config/list.ini"), kExpectedListIni);

    WriteBytes(folder / "config/list.ini", "mine");
    WriteBytes(folder / "scnf/SSTConf.xml", "<Mine/>");
    ASSERT_TRUE(CreateFirstRunFilesIn(folder.path()));
    EXPECT_EQ(ReadBytes(folder / "config/base.ini"), ownBaseIni);
    EXPECT_EQ(ReadBytes(folder / "config/list.ini"), "mine");
    EXPECT_EQ(ReadBytes(folder / "scnf/SSTConf.xml"), "<Mine/>");
}

TEST(ProgramFolder, IsTheExecutablesFolderUnlessOneIsChosen) {
    // The folder holding this test program, whatever the system calls it.
    const std::string executableFolder = ProgramFolder();
    EXPECT_TRUE(std::filesystem::path(executableFolder).is_absolute()) << executableFolder;
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::u8path(executableFolder + "test_config")) ||
                std::filesystem::exists(std::filesystem::u8path(executableFolder + "test_config.exe")))
        << executableFolder;

    ScratchFolder folder;
    SetProgramFolder(folder.path().substr(0, folder.path().size() - 1)); // without its '/'
    EXPECT_EQ(ProgramFolder(), folder.path());
    EXPECT_EQ(BaseIniPath(), folder / "config/base.ini");
    EXPECT_EQ(ListIniPath(), folder / "config/list.ini");
    EXPECT_EQ(XmlSettingsPath(), folder / "scnf/SSTConf.xml");
    EXPECT_EQ(DataFolder(), folder / "data/");
    ASSERT_TRUE(CreateFirstRunFiles());
    EXPECT_EQ(ReadBytes(BaseIniPath()), kExpectedBaseIni);

    // A relative folder is fixed against the current folder at the time of the call.
    SetProgramFolder("relative/home");
    EXPECT_EQ(ProgramFolder(), (std::filesystem::current_path() / "relative/home/").generic_u8string());

    SetProgramFolder("");
    EXPECT_EQ(ProgramFolder(), executableFolder);
}

TEST(SettingsColours, ReadTheTwoNotationsOfTheFiles) {
    const Rgb red{0xFF, 0, 0};
    EXPECT_EQ(ParseIniColor("0000ff"), red);
    EXPECT_EQ(ParseXmlColor("ff0000"), red);
    EXPECT_EQ(ParseIniColor(baseini::kColorBK.firstRunValue), (Rgb{0xFF, 0xFF, 0xE6})); // pale yellow
    EXPECT_EQ(ParseIniColor(baseini::kColorDown.firstRunValue), (Rgb{0, 0x99, 0}));
    EXPECT_EQ(FromRrggbb(sstconf::kDefaultRgbBK), (Rgb{0xFF, 0xFF, 0xE6}));
    EXPECT_EQ(ToColorref(FromRrggbb(0x123456)), 0x563412u);

    for (const IniKey* key : {&baseini::kColorUp, &baseini::kColorDown, &baseini::kColorName,
                              &baseini::kColorTitle, &baseini::kColorBK})
        EXPECT_EQ(IniColorText(ParseIniColor(key->firstRunValue)), key->firstRunValue);
    EXPECT_EQ(XmlColorText(Rgb{0xAB, 0x01, 0x02}), "ab0102");

    // Read as a "%06x" scan reads them: a missing or broken value is black.
    EXPECT_EQ(ScanHexColor(""), 0u);
    EXPECT_EQ(ScanHexColor("zz"), 0u);
    EXPECT_EQ(ScanHexColor("  abc "), 0xABCu);
    EXPECT_EQ(ScanHexColor("1234567"), 0x123456u);
    EXPECT_EQ(ScanHexColor("0x00ff"), 0xFFu);
    EXPECT_EQ(ScanHexColor("ff00zz"), 0xFF00u);
}

} // namespace
} // namespace marlune
