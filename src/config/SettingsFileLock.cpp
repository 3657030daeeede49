#include "config/SettingsFileLock.h"

#include "text/FileBytes.h"

namespace marlune {

SettingsFileLock::SettingsFileLock(const std::string& settingsPath) {
    const std::string lockPath = LockPathOf(settingsPath);
    if (!lockPath.empty())
        m_lock.Lock(lockPath, os::FileLock::Wait::kUntilFree, true);
}

std::string SettingsFileLock::LockPathOf(const std::string& settingsPath) {
    if (settingsPath.empty())
        return std::string();
    // Two names of one file (a link and its target) share one lock.
    const std::optional<std::string> target = ResolveLinks(settingsPath);
    return (target ? *target : settingsPath) + ".lock";
}

} // namespace marlune
