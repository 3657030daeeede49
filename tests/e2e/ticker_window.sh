#!/usr/bin/env bash
# The ticker window end to end: marlune under Xvfb + openbox against marlune-sim.
# Checks the window's size and position, the requests it made, that quotes appear on
# screen, edge docking, and that the close button ends the program.
#   ticker_window.sh MARLUNE MARLUNE_SIM OUTPUT_DIR
# Leaves the screenshot in OUTPUT_DIR/ticker.png. Exit 77 = skipped.
set -uo pipefail

marlune=$1
sim=$2
out=$3

source "$(dirname "$0")/lib.sh"
e2e_require_tools Xvfb xdotool xwininfo import convert curl

e2e_begin

fail() {
  echo "FAIL: $*"
  echo "--- marlune log"; cat "$work/marlune.log" 2>/dev/null | tail -40
  exit 1
}

# A display of our own.
e2e_start_display

# The simulated market on a free port.
e2e_start_sim
echo "simulated market at $url"

# A program folder with four stocks; the first run adds the rest of the files.
home="$work/home"
mkdir -p "$home/config"
printf 'k1|600000|A|1|0|0|0|0|0\r\nk2|000001|B|2|0|0|0|0|0\r\nk3|000001|C|1|0|0|0|0|0\r\nk4|300750|D|2|0|0|0|0|0\r\n' \
  >"$home/config/list.ini"

MARLUNE_TRACE_FIRST_PAINT=1 "$marlune" --home "$home" --services "$url" >"$work/marlune.log" 2>&1 &
marlune_pid=$!
pids+=($marlune_pid)

ticker_window() { xdotool search --onlyvisible --name '^Marlune$' 2>/dev/null | head -1; }
has_window() { [ -n "$(ticker_window)" ]; }
wait_for 15 has_window || fail "no ticker window appeared"
win=$(ticker_window)

geometry() {
  local info
  info=$(xwininfo -id "$win")
  x=$(awk '/Absolute upper-left X/ {print $4}' <<<"$info")
  y=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$info")
  w=$(awk '/Width:/ {print $2}' <<<"$info")
  h=$(awk '/Height:/ {print $2}' <<<"$info")
}
geometry
echo "window $win at $x,$y size ${w}x$h"
# First-run position (100, 400); 851 wide; 21 x 4 + 86 high.
[ "$w" = 851 ] && [ "$h" = 170 ] || fail "window size ${w}x$h, expected 851x170"
[ "$x" = 100 ] && [ "$y" = 400 ] || fail "window at $x,$y, expected 100,400"

# Quotes appear: the trace line, then red or green prices on screen.
wait_for 15 grep -q "first quotes painted" "$work/marlune.log" || fail "no quotes were painted"
# The painted grid reaches the screen shortly after: looked at until it shows.
coloured_quotes_shown() {
  import -window root "$out/ticker.png" || return 1
  convert "$out/ticker.png" -crop "${w}x${h}+${x}+${y}" +repage "$work/window.png"
  red=$(convert "$work/window.png" txt:- | grep -ci '#FF0000')
  green=$(convert "$work/window.png" txt:- | grep -ci '#009900')
  [ $((red + green)) -gt 100 ]
}
wait_for 10 coloured_quotes_shown
echo "red pixels $red, green pixels $green"
[ $((red + green)) -gt 100 ] || fail "no coloured quotes on screen"

# The requests it made: one Sina quote request for the four stocks, with its Referer.
requests=$(curl -s "$url/__sim/requests")
grep -q '/rn=[0-9]*&list=sh600000,sz000001,sh000001,sz300750' <<<"$requests" ||
  fail "no quote request for the watch list: $requests"
grep -q 'http://finance.sina.com.cn/' <<<"$requests" || fail "the quote request has no Sina referer"
# Three seconds after start the chart downloads follow, one per stock.
wait_for 10 bash -c "curl -s '$url/__sim/requests' | grep -q '/stock/chart/bf/1/300750.png'" ||
  fail "no chart downloads"
charts=$(curl -s "$url/__sim/requests" | grep -o '/stock/chart/bf/[01]/[0-9]*\.png' | sort -u | wc -l)
[ "$charts" -eq 4 ] || fail "expected 4 chart requests, saw $charts"
[ -s "$home/data/sh600000.dat" ] || fail "chart file not written"

# Docking: moved next to the right edge it snaps there, and with the mouse away it
# slides out of sight a second later, leaving 2 pixels. The slide is a run of timer steps:
# on a loaded machine it takes seconds, hence the long deadlines.
xdotool mousemove 5 5
xdotool windowmove "$win" $((1280 - 851 - 4)) 300
snapped() { geometry; [ "$x" = $((1280 - 851)) ]; }
hidden() { geometry; [ "$x" = $((1280 - 2)) ]; }
wait_for 15 snapped || fail "not docked at the right edge (x=$x) $(xwininfo -id $win | head -12)"
wait_for 15 hidden || fail "not slid out of sight (x=$x)"
# The mouse over the visible strip brings it back.
xdotool mousemove 1279 350
wait_for 15 snapped || fail "not shown again by the mouse (x=$x)"
# Left again, it slides out of sight in steps.
xdotool mousemove 5 5
wait_for 15 hidden || fail "not slid out of sight after the mouse left (x=$x)"
# Moved away from the edges it is free again and its position is stored.
xdotool windowmove "$win" 200 300
at_200() { geometry; [ "$x" = 200 ] && [ "$w" = 851 ]; }
wait_for 5 at_200 || fail "could not move away (x=$x, width $w)"
wait_for 5 grep -q '^LastX=200' "$home/config/base.ini" || fail "the free position was not stored: $(grep Last "$home/config/base.ini")"

# The close button ends the program.
geometry
xdotool mousemove $((x + 9)) $((y + 9)) click 1
wait_for 10 bash -c "! kill -0 $marlune_pid 2>/dev/null" || fail "the close button did not end the program"
wait "$marlune_pid"
status=$?
[ "$status" = 0 ] || fail "marlune exited with $status"
echo "PASS"
