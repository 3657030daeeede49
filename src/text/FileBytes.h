#pragma once
// Whole-file reads and crash-safe writes.

#include <optional>
#include <string>

namespace marlune {

// The bytes of a file, or nothing when it cannot be opened or read.
std::optional<std::string> ReadFileBytes(const std::string& path);

// Writes the bytes to a temporary file in the same folder, flushes it to disk and
// renames it over the path. On any failure the previous file is left as it was, the
// temporary file is removed and false is returned.
bool WriteFileAtomically(const std::string& path, const std::string& bytes);

} // namespace marlune
