#pragma once
// Where a program keeps its files when no --home is given. A program run where it was built
// or unpacked keeps them in its own folder. An installed program (<prefix>/bin/ beside
// <prefix>/share/applications/marlune.desktop, as the packages and cmake --install lay it
// out), or one whose folder the user cannot write, keeps them in the per-user data folder.

#include <string>

namespace marlune {

// True when executableFolder is the bin/ folder of an installed program.
bool IsInstalledProgramFolder(const std::string& executableFolder);

// The per-user data folder, ending with '/': $XDG_DATA_HOME/marlune/, by default
// $HOME/.local/share/marlune/ (on Windows %LOCALAPPDATA%\marlune\). Empty when the
// environment names no home at all.
std::string PerUserDataFolder();

// The program folder for a program whose executable lies in executableFolder.
std::string DefaultProgramFolderFor(const std::string& executableFolder);

// The executable's folder of the running program, ending with '/'.
std::string RunningExecutableFolder();

} // namespace marlune
