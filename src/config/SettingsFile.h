#pragma once
// Replacing a settings file: atomically, and never over a file the user made read-only.

#include <string>

namespace marlune {

// Writes the bytes over the file (creating it when missing) through
// WriteFileAtomically. A file that exists without write permission is left alone,
// as the desktop's own settings functions leave it: false is returned.
bool ReplaceSettingsFile(const std::string& path, const std::string& bytes);

} // namespace marlune
