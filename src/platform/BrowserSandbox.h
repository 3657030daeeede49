#pragma once
// The browser engine's process sandbox and the rights the program runs with.

namespace marlune::platform {

// Chromium's sandbox cannot work in a process running as the Unix superuser, and the engine
// then ends the whole program when it starts. Called before the engine starts, this switches
// the sandbox off in that one case (unless the environment already decides); elsewhere it does
// nothing.
void AllowBrowserEngineWithoutSandboxWhenSuperuser();

} // namespace marlune::platform
