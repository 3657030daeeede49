#!/usr/bin/env bash
# Alerts as desktop notifications end to end: marlune under Xvfb + openbox with dunst as the
# notification service on a session bus of its own, against marlune-sim at 10:30 of a
# weekday. The first-run list's index alert (upper limit 3.00) and a change-rate condition
# of 0.01 % in data/watchextras.txt: with the program's clock in the call auction (09:20)
# no notification comes; at 10:30 exactly one per crossing (two), each with the stock, the
# price and the condition, however many refreshes follow; after a restart none (remembered).
#   alert_notifications.sh MARLUNE MARLUNE_SIM OUTPUT_DIR
# Leaves screenshots in OUTPUT_DIR. Exit 77 = skipped.
set -uo pipefail

marlune=$1
sim=$2
out=$3

source "$(dirname "$0")/lib.sh"
e2e_require_tools Xvfb xdotool xwininfo openbox import dunst dbus-run-session dbus-monitor dbus-send

# A session bus of this test only: the notifications it counts are its own.
if [ -z "${MARLUNE_E2E_OWN_BUS:-}" ]; then
  MARLUNE_E2E_OWN_BUS=1 exec dbus-run-session -- "$0" "$@"
fi

e2e_begin

fail() {
  echo "FAIL: $*"
  import -window root "$out/failure.png" 2>/dev/null
  echo "--- marlune log"; cat "$work/marlune.log" 2>/dev/null
  echo "--- notifications"; cat "$work/notify.log" 2>/dev/null
  echo "--- dunst log"; cat "$work/dunst.log" 2>/dev/null
  exit 1
}

e2e_start_display
export XDG_RUNTIME_DIR="$work/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"
export XDG_CONFIG_HOME="$work/config"

dunst >"$work/dunst.log" 2>&1 &
pids+=($!)
service_up() {
  dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.NameHasOwner string:org.freedesktop.Notifications 2>/dev/null | grep -q 'boolean true'
}
wait_for 15 service_up || fail "dunst did not take the notification service"
dbus-monitor --session "type='method_call',interface='org.freedesktop.Notifications',member='Notify'" \
  >"$work/notify.log" 2>&1 &
pids+=($!)
sleep 0.5
notifications() { grep -c 'member=Notify' "$work/notify.log"; }

session="2026-04-22 10:30:00"
e2e_start_sim --beijing-time "$session"

mkdir -p "$work/home/data"
printf '000001|1|0.01|0.01\r\n' >"$work/home/data/watchextras.txt"

# Runs the program with its clock at the moment for the seconds given (a start-up request
# and at least one timer refresh: the first run's period is 10 seconds).
run_for() { # beijing-time seconds
  "$marlune" --home "$work/home" --services "$url" --beijing-time "$1" >>"$work/marlune.log" 2>&1 &
  local pid=$!
  pids+=($pid)
  wait_for 15 bash -c "xdotool search --onlyvisible --pid $pid >/dev/null 2>&1" || fail "no window appeared"
  # The notifications stand a few seconds after the first quotes (dunst lets them go later).
  sleep 2
  import -window root "$out/last-run.png" 2>/dev/null
  sleep $(($2 - 2))
  kill "$pid"
  wait "$pid" 2>/dev/null
}

run_for "2026-04-22 09:20:00" 13
auction=$(notifications)
echo "at the call auction: $auction notification(s)"
[ "$auction" = 0 ] || fail "$auction notifications during the call auction"
[ -s "$work/home/data/alerts.txt" ] && fail "the auction's quotes were recorded as fired alerts"

run_for "$session" 13
cp "$out/last-run.png" "$out/notifications.png"
crossing=$(notifications)
echo "in the session: $crossing notification(s)"
[ "$crossing" = 2 ] || fail "$crossing notifications for two crossings"
grep -q '已涨到预警上限3.00' "$work/notify.log" || fail "no notification of the band's upper limit"
grep -Eq '(涨幅已达\+0.01%|跌幅已达-0.01%)' "$work/notify.log" || fail "no notification of the change rate"
grep -q '上证指数(000001) 现价' "$work/notify.log" || fail "the notification names no stock and price"

run_for "$session" 11
again=$(notifications)
[ "$again" = 2 ] || fail "a restart notified $((again - 2)) fired alert(s) again"
echo "PASS"
