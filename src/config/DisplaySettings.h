#pragma once
// The display settings of scnf/SSTConf.xml as one plain record: which quote columns the ticker
// window shows, its header row, total line and refresh time, the custom colours, the font,
// and the window and start-up options. The display page stores them; the ticker window and the
// owner read them at start-up and after every apply of the settings.
//
// A file in which none of the seven column keys is "1" has never been stored by the display
// page (it refuses to store a display without columns): a new file, or one whose keys were
// only added with "0" when read. Such a file gives the program's own look: every column, the
// header row, the total line with its refresh time, the middle font size and docking
// auto-hide; its other options are read as they stand.

#include "config/SettingsKeys.h"

#include <string>
#include <utility>
#include <vector>

namespace marlune {

// Font sizes of the FontSize key: "最小", "较小", "中", "较大", "最大".
inline constexpr int kFontSizeCount = 5;
inline constexpr int kDefaultFontSize = 2;
// The grid's font in pixels for a FontSize index (out-of-range indexes give the middle size).
int FontSizePixels(int fontSize);

struct DisplaySettings {
    // The seven switchable columns of the quote grid.
    bool showCode = true;
    bool showChangeRate = true;
    bool showPlRate = true;
    bool showPrice = true;
    bool showName = true;
    bool showChange = true;
    bool showPlAmount = true;
    bool showTotalLine = true; // STTotalValue
    bool showHead = true;      // ShowHead
    bool displayFresh = true;  // the refresh time in the total line
    bool custColor = false;    // the five colours below instead of base.ini's
    Rgb colorUp = FromRrggbb(sstconf::kDefaultRgbUp);
    Rgb colorDown = FromRrggbb(sstconf::kDefaultRgbDown);
    Rgb colorName = FromRrggbb(sstconf::kDefaultRgbName);
    Rgb colorTitle = FromRrggbb(sstconf::kDefaultRgbTitle);
    Rgb colorBK = FromRrggbb(sstconf::kDefaultRgbBK);
    int fontSize = kDefaultFontSize; // 0 to 4; -1 when the stored value is out of range
    bool fontBold = false;
    bool topMost = false;
    bool autoHide = true;
    bool autoRun = false;
    bool miniTray = false;
    bool miniWnd = false;
    bool autoUpdate = false;
    bool newStockTip = false;
    bool activeWnd = false;

    bool AnyColumnShown() const {
        return showCode || showChangeRate || showPlRate || showPrice || showName || showChange ||
               showPlAmount;
    }
};

// Reads the display keys with GetValue (keys that are missing are added with "0"; the colour
// keys are read only when CustColor is 1). A file that cannot be opened gives the defaults.
// stored, when given, says whether the file held settings stored by the display page.
DisplaySettings ReadDisplaySettings(const std::string& xmlPath, bool* stored = nullptr);

// Stores every display key with SetValue (flags "1"/"0", colours as RRGGBB, FontSize as
// "%d"); a negative font size keeps the stored FontSize. False when the file cannot be opened
// or a value did not reach it. alsoStore: further keys of the same page, in the same write.
bool WriteDisplaySettings(const std::string& xmlPath, const DisplaySettings& settings,
                          const std::vector<std::pair<std::string, std::string>>& alsoStore = {});

} // namespace marlune
