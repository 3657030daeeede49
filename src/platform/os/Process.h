#pragma once
// The running program as the operating system sees it.

#include <string>

namespace marlune::os {

// The full path of the running program's executable, with '/' separators; empty when
// the system cannot say.
std::string ExecutablePath();
int ProcessId();
bool StandardOutputIsTerminal();
// Makes standard output take the program's UTF-8 bytes as they are: the same bytes on
// every system (no line ends rewritten), and a console that shows them as UTF-8.
void UseUtf8StandardOutput();

// Lowers the calling thread's priority; raising one is never attempted (it needs
// privileges the program does not have). Best effort.
// Priorities are numbered as Windows numbers them: -15 idle, -2 lowest, -1 below normal.
void LowerThisThreadPriority(int priority);

} // namespace marlune::os
