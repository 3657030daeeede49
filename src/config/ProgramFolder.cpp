#include "config/ProgramFolder.h"

#include "platform/os/FileSystem.h"
#include "platform/os/Process.h"

#include <filesystem>
#include <mutex>
#include <system_error>

namespace marlune {
namespace {

std::mutex g_folderMutex;
std::string g_chosenFolder; // empty: the executable's folder

std::string WithTrailingSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/')
        folder.push_back('/');
    return folder;
}

std::string ExecutableFolder() {
    // The stored files sit beside the executable.
    const std::string exe = os::ExecutablePath();
    const std::size_t slash = os::LastPathSeparator(exe);
    if (slash != std::string::npos)
        return exe.substr(0, slash + 1);
    // The system cannot say: the current folder is the best remaining guess.
    return WithTrailingSlash(os::CurrentFolder());
}

} // namespace

std::string ProgramFolder() {
    {
        std::lock_guard<std::mutex> lock(g_folderMutex);
        if (!g_chosenFolder.empty())
            return g_chosenFolder;
    }
    // The executable does not move while it runs, but resolving it is cheap enough
    // that it needs no cache.
    return ExecutableFolder();
}

void SetProgramFolder(std::string_view folder) {
    std::string chosen;
    if (!folder.empty()) {
        std::error_code error;
        std::filesystem::path absolute = std::filesystem::absolute(std::filesystem::u8path(folder), error);
        chosen =
            WithTrailingSlash(error ? std::string(folder) : absolute.lexically_normal().generic_u8string());
    }
    std::lock_guard<std::mutex> lock(g_folderMutex);
    g_chosenFolder = std::move(chosen);
}

std::string ProgramPath(std::string_view relative) {
    return ProgramFolder().append(relative);
}

std::string BaseIniPath() {
    return ProgramPath(kBaseIniFile);
}
std::string ListIniPath() {
    return ProgramPath(kListIniFile);
}
std::string XmlSettingsPath() {
    return ProgramPath(kXmlSettingsFile);
}
std::string DataFolder() {
    return ProgramPath(kDataFolder) + '/';
}

std::string AlertStatePath() {
    return ProgramPath(kAlertStateFile);
}

FolderClaim ClaimProgramFolder(os::FileLock& lock, const std::string& programFolder) {
    const std::string path = programFolder + kRunningLockFile;
    if (lock.Lock(path, os::FileLock::Wait::kNot, true))
        return FolderClaim::kClaimed;
    // The mark is there but its lock is not to be had: another program holds it.
    return os::StatPath(path).kind == os::PathKind::Regular ? FolderClaim::kAlreadyRunning
                                                            : FolderClaim::kUnknown;
}

std::string WatchExtrasPath() {
    return ProgramPath(kWatchExtrasFile);
}

} // namespace marlune
