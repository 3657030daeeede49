# Shared pieces of the end-to-end scripts; source it after setting marlune, sim and out.
# Each script keeps its own fail() (what it prints on failure differs).

# Exit 77 (skipped) unless every named tool is installed.
e2e_require_tools() {
  local tool
  for tool in "$@"; do
    if ! command -v "$tool" >/dev/null 2>&1; then
      echo "SKIP: $tool is not installed (the end-to-end tests need: $*)"
      exit 77
    fi
  done
}

# A scratch folder ($work) and the list of processes ($pids) stopped at exit.
e2e_begin() {
  mkdir -p "$out"
  work=$(mktemp -d)
  pids=()
  trap e2e_cleanup EXIT
}

e2e_cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null; done
  rm -rf "$work"
}

wait_for() { # seconds command...
  local limit=$1; shift
  local end=$((SECONDS + limit))
  until "$@"; do
    [ $SECONDS -ge $end ] && return 1
    sleep 0.1
  done
}

# A display of our own with openbox, and with trayer as the notification area when the
# argument is "tray". Its screen is 1280x800 unless $e2e_screen names another size (e.g.
# 3840x1080x24). Xvfb picks the number itself (-displayfd): it takes the first number
# whose lock it can create, so two runs at the same time never share a display (choosing a
# free number first and starting Xvfb on it afterwards leaves a gap in which another run can
# take it, and this one would then talk to the other run's server).
e2e_start_display() { # [tray]
  local xvfb_pid
  # -noreset: Xvfb otherwise resets when its last client leaves (the readiness probe below),
  # and a window manager or tray connecting during that reset finds no display.
  Xvfb -displayfd 3 -screen 0 "${e2e_screen:-1280x800x24}" -nolisten tcp -noreset 3>"$work/display-number" \
    >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  pids+=($xvfb_pid)
  wait_for 10 grep -qs '^[0-9]' "$work/display-number" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
  display=":$(head -1 "$work/display-number")"
  export DISPLAY=$display
  wait_for 10 xwininfo -root >/dev/null 2>&1 || fail "Xvfb did not start"
  if command -v openbox >/dev/null 2>&1; then
    openbox >"$work/openbox.log" 2>&1 &
    pids+=($!)
    # A window manager announces itself on the root window once it manages windows.
    wait_for 15 bash -c "xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'" ||
      fail "openbox did not start"
  fi
  if [ "${1:-}" = tray ]; then
    # trayer takes the notification-area selection before it maps its panel; a program
    # started earlier would find no tray (and show no balloon) on a loaded machine. Now and
    # then (about one start in 30) trayer never maps its panel at all, although it runs: it
    # gets three tries.
    local try trayer_pid
    for try in 1 2 3; do
      trayer --edge bottom --align right --SetDockType true --SetPartialStrut true --widthtype request \
        --height 32 >"$work/trayer.log" 2>&1 &
      trayer_pid=$!
      pids+=($trayer_pid)
      wait_for 8 xdotool search --onlyvisible --name '^panel$' >/dev/null 2>&1 && break
      kill "$trayer_pid" 2>/dev/null
      wait "$trayer_pid" 2>/dev/null
      [ "$try" = 3 ] && fail "trayer did not start: $(cat "$work/trayer.log")"
    done
  fi
}

# The simulated market on a free port (further arguments go to marlune-sim); its base URL in $url.
e2e_start_sim() {
  "$sim" --port 0 "$@" >"$work/sim.log" 2>&1 &
  pids+=($!)
  wait_for 10 grep -qs "listening on" "$work/sim.log" || fail "marlune-sim did not start"
  url=$(grep -o 'http://127.0.0.1:[0-9]*' "$work/sim.log" | head -1)
}

# Visible windows of a process, one "id width" per line.
e2e_windows_of() { # pid
  local id
  for id in $(xdotool search --onlyvisible --pid "$1" 2>/dev/null); do
    echo "$id $(xwininfo -id "$id" 2>/dev/null | awk '/Width:/ {print $2}')"
  done
}
# The ticker's popup menu (130 pixels of items and its frame) is showing.
e2e_menu_shown() { # pid
  e2e_windows_of "$1" | awk '$2 >= 128 && $2 <= 140 {found=1} END {exit !found}'
}
# How many windows of the process show.
e2e_window_count() { # pid
  xdotool search --onlyvisible --pid "$1" 2>/dev/null | wc -l
}
# The window has the keyboard focus.
e2e_is_active() { # id
  [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ]
}
# The window's geometry no longer changes (two looks 0.1 s apart agree): a move or drop has
# been carried out.
e2e_settled() { # id
  local first second
  first=$(xwininfo -id "$1" 2>/dev/null | grep -E 'Absolute|Width|Height')
  sleep 0.1
  second=$(xwininfo -id "$1" 2>/dev/null | grep -E 'Absolute|Width|Height')
  [ -n "$first" ] && [ "$first" = "$second" ]
}

# The ticker window of the program $marlune_pid: its visible window of the grid's full width.
ticker_id() {
  local id
  for id in $(xdotool search --onlyvisible --pid "$marlune_pid" 2>/dev/null); do
    [ "$(xwininfo -id "$id" | awk '/Width:/ {print $2}')" -ge 400 ] && echo "$id" && return
  done
}
ticker_shown() { [ -n "$(ticker_id)" ]; }
ticker_hidden() { [ -z "$(ticker_id)" ]; }
