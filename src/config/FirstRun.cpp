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
    std::string text;
    for (const char* row : kDefaultListRows)
        text.append(Utf8ToGbk(row)).append(kLineEnd);
    return text;
}

std::string DefaultXmlSettings() {
    return std::string(generated::kDefaultXmlSettingsBytes, generated::kDefaultXmlSettingsSize);
}

bool CreateFirstRunFilesIn(const std::string& programFolder) {
    std::string folder = programFolder;
    if (folder.empty() || folder.back() != '/')
        folder.push_back('/');
    if (!FileExists(folder))
        os::CreateFolders(folder);
    // Each step stops the first run when its folder or file cannot be made: without
    // them the ticker would start with no settings and an empty watch list.
    return EnsureFolder(folder + kConfigFolder) && EnsureFile(folder + kBaseIniFile, DefaultBaseIni()) &&
           EnsureFile(folder + kListIniFile, DefaultListIni()) && EnsureFolder(folder + kDataFolder) &&
           EnsureFolder(folder + kXmlSettingsFolder) &&
           EnsureFile(folder + kXmlSettingsFile, DefaultXmlSettings());
}

bool CreateFirstRunFiles() {
    return CreateFirstRunFilesIn(ProgramFolder());
}

} // namespace marlune
