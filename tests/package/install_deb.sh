#!/usr/bin/env bash
# The Debian package as a user gets it, on this machine (as root; CI runs it):
#   install with apt, run the installed marlune-cli and marlune, see the window's first
#   quotes painted under Xvfb, the user's files in ~/.local/share/marlune; then
#   apt-get remove leaves no file of the package and the user's files untouched.
#   tests/package/install_deb.sh dist/marlune_<version>_amd64.deb
set -uo pipefail

deb=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
version=$(sed -n 's/^project(Marlune VERSION \([0-9.]*\).*/\1/p' "$here/../../CMakeLists.txt")
out=$(dirname "$deb")
marlune=/usr/bin/marlune
sim=""
source "$here/../e2e/lib.sh"

[ "$(id -u)" = 0 ] || { echo "install_deb: needs root (apt-get install)"; exit 2; }
e2e_require_tools Xvfb xwininfo xdotool jq apt-get dpkg
e2e_begin
installed=0
cleanup_package() {
  [ "$installed" = 1 ] && DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq marlune >/dev/null 2>&1
  e2e_cleanup
}
trap cleanup_package EXIT

fail() {
  echo "FAIL: $*"
  echo "--- marlune log"; cat "$work/marlune.log" 2>/dev/null
  exit 1
}

# A user of our own: a fresh home, no display yet.
export HOME="$work/user"
mkdir -p "$HOME"
unset XDG_DATA_HOME XDG_CONFIG_HOME DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
export XDG_RUNTIME_DIR="$work/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"

dpkg-query -W -f='${Status}' marlune 2>/dev/null | grep -q "install ok installed" &&
  fail "marlune is installed already; remove it first"
start=$SECONDS
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >"$work/apt.log" 2>&1 ||
  { cat "$work/apt.log"; fail "apt-get install failed"; }
installed=1
echo "installed in $((SECONDS - start)) s: $(dpkg-query -W -f='${Package} ${Version}, ${Installed-Size} KiB' marlune)"
dpkg-query -L marlune >"$work/files.txt"
for f in /usr/bin/marlune /usr/bin/marlune-cli /usr/share/applications/marlune.desktop \
         /usr/share/icons/hicolor/64x64/apps/marlune.png /usr/share/man/man1/marlune.1.gz \
         /usr/share/man/man1/marlune-cli.1.gz; do
  [ -f "$f" ] || fail "the package did not install $f"
done
command -v marlune >/dev/null || fail "marlune is not on the PATH"
# Qt WebEngine is recommended, not required: the program does not link it (the web pane
# module does, loaded when a page is shown; without it pages open in the default browser).
dpkg-query -W -f='${Depends}' marlune | grep -qi webengine && fail "Qt WebEngine is a hard dependency"
dpkg-query -W -f='${Recommends}' marlune | grep -qi webenginewidgets || fail "Qt WebEngine is not recommended"
readelf -d /usr/bin/marlune | grep -i 'NEEDED.*webengine' && fail "marlune links Qt WebEngine itself"
[ -f /usr/lib/marlune/libmarlune_webengine.so ] || fail "the web pane module is not installed"

# The versions are the one of CMakeLists.txt.
[ "$(marlune --version)" = "marlune $version" ] || fail "marlune --version: $(marlune --version)"
[ "$(marlune-cli --version)" = "marlune-cli $version" ] || fail "marlune-cli --version: $(marlune-cli --version)"
# Without a display: --help, and a clear word instead of a start.
marlune --help >"$work/help.txt" || fail "marlune --help failed"
grep -q "^usage: marlune" "$work/help.txt" || fail "marlune --help printed no usage"

# The terminal ticker on the simulated market, keeping its files in the user's data folder.
(cd "$work" && marlune-cli --demo --json) >"$work/cli.json" 2>"$work/cli.err" || {
  cat "$work/cli.err"; fail "marlune-cli --demo --json failed"; }
jq -e '[.rows[] | select(.price != "")] | length > 0' "$work/cli.json" >/dev/null ||
  fail "marlune-cli --demo --json printed no quotes: $(head -c 300 "$work/cli.json")"
data="$HOME/.local/share/marlune"
[ -f "$data/config/list.ini" ] && [ -f "$data/config/base.ini" ] || fail "no files in $data"
[ -e /usr/bin/config ] && fail "marlune-cli wrote beside the installed program"
echo "marlune-cli --demo --json: quotes; files in ~/.local/share/marlune"

# The desktop program from the menu entry's command, under Xvfb.
e2e_start_display
MARLUNE_TRACE_FIRST_PAINT=1 marlune --demo >"$work/marlune.log" 2>&1 &
marlune_pid=$!
pids+=($marlune_pid)
wait_for 30 grep -q "first quotes painted" "$work/marlune.log" || fail "the installed marlune painted no quotes"
wait_for 10 bash -c "xdotool search --onlyvisible --pid $marlune_pid >/dev/null 2>&1" || fail "no window"
import -window root "$out/installed-marlune.png" 2>/dev/null
kill "$marlune_pid"
wait "$marlune_pid" 2>/dev/null
[ -f "$data/scnf/SSTConf.xml" ] || fail "the desktop program kept no files in $data"
[ -e /usr/bin/scnf ] && fail "marlune wrote beside the installed program"
echo "installed marlune --demo: first quotes painted"

# Remove: nothing of the package stays, the user's files do.
(cd "$data" && find . -type f -print0 | sort -z | xargs -0 sha256sum) >"$work/user-before.txt"
DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq marlune >"$work/apt.log" 2>&1 ||
  { cat "$work/apt.log"; fail "apt-get remove failed"; }
installed=0
dpkg-query -W -f='${Status}' marlune 2>/dev/null | grep -q "ok installed" && fail "marlune is still installed"
left=0
while IFS= read -r path; do
  # Folders such as /usr/bin belong to others; only the package's own files count.
  if [ -e "$path" ] && [ ! -d "$path" ]; then echo "left behind: $path"; left=1; fi
  case $path in /usr/lib/marlune | /usr/share/doc/marlune) [ -d "$path" ] && { echo "left behind: $path/"; left=1; } ;; esac
done <"$work/files.txt"
[ "$left" = 0 ] || fail "apt-get remove left files of the package"
(cd "$data" && find . -type f -print0 | sort -z | xargs -0 sha256sum) >"$work/user-after.txt"
cmp -s "$work/user-before.txt" "$work/user-after.txt" || fail "removing the package changed the user's files"
echo "removed: no file of the package left, $(wc -l <"$work/user-after.txt") user files untouched"
echo "PASS"
