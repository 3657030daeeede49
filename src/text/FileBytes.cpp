#include "text/FileBytes.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace marlune {
namespace {

// A mark no one gives a file of their own, then mkstemp's six random characters.
constexpr std::string_view kTemporaryMark = ".tmp-";
constexpr std::string_view kTemporarySuffix = ".tmp-XXXXXX";
// Links are followed no further than the system itself follows them.
constexpr int kMaxLinkHops = 40;

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

std::string FolderOf(const std::string& path) {
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string NameOf(const std::string& path) {
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsLetterOrDigit(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

int RemoveStaleTemporaryFilesBeside(const std::string& path, std::time_t changedBefore) {
    const std::string folder = FolderOf(path);
    const std::string name = NameOf(path);
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr)
        return 0;
    std::vector<std::string> stale;
    while (const dirent* entry = ::readdir(dir)) {
        if (!IsTemporaryNameOf(entry->d_name, name))
            continue;
        const std::string candidate = folder + entry->d_name;
        struct stat info {};
        // Only plain files the program made; a link or a folder of that name is not ours.
        if (::lstat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_mtime < changedBefore)
            stale.push_back(candidate);
    }
    ::closedir(dir);
    int removed = 0;
    for (const std::string& file : stale) {
        if (::unlink(file.c_str()) == 0)
            ++removed;
    }
    return removed;
}

} // namespace

std::optional<std::string> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
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
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.get() < 0) {
        result.status =
            (errno == ENOENT || errno == ENOTDIR) ? FileReadStatus::Missing : FileReadStatus::Unreadable;
        return result;
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) {
        result.status = FileReadStatus::Unreadable;
        return result;
    }
    if (!S_ISREG(info.st_mode)) {
        result.status = FileReadStatus::NotRegular;
        return result;
    }
    if (static_cast<std::uintmax_t>(info.st_size) > maxBytes) {
        result.status = FileReadStatus::TooLarge;
        return result;
    }
    // The file may grow while it is read: never take more than one byte past the limit.
    std::string bytes(static_cast<std::size_t>(info.st_size) + 1, '\0');
    std::size_t have = 0;
    while (true) {
        if (have == bytes.size()) {
            if (bytes.size() > maxBytes)
                break;
            bytes.resize(std::min(bytes.size() * 2, maxBytes + 1));
        }
        ssize_t got = ::read(fd.get(), bytes.data() + have, bytes.size() - have);
        if (got < 0 && errno == EINTR)
            continue;
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
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return (errno == ENOENT || errno == ENOTDIR) ? FileReadStatus::Missing : FileReadStatus::Unreadable;
    if (!S_ISREG(info.st_mode))
        return FileReadStatus::NotRegular;
    if (static_cast<std::uintmax_t>(info.st_size) > maxBytes)
        return FileReadStatus::TooLarge;
    return FileReadStatus::Read;
}

std::optional<std::string> ResolveLinks(const std::string& path) {
    std::string current = path;
    for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return current;
        std::string target(4096, '\0');
        ssize_t length = ::readlink(current.c_str(), target.data(), target.size());
        if (length <= 0 || static_cast<std::size_t>(length) >= target.size())
            return std::nullopt;
        target.resize(static_cast<std::size_t>(length));
        current = target.front() == '/' ? target : FolderOf(current) + target;
    }
    return std::nullopt;
}

bool WriteFileAtomically(const std::string& path, const std::string& bytes) {
    // Renaming over a link would replace the link itself by a plain file.
    const std::optional<std::string> target = ResolveLinks(path);
    if (!target)
        return false;
    std::string temp = *target + std::string(kTemporarySuffix);
    int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return false;
    // Keep the permissions an existing file had; mkstemp creates 0600.
    struct stat existing {};
    if (::stat(target->c_str(), &existing) == 0)
        ::fchmod(fd, existing.st_mode & 07777);
    else
        ::fchmod(fd, 0644);

    bool ok = true;
    const char* data = bytes.data();
    std::size_t left = bytes.size();
    while (ok && left > 0) {
        ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            ok = false;
        } else {
            data += written;
            left -= static_cast<std::size_t>(written);
        }
    }
    if (ok && ::fsync(fd) != 0)
        ok = false;
    if (::close(fd) != 0)
        ok = false;
    if (ok && std::rename(temp.c_str(), target->c_str()) != 0)
        ok = false;
    if (!ok)
        std::remove(temp.c_str());
    return ok;
}

bool IsReadOnlyFile(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return false;
    // The write bits, not access() alone: the super-user may write anything, but a file
    // marked read-only is still meant to stay as it is.
    return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(path.c_str(), W_OK) != 0;
}

ReplaceResult ReplaceSettingsFile(const std::string& path, const std::string& bytes) {
    // A file the program would refuse to read back is never written.
    if (bytes.size() > kSettingsFileMaxBytes)
        return ReplaceResult::Failed;
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        if (!S_ISREG(info.st_mode))
            return ReplaceResult::NotRegular;
        if (IsReadOnlyFile(path))
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
