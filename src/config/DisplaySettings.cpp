#include "config/DisplaySettings.h"

#include "config/XmlSettingsStore.h"
#include "text/CNumber.h"

#include <array>
#include <string>
#include <utility>
#include <vector>

namespace marlune {
namespace {

constexpr std::array<int, kFontSizeCount> kFontPixels = {10, 11, 12, 13, 14};

bool IsOne(const std::string& value) {
    return AtoI(value) == 1;
}

const char* Flag(bool on) {
    return on ? "1" : "0";
}

} // namespace

int FontSizePixels(int fontSize) {
    if (fontSize < 0 || fontSize >= kFontSizeCount)
        return kFontPixels[kDefaultFontSize];
    return kFontPixels[fontSize];
}

DisplaySettings ReadDisplaySettings(const std::string& xmlPath, bool* stored) {
    using namespace sstconf;
    DisplaySettings s;
    if (stored)
        *stored = false;
    XmlSettingsStore store;
    store.SetPath(xmlPath);
    if (!store.IsOpenable())
        return s;
    const auto flag = [&store](const XmlKey& key) { return IsOne(store.GetValue(key.name)); };

    // In the order the display page reads them.
    const bool displayFresh = flag(kDisplayFresh);
    s.topMost = flag(kTopMost);
    s.autoRun = flag(kAutoRun);
    s.miniTray = flag(kMiniTray);
    s.miniWnd = flag(kMiniWnd);
    const bool autoHide = flag(kAutoHide);
    s.autoUpdate = flag(kAutoUpdate);
    s.newStockTip = flag(kNewStockTip);
    s.activeWnd = flag(kActiveWnd);
    DisplaySettings read = s;
    read.showCode = flag(kSTcode);
    read.showChangeRate = flag(kSTUpDownRato);
    read.showPlRate = flag(kSTValueRato);
    read.showPrice = flag(kSTPrice);
    read.showName = flag(kSTName);
    read.showChange = flag(kSTUpDown);
    read.showPlAmount = flag(kSTValue);
    read.showTotalLine = flag(kSTTotalValue);
    read.custColor = flag(kCustColor);
    if (read.custColor) {
        read.colorUp = ParseXmlColor(store.GetValue(kColorUp.name));
        read.colorDown = ParseXmlColor(store.GetValue(kColorDown.name));
        read.colorName = ParseXmlColor(store.GetValue(kColorName.name));
        read.colorTitle = ParseXmlColor(store.GetValue(kColorTitle.name));
        read.colorBK = ParseXmlColor(store.GetValue(kColorBK.name));
    }
    read.showHead = flag(kShowHead);
    const int fontSize = AtoI(store.GetValue(kFontSize.name));
    read.fontSize = fontSize >= 0 && fontSize < kFontSizeCount ? fontSize : -1;
    read.fontBold = flag(kFontBold);
    read.displayFresh = displayFresh;
    read.autoHide = autoHide;

    if (!read.AnyColumnShown())
        return s; // never stored by the display page: the program's own look
    if (stored)
        *stored = true;
    return read;
}

bool WriteDisplaySettings(const std::string& xmlPath, const DisplaySettings& s,
                          const std::vector<std::pair<std::string, std::string>>& alsoStore) {
    using namespace sstconf;
    XmlSettingsStore store;
    store.SetPath(xmlPath);
    if (!store.IsOpenable())
        return false;
    // Gathered and saved in one write: the page is applied whole or not at all.
    std::vector<std::pair<std::string, std::string>> values;
    const auto set = [&values](const XmlKey& key, const std::string& value) {
        values.emplace_back(key.name, value);
    };
    set(kDisplayFresh, Flag(s.displayFresh));
    set(kTopMost, Flag(s.topMost));
    set(kAutoRun, Flag(s.autoRun));
    set(kMiniTray, Flag(s.miniTray));
    set(kMiniWnd, Flag(s.miniWnd));
    set(kAutoHide, Flag(s.autoHide));
    set(kAutoUpdate, Flag(s.autoUpdate));
    set(kNewStockTip, Flag(s.newStockTip));
    set(kActiveWnd, Flag(s.activeWnd));
    set(kSTcode, Flag(s.showCode));
    set(kSTUpDownRato, Flag(s.showChangeRate));
    set(kSTValueRato, Flag(s.showPlRate));
    set(kSTPrice, Flag(s.showPrice));
    set(kSTName, Flag(s.showName));
    set(kSTUpDown, Flag(s.showChange));
    set(kSTValue, Flag(s.showPlAmount));
    set(kSTTotalValue, Flag(s.showTotalLine));
    set(kCustColor, Flag(s.custColor));
    set(kColorUp, XmlColorText(s.colorUp));
    set(kColorDown, XmlColorText(s.colorDown));
    set(kColorName, XmlColorText(s.colorName));
    set(kColorTitle, XmlColorText(s.colorTitle));
    set(kColorBK, XmlColorText(s.colorBK));
    set(kShowHead, Flag(s.showHead));
    if (s.fontSize >= 0 && s.fontSize < kFontSizeCount)
        set(kFontSize, std::to_string(s.fontSize));
    set(kFontBold, Flag(s.fontBold));
    values.insert(values.end(), alsoStore.begin(), alsoStore.end());
    return store.SetValues(values);
}

} // namespace marlune
