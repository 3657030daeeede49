#!/usr/bin/env bash
# Placement and docking on two monitors, end to end: marlune under Xvfb + openbox on a
# 3840x1080 screen split by xrandr into two 1920x1080 monitors side by side.
#   two_monitors.sh MARLUNE MARLUNE_SIM OUTPUT_DIR
# Drags the ticker by its body: next to the boundary between the monitors it stays (no edge
# there); at the right edge of the right monitor it docks and slides out of sight; settings
# applied with 确定 leave it there; dragged to the left edge it stays there after 确定 too. The
# settings dialog opens on the monitor the ticker is on each time.
# Leaves screenshots in OUTPUT_DIR. Exit 77 = skipped.
set -uo pipefail

marlune=$1
sim=$2
out=$3

source "$(dirname "$0")/lib.sh"
e2e_require_tools Xvfb xdotool xwininfo xrandr openbox import curl

e2e_begin

fail() {
  echo "FAIL: $*"
  import -window root "$out/failure.png" 2>/dev/null
  echo "--- marlune log"; tail -40 "$work/marlune.log" 2>/dev/null
  echo "--- base.ini"; grep -a Last "$work/home/config/base.ini" 2>/dev/null
  exit 1
}

e2e_screen=3840x1080x24
e2e_start_display
xrandr --setmonitor left 1920/508x1080/286+0+0 screen >/dev/null || fail "xrandr --setmonitor failed"
xrandr --setmonitor right 1920/508x1080/286+1920+0 none >/dev/null || fail "xrandr --setmonitor failed"
[ "$(xrandr --listmonitors | head -1)" = "Monitors: 2" ] || fail "not two monitors: $(xrandr --listmonitors)"

export XDG_RUNTIME_DIR="$work/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"
export XDG_CONFIG_HOME="$work/config"

e2e_start_sim

home="$work/home"
mkdir -p "$home/config"
printf 'k1|600000|A|1|0|0|0|0|0\r\nk2|000001|B|2|0|0|0|0|0\r\nk3|000001|C|1|0|0|0|0|0\r\nk4|300750|D|2|0|0|0|0|0\r\n' \
  >"$home/config/list.ini"

"$marlune" --home "$home" --services "$url" >"$work/marlune.log" 2>&1 &
marlune_pid=$!
pids+=($marlune_pid)

geometry_of() { # id -> "x y width height"
  xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
                          /Width:/ {w=$2} /Height:/ {h=$2} END {print x, y, w, h}'
}
ticker_window() { xdotool search --onlyvisible --name '^Marlune$' 2>/dev/null | head -1; }
has_window() { [ -n "$(ticker_window)" ]; }
wait_for 15 has_window || fail "no ticker window appeared"
win=$(ticker_window)
geometry() { read -r x y w h <<<"$(geometry_of "$win")"; }
at() { geometry; [ "$x" = "$1" ] && [ "$y" = "$2" ]; } # x y

dialog() {
  local id
  for id in $(xdotool search --all --onlyvisible --pid "$marlune_pid" --name 'Sorell' 2>/dev/null); do
    echo "$(geometry_of "$id" | cut -d' ' -f3) $id"
  done | sort -n | tail -1 | cut -d' ' -f2
}
dialog_shown() { [ -n "$(dialog)" ]; }
dialog_gone() { [ -z "$(dialog)" ]; }

wait_for 10 at 100 400 || fail "ticker at $x,$y, expected the first run's 100,400"
[ "$w" = 851 ] && [ "$h" = 170 ] || fail "ticker size ${w}x$h, expected 851x170"

# Presses on the caption strip, between the SET and the data buttons, and drops the
# window with its top-left corner at (x, y).
drag_to() { # x y
  geometry
  xdotool mousemove $((x + 300)) $((y + 10))
  sleep 0.2
  xdotool mousedown 1
  sleep 0.2
  xdotool mousemove $(($1 + 150)) $(($2 + 10))
  sleep 0.1
  xdotool mousemove $(($1 + 300)) $(($2 + 10))
  sleep 0.2
  xdotool mouseup 1
  wait_for 5 e2e_settled "$win" || fail "the dropped ticker did not come to rest"
  xdotool mousemove 1000 900 # away from the window
}

# Presses 确定 on the settings dialog opened from the menu, after seeing that it opened on the
# ticker's monitor (left: x 0 to 1919, right: 1920 to 3839).
settings_ok() { # monitor
  local from=0
  [ "$1" = right ] && from=1920
  "$marlune" --send 100 || fail "--send 100 found no program"
  wait_for 10 e2e_menu_shown "$marlune_pid" || fail "--send 100 opened no popup menu"
  xdotool key Down Return
  wait_for 10 dialog_shown || fail "\"设置\" opened no settings dialog"
  wait_for 10 e2e_settled "$(dialog)" || fail "the settings dialog did not come to rest"
  local dx dy dw dh
  read -r dx dy dw dh <<<"$(geometry_of "$(dialog)")"
  [ "$dx" -ge "$from" ] && [ $((dx + dw)) -le $((from + 1920)) ] ||
    fail "the settings dialog opened at x $dx..$((dx + dw)), not on the ticker's $1 monitor"
  xdotool mousemove $((dx + dw - 10 - 75 - 6 - 75 - 6 - 37)) $((dy + dh - 10 - 11))
  sleep 0.3
  xdotool click 1
  wait_for 5 dialog_gone || fail "\"确定\" did not close the settings dialog"
  xdotool mousemove 1000 900
  sleep 1.5
}

# Next to the boundary on the left monitor: no edge there, it stays and is stored.
drag_to $((1920 - 851 - 4)) 300
sleep 2.5
at $((1920 - 851 - 4)) 300 || fail "dropped at the boundary the ticker moved to $x,$y"
grep -aq "^LastX=$((1920 - 851 - 4))" "$home/config/base.ini" || fail "the position at the boundary was not stored"
# Just over the boundary on the right monitor: no edge there either.
drag_to $((1920 + 3)) 300
sleep 2.5
at $((1920 + 3)) 300 || fail "dropped right of the boundary the ticker moved to $x,$y"

# The right edge of the right monitor: docked, then slid out of sight leaving 2 pixels.
drag_to $((3840 - 851 - 5)) 300
wait_for 3 at $((3840 - 851)) 300 || fail "not docked at the right monitor's right edge ($x,$y)"
wait_for 5 at $((3840 - 2)) 300 || fail "not slid out of sight at the right monitor's edge ($x,$y)"
import -window root "$out/docked_right.png" 2>/dev/null

# Settings applied: still there, and the mouse over the strip brings it back.
settings_ok right
at $((3840 - 2)) 300 || fail "确定 moved the docked ticker to $x,$y"
xdotool mousemove 3839 350
wait_for 5 at $((3840 - 851)) 300 || fail "the strip did not bring the ticker back ($x,$y)"
xdotool mousemove 1000 900
wait_for 5 at $((3840 - 2)) 300 || fail "not slid out of sight again ($x,$y)"

# Dragged back out and onto the left edge of the left monitor: 确定 leaves it there.
xdotool mousemove 3839 350
wait_for 5 at $((3840 - 851)) 300 || fail "the strip did not bring the ticker back ($x,$y)"
drag_to -40 500
wait_for 3 at 0 500 || fail "dropped over the left edge the ticker is at $x,$y, expected 0,500"
settings_ok left
at 0 500 || fail "确定 moved the ticker from the left edge to $x,$y"
import -window root "$out/left_edge.png" 2>/dev/null

kill -0 "$marlune_pid" || fail "marlune is gone"
echo "PASS"
