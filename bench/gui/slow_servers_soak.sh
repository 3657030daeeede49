#!/usr/bin/env bash
# Soak of the desktop ticker against servers that never finish a reply, under Xvfb:
#   - "silent": every request is accepted and never answered
#   - "trickle": every reply is a 200 that sends 2 bytes a second, without an end
# Both are simulated markets on 127.0.0.1 started here; two tickers (20 stocks,
# FreshSec=5, so a quote tick every 5 s and a chart tick every 13 s) run side by side,
# one against each, for SECONDS seconds. Prints threads, open files and resident memory
# of each ticker at the start, every minute and at the end. Not a test: it only reports.
# Usage: bench/gui/slow_servers_soak.sh build/src/marlune build/sim/marlune-sim [SECONDS]
set -uo pipefail

marlune=$1
sim=$2
seconds=${3:-600}

source "$(dirname "$0")/bench_lib.sh"
bench_require_tools Xvfb xwininfo curl
bench_start_display 191 240

start_market() { # name fault-query -> sets url_<name>
  local name=$1 query=$2
  "$sim" --port 0 >"$work/$name-sim.log" 2>&1 &
  pids+=($!)
  wait_for 10 grep -q "listening on" "$work/$name-sim.log" || { echo "$name market did not start" >&2; exit 1; }
  local url
  url=$(grep -o 'http://127.0.0.1:[0-9]*' "$work/$name-sim.log" | head -1)
  curl -sf "$url/__sim/fault?prefix=/&$query" >/dev/null || { echo "$name: fault not set" >&2; exit 1; }
  printf -v "url_$name" '%s' "$url"
}
start_market silent "hang=1"
# No Content-Length, a gigabyte of body, two bytes a second: never ends, never stalls.
start_market trickle "length=close&size=1000000000&piece=2&pieceDelay=1000"

new_home() { # home url
  local home=$1 url=$2
  mkdir -p "$home/config"
  : >"$home/config/list.ini"
  local i=0
  for entry in 1:000001 2:399001 1:600000 2:000001 2:000002 1:600519 1:601318 1:600036 2:000858 2:000651 \
               2:000333 1:600028 1:601398 1:600030 2:300750 2:002594 2:002415 1:600887 1:600900 1:600276; do
    i=$((i + 1))
    printf 'k%d|%s|S|%s|0|0|0|0|0\r\n' "$i" "${entry#*:}" "${entry%%:*}" >>"$home/config/list.ini"
  done
  # A first run writes the other files; then the refresh period goes to 5 s.
  "$marlune" --home "$home" --services "$url" >/dev/null 2>&1 &
  local pid=$!
  wait_for 15 test -s "$home/config/base.ini"
  sleep 1
  kill "$pid"; wait "$pid" 2>/dev/null
  sed -i 's/^FreshSec=.*/FreshSec=5\r/' "$home/config/base.ini"
  grep -q '^FreshSec=5' "$home/config/base.ini" || { echo "FreshSec not set in $home" >&2; exit 1; }
}
new_home "$work/silent" "$url_silent"
new_home "$work/trickle" "$url_trickle"

"$marlune" --home "$work/silent" --services "$url_silent" >"$work/silent.log" 2>&1 &
pid_silent=$!
pids+=($pid_silent)
"$marlune" --home "$work/trickle" --services "$url_trickle" >"$work/trickle.log" 2>&1 &
pid_trickle=$!
pids+=($pid_trickle)

figures() { # pid -> "threads T, open files F, resident R MB"
  local pid=$1
  if [ ! -d "/proc/$pid" ]; then echo "ended"; return; fi
  local threads rss files
  threads=$(awk '/^Threads:/ {print $2}' "/proc/$pid/status")
  rss=$(awk '/^VmRSS:/ {print $2}' "/proc/$pid/status")
  files=$(ls "/proc/$pid/fd" 2>/dev/null | wc -l)
  printf 'threads %3d, open files %4d, resident %3d MB' "$threads" "$files" $((rss / 1024))
}
report() { # label
  printf '%-8s silent:  %s\n' "$1" "$(figures $pid_silent)"
  printf '%-8s trickle: %s\n' "$1" "$(figures $pid_trickle)"
}

sleep 5
echo "two tickers, 20 stocks, FreshSec=5, for $seconds s"
report "start"
elapsed=5
while [ $elapsed -lt "$seconds" ]; do
  step=$((seconds - elapsed < 60 ? seconds - elapsed : 60))
  sleep "$step"
  elapsed=$((elapsed + step))
  [ $elapsed -lt "$seconds" ] && report "${elapsed}s"
done
report "end"

for name in silent trickle; do
  pid_var=pid_$name
  [ -d "/proc/${!pid_var}" ] || echo "$name: the ticker ended before the time was up" >&2
done
