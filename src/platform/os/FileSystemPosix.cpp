// File calls on Linux and other POSIX systems.
#if !defined(_WIN32)

#include "platform/os/FileSystem.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace marlune::os {
namespace {

PathStatus StatusFrom(int rc, const struct stat& info, const std::string& path) {
    PathStatus status;
    if (rc != 0) {
        status.kind = (errno == ENOENT || errno == ENOTDIR) ? PathKind::Missing : PathKind::Unreadable;
        return status;
    }
    if (S_ISREG(info.st_mode))
        status.kind = PathKind::Regular;
    else if (S_ISDIR(info.st_mode))
        status.kind = PathKind::Folder;
    else if (S_ISLNK(info.st_mode))
        status.kind = PathKind::Link;
    else
        status.kind = PathKind::Other;
    status.size = static_cast<std::uintmax_t>(info.st_size);
    status.modified = info.st_mtime;
    // The write bits, not access() alone: the super-user may write anything, but a file
    // marked read-only is still meant to stay as it is.
    status.writeProtected = (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 ||
                            (status.kind != PathKind::Link && ::access(path.c_str(), W_OK) != 0);
    return status;
}

} // namespace

PathStatus StatPath(const std::string& path) {
    struct stat info {};
    const int rc = ::stat(path.c_str(), &info);
    return StatusFrom(rc, info, path);
}

PathStatus StatLink(const std::string& path) {
    struct stat info {};
    const int rc = ::lstat(path.c_str(), &info);
    return StatusFrom(rc, info, path);
}

std::optional<std::string> ReadLinkText(const std::string& path) {
    std::string target(4096, '\0');
    const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= target.size())
        return std::nullopt;
    target.resize(static_cast<std::size_t>(length));
    return target;
}

bool IsAbsolutePath(std::string_view path) {
    return !path.empty() && path.front() == '/';
}

std::size_t LastPathSeparator(std::string_view path) {
    return path.rfind('/');
}

std::optional<FileStamp> StampOf(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return FileStamp{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
                     static_cast<std::uintmax_t>(info.st_size),
                     static_cast<std::int64_t>(info.st_mtim.tv_sec), static_cast<long>(info.st_mtim.tv_nsec)};
}

InputFile::~InputFile() {
    if (m_handle >= 0)
        ::close(static_cast<int>(m_handle));
}

OpenResult InputFile::Open(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return (errno == ENOENT || errno == ENOTDIR) ? OpenResult::Missing : OpenResult::Unreadable;
    m_handle = fd;
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return OpenResult::Unreadable;
    if (!S_ISREG(info.st_mode))
        return OpenResult::NotRegular;
    m_size = static_cast<std::uintmax_t>(info.st_size);
    return OpenResult::Opened;
}

long long InputFile::Read(char* buffer, std::size_t size) {
    while (true) {
        const ssize_t got = ::read(static_cast<int>(m_handle), buffer, size);
        if (got < 0 && errno == EINTR)
            continue;
        return got;
    }
}

std::optional<TemporaryFile> CreateTemporaryFile(const std::string& base) {
    std::string pattern = base + ".tmp-XXXXXX";
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        return std::nullopt;
    std::FILE* file = ::fdopen(fd, "wb");
    if (file == nullptr) {
        ::close(fd);
        ::unlink(pattern.c_str());
        return std::nullopt;
    }
    return TemporaryFile{pattern, file};
}

bool FlushToDisk(std::FILE* file) {
    return std::fflush(file) == 0 && std::ferror(file) == 0 && ::fsync(::fileno(file)) == 0;
}

void TakePermissionsOf(std::FILE* file, const std::string& replaced) {
    // mkstemp creates 0600: keep what the old file had, or the usual 0644.
    struct stat existing {};
    if (::stat(replaced.c_str(), &existing) == 0)
        ::fchmod(::fileno(file), existing.st_mode & 07777);
    else
        ::fchmod(::fileno(file), 0644);
}

bool RenameOver(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0;
}

bool RemoveFile(const std::string& path) {
    return ::unlink(path.c_str()) == 0;
}

bool CreateFolders(const std::string& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    return !error && std::filesystem::is_directory(folder, error);
}

std::vector<std::string> FolderEntryNames(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr)
        return names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..")
            names.emplace_back(name);
    }
    ::closedir(dir);
    return names;
}

std::string CurrentFolder() {
    std::error_code error;
    const std::filesystem::path current = std::filesystem::current_path(error);
    return error ? std::string(".") : current.string();
}

} // namespace marlune::os

#endif
