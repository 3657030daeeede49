#pragma once
// The program folder: every file the program keeps lives below it.

#include "platform/os/FileLock.h"

#include <string>
#include <string_view>

namespace marlune {

// Paths below the program folder, with '/' as the separator.
inline constexpr const char kConfigFolder[] = "config";
inline constexpr const char kBaseIniFile[] = "config/base.ini";
inline constexpr const char kListIniFile[] = "config/list.ini";
inline constexpr const char kXmlSettingsFolder[] = "scnf";
inline constexpr const char kXmlSettingsFile[] = "scnf/SSTConf.xml";
inline constexpr const char kDataFolder[] = "data";
inline constexpr const char kAlertStateFile[] = "data/alerts.txt";
inline constexpr const char kWatchExtrasFile[] = "data/watchextras.txt";
// Locked by the program that runs on the folder, for as long as it runs.
inline constexpr const char kRunningLockFile[] = "config/running.lock";

// What a second program on the same folder says (it starts all the same).
inline constexpr const char kAlreadyRunningText[] = "Marlune已在此文件夹中运行。";

// The program folder, ending with '/': the folder set by SetProgramFolder (the
// --home option), else the folder of the running executable. Safe to call from
// any thread.
std::string ProgramFolder();

// Makes the folder the program folder from now on. A relative folder is taken
// relative to the current folder at the time of the call. An empty text returns to
// the executable's folder.
void SetProgramFolder(std::string_view folder);

// ProgramFolder() + relative, e.g. ProgramPath(kBaseIniFile).
std::string ProgramPath(std::string_view relative);

// The files and folders every reader asks for.
std::string BaseIniPath();
std::string ListIniPath();
std::string XmlSettingsPath();
std::string DataFolder(); // ends with '/'
std::string AlertStatePath();
std::string WatchExtrasPath();

enum class FolderClaim {
    kClaimed,        // no other program runs on the folder
    kAlreadyRunning, // another program holds the folder
    kUnknown,        // the mark cannot be made (a read-only folder): nothing is known
};

// Marks the program folder (ending in a separator) as the one this program runs on, for
// as long as the lock lives. The folder's config folder must exist.
FolderClaim ClaimProgramFolder(os::FileLock& lock, const std::string& programFolder);

} // namespace marlune
