#include "config/StealthSettings.h"

#include "config/XmlSettingsStore.h"
#include "text/CNumber.h"

#include <utility>
#include <vector>

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

bool WriteStealthSettings(const std::string& xmlPath, const StealthSettings& s) {
    using namespace sstconf;
    XmlSettingsStore store;
    store.SetPath(xmlPath);
    if (!store.IsOpenable())
        return false;
    const std::vector<std::pair<std::string, std::string>> values = {
        {kPlainMode.name, Flag(s.plainMode)},
        {kPlainColor.name, XmlColorText(s.plainColor)},
        {kHideAfterClose.name, Flag(s.hideAfterClose)},
        {kHideWhenStale.name, Flag(s.hideWhenStale)},
        {kNoRefreshHidden.name, Flag(s.noRefreshHidden)},
    };
    return store.SetValues(values);
}

bool StorePlainMode(const std::string& xmlPath, bool on) {
    XmlSettingsStore store;
    store.SetPath(xmlPath);
    return store.IsOpenable() && store.SetValue(sstconf::kPlainMode.name, Flag(on));
}

} // namespace marlune
