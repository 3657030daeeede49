#pragma once
// The ticker window's own copy of its base.ini settings, read in one go at start-up and
// again when the settings change. A missing or non-numeric value reads as 0, so a
// damaged file gives black colours, no automatic refresh and the off-screen placement.

#include "config/DisplaySettings.h"
#include "config/SettingsKeys.h"
#include "config/StealthSettings.h"

#include <string>

namespace marlune {

struct TickerSettings {
    int custColor = 0; // read, without effect
    Rgb colorUp;
    Rgb colorDown;
    Rgb colorName;
    Rgb colorTitle;
    Rgb colorBK;
    int lastX = 0;
    int lastY = 0;
    int dataSource = 0;
    bool autoSource = true;     // AutoSource, missing = on
    bool tradeHoursOnly = true; // TradeHoursOnly, missing = on
    int freshSec = 0;
    int topMost = 0;
    int transBK = 0;
    int showTitle = 0;
    // From SSTConf.xml: columns, header row, total line, refresh time, font, auto-hide, and
    // the colours above when its CustColor is 1.
    DisplaySettings display;
    // From SSTConf.xml too: the plain mode and the hiding options.
    StealthSettings stealth;
};

// Reads every value the ticker window uses from the base.ini file at path.
TickerSettings ReadTickerSettings(const std::string& baseIniPath);

// The same, with the display settings of the SSTConf.xml file at xmlPath; its five custom
// colours replace base.ini's when its CustColor is 1.
TickerSettings ReadTickerSettings(const std::string& baseIniPath, const std::string& xmlPath);

} // namespace marlune
