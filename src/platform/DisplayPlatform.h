#pragma once
// Which window system the desktop program runs on, chosen before the GUI starts.
//
// A window on a Wayland desktop cannot choose its own position, stay on top of others or
// take a global hot key, and the ticker depends on all three. Where the session is Wayland
// and XWayland is there (DISPLAY is set beside WAYLAND_DISPLAY), the program runs on
// XWayland (Qt's xcb platform) unless the user chose a platform (QT_QPA_PLATFORM, or
// -platform on the command line). Where only native Wayland is possible it runs there,
// says once what does not work, and leaves docking and the stored position alone.

#include <functional>
#include <string>

namespace marlune::platform {

struct DisplayPlatformChoice {
    bool useXWayland = false;       // QT_QPA_PLATFORM=xcb before Qt starts
    bool nativeWaylandOnly = false; // a Wayland session without XWayland
};

// Reads the environment through `environment` (empty text for an unset variable);
// platformArgument is true when the command line names a platform.
DisplayPlatformChoice ChooseDisplayPlatform(const std::function<std::string(const char*)>& environment,
                                            bool platformArgument);

// True when the arguments hold Qt's -platform (or --platform) option.
bool HasPlatformArgument(int argc, char** argv);

// Chooses from the process's environment and arguments and applies the choice. Call
// before the GUI library starts.
DisplayPlatformChoice ApplyDisplayPlatformChoice(int argc, char** argv);

// What a native Wayland window cannot do: said once at start on standard error.
extern const char kNativeWaylandNotice[];

// False where windows cannot place themselves (Qt's native Wayland platform): the ticker
// then neither docks at the edges nor stores its position. Needs the GUI started.
bool WindowsPlaceThemselves();

} // namespace marlune::platform
