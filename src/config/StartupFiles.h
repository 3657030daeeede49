#pragma once
// Start-up checks of the files the program keeps: what a crash during a save left behind,
// and settings files the program will not read.

#include <ctime>
#include <string>
#include <vector>

namespace marlune {

// The files below the program folder that the program rewrites, relative to it.
inline constexpr const char* kRewrittenFiles[] = {"config/base.ini", "config/list.ini", "scnf/SSTConf.xml",
                                                  "data/alerts.txt"};

// When this program started (taken as the program is loaded).
std::time_t ProgramStartTime();

// Removes the temporary files of crash-cut saves of the rewritten files (beside each file,
// and beside the file a link names) that are older than the given time. Only names the
// program's saves create; a save in progress in another running program is newer and stays.
int RemoveStaleSaveFiles(const std::string& programFolder, std::time_t olderThan);

// The settings files (base.ini, list.ini, SSTConf.xml) that are there but are not read:
// larger than 1 MB, or no regular file. Relative paths. They are left as they are and
// the program uses its defaults instead.
std::vector<std::string> RefusedSettingsFiles(const std::string& programFolder);

// The message that tells the user about them.
std::string RefusedSettingsFilesText(const std::vector<std::string>& files);

} // namespace marlune
