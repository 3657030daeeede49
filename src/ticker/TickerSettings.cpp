#include "ticker/TickerSettings.h"

#include "config/Profile.h"

namespace marlune {

namespace {

int ReadInt(const std::string& path, const IniKey& key) {
    return ProfileReadInt(path, key.section, key.name);
}

Rgb ReadColor(const std::string& path, const IniKey& key) {
    return ParseIniColor(ProfileRead(path, key.section, key.name));
}

} // namespace

TickerSettings ReadTickerSettings(const std::string& baseIniPath) {
    using namespace baseini;
    TickerSettings s;
    s.custColor = ReadInt(baseIniPath, kCustColor);
    s.colorUp = ReadColor(baseIniPath, kColorUp);
    s.colorDown = ReadColor(baseIniPath, kColorDown);
    s.colorName = ReadColor(baseIniPath, kColorName);
    s.colorTitle = ReadColor(baseIniPath, kColorTitle);
    s.colorBK = ReadColor(baseIniPath, kColorBK);
    s.lastX = ReadInt(baseIniPath, kLastX);
    s.lastY = ReadInt(baseIniPath, kLastY);
    s.dataSource = ReadInt(baseIniPath, kDataSour);
    s.autoSource = ProfileReadFlag(baseIniPath, kAutoSource.section, kAutoSource.name, true);
    s.tradeHoursOnly = ProfileReadFlag(baseIniPath, kTradeHoursOnly.section, kTradeHoursOnly.name, true);
    s.freshSec = RefreshPeriodOf(ReadInt(baseIniPath, kFreshSec));
    s.topMost = ReadInt(baseIniPath, kTopMost);
    s.transBK = ReadInt(baseIniPath, kTransBK);
    s.showTitle = ReadInt(baseIniPath, kShowTitle);
    return s;
}

TickerSettings ReadTickerSettings(const std::string& baseIniPath, const std::string& xmlPath) {
    TickerSettings s = ReadTickerSettings(baseIniPath);
    s.display = ReadDisplaySettings(xmlPath);
    s.stealth = ReadStealthSettings(xmlPath);
    if (s.display.custColor) {
        s.colorUp = s.display.colorUp;
        s.colorDown = s.display.colorDown;
        s.colorName = s.display.colorName;
        s.colorTitle = s.display.colorTitle;
        s.colorBK = s.display.colorBK;
    }
    return s;
}

} // namespace marlune
