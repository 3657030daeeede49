#!/usr/bin/env bash
# The stealth options end to end: marlune under Xvfb + openbox + trayer against marlune-sim in a
# trading session. In plain mode the ticker shows its quotes in the one colour chosen, with no
# red or green pixel; with "隐藏时不刷新" it asks for nothing while hidden by --hide and asks at
# once when shown again.
#   plain_mode.sh MARLUNE MARLUNE_SIM OUTPUT_DIR
# Leaves the screenshot in OUTPUT_DIR/plain_mode.png (the README's is its crop). Exit 77 = skipped.
set -uo pipefail

marlune=$1
sim=$2
out=$3

source "$(dirname "$0")/lib.sh"
e2e_require_tools Xvfb openbox trayer xdotool xwininfo import convert curl

e2e_begin

fail() {
  echo "FAIL: $*"
  import -window root "$out/failure.png" 2>/dev/null
  echo "--- marlune log"; tail -40 "$work/marlune.log" 2>/dev/null
  exit 1
}

e2e_start_display tray
export XDG_RUNTIME_DIR="$work/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"

session="2026-04-24 10:30:00"
e2e_start_sim --beijing-time "$session"

# Four stocks, one with an alias; the plain mode in dark grey and no requests while hidden.
home="$work/home"
mkdir -p "$home/config" "$home/scnf" "$home/data"
printf 'k1|600000|A|1|0|0|0|0|0\r\nk2|000001|B|2|0|0|0|0|0\r\nk3|000001|C|1|0|0|0|0|0\r\nk4|300750|D|2|0|0|0|0|0\r\n' \
  >"$home/config/list.ini"
printf '000001|1|大盘\r\n' >"$home/data/watchextras.txt"
cat >"$home/scnf/SSTConf.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<Config>
  <Body>
    <PlainMode>1</PlainMode>
    <PlainColor>404040</PlainColor>
    <NoRefreshHidden>1</NoRefreshHidden>
  </Body>
</Config>
XML

MARLUNE_TRACE_FIRST_PAINT=1 "$marlune" --home "$home" --services "$url" --beijing-time "$session" \
  >"$work/marlune.log" 2>&1 &
marlune_pid=$!
pids+=($marlune_pid)

wait_for 15 ticker_shown || fail "no ticker window appeared"
win=$(ticker_id)
wait_for 15 grep -q "first quotes painted" "$work/marlune.log" || fail "no quotes were painted"

info=$(xwininfo -id "$win")
x=$(awk '/Absolute upper-left X/ {print $4}' <<<"$info")
y=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$info")
w=$(awk '/Width:/ {print $2}' <<<"$info")
h=$(awk '/Height:/ {print $2}' <<<"$info")
plain_quotes_shown() {
  import -window root "$out/plain_mode.png" || return 1
  convert "$out/plain_mode.png" -crop "${w}x${h}+${x}+${y}" +repage "$work/window.png"
  convert "$work/window.png" txt:- >"$work/window.txt"
  plain=$(grep -ci '#404040' "$work/window.txt")
  [ "$plain" -gt 200 ]
}
wait_for 10 plain_quotes_shown || fail "no quotes in the plain colour on screen ($plain pixels)"
red=$(grep -ci '#FF0000' "$work/window.txt")
green=$(grep -ci '#009900' "$work/window.txt")
echo "plain pixels $plain, red $red, green $green"
[ $((red + green)) -eq 0 ] || fail "red or green on screen in plain mode: red $red, green $green"
cp "$work/window.png" "$out/plain_mode_window.png"

# Hidden by the user: not one request, chart images included, for longer than a period (10 s).
"$marlune" --home "$home" --hide || fail "--hide found no program"
wait_for 5 ticker_hidden || fail "--hide did not hide the ticker"
sleep 1
curl -s "$url/__sim/requests?clear=1" >/dev/null
sleep 12
asked=$(curl -s "$url/__sim/requests")
grep -q '"target":' <<<"$asked" && fail "requests while hidden: $asked"
# Shown again: the quotes are asked at once.
"$marlune" --home "$home" --show || fail "--show found no program"
wait_for 5 ticker_shown || fail "--show did not show the ticker"
wait_for 5 bash -c "curl -s '$url/__sim/requests' | grep -q '\"/rn='" || fail "no quotes asked when shown again"
echo "PASS"
