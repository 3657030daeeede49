// The window system the desktop program asks Qt for, from the session's environment.
#include "platform/DisplayPlatform.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace marlune::platform {
namespace {

DisplayPlatformChoice Choose(std::map<std::string, std::string> environment, bool platformArgument = false) {
    return ChooseDisplayPlatform(
        [&environment](const char* name) {
            auto found = environment.find(name);
            return found == environment.end() ? std::string() : found->second;
        },
        platformArgument);
}

TEST(DisplayPlatform, WaylandSessionsUseXWaylandUnlessTheUserChose) {
    // X11: Qt's own default.
    DisplayPlatformChoice x11 = Choose({{"DISPLAY", ":0"}, {"XDG_SESSION_TYPE", "x11"}});
    EXPECT_FALSE(x11.useXWayland);
    EXPECT_FALSE(x11.nativeWaylandOnly);

    // Wayland with XWayland, found by the socket or by the session type.
    EXPECT_TRUE(Choose({{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":1"}}).useXWayland);
    EXPECT_TRUE(Choose({{"XDG_SESSION_TYPE", "wayland"}, {"DISPLAY", ":1"}}).useXWayland);

    // Only native Wayland.
    DisplayPlatformChoice native = Choose({{"WAYLAND_DISPLAY", "wayland-0"}});
    EXPECT_FALSE(native.useXWayland);
    EXPECT_TRUE(native.nativeWaylandOnly);

    // The user's choice stands, in the environment or on the command line.
    DisplayPlatformChoice chosen =
        Choose({{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":1"}, {"QT_QPA_PLATFORM", "wayland"}});
    EXPECT_FALSE(chosen.useXWayland);
    EXPECT_FALSE(chosen.nativeWaylandOnly);
    EXPECT_FALSE(Choose({{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":1"}}, true).useXWayland);
    // An empty QT_QPA_PLATFORM chooses nothing.
    EXPECT_TRUE(
        Choose({{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":1"}, {"QT_QPA_PLATFORM", ""}}).useXWayland);
}

TEST(DisplayPlatform, PlatformArgumentIsQtsOption) {
    char program[] = "marlune", platform[] = "-platform", doubleDash[] = "--platform", name[] = "wayland",
         home[] = "--home", folder[] = "-platform-folder";
    char* withPlatform[] = {program, platform, name};
    char* withDoubleDash[] = {program, doubleDash, name};
    char* without[] = {program, home, folder};
    EXPECT_TRUE(HasPlatformArgument(3, withPlatform));
    EXPECT_TRUE(HasPlatformArgument(3, withDoubleDash));
    EXPECT_FALSE(HasPlatformArgument(3, without));
}

} // namespace
} // namespace marlune::platform
