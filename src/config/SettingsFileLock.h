#pragma once
// Held around one read-modify-write of a settings file: two programs saving the same file
// at the same moment take turns, so that neither writes back a copy read before the
// other's save and loses it.
//
// Saves replace the settings file by a rename, and a lock stays with the file it was
// taken on; so the lock is on a file beside it that is never replaced: the settings
// file's name (links resolved) + ".lock", made empty on the first save. Where it cannot
// be made (a read-only folder) no lock is held and saves go on as before.

#include "platform/os/FileLock.h"

#include <string>

namespace marlune {

class SettingsFileLock {
public:
    explicit SettingsFileLock(const std::string& settingsPath);

    bool Held() const { return m_lock.Held(); }

    // The lock file of a settings file.
    static std::string LockPathOf(const std::string& settingsPath);

private:
    os::FileLock m_lock;
};

} // namespace marlune
