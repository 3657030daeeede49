#!/usr/bin/env bash
# Whole-program figures of the desktop ticker against the simulated market, under Xvfb:
#   - start-up: from launching marlune to the first quotes painted (median of RUNS runs)
#   - resident memory a few seconds after start
#   - CPU use over SECONDS seconds of refreshing every 10 s (20 stocks, FreshSec=10)
# Usage: bench/gui/ticker_whole_program.sh build/src/marlune build/sim/marlune-sim [SECONDS] [RUNS]
set -uo pipefail

marlune=$1
sim=$2
seconds=${3:-60}
runs=${4:-5}

source "$(dirname "$0")/bench_lib.sh"
bench_require_tools Xvfb xwininfo
bench_start_display 141 190

"$sim" --port 0 >"$work/sim.log" 2>&1 &
pids+=($!)
wait_for 10 grep -q "listening on" "$work/sim.log" || { echo "marlune-sim did not start" >&2; exit 1; }
url=$(grep -o 'http://127.0.0.1:[0-9]*' "$work/sim.log" | head -1)

new_home() {
  local home=$1
  mkdir -p "$home/config"
  : >"$home/config/list.ini"
  local i=0
  for entry in 1:000001 2:399001 1:600000 2:000001 2:000002 1:600519 1:601318 1:600036 2:000858 2:000651 \
               2:000333 1:600028 1:601398 1:600030 2:300750 2:002594 2:002415 1:600887 1:600900 1:600276; do
    i=$((i + 1))
    printf 'k%d|%s|S|%s|0|0|0|0|0\r\n' "$i" "${entry#*:}" "${entry%%:*}" >>"$home/config/list.ini"
  done
}

now_ms() { date +%s%3N; }

# Start-up: launch to first quotes painted.
startups=()
for run in $(seq 1 "$runs"); do
  home="$work/home$run"
  new_home "$home"
  "$marlune" --home "$home" --services "$url" >/dev/null 2>&1 & # first run: creates the files
  pid=$!
  sleep 1.5
  kill "$pid"; wait "$pid" 2>/dev/null
  start=$(now_ms)
  MARLUNE_TRACE_FIRST_PAINT=1 "$marlune" --home "$home" --services "$url" 2>"$work/run$run.log" &
  pid=$!
  wait_for 15 grep -q "first quotes painted" "$work/run$run.log" || { echo "run $run: no quotes painted" >&2; kill "$pid"; exit 1; }
  painted=$(grep -o 'painted at [0-9]*' "$work/run$run.log" | awk '{print $3}')
  startups+=($((painted - start)))
  kill "$pid"; wait "$pid" 2>/dev/null
done
sorted=$(printf '%s\n' "${startups[@]}" | sort -n | tr '\n' ' ')
median=$(printf '%s\n' "${startups[@]}" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')
echo "start to first quotes painted: median ${median} ms (runs: ${sorted}ms)"

# Memory and CPU of one run.
home="$work/home1"
"$marlune" --home "$home" --services "$url" >/dev/null 2>&1 &
pid=$!
pids+=($pid)
sleep 5
rss=$(awk '/VmRSS/ {print $2}' "/proc/$pid/status")
echo "resident memory 5 s after start: $((rss / 1024)) MB (${rss} kB)"
ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
hz=$(getconf CLK_TCK)
curl -s "$url/__sim/requests?clear=1" >/dev/null 2>&1
before=$(ticks)
sleep "$seconds"
after=$(ticks)
rss_after=$(awk '/VmRSS/ {print $2}' "/proc/$pid/status")
quotes=$(curl -s "$url/__sim/requests" 2>/dev/null | grep -o '/rn=[0-9]*' | wc -l)
charts=$(curl -s "$url/__sim/requests" 2>/dev/null | grep -o '/stock/chart/bf/' | wc -l)
awk -v t=$((after - before)) -v hz="$hz" -v s="$seconds" \
  'BEGIN { printf "CPU over %d s: %.3f %% of one core (%d ticks of 1/%d s)\n", s, 100 * t / hz / s, t, hz }'
echo "requests meanwhile: $quotes quote refreshes, $charts chart downloads; resident memory then $((rss_after / 1024)) MB"
