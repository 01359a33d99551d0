# shellcheck shell=bash disable=SC2034  # APP and MODULUS are for the sourcing script
# Sourced by the end-to-end tests that run NorvaHost on a virtual token.
#
#   prepare_host_app WORK BIN KEY_BITS  the host, the component and the prompt program side
#                                       by side in WORK/app (APP), the token simulator under
#                                       the driver's name, one token formatted for the
#                                       service with the service's key pair of KEY_BITS bits
#                                       (its modulus in MODULUS, hexadecimal); exports the
#                                       simulators' state; returns 1 when something fails
#   begin_host_test BIN KEY_BITS TOOL...
#                                       fails unless each TOOL is installed, makes WORK,
#                                       starts a display server and prepares the app as
#                                       above; on exit the host HOST_PID (when set) is
#                                       killed, the display ended and WORK removed
#   framed TEXT                         writes TEXT as one native-messaging frame
#   field FILE MEMBER                   prints a member of the JSON reply in FILE
#   prompt_window                       the prompt program's visible window, if any
#   wait_for_prompt PID                 prints the prompt's window once it shows, waiting
#                                       up to 60 s while process PID runs
#   answer_prompt PID KEY               waits for the prompt and presses KEY in it (Return,
#                                       Escape) as a person would; returns 1 when none showed

prepare_host_app() {
  local work=$1 bin=$2 bits=$3
  APP=$work/app
  mkdir -p "$APP"
  cp "$bin/NorvaHost" "$bin/libNorvaDigitalIDIF.so" "$bin/NorvaUploadPrompt" "$APP/"
  cp "$bin/libtokensim.so" "$APP/libtavlink.so"
  export TOKENSIM_STATE=$work/token.json HLSIM_STATE=$work/device.json XDG_CONFIG_HOME=$work/config
  "$bin/simctl" hl eject >/dev/null
  local slot
  slot=$("$bin/simctl" token show | sed -n 's/^slot \([0-9]*\):.*/\1/p' | head -1)
  "$bin/simctl" token init-token "${slot:-1}" --so-pin 87654321 --label Trellmoor --user-pin 592604 >/dev/null ||
    { echo "FAIL: the token was not prepared"; return 1; }
  # The tool unloads the simulator when it is done; what the simulator's own crypto library
  # keeps is then reported as leaked from an unknown module in sanitized builds.
  MODULUS=$(ASAN_OPTIONS=detect_leaks=0 "$bin/make_service_key" "$APP" 592604 "$bits") ||
    { echo "FAIL: no key pair"; return 1; }
}

begin_host_test() {
  local bin=$1 bits=$2 tool
  shift 2
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (scripts/setup.sh installs it)"; exit 1; }
  done
  source "$(dirname "${BASH_SOURCE[0]}")/display.sh"
  WORK=$(mktemp -d)
  HOST_PID=""
  trap end_host_test EXIT
  start_display "$WORK"
  prepare_host_app "$WORK" "$bin" "$bits" || exit 1
}

end_host_test() {
  [ -z "$HOST_PID" ] || kill -KILL "$HOST_PID" 2>/dev/null
  stop_display
  rm -rf "$WORK"
}

framed() {
  python3 -c '
import struct, sys
text = sys.argv[1].encode()
sys.stdout.buffer.write(struct.pack("<I", len(text)) + text)' "$1"
}

field() { python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))[sys.argv[2]])' "$1" "$2"; }

prompt_window() { xdotool search --onlyvisible --class NorvaUploadPrompt 2>/dev/null | head -1; }

wait_for_prompt() {
  local window=""
  for _ in $(seq 600); do
    window=$(prompt_window)
    [ -n "$window" ] && break
    kill -0 "$1" 2>/dev/null || break
    sleep 0.1
  done
  printf '%s' "$window"
}

answer_prompt() {
  local window
  window=$(wait_for_prompt "$1")
  [ -n "$window" ] || return 1
  # GTK ignores synthetic events sent to a window: focus it and type through XTEST.
  timeout 20 xdotool windowfocus --sync "$window" 2>/dev/null || echo "FAIL: the prompt took no focus"
  sleep 0.5
  xdotool key "$2"
}
