#pragma once
// Whether the desktop program can open a window at all, checked before the GUI starts so
// that a start without one ends with a short message instead of the GUI library's abort.

namespace marlune::platform {

// False when this session has no display to draw on: on X11 and Wayland systems neither
// DISPLAY nor WAYLAND_DISPLAY is set and no other Qt platform was chosen (QT_QPA_PLATFORM).
// Always true on Windows, whose desktop is always there.
bool DisplayAvailable();

} // namespace marlune::platform
