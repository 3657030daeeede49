#include "app/InstallLayout.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace marlune {

bool IsInstalledLayout(const QString& executableFolder) {
    const QDir folder(executableFolder);
    return folder.dirName() == QLatin1String("bin") &&
           QFileInfo::exists(
               folder.absoluteFilePath(QStringLiteral("../share/applications/marlune.desktop")));
}

QString PerUserProgramFolder() {
    // GenericDataLocation is $XDG_DATA_HOME, by default ~/.local/share.
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/marlune");
}

QString DefaultProgramFolder(const QString& executableFolder) {
    if (IsInstalledLayout(executableFolder) || !QFileInfo(executableFolder).isWritable())
        return PerUserProgramFolder();
    return executableFolder;
}

} // namespace marlune
