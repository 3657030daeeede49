#pragma once
// The INI profile functions the settings readers and writers use on config/base.ini.
// They behave as the Windows profile functions that the settings file was made for:
// - section and key names are matched without regard to case ("Color" finds "[color]"),
//   and only the first section of a name counts;
// - blanks around names and values are dropped, and one pair of matching quotes
//   ("..." or '...') around a value is removed;
// - a value reads back cut to 127 bytes of its GBK form (never inside a character);
// - a write replaces the key's line, or adds "key=value" after the last entry of the
//   section, or adds the section with the key at the end of the file; every other
//   byte of the file stays as it was; new lines end in CR LF;
// - values are stored as GBK (UTF-8 in a file that starts with a UTF-8 byte order mark);
//   the functions take and return UTF-8;
// - only a regular file of at most 1 MB is read; one that is there but refused (too large,
//   a device or a pipe) reads as the first-run values of base.ini and is never written.

#include <string>
#include <string_view>
#include <vector>

namespace marlune {

// The longest value a read returns, in GBK bytes (the 128-byte buffer of the readers).
inline constexpr std::size_t kProfileValueMaxBytes = 127;

// The value of the key, or "" when the file, the section or the key is missing.
std::string ProfileRead(const std::string& path, std::string_view section, std::string_view key);

// The value read as atoi reads it: 0 when it is missing or does not start with a number.
int ProfileReadInt(const std::string& path, std::string_view section, std::string_view key);

// A 0/1 switch: missing or empty reads as whenMissing, otherwise the value is not 0.
bool ProfileReadFlag(const std::string& path, std::string_view section, std::string_view key,
                     bool whenMissing);

// Writes the value, creating the file when it is missing (not its folder). The file
// is replaced atomically, so a failed write leaves it as it was. Returns false when
// nothing was written: the file cannot be read or replaced, it has no write
// permission (a read-only file stays read-only), or a name is empty or a
// name or the value holds a line break or a NUL byte (it would break the file apart),
// a key holds '=' or a section name holds ']'. Most callers ignore the result.
bool ProfileWrite(const std::string& path, std::string_view section, std::string_view key,
                  std::string_view value);

struct ProfileEntry {
    std::string_view section;
    std::string_view key;
    std::string value;
};

// Writes all the entries with one replace of the file, as many ProfileWrite calls in a
// row would, but all or none: an interruption never leaves some of them written. False,
// and nothing written, when ProfileWrite would refuse any one of them. Like every write,
// it holds the file's lock (SettingsFileLock) from reading to replacing the file.
bool ProfileWriteAll(const std::string& path, const std::vector<ProfileEntry>& entries);

// ProfileWrite of the number as "%d".
bool ProfileWriteInt(const std::string& path, std::string_view section, std::string_view key, int value);

// True when a file or a folder of that name exists.
bool FileExists(const std::string& path);

} // namespace marlune
