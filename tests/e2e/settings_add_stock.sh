#!/usr/bin/env bash
# The settings dialog end to end: marlune under Xvfb + openbox against marlune-sim. Opens
# the settings from the popup menu ("设置"), types the pinyin initials of a stock into the
# suggestion box, picks the suggestion the simulated market offers, adds it; types a code
# and adds it with one click on "添加" while the suggestions are open; picks a suggestion with
# the mouse and adds it with one click; presses "确定", and sees the ticker window take the
# new stocks at once: more rows, and the new code in its next quote request.
#   settings_add_stock.sh MARLUNE MARLUNE_SIM OUTPUT_DIR
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
  echo "--- marlune log"; tail -40 "$work/marlune.log" 2>/dev/null
  echo "--- list.ini"; cat "$work/home/config/list.ini" 2>/dev/null
  exit 1
}

# A display of our own and a window manager.
e2e_start_display

# The command channel of this test only, whatever else runs on the machine.
export XDG_RUNTIME_DIR="$work/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"
# An autostart entry, should the display page write one, stays in here.
export XDG_CONFIG_HOME="$work/config"

e2e_start_sim

"$marlune" --home "$work/home" --services "$url" >"$work/marlune.log" 2>&1 &
marlune_pid=$!
pids+=($marlune_pid)

# The ticker window: 851 pixels wide; its height tells how many stocks it shows.
geometry_of() { # id -> "x y width height"
  xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
                          /Width:/ {w=$2} /Height:/ {h=$2} END {print x, y, w, h}'
}
ticker() {
  local id
  for id in $(xdotool search --onlyvisible --pid "$marlune_pid" 2>/dev/null); do
    [ "$(geometry_of "$id" | cut -d' ' -f3)" = 851 ] && { echo "$id"; return 0; }
  done
  return 1
}
ticker_height() { geometry_of "$(ticker)" | cut -d' ' -f4; }
# The settings dialog: the widest window with its title (its drop-downs carry the title too).
dialog() {
  local id
  for id in $(xdotool search --all --onlyvisible --pid "$marlune_pid" --name 'Sorell' 2>/dev/null); do
    echo "$(geometry_of "$id" | cut -d' ' -f3) $id"
  done | sort -n | tail -1 | cut -d' ' -f2
}
dialog_shown() { [ -n "$(dialog)" ]; }
dialog_gone() { [ -z "$(dialog)" ]; }

wait_for 15 ticker >/dev/null || fail "no ticker window appeared"
[ "$(ticker_height)" = 128 ] || fail "the first run's ticker should show two stocks (height $(ticker_height))"

# "设置", the menu's first entry, opens the settings on the my-stocks page.
"$marlune" --send 100 || fail "--send 100 found no program"
wait_for 10 e2e_menu_shown "$marlune_pid" || fail "--send 100 opened no popup menu"
xdotool key Down Return
wait_for 10 dialog_shown || fail "\"设置\" opened no settings dialog"
xdotool windowactivate --sync "$(dialog)" 2>/dev/null
wait_for 10 e2e_is_active "$(dialog)" || fail "the settings dialog did not take the keyboard"
import -window root "$out/settings.png" 2>/dev/null

# The pinyin initials of 浦发银行; the suggestions open below the box.
before=$(e2e_window_count "$marlune_pid")
xdotool type --delay 150 pfyh
suggestions_shown() { [ "$(e2e_window_count "$marlune_pid")" -gt "$before" ]; }
wait_for 10 suggestions_shown || fail "no suggestions appeared for pfyh"
import -window root "$out/suggestions.png" 2>/dev/null
# Pick the first suggestion and add it.
xdotool key Down Return
added() { grep -aq '|600000|' "$work/home/config/list.ini"; }
wait_for 5 added || fail "the picked suggestion was not added to list.ini"
echo "added 600000 on the my-stocks page"

# The open suggestions take no click away: one click on "添加" adds the typed code's match.
# The list opens below the box, as wide as it; "添加" stands right of the box.
suggestion_list() {
  local id
  for id in $(xdotool search --onlyvisible --pid "$marlune_pid" 2>/dev/null); do
    [ "$id" = "$(dialog)" ] || [ "$id" = "$(ticker)" ] || { echo "$id"; return 0; }
  done
  return 1
}
click_once() { # x y
  xdotool mousemove --sync "$1" "$2"
  sleep 0.2
  xdotool mousedown 1
  sleep 0.1
  xdotool mouseup 1
}
# Into the box again (the added row took the keyboard): it spans the dialog from x 156 to 406.
read -r dx dy dw dh <<<"$(geometry_of "$(dialog)")"
click_once $((dx + 250)) $((dy + 42))
xdotool key ctrl+a BackSpace
xdotool type --delay 150 000002
wait_for 10 suggestion_list >/dev/null || fail "no suggestions appeared for 000002"
read -r lx ly lw _ <<<"$(geometry_of "$(suggestion_list)")"
import -window root "$out/suggestions_open.png" 2>/dev/null
click_once $((lx + lw + 43)) $((ly - 10))
added_000002() { grep -aq '|000002|' "$work/home/config/list.ini"; }
wait_for 5 added_000002 || fail "one click on 添加 with the suggestions open added nothing"
echo "added 000002 with one click"

# An entry picked with the mouse is added by one click on "添加" too.
click_once $((dx + 250)) $((dy + 42))
xdotool key ctrl+a BackSpace
xdotool type --delay 150 zsyh
wait_for 10 suggestion_list >/dev/null || fail "no suggestions appeared for zsyh"
read -r lx ly lw _ <<<"$(geometry_of "$(suggestion_list)")"
click_once $((lx + 20)) $((ly + 8))
list_gone() { ! suggestion_list >/dev/null; }
wait_for 5 list_gone || fail "picking a suggestion did not close the list"
click_once $((lx + lw + 43)) $((ly - 10))
added_600036() { grep -aq '|600036|' "$work/home/config/list.ini"; }
wait_for 5 added_600036 || fail "the suggestion picked with the mouse was not added by one click"
echo "added 600036 picked with the mouse"

# "确定": the first of the three buttons in the lower right corner.
curl -s "$url/__sim/requests?clear=1" >/dev/null
read -r dx dy dw dh <<<"$(geometry_of "$(dialog)")"
xdotool mousemove --sync $((dx + dw - 10 - 75 - 6 - 75 - 6 - 37)) $((dy + dh - 10 - 11))
xdotool click 1
wait_for 5 dialog_gone || fail "\"确定\" did not close the settings dialog"

# The ticker shows the new stocks without a restart: three more rows, and their quotes asked for.
wait_for 10 bash -c "[ \"\$(xwininfo -id $(ticker) | awk '/Height:/ {print \$2}')\" = 191 ]" ||
  fail "the ticker window did not grow by the new stocks' rows (height $(ticker_height))"
asked() { curl -s "$url/__sim/requests" | grep -q 'sh600000'; }
wait_for 10 asked || fail "the ticker did not ask for the new stock's quotes"
import -window root "$out/ticker.png" 2>/dev/null
kill -0 "$marlune_pid" || fail "marlune is gone"
echo "PASS"
