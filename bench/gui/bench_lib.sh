# Shared pieces of the whole-program bench scripts; source it after setting marlune and sim.

# Exit 77 unless every named tool is installed.
bench_require_tools() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null 2>&1 || { echo "needs $tool" >&2; exit 77; }
  done
}

# A scratch folder ($work) and the processes ($pids) stopped at exit.
work=$(mktemp -d)
pids=()
bench_cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null; done
  rm -rf "$work"
}
trap bench_cleanup EXIT

wait_for() { # seconds command...
  local limit=$1; shift
  local end=$((SECONDS + limit))
  until "$@"; do
    [ $SECONDS -ge $end ] && return 1
    sleep 0.02
  done
}

# Xvfb on the first free display number in FIRST..LAST, exported as DISPLAY.
bench_start_display() { # first last
  local n display=""
  for n in $(seq "$1" "$2"); do
    if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then display=":$n"; break; fi
  done
  Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp -noreset >/dev/null 2>&1 &
  pids+=($!)
  export DISPLAY=$display
  wait_for 10 xwininfo -root >/dev/null 2>&1 || { echo "Xvfb did not start" >&2; exit 1; }
}
