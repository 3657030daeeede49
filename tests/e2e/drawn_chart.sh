#!/usr/bin/env bash
# The drawn intraday chart end to end: marlune under Xvfb + openbox against marlune-sim,
# whose chart images all fail. Hovering a stock's price shows the detail popup with the
# chart drawn from the market's minute data: the minute request reaches the market and the
# chart box shows the rising and falling colours.
#   drawn_chart.sh MARLUNE MARLUNE_SIM OUTPUT_DIR
# Leaves the screenshot in OUTPUT_DIR/drawn_chart.png. Exit 77 = skipped.
set -uo pipefail

marlune=$1
sim=$2
out=$3

source "$(dirname "$0")/lib.sh"
e2e_require_tools Xvfb xdotool xwininfo import convert curl

e2e_begin

fail() {
  echo "FAIL: $*"
  import -window root "$out/failure.png" 2>/dev/null
  echo "--- marlune log"; tail -40 "$work/marlune.log" 2>/dev/null
  exit 1
}

e2e_start_display
e2e_start_sim
# Every chart image fails, as the real image service does today.
curl -sf "$url/__sim/fault?prefix=/stock/chart/bf/&status=404" >/dev/null || fail "could not set the fault"

home="$work/home"
mkdir -p "$home/config"
printf 'k1|600519|A|1|0|0|0|0|0\r\nk2|000002|B|2|0|0|0|0|0\r\n' >"$home/config/list.ini"

MARLUNE_TRACE_FIRST_PAINT=1 "$marlune" --home "$home" --services "$url" >"$work/marlune.log" 2>&1 &
pids+=($!)
ticker_window() { xdotool search --onlyvisible --name '^Marlune$' 2>/dev/null | head -1; }
has_window() { [ -n "$(ticker_window)" ]; }
wait_for 15 has_window || fail "no ticker window appeared"
win=$(ticker_window)
wait_for 15 grep -q "first quotes painted" "$work/marlune.log" || fail "no quotes were painted"
# The chart downloads run (and fail) three seconds after the start.
wait_for 10 bash -c "curl -s '$url/__sim/requests' | grep -q '/stock/chart/bf/1/000002.png'" ||
  fail "no chart downloads"

info=$(xwininfo -id "$win")
x=$(awk '/Absolute upper-left X/ {print $4}' <<<"$info")
y=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$info")

# The price cell of a row (the grid starts at 5,20; 21 pixels a row; the price column
# spans 110-170), and where the popup stands for the cursor there (1280 x 800 screen).
hover_row() { # row -> sets cx cy px py
  cx=$((x + 140)); cy=$((y + 20 + 21 * $1 + 10))
  px=$cx; [ $((cx + 430)) -gt 1280 ] && px=$((cx - 450))
  py=$((cy + 30)); [ $((cy + 400)) -gt 800 ] && py=$((cy - 430))
  xdotool mousemove --sync "$((cx - 20))" "$cy" mousemove --sync "$cx" "$cy"
}
coloured_pixels() { # how many pixels of the chart box are in the rising or falling colour
  import -window root "$work/screen.png" || fail "screenshot failed"
  convert "$work/screen.png" -crop "390x290+$((px + 20))+$((py + 110))" +repage txt:- |
    grep -ciE '#FF0000|#009900'
}
drawn() { [ "$(coloured_pixels)" -gt 50 ]; }

hover_row 1
wait_for 10 bash -c "curl -s '$url/__sim/requests' | grep -q '/appstock/app/minute/query?code=sh600519'" ||
  fail "no minute request for sh600519"
wait_for 10 drawn || fail "no drawn chart in the popup at $px,$py ($(coloured_pixels) coloured pixels)"
cp "$work/screen.png" "$out/drawn_chart.png"

# Another stock: its own minute request and its own chart.
hover_row 2
wait_for 10 bash -c "curl -s '$url/__sim/requests' | grep -q '/appstock/app/minute/query?code=sz000002'" ||
  fail "no minute request for sz000002"
wait_for 10 drawn || fail "no drawn chart for the second stock"

echo "PASS"
