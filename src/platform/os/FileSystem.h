#pragma once
// The operating system's file calls the engine needs, behind one small interface.
// Paths are UTF-8 and use '/' (Windows takes '\' too).

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace marlune::os {

enum class PathKind { Missing, Regular, Folder, Link, Other, Unreadable };

struct PathStatus {
    PathKind kind = PathKind::Missing;
    std::uintmax_t size = 0;
    std::time_t modified = 0;
    // Marked read-only: no write bit (or the read-only attribute), or no permission to write.
    bool writeProtected = false;
};

// What the path names, following symbolic links.
PathStatus StatPath(const std::string& path);
// What the path itself is: a symbolic link comes back as PathKind::Link.
PathStatus StatLink(const std::string& path);
// The text of a symbolic link, or nothing when the path is no link or cannot be read.
std::optional<std::string> ReadLinkText(const std::string& path);
bool IsAbsolutePath(std::string_view path);
// Where the last folder separator of the path is, or npos.
std::size_t LastPathSeparator(std::string_view path);

// What tells one state of a file from another without reading it: which file it is, its
// size and when it was last written, as finely as the system keeps it.
struct FileStamp {
    std::uint64_t device = 0;
    std::uint64_t file = 0;
    std::uintmax_t size = 0;
    std::int64_t modifiedSeconds = 0;
    long modifiedFraction = 0;
    bool operator==(const FileStamp& other) const {
        return device == other.device && file == other.file && size == other.size &&
               modifiedSeconds == other.modifiedSeconds && modifiedFraction == other.modifiedFraction;
    }
};
std::optional<FileStamp> StampOf(const std::string& path);

enum class OpenResult { Opened, Missing, NotRegular, Unreadable };

// A file opened for reading without waiting on a pipe or device in its place.
class InputFile {
public:
    InputFile() = default;
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    OpenResult Open(const std::string& path);
    // The size of the opened file.
    std::uintmax_t Size() const { return m_size; }
    // Bytes read into the buffer, 0 at the end, -1 on a read error.
    long long Read(char* buffer, std::size_t size);

private:
    std::intptr_t m_handle = -1;
    std::uintmax_t m_size = 0;
};

// A new file beside `base` named base + ".tmp-" + six letters or digits, created so that
// no other file of that name is touched, and opened for binary writing.
struct TemporaryFile {
    std::string path;
    std::FILE* file = nullptr;
};
std::optional<TemporaryFile> CreateTemporaryFile(const std::string& base);

// Flushes the stream and asks the system to put its bytes on the disk.
bool FlushToDisk(std::FILE* file);

// Gives the new file the permissions of the file it is going to replace (or the usual ones
// of a new file when there is none). Where files take their folder's permissions, nothing.
void TakePermissionsOf(std::FILE* file, const std::string& replaced);

// Puts `from` in the place of `to` in one step: readers see the old file or the new one,
// never a missing or partial one. The old `to` is replaced when it exists.
bool RenameOver(const std::string& from, const std::string& to);
bool RemoveFile(const std::string& path);
// Creates the folder and the folders above it that are missing.
bool CreateFolders(const std::string& folder);
// The names in the folder (not "." or ".."); empty when it cannot be read.
std::vector<std::string> FolderEntryNames(const std::string& folder);

// The folder a relative path starts from, with '/' separators.
std::string CurrentFolder();

} // namespace marlune::os
