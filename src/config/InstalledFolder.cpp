#include "config/InstalledFolder.h"

#include "platform/os/FileSystem.h"
#include "platform/os/Process.h"

#include <cstdlib>

namespace marlune {
namespace {

std::string WithTrailingSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '/' && folder.back() != '\\')
        folder.push_back('/');
    return folder;
}

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

} // namespace

bool IsInstalledProgramFolder(const std::string& executableFolder) {
    std::string folder = executableFolder;
    while (!folder.empty() && (folder.back() == '/' || folder.back() == '\\'))
        folder.pop_back();
    const std::size_t slash = os::LastPathSeparator(folder);
    const std::string name = slash == std::string::npos ? folder : folder.substr(slash + 1);
    if (name != "bin")
        return false;
    return os::StatPath(folder + "/../share/applications/marlune.desktop").kind == os::PathKind::Regular;
}

std::string PerUserDataFolder() {
#if defined(_WIN32)
    const std::string base = Environment("LOCALAPPDATA");
    return base.empty() ? std::string() : WithTrailingSlash(base) + "marlune/";
#else
    // A relative XDG_DATA_HOME is invalid and ignored, as the base directory rules say.
    const std::string xdg = Environment("XDG_DATA_HOME");
    if (!xdg.empty() && xdg.front() == '/')
        return WithTrailingSlash(xdg) + "marlune/";
    const std::string home = Environment("HOME");
    return home.empty() ? std::string() : WithTrailingSlash(home) + ".local/share/marlune/";
#endif
}

std::string DefaultProgramFolderFor(const std::string& executableFolder) {
    const std::string perUser = PerUserDataFolder();
    if (perUser.empty())
        return WithTrailingSlash(executableFolder);
    if (IsInstalledProgramFolder(executableFolder) || os::StatPath(executableFolder).writeProtected)
        return perUser;
    return WithTrailingSlash(executableFolder);
}

std::string RunningExecutableFolder() {
    const std::string exe = os::ExecutablePath();
    const std::size_t slash = os::LastPathSeparator(exe);
    if (slash != std::string::npos)
        return exe.substr(0, slash + 1);
    return WithTrailingSlash(os::CurrentFolder());
}

} // namespace marlune
