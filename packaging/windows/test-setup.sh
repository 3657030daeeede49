#!/usr/bin/env bash
# The Windows setup under Wine, as scripts/test-windows runs it (Wine prefix and X display
# set up by it): a silent install (/S), the installed marlune.exe to its first quotes from
# the market at URL, a silent uninstall that keeps the user's files, and one with
# /REMOVEUSERFILES that leaves nothing.
#   packaging/windows/test-setup.sh SETUP.EXE URL
set -uo pipefail
setup=$1
url=$2
# The installed folder must run as it is: no Qt from the build cache.
unset WINEPATH QT_PLUGIN_PATH

fail() { echo "setup: FAIL: $*" >&2; [ -f "${log:-}" ] && tail -20 "$log" >&2; exit 1; }
wait_for() { # seconds command...
  local end=$((SECONDS + $1)); shift
  until "$@"; do
    [ $SECONDS -ge $end ] && return 1
    sleep 0.2
  done
}
unix_path() { winepath -u "$(wine cmd /c echo "$1" 2>/dev/null | tr -d '\r')" 2>/dev/null; }
reg_has() { wine reg query "$1" /v "$2" >/dev/null 2>&1; }

uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Marlune'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
instdir="$(unix_path '%LOCALAPPDATA%')/Programs/Marlune"
shortcut="$(unix_path '%APPDATA%')/Microsoft/Windows/Start Menu/Programs/Marlune.lnk"
[ -n "$instdir" ] || fail "Wine names no LOCALAPPDATA"
rm -rf "$instdir"
log=$(mktemp)
trap 'rm -f "$log"' EXIT

install_silently() {
  wine "$setup" /S >/dev/null 2>&1 || fail "the setup ended with an error"
  for f in marlune.exe marlune-cli.exe Qt6Core.dll platforms/qwindows.dll uninstall.exe; do
    [ -f "$instdir/$f" ] || fail "the setup did not install $f"
  done
  [ -f "$shortcut" ] || fail "no Start-menu entry"
  reg_has "$uninstall_key" UninstallString || fail "not listed in Apps"
  reg_has "$run_key" Marlune && fail "a silent install switched autostart on"
  return 0
}
uninstall_silently() { # extra arguments
  wine "$instdir/uninstall.exe" /S "$@" >/dev/null 2>&1
  # The uninstaller runs on from a copy of itself in the temporary folder.
  wait_for 60 test ! -e "$instdir/uninstall.exe" || fail "the uninstaller did not finish"
  wait_for 30 test ! -e "$instdir/marlune.exe" || fail "the uninstaller left marlune.exe"
  [ -e "$shortcut" ] && fail "the Start-menu entry is left"
  reg_has "$uninstall_key" UninstallString && fail "still listed in Apps"
  return 0
}

start=$SECONDS
install_silently
echo "setup: installed silently in $((SECONDS - start)) s into $(winepath -w "$instdir" 2>/dev/null)"

# The installed program keeps the user's files beside itself, in its own folder.
MARLUNE_TRACE_FIRST_PAINT=1 wine "$instdir/marlune.exe" --services "$url" >/dev/null 2>"$log" &
pid=$!
painted_or_ended() { grep -aqs "first quotes painted" "$log" || ! kill -0 "$pid" 2>/dev/null; }
wait_for 60 painted_or_ended
grep -aqs "first quotes painted" "$log" || { kill "$pid" 2>/dev/null; fail "the installed marlune.exe painted no quotes"; }
kill "$pid" 2>/dev/null
wait "$pid" 2>/dev/null
[ -f "$instdir/config/list.ini" ] || fail "the installed program kept no config/list.ini"
echo "setup: the installed marlune.exe painted its first quotes"
sum_before=$(cd "$instdir" && find config scnf data -type f -print0 | sort -z | xargs -0 sha256sum)

uninstall_silently
left=$(cd "$instdir" && ls -A | sort | tr '\n' ' ')
[ "$left" = "config data scnf " ] || fail "after the uninstall the folder holds: $left"
sum_after=$(cd "$instdir" && find config scnf data -type f -print0 | sort -z | xargs -0 sha256sum)
[ "$sum_before" = "$sum_after" ] || fail "the uninstall changed the user's files"
echo "setup: uninstalled silently; config, scnf and data kept"

# Asked to, the uninstaller removes the user's files too, and so the folder.
install_silently
uninstall_silently /REMOVEUSERFILES
# The folder goes last, once it is empty.
wait_for 30 test ! -e "$instdir" || fail "with /REMOVEUSERFILES the folder is left: $(ls -A "$instdir" | tr '\n' ' ')"
echo "setup: with /REMOVEUSERFILES nothing is left"
