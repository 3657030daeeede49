#!/usr/bin/env bash
# The application shell end to end: marlune under Xvfb + openbox with trayer as the
# notification area, against marlune-sim. Checks the tray icon, that the hot key
# (Alt+1, the first run's) hides and shows the ticker window, that `marlune --send 100`
# opens the popup menu of the first running program, that a second program runs on
# independently (its hot key quietly taken), and that the menu's "退出" ends the
# program cleanly.
#   shell_hotkey.sh MARLUNE MARLUNE_SIM OUTPUT_DIR
# Leaves screenshots in OUTPUT_DIR. Exit 77 = skipped.
set -uo pipefail

marlune=$1
sim=$2
out=$3

source "$(dirname "$0")/lib.sh"
e2e_require_tools Xvfb xdotool xwininfo openbox trayer import

e2e_begin

fail() {
  echo "FAIL: $*"
  import -window root "$out/failure.png" 2>/dev/null
  echo "--- marlune log"; cat "$work/marlune.log" 2>/dev/null
  echo "--- second marlune log"; cat "$work/second.log" 2>/dev/null
  exit 1
}

# A display of our own, a window manager and a notification area.
e2e_start_display tray

# The command channels of this test only, whatever else runs on the machine.
export XDG_RUNTIME_DIR="$work/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"

e2e_start_sim

"$marlune" --home "$work/home" --services "$url" >"$work/marlune.log" 2>&1 &
marlune_pid=$!
pids+=($marlune_pid)

# Visible windows of a process, one "id width" per line.
windows_of() {
  local pid=$1 id
  for id in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
    echo "$id $(xwininfo -id "$id" | awk '/Width:/ {print $2}')"
  done
}
ticker_of() { windows_of "$1" | awk '$2 == 851 {print $1}' | head -1; }
ticker_shown() { [ -n "$(ticker_of "$marlune_pid")" ]; }
ticker_hidden() { [ -z "$(ticker_of "$marlune_pid")" ]; }
# The popup menu: 130 pixels of items and its frame.
menu_of() { windows_of "$1" | awk '$2 >= 128 && $2 <= 140 {print $1}' | head -1; }
menu_shown() { [ -n "$(menu_of "$marlune_pid")" ]; }
menu_gone() { [ -z "$(menu_of "$marlune_pid")" ]; }

wait_for 15 ticker_shown || fail "no ticker window appeared"
echo "ticker window $(ticker_of "$marlune_pid")"

# The icon sits in the notification area: a small window of the program, and no word
# about a missing notification area.
icon_docked() { windows_of "$marlune_pid" | awk '$2 < 64 {found=1} END {exit !found}'; }
wait_for 10 icon_docked || fail "no tray icon in the notification area"
grep -q "no notification area" "$work/marlune.log" && fail "the program found no notification area"

# Presses the keys until the condition holds: the program takes its hot key while it starts,
# at no moment one can see; a press before that does nothing, and the next one counts.
press_until() { # seconds condition keys
  local end=$((SECONDS + $1)) condition=$2 keys=$3
  while :; do
    xdotool key "$keys"
    wait_for 2 "$condition" && return 0
    [ $SECONDS -ge $end ] && return 1
  done
}

# The hot key hides the window and shows it again.
press_until 10 ticker_hidden alt+1 || fail "Alt+1 did not hide the ticker window"
echo "hidden by the hot key"
xdotool key alt+1
wait_for 5 ticker_shown || fail "Alt+1 did not show the ticker window again"
echo "shown by the hot key"

# A second program runs independently: its own window, its hot key quietly taken.
"$marlune" --home "$work/home2" --services "$url" >"$work/second.log" 2>&1 &
second_pid=$!
pids+=($second_pid)
wait_for 15 bash -c "xdotool search --onlyvisible --pid $second_pid >/dev/null 2>&1" ||
  fail "the second program showed no window"
# The second program tries the hot key at its start and finds it taken; it tells nothing, so
# the first program's window is watched: Alt+1 still hides it.
xdotool key alt+1
wait_for 5 ticker_hidden || fail "with a second program running, Alt+1 no longer hides the first one's window"
[ -n "$(ticker_of "$second_pid")" ] || fail "the second program's window went too"
xdotool key alt+1
wait_for 5 ticker_shown || fail "Alt+1 did not show the first window again"

# --send 100 opens the popup menu of the first program.
"$marlune" --send 100 || fail "--send 100 found no program"
wait_for 5 menu_shown || fail "--send 100 opened no popup menu"
menu_gone_second() { [ -z "$(menu_of "$second_pid")" ]; }
menu_gone_second || fail "the menu opened in the second program"
import -window root "$out/menu.png" 2>/dev/null
xdotool key Escape
wait_for 5 menu_gone || fail "Esc did not close the menu"

# The second program is stopped; the first goes on.
kill "$second_pid"
wait "$second_pid" 2>/dev/null

# "退出", the menu's last entry, ends the program cleanly.
"$marlune" --send 100 || fail "--send 100 found no program the second time"
wait_for 5 menu_shown || fail "the second --send 100 opened no popup menu"
menu=$(menu_of "$marlune_pid")
info=$(xwininfo -id "$menu")
mx=$(awk '/Absolute upper-left X/ {print $4}' <<<"$info")
my=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$info")
mh=$(awk '/Height:/ {print $2}' <<<"$info")
xdotool mousemove --sync $((mx + 40)) $((my + mh - 10))
xdotool click 1
wait_for 10 bash -c "! kill -0 $marlune_pid 2>/dev/null" || fail "\"退出\" did not end the program"
wait "$marlune_pid"
status=$?
[ "$status" = 0 ] || fail "marlune exited with $status"
# Nothing listens any more.
"$marlune" --send 100 2>/dev/null && fail "--send still reached a program after the exit"
echo "PASS"
