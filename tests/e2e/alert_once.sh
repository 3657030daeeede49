#!/usr/bin/env bash
# The first-run price alert end to end: marlune under Xvfb + openbox with trayer as the
# notification area, against marlune-sim. A fresh install's watch list has the Shanghai
# index's alert on with an upper limit of 3.00, far below any index price: the first start
# shows its balloon, a second start of the same install does not show it again (the fired
# alert is remembered in data/alerts.txt), and list.ini keeps its first-run bytes.
#   alert_once.sh MARLUNE MARLUNE_SIM OUTPUT_DIR
# Leaves screenshots in OUTPUT_DIR. Exit 77 = skipped.
set -uo pipefail

marlune=$1
sim=$2
out=$3

source "$(dirname "$0")/lib.sh"
e2e_require_tools Xvfb xdotool xwininfo xprop openbox trayer import curl jq

e2e_begin

fail() {
  echo "FAIL: $*"
  import -window root "$out/failure.png" 2>/dev/null
  echo "--- marlune log"; cat "$work/marlune.log" 2>/dev/null
  echo "--- data/alerts.txt"; cat "$work/home/data/alerts.txt" 2>/dev/null
  exit 1
}

e2e_start_display tray
export XDG_RUNTIME_DIR="$work/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"
export XDG_CONFIG_HOME="$work/config"
# The pointer stays off the ticker window, so no tip of its own shows.
xdotool mousemove 1 1

# A weekday's session on the market's and the program's clocks: the ticker refreshes every
# FreshSec seconds, whatever the time of day the test runs.
session="2026-04-24 10:00:00"
e2e_start_sim --beijing-time "$session"

# Balloons are tool-tip windows of the program; nothing else of it shows one while the
# pointer is away (the new-stock tips are off in a fresh install). Every balloon is a new
# window, so the balloons shown are the distinct window ids seen: a poll that misses a
# balloon (xdotool fails while windows come and go) cannot count one balloon twice.
balloons_of() {
  local id
  for id in $(xdotool search --onlyvisible --pid "$1" 2>/dev/null); do
    xprop -id "$id" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q _NET_WM_WINDOW_TYPE_TOOLTIP && echo "$id"
  done
}

# Quote requests the market has answered since its log was last cleared.
quote_requests() {
  curl -s "$url/__sim/requests" | jq '[.requests[] | select(.target | startswith("/rn="))] | length'
}

# Starts the program on the install and watches it until it has asked for quotes three
# times: the balloon of the first refresh, and any repeat after the second, have had their
# turn by then (a request follows the previous reply's handling). Sets $count to the
# balloons seen.
run_and_count_balloons() { # name
  local name=$1 pid id seen=" " end
  count=0
  curl -s "$url/__sim/requests?clear=1" >/dev/null
  "$marlune" --home "$work/home" --services "$url" --beijing-time "$session" >>"$work/marlune.log" 2>&1 &
  pid=$!
  pids+=($pid)
  wait_for 30 bash -c "xdotool search --onlyvisible --pid $pid >/dev/null 2>&1" || fail "$name: no window appeared"
  end=$((SECONDS + 60))
  until [ "$(quote_requests)" -ge 3 ]; do
    [ $SECONDS -ge $end ] && fail "$name: fewer than three refreshes in 60 s"
    kill -0 "$pid" 2>/dev/null || fail "$name: the program ended"
    for id in $(balloons_of "$pid"); do
      case $seen in
      *" $id "*) ;;
      *)
        seen="$seen$id "
        count=$((count + 1))
        import -window root "$out/$name-balloon.png" 2>/dev/null
        ;;
      esac
    done
    sleep 0.1
  done
  kill "$pid"
  wait "$pid" 2>/dev/null
}

run_and_count_balloons first
first=$count
echo "first start: $first balloon(s)"
[ "$first" = 1 ] || fail "the first start of a fresh install showed $first alert balloons, not one"
grep -q '^000001|1|2.00|3.00|5' "$work/home/data/alerts.txt" || fail "the fired alert was not remembered"

run_and_count_balloons second
second=$count
echo "second start: $second balloon(s)"
[ "$second" = 0 ] || fail "the second start showed the first-run alert again"

expected=$(printf 'dac000001|000001|\xc9\xcf\xd6\xa4\xd6\xb8\xca\xfd|1|1|3.0|2.00|5|1.00\r\ndac399001|399001|\xc9\xee\xd6\xa4\xb3\xc9\xd6\xb8|2|2|0|0|0|0.0\r\n')
[ "$(cat "$work/home/config/list.ini")" = "$expected" ] || fail "list.ini lost its first-run bytes"
echo "PASS"
