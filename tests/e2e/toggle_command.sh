#!/usr/bin/env bash
# The named commands for desktop shortcuts end to end: marlune under Xvfb + openbox against
# marlune-sim; `marlune --toggle` hides the ticker window and shows it again, --hide and
# --show only change a window that is not as asked, --refresh reaches the program (a quote
# request at the market in the evening, when the timer asks for none), and a command with
# no program running fails. A second ticker on the same folder says one already runs there.
#   toggle_command.sh MARLUNE MARLUNE_SIM OUTPUT_DIR
# Leaves screenshots in OUTPUT_DIR. Exit 77 = skipped.
set -uo pipefail

marlune=$1
sim=$2
out=$3

source "$(dirname "$0")/lib.sh"
e2e_require_tools Xvfb xdotool xwininfo openbox import curl

e2e_begin

fail() {
  echo "FAIL: $*"
  import -window root "$out/failure.png" 2>/dev/null
  echo "--- marlune log"; cat "$work/marlune.log" 2>/dev/null
  exit 1
}

e2e_start_display

# The command channel of this test only, whatever else runs on the machine.
export XDG_RUNTIME_DIR="$work/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"

# An evening: the refresh timer asks for no quotes then (TradeHoursOnly of the first run).
evening="2026-04-22 20:00:00"
e2e_start_sim --beijing-time "$evening"

"$marlune" --home "$work/home" --services "$url" --beijing-time "$evening" >"$work/marlune.log" 2>&1 &
marlune_pid=$!
pids+=($marlune_pid)

# Quote requests the market has had since its log was last cleared.
quote_asked() { curl -s "$url/__sim/requests" | grep -q '"/rn='; }

wait_for 15 ticker_shown || fail "no ticker window appeared"
import -window root "$out/shown.png" 2>/dev/null

"$marlune" --toggle || fail "--toggle found no program"
wait_for 5 ticker_hidden || fail "--toggle did not hide the ticker window"
import -window root "$out/hidden.png" 2>/dev/null
"$marlune" --hide || fail "--hide found no program"
sleep 1
ticker_hidden || fail "--hide showed the hidden window"
"$marlune" --toggle || fail "the second --toggle found no program"
wait_for 5 ticker_shown || fail "--toggle did not show the ticker window again"
"$marlune" --show || fail "--show found no program"
sleep 1
ticker_shown || fail "--show hid the window"
"$marlune" --hide
wait_for 5 ticker_hidden || fail "--hide did not hide the window"
"$marlune" --show
wait_for 5 ticker_shown || fail "--show did not show the window"

# --refresh: in the evening the refresh timer asks for nothing, but the command asks at once
# (once the 4-second throttle after the start-up request has passed).
curl -s "$url/__sim/requests?clear=1" >/dev/null
sleep 4.5
quote_asked && fail "quotes were asked in the evening without a command"
"$marlune" --refresh || fail "--refresh found no program"
wait_for 3 quote_asked || fail "--refresh asked for no quotes"
import -window root "$out/refreshed.png" 2>/dev/null

# A second ticker on the same folder starts, but says that one already runs there.
"$marlune" --home "$work/home" --services "$url" --beijing-time "$evening" >"$work/second.log" 2>&1 &
second_pid=$!
pids+=($second_pid)
wait_for 15 grep -q "Marlune已在此文件夹中运行" "$work/second.log" ||
  fail "the second ticker on one folder said: $(cat "$work/second.log")"
kill "$second_pid"
wait "$second_pid" 2>/dev/null

kill "$marlune_pid"
wait "$marlune_pid" 2>/dev/null
"$marlune" --toggle 2>"$work/nobody.txt" && fail "--toggle reached a program after it ended"
grep -q "no Marlune is running" "$work/nobody.txt" || fail "--toggle without a program said: $(cat "$work/nobody.txt")"
echo "PASS"
