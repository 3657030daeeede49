#!/usr/bin/env bash
# One sitting of a new user, end to end: marlune under Xvfb + openbox against marlune-sim.
# Adds two stocks by typing into the suggestion box (Enter takes the first suggestion),
# gives the second one a holding and an alert, presses "应用" (the settings dialog stays
# above the top-most ticker) and "确定", checks list.ini and that the ticker asks for the
# new stocks' quotes at once, drags the window along the top edge and off the bottom,
# restarts, and finds it whole on the screen where it was left. Then starts it with 20
# stocks and a stored position that would put its bottom below the screen.
#   daily_sitting.sh MARLUNE MARLUNE_SIM OUTPUT_DIR
# Leaves screenshots in OUTPUT_DIR. Exit 77 = skipped.
set -uo pipefail

marlune=$1
sim=$2
out=$3

source "$(dirname "$0")/lib.sh"
e2e_require_tools Xvfb xdotool xwininfo xprop openbox import curl

e2e_begin

fail() {
  echo "FAIL: $*"
  import -window root "$out/failure.png" 2>/dev/null
  echo "--- marlune log"; tail -40 "$work/marlune.log" 2>/dev/null
  echo "--- list.ini"; cat "$work/home/config/list.ini" 2>/dev/null
  echo "--- base.ini"; cat "$work/home/config/base.ini" 2>/dev/null
  exit 1
}

e2e_start_display
screen_w=$(xwininfo -root | awk '/Width:/ {print $2}')
screen_h=$(xwininfo -root | awk '/Height:/ {print $2}')

export XDG_RUNTIME_DIR="$work/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"
export XDG_CONFIG_HOME="$work/config"

e2e_start_sim

start_marlune() {
  "$marlune" --home "$work/home" --services "$url" >>"$work/marlune.log" 2>&1 &
  marlune_pid=$!
  pids+=($marlune_pid)
}

geometry_of() { # id -> "x y width height"
  xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
                          /Width:/ {w=$2} /Height:/ {h=$2} END {print x, y, w, h}'
}
# The ticker window: 851 pixels wide while all of it is on the screen.
ticker() {
  local id
  for id in $(xdotool search --onlyvisible --pid "$marlune_pid" --name '^Marlune$' 2>/dev/null); do
    echo "$id"; return 0
  done
  return 1
}
dialog() {
  local id
  for id in $(xdotool search --all --onlyvisible --pid "$marlune_pid" --name 'Sorell' 2>/dev/null); do
    echo "$(geometry_of "$id" | cut -d' ' -f3) $id"
  done | sort -n | tail -1 | cut -d' ' -f2
}
dialog_shown() { [ -n "$(dialog)" ]; }
dialog_gone() { [ -z "$(dialog)" ]; }
# Fails unless the whole ticker window is on the screen; its place in $x $y.
whole_on_screen() {
  local w h
  read -r x y w h <<<"$(geometry_of "$(ticker)")"
  [ "$w" = 851 ] || fail "the ticker is cut to $w pixels: part of it is off the screen ($x,$y)"
  [ "$x" -ge 0 ] && [ "$y" -ge 0 ] && [ $((x + w)) -le "$screen_w" ] && [ $((y + h)) -le "$screen_h" ] ||
    fail "the ticker at ($x,$y) ${w}x$h is not whole on the ${screen_w}x$screen_h screen"
}
ini() { grep -a "^$1=" "$work/home/config/base.ini" | tr -d '\r' | cut -d= -f2; }
# Drags the window by its caption strip from its current place by (dx, dy), in steps.
drag_by() { # dx dy
  local x y w h i
  read -r x y w h <<<"$(geometry_of "$(ticker)")"
  local px=$((x + 300)) py=$((y + 8))
  # X delivers the pointer's events in order: the press, the moves, the release.
  xdotool mousemove "$px" "$py" mousedown 1
  for i in 1 2 3 4 5 6 7 8 9 10; do
    xdotool mousemove $((px + $1 * i / 10)) $((py + $2 * i / 10))
  done
  xdotool mouseup 1
  # The drop: the window lands on the screen (and may dock) and then stays put.
  wait_for 10 e2e_settled "$(ticker)" || fail "the window did not come to rest after the drop"
}

start_marlune
wait_for 15 ticker >/dev/null || fail "no ticker window appeared"

# "设置" from the popup menu opens the settings on the my-stocks page, ready for typing.
"$marlune" --send 100 || fail "--send 100 found no program"
wait_for 10 e2e_menu_shown "$marlune_pid" || fail "--send 100 opened no popup menu"
xdotool key Down Return
wait_for 10 dialog_shown || fail "\"设置\" opened no settings dialog"
xdotool windowactivate --sync "$(dialog)" 2>/dev/null
wait_for 10 e2e_is_active "$(dialog)" || fail "the settings dialog did not take the keyboard"
read -r dx dy dw dh <<<"$(geometry_of "$(dialog)")"
at() { xdotool mousemove --sync $((dx + $1)) $((dy + $2)) click 1; }
# The suggestion list for what was just typed has opened (one more window of the program).
suggestions_open() { [ "$(e2e_window_count "$marlune_pid")" -gt "$before" ]; }

# Two stocks typed into the box; Enter takes the first suggestion. The second is typed over
# the first one's text, as a user does.
before=$(e2e_window_count "$marlune_pid")
xdotool type --delay 150 zsyh
wait_for 10 suggestions_open || fail "no suggestions appeared for zsyh"
xdotool key Return
listed() { grep -aq "|$1|" "$work/home/config/list.ini"; }
wait_for 5 listed 600036 || fail "zsyh + Enter did not add 招商银行 (600036)"
xdotool key ctrl+a BackSpace
wait_for 10 bash -c "[ \$(xdotool search --onlyvisible --pid $marlune_pid 2>/dev/null | wc -l) -le $before ]" ||
  fail "the suggestion list did not close"
xdotool type --delay 150 600519
wait_for 10 suggestions_open || fail "no suggestions appeared for 600519"
import -window root "$out/typed-over.png" 2>/dev/null
xdotool key Return
wait_for 5 listed 600519 || fail "600519 + Enter did not add 贵州茅台"
[ "$(grep -ac '|' "$work/home/config/list.ini")" = 4 ] || fail "list.ini should hold four stocks"
echo "added 600036 and 600519 by typing"

# The new stock's details are on the right: a holding of 100 at 1500.00 and an alert.
# (Rows 28 pixels apart: 别名 below 名称, 涨幅达 and 跌幅达 below 上限.)
at 512 160                        # "预警"
at 618 187; xdotool type 1400     # 下限
at 618 215; xdotool type 1800     # 上限
at 512 299                        # "买入量"
at 591 326; xdotool type 100      # 数量
at 618 354; xdotool type 1500     # 价格
import -window root "$out/details.png" 2>/dev/null
at 618 383                        # "保存修改"
grep -aq '|600519|贵州茅台|1|1|1800.00|1400.00|100|1500.00' <(iconv -f GBK -t UTF-8 "$work/home/config/list.ini") ||
  fail "the holding and the alert are not in list.ini"
echo "holding and alert stored"

# "应用": the ticker re-places itself on top, the dialog stays above it.
curl -s "$url/__sim/requests?clear=1" >/dev/null
at 595 424                        # "应用" (the buttons below the taller details)
asked() { curl -s "$url/__sim/requests" | grep -q 'sh600519'; }
wait_for 3 asked || fail "after \"应用\" the ticker did not ask for the new quotes at once"
wait_for 10 e2e_settled "$(ticker)" || fail "the ticker did not come to rest after \"应用\""
stacking=$(xprop -root _NET_CLIENT_LIST_STACKING | tr -d ',' | cut -d'#' -f2)
t=$(printf '0x%x' "$(ticker)"); d=$(printf '0x%x' "$(dialog)")
pos() { local i=0 w; for w in $stacking; do i=$((i + 1)); [ "$((w))" = "$(($1))" ] && echo $i; done; }
[ -n "$(pos "$t")" ] && [ -n "$(pos "$d")" ] || fail "ticker or dialog missing from the stacking list"
[ "$(pos "$d")" -gt "$(pos "$t")" ] || fail "after \"应用\" the ticker covers the settings dialog"
import -window root "$out/applied.png" 2>/dev/null
echo "the dialog stays above the ticker; the quotes were asked for at once"

at 514 424                        # "确定"
wait_for 5 dialog_gone || fail "\"确定\" did not close the settings dialog"
wait_for 10 bash -c "[ \"\$(xwininfo -id $(ticker) | awk '/Height:/ {print \$2}')\" = 170 ]" ||
  fail "the ticker does not show four rows"
import -window root "$out/ticker-with-holding.png" 2>/dev/null

# Up against the top edge: it docks there, whole.
read -r x y w h <<<"$(geometry_of "$(ticker)")"
drag_by 0 $((2 - y))
whole_on_screen
[ "$y" = 0 ] || fail "dragged to the top, the window is at y=$y instead of docked at 0"
# Along the top edge: docked there at its new place, whole.
drag_by 200 0
old_x=$x
whole_on_screen
[ "$y" = 0 ] && [ "$x" = $((old_x + 200)) ] || fail "dragged along the top edge, the window is at ($x,$y)"
# On past the right side of the screen: it docks at the right edge, whole on the screen
# (once the mouse is over it, should it have slid out of sight already).
drag_by $((screen_w - x - 100)) 0
xdotool mousemove --sync $((screen_w - 1)) 60
wait_for 10 e2e_settled "$(ticker)" || fail "the window did not come to rest at the right edge"
whole_on_screen
[ $((x + 851)) = "$screen_w" ] || fail "dragged past the right side, the window is at ($x,$y), not at the edge"
echo "dragged along the top edge and past it: whole at ($x,$y)"
# Off the bottom: back on the screen, and stored where it is shown.
drag_by -300 $((screen_h - y - 60))
whole_on_screen
stored_here() { [ "$(ini LastX)" = "$x" ] && [ "$(ini LastY)" = "$y" ]; }
wait_for 5 stored_here ||
  fail "shown at ($x,$y) but stored as ($(ini LastX),$(ini LastY))"
echo "dragged off the bottom: whole at ($x,$y), stored"
import -window root "$out/dropped.png" 2>/dev/null

# Restart: the window comes back where it was left.
kill "$marlune_pid"; wait "$marlune_pid" 2>/dev/null
start_marlune
wait_for 15 ticker >/dev/null || fail "no ticker window after the restart"
wait_for 10 e2e_settled "$(ticker)" || fail "the window did not come to rest after the restart"
left_at="$x $y"
whole_on_screen
[ "$x $y" = "$left_at" ] || fail "after the restart the window is at ($x,$y), not at ($left_at)"
echo "restarted where it was left"

# Twenty stocks and a stored place whose bottom would be below the screen.
kill "$marlune_pid"; wait "$marlune_pid" 2>/dev/null
for i in $(seq 0 19); do printf 'k%d|%06d|S%d|1|0|0|0|0|0\r\n' "$i" $((600000 + i)) "$i"; done >"$work/home/config/list.ini"
sed -i "s/^LastY=.*/LastY=$((screen_h - 200))\r/" "$work/home/config/base.ini"
start_marlune
wait_for 15 ticker >/dev/null || fail "no ticker window with twenty stocks"
wait_for 10 e2e_settled "$(ticker)" || fail "the window with twenty stocks did not come to rest"
whole_on_screen
echo "twenty stocks start whole on the screen at ($x,$y)"
import -window root "$out/twenty.png" 2>/dev/null
kill -0 "$marlune_pid" || fail "marlune is gone"
echo "PASS"
