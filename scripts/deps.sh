#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the desktop run need.
# Run as root it installs what is missing (apt, no recommends); otherwise it only
# says which packages are missing.
set -euo pipefail

packages=(
  # build
  cmake ninja-build g++ pkg-config
  qt6-base-dev libcurl4-openssl-dev libpugixml-dev libpng-dev libssl-dev
  libxcb1-dev libxcb-keysyms1-dev libcpp-httplib-dev nlohmann-json3-dev
  # web panes
  qt6-webengine-dev qt6-webchannel-dev
  # Qt's own dialogs and buttons in Chinese
  qt6-translations-l10n
  # the format check (scripts/check-format)
  clang-format-14
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev
  # looking at the program and end-to-end tests (xcompmgr: the transparent window with a
  # compositor; weston and xwayland: the ticker on a Wayland desktop; x11-xserver-utils:
  # xrandr, two monitors on one Xvfb screen)
  xvfb xauth xdotool x11-utils x11-xserver-utils imagemagick openbox trayer xcompmgr fonts-wqy-microhei jq curl
  weston xwayland qt6-wayland
  # the Debian package (scripts/package) and its checks
  dpkg-dev fakeroot file lintian
  # alerts as desktop notifications: a notification service on a session bus of its own
  dunst dbus-bin dbus-daemon
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "Missing Debian packages (run this as root to install them): ${missing[*]}" >&2
  exit 1
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
