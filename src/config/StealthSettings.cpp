#include "config/StealthSettings.h"

#include "config/XmlSettingsStore.h"
#include "text/CNumber.h"

namespace marlune {
namespace {

const char* Flag(bool on) {
    return on ? "1" : "0";
}

} // namespace

StealthSettings ReadStealthSettings(const std::string& xmlPath) {
    using namespace sstconf;
    StealthSettings s;
    XmlSettingsStore store;
    store.SetPath(xmlPath);
    if (!store.IsOpenable())
        return s;
    const auto flag = [&store](const XmlKey& key) { return AtoI(store.GetValue(key.name)) == 1; };
    s.plainMode = flag(kPlainMode);
    s.plainColor = ParseXmlColor(store.GetValue(kPlainColor.name));
    s.hideAfterClose = flag(kHideAfterClose);
    s.hideWhenStale = flag(kHideWhenStale);
    s.noRefreshHidden = flag(kNoRefreshHidden);
    return s;
}

XmlValues PlainModeValues(const StealthSettings& s) {
    using namespace sstconf;
    return {{kPlainMode.name, Flag(s.plainMode)}, {kPlainColor.name, XmlColorText(s.plainColor)}};
}

XmlValues HidingValues(const StealthSettings& s) {
    using namespace sstconf;
    return {{kHideAfterClose.name, Flag(s.hideAfterClose)},
            {kHideWhenStale.name, Flag(s.hideWhenStale)},
            {kNoRefreshHidden.name, Flag(s.noRefreshHidden)}};
}

namespace {

bool StoreValues(const std::string& xmlPath, const XmlValues& values) {
    XmlSettingsStore store;
    store.SetPath(xmlPath);
    return store.IsOpenable() && store.SetValues(values);
}

} // namespace

bool WriteStealthSettings(const std::string& xmlPath, const StealthSettings& s) {
    XmlValues values = PlainModeValues(s);
    const XmlValues hiding = HidingValues(s);
    values.insert(values.end(), hiding.begin(), hiding.end());
    return StoreValues(xmlPath, values);
}

bool WriteHidingOptions(const std::string& xmlPath, const StealthSettings& s) {
    return StoreValues(xmlPath, HidingValues(s));
}

bool StorePlainMode(const std::string& xmlPath, bool on) {
    XmlSettingsStore store;
    store.SetPath(xmlPath);
    return store.IsOpenable() && store.SetValue(sstconf::kPlainMode.name, Flag(on));
}

} // namespace marlune
