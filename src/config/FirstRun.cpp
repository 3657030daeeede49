#include "config/FirstRun.h"

#include "config/DefaultXmlSettings.h" // generated from resources/scnf/SSTConf.xml
#include "config/Profile.h"
#include "config/ProgramFolder.h"
#include "config/SettingsKeys.h"
#include "platform/os/FileSystem.h"
#include "text/FileBytes.h"
#include "text/Gbk.h"

#include <cstring>
#include <filesystem>
#include <iterator>
#include <system_error>

namespace marlune {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

// The two market indices every new watch list starts with (record key, code, name,
// market, alert flag, upper limit, lower limit, quantity, cost).
constexpr const char* kDefaultListRows[] = {
    "dac000001|000001|上证指数|1|1|3.0|2.00|5|1.00",
    "dac399001|399001|深证成指|2|2|0|0|0|0.0",
};

// The demo's first list: the two indices, then a row of each market, some with holdings.
constexpr const char* kDemoListRows[] = {
    "dac000001|000001|上证指数|1|1|3.0|2.00|5|1.00",
    "dac399001|399001|深证成指|2|2|0|0|0|0.0",
    "dac920118|920118|太湖远大|3|0|0|0|0|0",
    "dac00700|00700|腾讯控股|4|0|0|0|100|420.00",
    "dacAAPL|AAPL|苹果|5|0|0|0|20|280.00",
    "dac161725|161725|招商中证白酒指数(LOF)|6|0|0|0|1000|1.10",
};

std::string ListIniOf(const char* const* rows, std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i)
        text.append(Utf8ToGbk(rows[i])).append(kLineEnd);
    return text;
}

std::string LowerAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

bool EnsureFolder(const std::string& path) {
    if (FileExists(path))
        return true;
    return os::CreateFolders(path) && FileExists(path);
}

bool EnsureFile(const std::string& path, const std::string& bytes) {
    return FileExists(path) || WriteFileAtomically(path, bytes);
}

} // namespace

std::string DefaultBaseIni() {
    std::string text;
    const char* section = nullptr;
    for (const IniKey& key : baseini::kAllKeys) {
        if (section == nullptr || std::strcmp(section, key.section) != 0) {
            section = key.section;
            text.append("[").append(LowerAscii(section)).append("]").append(kLineEnd);
        }
        text.append(key.name).append("=").append(key.firstRunValue).append(kLineEnd);
    }
    return text;
}

std::string DefaultListIni() {
    return ListIniOf(kDefaultListRows, std::size(kDefaultListRows));
}

std::string DemoListIni() {
    return ListIniOf(kDemoListRows, std::size(kDemoListRows));
}

std::string DefaultXmlSettings() {
    return std::string(generated::kDefaultXmlSettingsBytes, generated::kDefaultXmlSettingsSize);
}

bool CreateFirstRunFilesIn(const std::string& programFolder, const std::string& listIni) {
    std::string folder = programFolder;
    if (folder.empty() || folder.back() != '/')
        folder.push_back('/');
    if (!FileExists(folder))
        os::CreateFolders(folder);
    // Each step stops the first run when its folder or file cannot be made: without
    // them the ticker would start with no settings and an empty watch list.
    return EnsureFolder(folder + kConfigFolder) && EnsureFile(folder + kBaseIniFile, DefaultBaseIni()) &&
           EnsureFile(folder + kListIniFile, listIni.empty() ? DefaultListIni() : listIni) &&
           EnsureFolder(folder + kDataFolder) && EnsureFolder(folder + kXmlSettingsFolder) &&
           EnsureFile(folder + kXmlSettingsFile, DefaultXmlSettings());
}

bool CreateFirstRunFiles(const std::string& listIni) {
    return CreateFirstRunFilesIn(ProgramFolder(), listIni);
}

} // namespace marlune
