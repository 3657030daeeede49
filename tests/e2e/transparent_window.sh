#!/usr/bin/env bash
# The transparent ticker end to end: marlune (TransBK=1, the in-process market) under Xvfb +
# openbox over a window of one plain colour. With a compositing manager (xcompmgr) the
# background is see-through by alpha; when it stops, the shape mask takes over (an alpha
# window without a compositor would show its background black); when it runs again, alpha
# again. Each time the quotes, the black header and status texts and the backdrop between
# them are on screen. With alpha a click on the see-through background reaches the window
# below; with the mask the whole window takes the mouse while the pointer is over it (a
# shape alone would take it only on the texts' strokes), and is see-through again after.
#   transparent_window.sh MARLUNE MARLUNE_SIM OUTPUT_DIR
# Leaves the screenshots in OUTPUT_DIR (alpha.png, mask.png). Exit 77 = skipped.
set -uo pipefail

marlune=$1
out=$3

source "$(dirname "$0")/lib.sh"
e2e_require_tools Xvfb xcompmgr display xdotool xwininfo import convert

e2e_begin

fail() {
  echo "FAIL: $*"
  echo "--- marlune log"; tail -40 "$work/marlune.log" 2>/dev/null
  exit 1
}

e2e_start_display

# The backdrop: one plain colour over the whole screen.
backdrop='#3A7BD5'
convert -size 1280x800 "xc:$backdrop" "$work/backdrop.png" || fail "could not make the backdrop"
display -geometry +0+0 -title backdrop "$work/backdrop.png" >"$work/display.log" 2>&1 &
pids+=($!)
has_backdrop() { [ -n "$(xdotool search --onlyvisible --name '^backdrop$' 2>/dev/null)" ]; }
wait_for 10 has_backdrop || fail "the backdrop window did not appear"

start_compositor() {
  xcompmgr >"$work/xcompmgr.log" 2>&1 &
  compositor_pid=$!
  pids+=($compositor_pid)
  # The ticker notices a compositor within its next check; the looks below wait for that.
}
start_compositor

# First-run settings with a transparent background, the window over the backdrop.
home="$work/home"
mkdir -p "$home/config"
printf '[sys]\r\nNewStockTip=1\r\nHotKey=1\r\nHotKeyPress=1\r\nFreshSec=10\r\nDataSour=1\r\nReSoft=\r\nShowTitle=0\r\nTransBK=1\r\nTopMost=1\r\nLastX=100\r\nLastY=300\r\n[color]\r\nCustColor=0\r\nColorUp=0000ff\r\nColorDown=009900\r\nColorName=ff0000\r\nColorTitle=000000\r\nColorBK=e6ffff\r\nCustFont=0\r\n' \
  >"$home/config/base.ini"

MARLUNE_TRACE_FIRST_PAINT=1 "$marlune" --home "$home" --demo >"$work/marlune.log" 2>&1 &
pids+=($!)
ticker_window() { xdotool search --onlyvisible --name '^Marlune$' 2>/dev/null | head -1; }
has_window() { [ -n "$(ticker_window)" ]; }
wait_for 15 has_window || fail "no ticker window appeared"
win=$(ticker_window)
wait_for 15 grep -q "first quotes painted" "$work/marlune.log" || fail "no quotes were painted"

# One screenshot of the window's place; what shows there (x, y, w, h: the window's place).
look() { # name
  local info
  info=$(xwininfo -id "$win")
  x=$(awk '/Absolute upper-left X/ {print $4}' <<<"$info")
  y=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$info")
  w=$(awk '/Width:/ {print $2}' <<<"$info")
  h=$(awk '/Height:/ {print $2}' <<<"$info")
  import -window root "$out/$1.png" || fail "screenshot failed"
  convert "$out/$1.png" -crop "${w}x${h}+${x}+${y}" +repage "$work/window.png"
  convert "$work/window.png" -depth 8 txt:- >"$work/pixels.txt"
  corner=$(convert "$work/window.png" -format '%[hex:p{2,2}]' info:)
  far_corner=$(convert "$work/window.png" -format "%[hex:p{$((w - 3)),$((h - 3))}]" info:)
  # Rising and falling figures: their strokes' pixels, also where they are soft (the colour
  # blended with the pale key or the blue backdrop keeps its one strong channel).
  red=$(awk -F'[(),]' 'NR > 1 && $3 >= 180 && $4 <= 90 && $5 <= 120 { n++ } END { print n + 0 }' "$work/pixels.txt")
  green=$(awk -F'[(),]' 'NR > 1 && $4 >= 110 && $3 <= 80 && $5 <= 100 { n++ } END { print n + 0 }' "$work/pixels.txt")
  blue=$(grep -ci '#0000FF' "$work/pixels.txt")
  black=$(grep -ci '#000000' "$work/pixels.txt")
  seen=$(grep -ci "$backdrop" "$work/pixels.txt")
  # Soft text edges blended with the pale key colour (ColorBK): the mask keeps them, alpha
  # blends the edges with the backdrop instead.
  pale=$(awk -F'[(),]' 'NR > 1 && $3 >= 200 && $4 >= 200 && $5 >= 150 && $5 < $3 - 8 { n++ } END { print n + 0 }' \
    "$work/pixels.txt")
  echo "$1: window ${w}x$h at $x,$y; corners $corner $far_corner; red $red, green $green, blue $blue, black $black, backdrop $seen, pale $pale pixels"
}

readable_over_backdrop() {
  [ "#$corner" = "$backdrop" ] && [ "#$far_corner" = "$backdrop" ] && [ "$red" -gt 10 ] && [ "$green" -gt 10 ] &&
    [ "$blue" -gt 100 ] && [ "$black" -gt 200 ] && [ "$seen" -gt $((w * h / 2)) ]
}
# Looks again and again (at most SECONDS) until the window shows what the condition wants:
# the ticker switches between alpha and mask at its next check of the compositor, and
# paints after it.
look_until() { # name seconds condition
  local name=$1 end=$((SECONDS + $2)) condition=$3
  while :; do
    look "$name" >"$work/look.txt"
    readable_over_backdrop && $condition && break
    [ $SECONDS -ge $end ] && break
    sleep 0.2
  done
  cat "$work/look.txt"
}
alpha_blended() { [ "$pale" -eq 0 ]; }
masked() { [ "$pale" -gt 0 ]; }

expect_readable_over_backdrop() { # what
  [ "#$corner" = "$backdrop" ] && [ "#$far_corner" = "$backdrop" ] ||
    fail "$1: the background is not see-through (corners #$corner #$far_corner, backdrop $backdrop)"
  # How many there are depends on the simulated figures; without quotes there are none.
  [ "$red" -gt 10 ] && [ "$green" -gt 10 ] || fail "$1: the quotes are missing ($red red, $green green pixels)"
  [ "$blue" -gt 100 ] || fail "$1: the codes and names are missing ($blue blue pixels)"
  [ "$black" -gt 200 ] || fail "$1: the header and status texts are missing ($black black pixels)"
  [ "$seen" -gt $((w * h / 2)) ] || fail "$1: little of the backdrop shows through ($seen pixels)"
}

# The ticker's frame: what the pointer is over when it is over the ticker.
frame=$(xwininfo -id "$win" -tree | awk '/Parent window id/ {print $4}')
root=$(xwininfo -root | awk '/Window id:/ {print $4}')
[ "$frame" = "$root" ] && frame=$win
frame=$((frame))

# A click on the see-through background reaches the window below; one on a text, the
# ticker.
under_pointer() { # x y
  xdotool mousemove "$1" "$2"
  wait_for 2 bash -c "xdotool getmouselocation --shell | grep -qx 'X=$1' && xdotool getmouselocation --shell | grep -qx 'Y=$2'"
  xdotool getmouselocation --shell | awk -F= '/^WINDOW=/ {print $2}'
}
expect_clicks_through_background() { # what
  local text
  [ "$(under_pointer $((x + 2)) $((y + 2)))" != "$frame" ] ||
    fail "$1: the see-through background takes the clicks"
  text=$(grep -m1 '#000000' "$work/pixels.txt" | cut -d: -f1)
  [ "$(under_pointer $((x + ${text%,*})) $((y + ${text#*,})))" = "$frame" ] ||
    fail "$1: a click on a text ($text) does not reach the ticker"
  xdotool mousemove 5 790
}

# Without a compositor: the pointer over the see-through background, the ticker takes it
# (within its next look at the pointer), also over the gap between two texts; away from the
# window, the background is see-through again.
expect_takes_the_mouse_over_its_background() { # what
  local gap
  gap=$(grep -m1 -i "$backdrop" <(awk -F: -v w="$w" '{split($1, p, ","); if (p[2] > 45 && p[2] < 60 && p[1] > 100 && p[1] < w - 100) print}' "$work/pixels.txt") | cut -d: -f1)
  [ -n "$gap" ] || fail "$1: no see-through pixel between the rows"
  for point in "2,2" "$gap"; do
    xdotool mousemove $((x + ${point%,*})) $((y + ${point#*,}))
    pointer_on_ticker() { [ "$(xdotool getmouselocation --shell | awk -F= '/^WINDOW=/ {print $2}')" = "$frame" ]; }
    wait_for 3 pointer_on_ticker || fail "$1: the pointer over the background at $point is not the ticker's"
  done
  xdotool mousemove 5 790
}

look_until alpha 10 alpha_blended
expect_readable_over_backdrop "with xcompmgr"
expect_clicks_through_background "with xcompmgr"
[ "$pale" -eq 0 ] || fail "with xcompmgr: $pale pale pixels, the key colour is painted (mask, not alpha)"

# The compositor stops: within its next check the window falls back to the mask.
kill "$compositor_pid"
wait "$compositor_pid" 2>/dev/null
look_until mask 10 masked
expect_readable_over_backdrop "after xcompmgr stopped"
[ "$pale" -gt 0 ] || fail "after xcompmgr stopped: no soft edges in the key colour (no mask)"
expect_takes_the_mouse_over_its_background "after xcompmgr stopped"
look_until mask_again 10 masked
expect_readable_over_backdrop "after the pointer left"

# And runs again: alpha again.
start_compositor
look_until alpha_again 10 alpha_blended
expect_readable_over_backdrop "after xcompmgr started again"
[ "$pale" -eq 0 ] || fail "after xcompmgr started again: $pale pale pixels (still the mask)"
echo "PASS"
