#include "platform/DisplayPlatform.h"

#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace marlune::platform {

const char kNativeWaylandNotice[] =
    "marlune: this Wayland desktop has no XWayland, so the ticker runs as a native Wayland window: "
    "it cannot place itself (it starts where the desktop puts it, and its stored position is kept "
    "for the next start on X11), dock at the screen's edge, stay on top or take the show/hide hot "
    "key; bind \"marlune --send 100\" to a key in the desktop's shortcut settings to open its menu\n";

DisplayPlatformChoice ChooseDisplayPlatform(const std::function<std::string(const char*)>& environment,
                                            bool platformArgument) {
    DisplayPlatformChoice choice;
    if (platformArgument || !environment("QT_QPA_PLATFORM").empty())
        return choice; // the user's choice stands
    const bool wayland =
        !environment("WAYLAND_DISPLAY").empty() || environment("XDG_SESSION_TYPE") == "wayland";
    if (!wayland)
        return choice;
    if (!environment("DISPLAY").empty())
        choice.useXWayland = true;
    else
        choice.nativeWaylandOnly = true;
    return choice;
}

bool HasPlatformArgument(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            return true;
    }
    return false;
}

DisplayPlatformChoice ApplyDisplayPlatformChoice(int argc, char** argv) {
    const DisplayPlatformChoice choice = ChooseDisplayPlatform(
        [](const char* name) {
            const char* value = std::getenv(name);
            return value != nullptr ? std::string(value) : std::string();
        },
        HasPlatformArgument(argc, argv));
#if !defined(_WIN32)
    if (choice.useXWayland)
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);
#endif
    return choice;
}

bool WindowsPlaceThemselves() {
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

} // namespace marlune::platform
