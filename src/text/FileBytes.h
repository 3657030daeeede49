#pragma once
// Whole-file reads and crash-safe writes.

#include <cstddef>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace marlune {

// The bytes of a file, or nothing when it cannot be opened or read.
std::optional<std::string> ReadFileBytes(const std::string& path);

// No settings or state file the program keeps comes near this size; anything larger is
// not read at all, so a damaged or hostile file cannot take the program's memory.
inline constexpr std::size_t kSettingsFileMaxBytes = 1024 * 1024;

enum class FileReadStatus {
    Read,
    Missing,    // no such file
    NotRegular, // a folder, a device, a pipe or a socket (also through a link)
    TooLarge,   // more than the limit
    Unreadable, // no permission or a read error
};

struct FileRead {
    FileReadStatus status = FileReadStatus::Missing;
    std::string bytes; // when read
    bool ok() const { return status == FileReadStatus::Read; }
};

// Reads a regular file of at most maxBytes. Opening never blocks (a pipe in the file's
// place is refused, not waited on), and no more than maxBytes + 1 bytes are ever read.
FileRead ReadRegularFile(const std::string& path, std::size_t maxBytes = kSettingsFileMaxBytes);

// What ReadRegularFile would find, without reading: Read for a regular file within the limit.
FileReadStatus ProbeRegularFile(const std::string& path, std::size_t maxBytes = kSettingsFileMaxBytes);

// The file a path names once symbolic links are followed (the path itself when it is no
// link; the link's target when that does not exist yet). Nothing for a loop of links.
std::optional<std::string> ResolveLinks(const std::string& path);

// Writes the bytes to a temporary file in the same folder, flushes it to disk and
// renames it over the path. A symbolic link stays a link: the file it names is the one
// replaced, with its temporary file beside it. On any failure the previous file is left
// as it was, the temporary file is removed and false is returned.
bool WriteFileAtomically(const std::string& path, const std::string& bytes);

enum class ReplaceResult { Replaced, ReadOnly, NotRegular, Failed };

// WriteFileAtomically for a file the user owns (settings, watch list): a file that exists
// without write permission is left alone, as the desktop's own settings functions leave
// it, and so is anything that is not a regular file. Bytes over the settings file limit are
// not written: the program would refuse to read them back.
ReplaceResult ReplaceSettingsFile(const std::string& path, const std::string& bytes);

// True when the file exists and is marked read-only (no write bit, or no permission).
bool IsReadOnlyFile(const std::string& path);

// True for the names WriteFileAtomically gives the temporary files of a file with this
// name: the name, ".tmp-" and six letters or digits. The mark keeps a user's own
// "list.ini.backup" from ever being taken for one.
bool IsTemporaryNameOf(std::string_view name, std::string_view fileName);

// Removes the temporary files of the path (beside it, and beside the file a link names)
// that were last changed before the given time: what a write cut short by a crash left
// behind. Files of that name changed since are another program's write in progress and
// stay. Returns how many were removed.
int RemoveStaleTemporaryFiles(const std::string& path, std::time_t changedBefore);

} // namespace marlune
