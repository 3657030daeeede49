#pragma once
// The options that keep the ticker from being noticed, kept in scnf/SSTConf.xml beside the
// display settings: the plain mode (every text in one colour, no underlines), hiding after
// the day's last session (and while the quotes are stale), and no requests while the user
// has hidden the window. Every key missing reads as off (older files have none); the plain
// colour missing reads as black.

#include "config/SettingsKeys.h"

#include <string>
#include <utility>
#include <vector>

namespace marlune {

struct StealthSettings {
    bool plainMode = false;       // PlainMode
    Rgb plainColor;               // PlainColor
    bool hideAfterClose = false;  // HideAfterClose
    bool hideWhenStale = false;   // HideWhenStale
    bool noRefreshHidden = false; // NoRefreshHidden

    friend bool operator==(const StealthSettings& a, const StealthSettings& b) {
        return a.plainMode == b.plainMode && a.plainColor == b.plainColor &&
               a.hideAfterClose == b.hideAfterClose && a.hideWhenStale == b.hideWhenStale &&
               a.noRefreshHidden == b.noRefreshHidden;
    }
};

// Reads the keys with GetValue (missing ones are added with "0"). A file that cannot be
// opened gives everything off.
StealthSettings ReadStealthSettings(const std::string& xmlPath);

// Stores every key in one write. False when the file cannot be opened or the write failed.
bool WriteStealthSettings(const std::string& xmlPath, const StealthSettings& settings);

// The keys of the display page's plain mode (PlainMode, PlainColor) and of the basic page's
// hiding options (HideAfterClose, HideWhenStale, NoRefreshHidden), as names and values for
// the page's one write of the file.
using XmlValues = std::vector<std::pair<std::string, std::string>>;
XmlValues PlainModeValues(const StealthSettings& settings);
XmlValues HidingValues(const StealthSettings& settings);

// Stores the hiding options alone, in one write. False when it could not.
bool WriteHidingOptions(const std::string& xmlPath, const StealthSettings& settings);

// Menu "朴素显示": turns the plain mode on or off, the other keys left as stored. False when
// it could not be stored.
bool StorePlainMode(const std::string& xmlPath, bool on);

} // namespace marlune
