#!/usr/bin/env bash
# The terminal ticker end to end against a marlune-sim process running the exchanges' hours:
# 1. Tencent (4) and East Money (5) fill `marlune-cli --json` with the texts Sina (1) gives
#    for the same prices, field by field (after the close the prices stand still).
# 2. `marlune-cli --watch` keeps the trading hours at chosen Beijing times: asks every
#    FreshSec seconds in a session; at lunch, in the evening, at the weekend and on a holiday
#    found from the quotes' dates it asks once and says "休市" ("午间休市" in the lunch break,
#    "已收盘" after the close).
#   live_sources_cli.sh MARLUNE_CLI MARLUNE_SIM OUTPUT_DIR
# Exit 77 = skipped.
set -uo pipefail

cli=$1
sim=$2
out=$3

source "$(dirname "$0")/lib.sh"
e2e_require_tools curl jq

e2e_begin

fail() {
  echo "FAIL: $*"
  exit 1
}

# A Friday evening: the market has closed, its quotes stand at the close.
evening="2026-04-24 20:00:00"
e2e_start_sim --beijing-time "$evening" --holidays 2026-05-01
echo "simulated market at $url"

# Both main indices (three-decimal change), Shanghai and Shenzhen shares of several boards, a
# holding (profit and loss), and a code no service knows.
home="$work/home"
mkdir -p "$home/config"
printf '%s\r\n' 'k1|000001|I|1|0|0|0|0|0' 'k2|399001|J|2|0|0|0|0|0' 'k3|600000|A|1|0|0|0|300|7.5' \
  'k4|000001|B|2|0|0|0|0|0' 'k5|300750|C|2|0|0|0|100|150' 'k6|688981|D|1|0|0|0|0|0' \
  'k7|002594|E|2|0|0|0|0|0' 'k8|689999|X|1|0|0|0|0|0' >"$home/config/list.ini"
printf '[sys]\r\nFreshSec=4\r\n' >"$home/config/base.ini"

run_cli() { "$cli" --home "$home" --services "$url" --beijing-time "$evening" "$@"; }

# One line per row and field ("3 price=7.41"), and the total line's fields. Each service writes
# prices with its own decimals (Sina "7.410", Tencent "7.41"): prices are compared as numbers.
fields_of() {
  jq -r '(.rows | to_entries[] | .key as $row | .value | to_entries[]
           | (if (.key | IN("price", "high", "low", "open", "prevClose")) and .value != ""
              then (.value | tonumber) else .value end) as $value
           | "\($row) \(.key)=\($value)"),
         (.total | to_entries[] | "total \(.key)=\(.value)")' "$1"
}

# --- 1. the same texts from every service that answers today
run_cli --source 1 --json >"$out/sina.json" || fail "Sina: marlune-cli exited $?"
fields_of "$out/sina.json" >"$work/sina.fields"
# Every known stock has its quote; the unknown code's row stays empty.
[ "$(jq -r '[.rows[] | select(.price != "")] | length' "$out/sina.json")" = 7 ] ||
  fail "Sina did not fill 7 rows: $(cat "$out/sina.json")"
[ "$(jq -r '.rows[7].price' "$out/sina.json")" = "" ] || fail "the unknown code got a quote"
[ "$(jq -r '.rows[2].plAmount' "$out/sina.json")" != "" ] || fail "no profit for the holding"
for source in 4 5; do
  run_cli --source $source --json >"$out/source$source.json" || fail "source $source: marlune-cli exited $?"
  fields_of "$out/source$source.json" >"$work/source$source.fields"
  differences=$(diff "$work/sina.fields" "$work/source$source.fields")
  [ -z "$differences" ] || fail "source $source differs from Sina field by field:
$differences"
  echo "source $source: $(wc -l <"$work/source$source.fields") fields, the same as Sina's"
done

# --- 2. the trading hours of marlune-cli --watch at chosen moments
# Runs the watch for some seconds (FreshSec=4: a refresh at the start, then one 4 s after the
# last ended) with the market and the program's clock at the moment; $asked = quote requests
# made, stderr in $work/watch.err.
watch_at() { # "YYYY-MM-DD HH:MM:SS" seconds [holidays]
  local at=$1 seconds=$2 holidays=${3:-2000-01-01} # a day long gone: no holiday near the moment
  curl -sf "$url/__sim/clock?at=${at/ /T}&hours=exchange&holidays=$holidays" >/dev/null ||
    fail "the market's clock could not be set to $at"
  curl -sf "$url/__sim/requests?clear=1" >/dev/null
  "$cli" --home "$home" --services "$url" --source 1 --beijing-time "$at" --watch \
    >"$work/watch.out" 2>"$work/watch.err" &
  local pid=$!
  pids+=($pid)
  sleep "$seconds"
  kill -TERM "$pid"
  wait "$pid"
  asked=$(curl -s "$url/__sim/requests" | jq '[.requests[] | select(.target | startswith("/rn="))] | length')
}

watch_at "2026-04-24 10:00:00" 11
echo "weekday session: $asked requests"
[ "$asked" -ge 3 ] || fail "in the session only $asked requests in 11 s"
grep -q "休市\|已收盘" "$work/watch.err" && fail "closed said in the session: $(cat "$work/watch.err")"

for moment in "2026-04-24 12:00:00|lunch break|2026-04-24 11:30:|午间休市" \
  "2026-04-24 20:00:00|evening|2026-04-24 15:00:|已收盘" "2026-04-25 10:00:00|Saturday|2026-04-24 15:00:|休市"; do
  IFS='|' read -r at what last closed <<<"$moment"
  watch_at "$at" 6 # a second refresh would have come after 4 s
  echo "$what: $asked requests; $(head -1 "$work/watch.err")"
  [ "$asked" = 1 ] || fail "$what: $asked requests, expected the start-up one only"
  grep -q "^$closed（最后行情：$last" "$work/watch.err" || fail "$what: no $closed with the last quotes: $(cat "$work/watch.err")"
done

# A holiday is found from the data: the same Friday morning is a trading day until the market
# is closed on it, and then the quotes still carry the day before.
watch_at "2026-05-01 10:00:00" 11
echo "2026-05-01 10:00 as a trading day: $asked requests"
[ "$asked" -ge 3 ] || fail "an open 2026-05-01 was taken for a holiday ($asked requests)"
watch_at "2026-05-01 10:00:00" 6 2026-05-01
echo "2026-05-01 10:00 as a holiday: $asked requests; $(head -1 "$work/watch.err")"
[ "$asked" = 1 ] || fail "holiday: $asked requests, expected one until the 10-minute retry"
grep -q "^休市（最后行情：2026-04-30 15:00:" "$work/watch.err" || fail "holiday: $(cat "$work/watch.err")"
echo "PASS"
