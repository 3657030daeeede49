#include "config/SettingsFile.h"

#include "text/FileBytes.h"

#include <sys/stat.h>
#include <unistd.h>

namespace marlune {

bool ReplaceSettingsFile(const std::string& path, const std::string& bytes) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        // The write bits, not access(): the super-user may write anything, but a file
        // marked read-only is still meant to stay as it is.
        bool readOnly =
            (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(path.c_str(), W_OK) != 0;
        if (readOnly || S_ISDIR(info.st_mode))
            return false;
    }
    return WriteFileAtomically(path, bytes);
}

} // namespace marlune
