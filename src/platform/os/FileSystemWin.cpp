// File calls on Windows: the wide (UTF-16) API, so that any folder name works whatever
// the system's ANSI code page is.
#if defined(_WIN32)

#include "platform/os/FileSystem.h"

#include "platform/os/WideText.h"

#include <windows.h>

#include <cwchar>
#include <fcntl.h>
#include <io.h>
#include <random>

namespace marlune::os {
namespace {

bool IsMissingError(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME ||
           error == ERROR_BAD_NETPATH;
}

std::time_t UnixTime(const FILETIME& time) {
    // 100-nanosecond steps since 1601-01-01.
    const ULONGLONG ticks = (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    constexpr ULONGLONG kTicksTo1970 = 116444736000000000ULL;
    return ticks < kTicksTo1970 ? 0 : static_cast<std::time_t>((ticks - kTicksTo1970) / 10000000ULL);
}

PathStatus StatusFromAttributes(const WIN32_FILE_ATTRIBUTE_DATA& data, bool linkItself) {
    PathStatus status;
    if (linkItself && (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        status.kind = PathKind::Link;
    else if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        status.kind = PathKind::Folder;
    else if ((data.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) != 0)
        status.kind = PathKind::Other;
    else
        status.kind = PathKind::Regular;
    status.size = (static_cast<std::uintmax_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    status.modified = UnixTime(data.ftLastWriteTime);
    status.writeProtected = (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    return status;
}

PathStatus Status(const std::string& path, bool linkItself) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &data)) {
        PathStatus status;
        status.kind = IsMissingError(::GetLastError()) ? PathKind::Missing : PathKind::Unreadable;
        return status;
    }
    return StatusFromAttributes(data, linkItself);
}

constexpr char kNameLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

} // namespace

PathStatus StatPath(const std::string& path) {
    // The attributes of a link are the link's own; the size and kind wanted are those
    // of the file it names, which opening the path gives.
    PathStatus status = Status(path, false);
    if (status.kind == PathKind::Missing || status.kind == PathKind::Unreadable)
        return status;
    HANDLE handle = ::CreateFileW(Wide(path).c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return status;
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileInformationByHandle(handle, &info)) {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        data.dwFileAttributes = info.dwFileAttributes;
        data.nFileSizeHigh = info.nFileSizeHigh;
        data.nFileSizeLow = info.nFileSizeLow;
        data.ftLastWriteTime = info.ftLastWriteTime;
        status = StatusFromAttributes(data, false);
        if (::GetFileType(handle) != FILE_TYPE_DISK)
            status.kind = PathKind::Other;
    }
    ::CloseHandle(handle);
    return status;
}

PathStatus StatLink(const std::string& path) {
    return Status(path, true);
}

std::optional<std::string> ReadLinkText(const std::string& path) {
    // Links on Windows need rights a user seldom has; the program never makes them, and
    // the file a link names is reached through it by the system itself.
    static_cast<void>(path);
    return std::nullopt;
}

bool IsAbsolutePath(std::string_view path) {
    if (path.size() >= 2 && (path[0] == '/' || path[0] == '\\') && (path[1] == '/' || path[1] == '\\'))
        return true; // \\server\share
    return path.size() >= 3 && path[1] == ':' && (path[2] == '/' || path[2] == '\\');
}

std::size_t LastPathSeparator(std::string_view path) {
    return path.find_last_of("/\\");
}

std::optional<FileStamp> StampOf(const std::string& path) {
    HANDLE handle = ::CreateFileW(Wide(path).c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool ok = ::GetFileInformationByHandle(handle, &info) != 0;
    ::CloseHandle(handle);
    if (!ok)
        return std::nullopt;
    const ULONGLONG ticks = (static_cast<ULONGLONG>(info.ftLastWriteTime.dwHighDateTime) << 32) |
                            info.ftLastWriteTime.dwLowDateTime;
    return FileStamp{info.dwVolumeSerialNumber,
                     (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow,
                     (static_cast<std::uintmax_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow,
                     static_cast<std::int64_t>(ticks / 10000000ULL), static_cast<long>(ticks % 10000000ULL)};
}

InputFile::~InputFile() {
    if (m_handle != -1)
        ::CloseHandle(reinterpret_cast<HANDLE>(m_handle));
}

OpenResult InputFile::Open(const std::string& path) {
    const std::wstring wide = Wide(path);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return IsMissingError(::GetLastError()) ? OpenResult::Missing : OpenResult::Unreadable;
    if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0)
        return OpenResult::NotRegular;
    HANDLE handle =
        ::CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return IsMissingError(::GetLastError()) ? OpenResult::Missing : OpenResult::Unreadable;
    m_handle = reinterpret_cast<std::intptr_t>(handle);
    // A pipe or a device in a file's place is not waited on.
    if (::GetFileType(handle) != FILE_TYPE_DISK)
        return OpenResult::NotRegular;
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(handle, &size))
        return OpenResult::Unreadable;
    m_size = static_cast<std::uintmax_t>(size.QuadPart);
    return OpenResult::Opened;
}

long long InputFile::Read(char* buffer, std::size_t size) {
    DWORD got = 0;
    const DWORD want = size > 0x10000000 ? 0x10000000 : static_cast<DWORD>(size);
    if (!::ReadFile(reinterpret_cast<HANDLE>(m_handle), buffer, want, &got, nullptr))
        return -1;
    return got;
}

std::optional<TemporaryFile> CreateTemporaryFile(const std::string& base) {
    static thread_local std::mt19937 generator{std::random_device{}() ^ ::GetCurrentProcessId() ^
                                               static_cast<unsigned>(::GetTickCount())};
    std::uniform_int_distribution<int> letter(0, static_cast<int>(sizeof kNameLetters) - 2);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string path = base + ".tmp-";
        for (int i = 0; i < 6; ++i)
            path.push_back(kNameLetters[letter(generator)]);
        // CREATE_NEW never opens a file that is there already.
        HANDLE handle = ::CreateFileW(Wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                      nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            if (::GetLastError() == ERROR_FILE_EXISTS)
                continue;
            return std::nullopt;
        }
        const int fd = ::_open_osfhandle(reinterpret_cast<std::intptr_t>(handle), _O_BINARY | _O_WRONLY);
        if (fd < 0) {
            ::CloseHandle(handle);
            ::DeleteFileW(Wide(path).c_str());
            return std::nullopt;
        }
        std::FILE* file = ::_fdopen(fd, "wb");
        if (file == nullptr) {
            ::_close(fd);
            ::DeleteFileW(Wide(path).c_str());
            return std::nullopt;
        }
        return TemporaryFile{path, file};
    }
    return std::nullopt;
}

bool FlushToDisk(std::FILE* file) {
    return std::fflush(file) == 0 && std::ferror(file) == 0 && ::_commit(::_fileno(file)) == 0;
}

void TakePermissionsOf(std::FILE* file, const std::string& replaced) {
    // A new file takes its folder's access rules; there are no mode bits to copy.
    static_cast<void>(file);
    static_cast<void>(replaced);
}

bool RenameOver(const std::string& from, const std::string& to) {
    // One rename that replaces the old file, finished on the disk before it returns.
    return ::MoveFileExW(Wide(from).c_str(), Wide(to).c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool RemoveFile(const std::string& path) {
    return ::DeleteFileW(Wide(path).c_str()) != 0;
}

bool CreateFolders(const std::string& folder) {
    std::string path = WithSlashes(folder);
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    if (path.empty())
        return false;
    const PathStatus status = StatPath(path);
    if (status.kind == PathKind::Folder)
        return true;
    if (status.kind != PathKind::Missing)
        return false;
    const std::size_t slash = path.rfind('/');
    if (slash != std::string::npos && slash > 0 && !(slash == 2 && path[1] == ':')) {
        if (!CreateFolders(path.substr(0, slash)))
            return false;
    }
    return ::CreateDirectoryW(Wide(path).c_str(), nullptr) != 0 || ::GetLastError() == ERROR_ALREADY_EXISTS;
}

std::vector<std::string> FolderEntryNames(const std::string& folder) {
    std::vector<std::string> names;
    std::string pattern = folder.empty() ? std::string(".") : folder;
    if (pattern.back() != '/' && pattern.back() != '\\')
        pattern.push_back('/');
    pattern.push_back('*');
    WIN32_FIND_DATAW entry{};
    HANDLE find = ::FindFirstFileW(Wide(pattern).c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::string name = Narrow(entry.cFileName, std::wcslen(entry.cFileName));
        if (name != "." && name != "..")
            names.push_back(name);
    } while (::FindNextFileW(find, &entry));
    ::FindClose(find);
    return names;
}

std::string CurrentFolder() {
    const DWORD length = ::GetCurrentDirectoryW(0, nullptr);
    if (length == 0)
        return ".";
    std::wstring path(length, L'\0');
    const DWORD written = ::GetCurrentDirectoryW(length, path.data());
    return written == 0 ? std::string(".") : WithSlashes(Narrow(path.data(), written));
}

} // namespace marlune::os

#endif
