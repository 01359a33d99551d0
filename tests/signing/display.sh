# Sourced by the end-to-end prompt tests: a display server of their own.
#
#   start_display WORK_DIR   starts Xvfb on whichever display number is free, sets XVFB to
#                            its process and exports DISPLAY; fails when Xvfb is not
#                            installed (scripts/setup.sh installs it), exits 77 (skipped)
#                            when it is but cannot start a display here.
#   stop_display             ends it (for the caller's EXIT trap).

XVFB=""

start_display() {
  command -v Xvfb >/dev/null || { echo "FAIL: Xvfb is not installed (run scripts/setup.sh)"; exit 1; }
  # -noreset: by default the server resets whenever its last client leaves, and a client
  # that connects during the reset (a prompt starting just after xdotool left) is refused.
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$1/display" 2>"$1/xvfb.log" &
  XVFB=$!
  for _ in $(seq 100); do
    [ -s "$1/display" ] && break
    kill -0 "$XVFB" 2>/dev/null || break
    sleep 0.1
  done
  if [ ! -s "$1/display" ]; then
    echo "SKIP: Xvfb could not start a display"
    cat "$1/xvfb.log"
    exit 77
  fi
  export DISPLAY=":$(head -1 "$1/display")"
}

stop_display() {
  [ -z "$XVFB" ] || kill "$XVFB" 2>/dev/null
  [ -z "$XVFB" ] || wait "$XVFB" 2>/dev/null
}
