#include "text/FileBytes.h"

#include "platform/os/FileSystem.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

namespace marlune {
namespace {

// A mark no one gives a file of their own, then mkstemp's six random characters.
constexpr std::string_view kTemporaryMark = ".tmp-";
constexpr std::string_view kTemporarySuffix = ".tmp-XXXXXX";
// Links are followed no further than the system itself follows them.
constexpr int kMaxLinkHops = 40;

std::string FolderOf(const std::string& path) {
    std::size_t slash = os::LastPathSeparator(path);
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string NameOf(const std::string& path) {
    std::size_t slash = os::LastPathSeparator(path);
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsLetterOrDigit(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

int RemoveStaleTemporaryFilesBeside(const std::string& path, std::time_t changedBefore) {
    const std::string folder = FolderOf(path);
    const std::string name = NameOf(path);
    int removed = 0;
    for (const std::string& entry : os::FolderEntryNames(folder.empty() ? std::string(".") : folder)) {
        if (!IsTemporaryNameOf(entry, name))
            continue;
        const std::string candidate = folder + entry;
        // Only plain files the program made; a link or a folder of that name is not ours.
        const os::PathStatus status = os::StatLink(candidate);
        if (status.kind == os::PathKind::Regular && status.modified < changedBefore &&
            os::RemoveFile(candidate))
            ++removed;
    }
    return removed;
}

} // namespace

std::optional<std::string> ReadFileBytes(const std::string& path) {
    std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    if (in.bad())
        return std::nullopt;
    return buffer.str();
}

FileRead ReadRegularFile(const std::string& path, std::size_t maxBytes) {
    FileRead result;
    os::InputFile file;
    switch (file.Open(path)) {
    case os::OpenResult::Opened:
        break;
    case os::OpenResult::Missing:
        result.status = FileReadStatus::Missing;
        return result;
    case os::OpenResult::NotRegular:
        result.status = FileReadStatus::NotRegular;
        return result;
    case os::OpenResult::Unreadable:
        result.status = FileReadStatus::Unreadable;
        return result;
    }
    if (file.Size() > maxBytes) {
        result.status = FileReadStatus::TooLarge;
        return result;
    }
    // The file may grow while it is read: never take more than one byte past the limit.
    std::string bytes(static_cast<std::size_t>(file.Size()) + 1, '\0');
    std::size_t have = 0;
    while (true) {
        if (have == bytes.size()) {
            if (bytes.size() > maxBytes)
                break;
            bytes.resize(std::min(bytes.size() * 2, maxBytes + 1));
        }
        const long long got = file.Read(bytes.data() + have, bytes.size() - have);
        if (got < 0) {
            result.status = FileReadStatus::Unreadable;
            return result;
        }
        if (got == 0)
            break;
        have += static_cast<std::size_t>(got);
    }
    if (have > maxBytes) {
        result.status = FileReadStatus::TooLarge;
        return result;
    }
    bytes.resize(have);
    result.status = FileReadStatus::Read;
    result.bytes = std::move(bytes);
    return result;
}

FileReadStatus ProbeRegularFile(const std::string& path, std::size_t maxBytes) {
    const os::PathStatus status = os::StatPath(path);
    switch (status.kind) {
    case os::PathKind::Missing:
        return FileReadStatus::Missing;
    case os::PathKind::Unreadable:
        return FileReadStatus::Unreadable;
    case os::PathKind::Regular:
        return status.size > maxBytes ? FileReadStatus::TooLarge : FileReadStatus::Read;
    default:
        return FileReadStatus::NotRegular;
    }
}

std::optional<std::string> ResolveLinks(const std::string& path) {
    std::string current = path;
    for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
        if (os::StatLink(current).kind != os::PathKind::Link)
            return current;
        const std::optional<std::string> target = os::ReadLinkText(current);
        if (!target)
            return std::nullopt;
        current = os::IsAbsolutePath(*target) ? *target : FolderOf(current) + *target;
    }
    return std::nullopt;
}

bool WriteFileAtomically(const std::string& path, const std::string& bytes) {
    // Renaming over a link would replace the link itself by a plain file.
    const std::optional<std::string> target = ResolveLinks(path);
    if (!target)
        return false;
    std::optional<os::TemporaryFile> temp = os::CreateTemporaryFile(*target);
    if (!temp)
        return false;
    // Keep the permissions an existing file had.
    os::TakePermissionsOf(temp->file, *target);
    bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), temp->file) == bytes.size();
    if (ok && !os::FlushToDisk(temp->file))
        ok = false;
    if (std::fclose(temp->file) != 0)
        ok = false;
    if (ok && !os::RenameOver(temp->path, *target))
        ok = false;
    if (!ok)
        os::RemoveFile(temp->path);
    return ok;
}

bool IsReadOnlyFile(const std::string& path) {
    const os::PathStatus status = os::StatPath(path);
    return status.kind != os::PathKind::Missing && status.kind != os::PathKind::Unreadable &&
           status.writeProtected;
}

ReplaceResult ReplaceSettingsFile(const std::string& path, const std::string& bytes) {
    // A file the program would refuse to read back is never written.
    if (bytes.size() > kSettingsFileMaxBytes)
        return ReplaceResult::Failed;
    const os::PathStatus status = os::StatPath(path);
    if (status.kind != os::PathKind::Missing && status.kind != os::PathKind::Unreadable) {
        if (status.kind != os::PathKind::Regular)
            return ReplaceResult::NotRegular;
        if (status.writeProtected)
            return ReplaceResult::ReadOnly;
    }
    return WriteFileAtomically(path, bytes) ? ReplaceResult::Replaced : ReplaceResult::Failed;
}

bool IsTemporaryNameOf(std::string_view name, std::string_view fileName) {
    if (fileName.empty() || name.size() != fileName.size() + kTemporarySuffix.size() ||
        name.substr(0, fileName.size()) != fileName ||
        name.substr(fileName.size(), kTemporaryMark.size()) != kTemporaryMark)
        return false;
    for (char c : name.substr(fileName.size() + kTemporaryMark.size())) {
        if (!IsLetterOrDigit(c))
            return false;
    }
    return true;
}

int RemoveStaleTemporaryFiles(const std::string& path, std::time_t changedBefore) {
    int removed = RemoveStaleTemporaryFilesBeside(path, changedBefore);
    const std::optional<std::string> target = ResolveLinks(path);
    if (target && *target != path)
        removed += RemoveStaleTemporaryFilesBeside(*target, changedBefore);
    return removed;
}

} // namespace marlune
