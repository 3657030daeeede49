#pragma once
// Where the program keeps its files when no --home is given. A program run where it was
// built or unpacked keeps them in its own folder. An installed program (cmake --install:
// <prefix>/bin/marlune beside <prefix>/share/applications/marlune.desktop), or one whose
// folder the user cannot write, keeps them in the per-user data folder instead:
// $XDG_DATA_HOME/marlune, by default ~/.local/share/marlune.

#include <QString>

namespace marlune {

// True for the installed layout described above.
bool IsInstalledLayout(const QString& executableFolder);

// The program folder for a program whose executable lies in executableFolder.
QString DefaultProgramFolder(const QString& executableFolder);

// The per-user data folder.
QString PerUserProgramFolder();

} // namespace marlune
