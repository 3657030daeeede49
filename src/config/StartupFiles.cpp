#include "config/StartupFiles.h"

#include "config/ProgramFolder.h"
#include "text/FileBytes.h"

namespace marlune {
namespace {

const std::time_t kProgramStart = std::time(nullptr);

std::string WithSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/')
        folder.push_back('/');
    return folder;
}

} // namespace

std::time_t ProgramStartTime() {
    return kProgramStart;
}

int RemoveStaleSaveFiles(const std::string& programFolder, std::time_t olderThan) {
    const std::string folder = WithSlash(programFolder);
    int removed = 0;
    for (const char* file : kRewrittenFiles)
        removed += RemoveStaleTemporaryFiles(folder + file, olderThan);
    return removed;
}

std::vector<std::string> RefusedSettingsFiles(const std::string& programFolder) {
    const std::string folder = WithSlash(programFolder);
    std::vector<std::string> refused;
    for (const char* file : {kBaseIniFile, kListIniFile, kXmlSettingsFile}) {
        const FileReadStatus status = ProbeRegularFile(folder + file);
        if (status == FileReadStatus::TooLarge || status == FileReadStatus::NotRegular)
            refused.emplace_back(file);
    }
    return refused;
}

std::string RefusedSettingsFilesText(const std::vector<std::string>& files) {
    std::string text = "配置文件过大或不是普通文件，未读取，已使用默认设置：";
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (i > 0)
            text += "、";
        text += files[i];
    }
    return text;
}

} // namespace marlune
