#pragma once
// Starting the program with the desktop session: an autostart entry on Linux desktops
// (XDG: $XDG_CONFIG_HOME/autostart/marlune.desktop, ~/.config by default), the Run key of the
// current user on Windows. The entry starts the running program with the arguments it was
// started with, so a program folder given with --home stays the same.

#include <QString>
#include <QStringList>

namespace marlune::platform {

// Adds the entry (replacing an older one) or removes it. False when it could not be written
// or removed.
bool SetAutoStart(bool on);

// Whether the entry exists.
bool IsAutoStartOn();

// Where the Linux entry lives (empty on Windows).
QString AutoStartEntryPath();

// The command line the entry runs: the program and its arguments, each quoted as an
// autostart entry's Exec key needs it.
QString AutoStartCommand(const QString& program, const QStringList& arguments);

} // namespace marlune::platform
