#include "app/InstallLayout.h"

#include "config/InstalledFolder.h"

#include <QDir>

namespace marlune {

namespace {
QString WithoutTrailingSlash(QString folder) {
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    return folder;
}
} // namespace

// The rules are the engine's (config/InstalledFolder.h), shared with the terminal ticker.
bool IsInstalledLayout(const QString& executableFolder) {
    return IsInstalledProgramFolder(QDir::fromNativeSeparators(executableFolder).toStdString());
}

QString PerUserProgramFolder() {
    return WithoutTrailingSlash(QDir::fromNativeSeparators(QString::fromStdString(PerUserDataFolder())));
}

QString DefaultProgramFolder(const QString& executableFolder) {
    const QString folder = QString::fromStdString(
        DefaultProgramFolderFor(QDir::fromNativeSeparators(executableFolder).toStdString()));
    return WithoutTrailingSlash(QDir::fromNativeSeparators(folder));
}

} // namespace marlune
