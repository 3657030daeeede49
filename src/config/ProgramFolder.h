#pragma once
// The program folder: every file the program keeps lives below it.

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

} // namespace marlune
