#!/usr/bin/env bash
# The ticker window on the services that answer today, end to end: marlune under Xvfb +
# openbox against a marlune-sim process keeping the exchanges' hours, both clocks set to
# chosen Beijing times.
# 1. In a session with DataSour=4 the grid fills from Tencent, asked again and again.
# 2. Tencent falls silent: after two failed refreshes the ticker asks Sina.
# 3. In the evening it asks once at start-up, and its timer asks nothing more.
#   live_sources_ticker.sh MARLUNE MARLUNE_CLI MARLUNE_SIM OUTPUT_DIR
# Leaves screenshots in OUTPUT_DIR. Exit 77 = skipped.
set -uo pipefail

marlune=$1
cli=$2
sim=$3
out=$4

source "$(dirname "$0")/lib.sh"
e2e_require_tools Xvfb xdotool xwininfo import convert curl jq

e2e_begin

fail() {
  echo "FAIL: $*"
  import -window root "$out/failure.png" 2>/dev/null
  echo "--- marlune log"; tail -40 "$work/marlune.log" 2>/dev/null
  echo "--- requests"; curl -s "$url/__sim/requests" | jq -r '.requests[].target' | tail -20
  exit 1
}

e2e_start_display
session="2026-04-24 10:00:00"
e2e_start_sim --beijing-time "$session"
echo "simulated market at $url"

home="$work/home"
mkdir -p "$home/config"
printf '%s\r\n' 'k1|000001|I|1|0|0|0|0|0' 'k2|399001|J|2|0|0|0|0|0' 'k3|600000|A|1|0|0|0|0|0' \
  'k4|000001|B|2|0|0|0|0|0' >"$home/config/list.ini"
# A first run of the terminal ticker writes the other files; then Tencent every 4 seconds.
"$cli" --home "$home" --services "$url" --source 4 >/dev/null 2>&1 || fail "marlune-cli found no quotes"
sed -i 's/^FreshSec=.*/FreshSec=4\r/; s/^DataSour=.*/DataSour=4\r/' "$home/config/base.ini"
grep -q '^DataSour=4' "$home/config/base.ini" || fail "DataSour not set: $(cat "$home/config/base.ini")"
curl -sf "$url/__sim/requests?clear=1" >/dev/null

start_marlune() { # beijing-time
  : >"$work/marlune.log"
  MARLUNE_TRACE_FIRST_PAINT=1 "$marlune" --home "$home" --services "$url" --beijing-time "$1" \
    >"$work/marlune.log" 2>&1 &
  marlune_pid=$!
  pids+=($marlune_pid)
  wait_for 15 grep -q "first quotes painted" "$work/marlune.log" || fail "no quotes were painted"
}
stop_marlune() {
  kill "$marlune_pid" 2>/dev/null
  wait "$marlune_pid" 2>/dev/null
}
# Quote requests received so far, by path prefix.
asked() { curl -s "$url/__sim/requests" | jq "[.requests[] | select(.target | startswith(\"$1\"))] | length"; }
window_shot() { # file: the ticker window cut from a shot of the screen
  local win info
  win=$(xdotool search --onlyvisible --pid "$marlune_pid" --name '^Marlune$' 2>/dev/null | head -1)
  [ -n "$win" ] || fail "no ticker window"
  info=$(xwininfo -id "$win")
  import -window root "$work/screen.png" || fail "screenshot failed"
  convert "$work/screen.png" -crop "$(awk '/Width:/ {w=$2} /Height:/ {h=$2} /Absolute upper-left X/ {x=$4}
    /Absolute upper-left Y/ {y=$4} END {print w "x" h "+" x "+" y}' <<<"$info")" +repage "$1"
}

# --- 1. Tencent fills the grid
start_marlune "$session"
# In a session the timer keeps asking (every 4 s, or 8 when a tick falls within the
# 4-second throttle of the whole-second clock).
wait_for 20 bash -c "[ \$(curl -s '$url/__sim/requests' | jq '[.requests[] | select(.target | startswith(\"/q=\"))] | length') -ge 3 ]" ||
  fail "only $(asked /q=) Tencent requests in 20 s of a session"
window_shot "$out/tencent.png"
coloured=$(convert "$out/tencent.png" txt:- | grep -ciE '#FF0000|#009900')
echo "Tencent: $(asked /q=) requests, $coloured coloured pixels"
[ "$coloured" -gt 100 ] || fail "no coloured quotes on screen"
[ "$(asked /rn=)" = 0 ] || fail "Sina asked while Tencent answers"

# --- 2. Tencent falls silent: Sina after two failed refreshes
curl -sf "$url/__sim/fault?prefix=/q=&status=503" >/dev/null || fail "fault not set"
curl -sf "$url/__sim/requests?clear=1" >/dev/null
wait_for 30 bash -c "[ \$(curl -s '$url/__sim/requests' | jq '[.requests[] | select(.target | startswith(\"/rn=\"))] | length') -ge 1 ]" ||
  fail "the ticker never asked Sina"
failed=$(asked /q=)
echo "Tencent silent: $failed failed Tencent refreshes, then Sina"
[ "$failed" = 2 ] || fail "switched after $failed failed refreshes, expected 2"
window_shot "$out/fallback.png"
stop_marlune

# --- 3. Evening: one request at start-up, none from the timer
curl -sf "$url/__sim/reset" >/dev/null
curl -sf "$url/__sim/clock?at=2026-04-24T20:00:00&hours=exchange" >/dev/null || fail "clock not set"
start_marlune "2026-04-24 20:00:00"
# Absence is watched over a span: the timer would have asked twice in these 10 seconds.
sleep 10
window_shot "$out/closed.png"
evening=$(( $(asked /q=) + $(asked /rn=) + $(asked /api/) ))
echo "evening: $evening requests in 10 s"
[ "$evening" = 1 ] || fail "$evening quote requests in the evening, expected the start-up one"
stop_marlune
echo "PASS"
