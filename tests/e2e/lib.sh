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

# A display of our own (first free number in FIRST..LAST) with openbox, and with trayer as
# the notification area when the third argument is "tray".
e2e_start_display() { # first last [tray]
  local n
  display=""
  for n in $(seq "$1" "$2"); do
    if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then display=":$n"; break; fi
  done
  [ -n "$display" ] || fail "no free X display number"
  # -noreset: Xvfb otherwise resets when its last client leaves (the readiness probe below),
  # and a window manager or tray connecting during that reset finds no display.
  Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
  pids+=($!)
  export DISPLAY=$display
  wait_for 10 xwininfo -root >/dev/null 2>&1 || fail "Xvfb did not start"
  if command -v openbox >/dev/null 2>&1; then
    openbox >"$work/openbox.log" 2>&1 &
    pids+=($!)
    # A window manager announces itself on the root window once it manages windows.
    wait_for 15 bash -c "xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'" ||
      fail "openbox did not start"
  fi
  if [ "${3:-}" = tray ]; then
    trayer --edge bottom --align right --SetDockType true --SetPartialStrut true --widthtype request \
      --height 32 >"$work/trayer.log" 2>&1 &
    pids+=($!)
    # trayer takes the notification-area selection before it maps its panel; a program
    # started earlier would find no tray (and show no balloon) on a loaded machine.
    wait_for 15 xdotool search --onlyvisible --name '^panel$' >/dev/null 2>&1 || fail "trayer did not start"
  fi
}

# The simulated market on a free port (further arguments go to marlune-sim); its base URL in $url.
e2e_start_sim() {
  "$sim" --port 0 "$@" >"$work/sim.log" 2>&1 &
  pids+=($!)
  wait_for 10 grep -qs "listening on" "$work/sim.log" || fail "marlune-sim did not start"
  url=$(grep -o 'http://127.0.0.1:[0-9]*' "$work/sim.log" | head -1)
}
