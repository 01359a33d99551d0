#!/usr/bin/env bash
# End to end: the review of an upload file with the prompt a person answers, on a display
# server of its own, answered with the keyboard as a person would.
#
#   upload_prompt_test.sh gtk  BIN_DIR SCREENSHOT_DIR
#   upload_prompt_test.sh wine BIN_DIR SCREENSHOT_DIR WINE_LOADER
#
# Exits 77 (skipped) only when no display server can be started here.
set -uo pipefail
MODE=$1
BIN=$(cd "$2" && pwd)
mkdir -p "$3"
SHOTS=$(cd "$3" && pwd)
LOADER=${4:-}
HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/../.." && pwd)

CONFIRMATION_CAPTION="אישור שם קובץ להעלאה לNorva"
ERROR_CAPTION="שגיא בקובץ להעלאה לNorva"

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

for tool in xdotool xwd convert; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (scripts/setup.sh installs it)"; exit 1; }
done
source "$HERE/display.sh"

WORK=$(mktemp -d)
WINESERVER=""
cleanup() {
  # Our Wine server draws on the display that is about to go: it ends first.
  [ -z "$WINESERVER" ] || timeout 60 "$WINESERVER" -w
  stop_display
  rm -rf "$WORK"
}
trap cleanup EXIT
start_display "$WORK"

# An upload file of a header, twelve detail records and a trailer; and one whose header is
# short (99 characters, 101 with CR LF).
{
  printf 'K%0119d\r\n' 0
  for i in $(seq 12); do
    printf '5%05d678%s%015d\r\n' $((12345 + i)) 'dddddddddddd' $((1234567 * i))
  done
  printf '9trailer\r\n'
} >"$WORK/upload.txt"
{
  printf 'K%098d\r\n' 0
  printf '5123\r\n'
} >"$WORK/short.txt"

# A Hebrew user: the button words follow the user's language, and Wine takes the 1255 code
# page from the locale.
LOCALES=$(bash "$ROOT/scripts/hebrew-locale.sh") || exit 1
HEBREW=(env "LOCPATH=$LOCALES" LC_ALL=he_IL.UTF-8)
NO_DISPLAY=(env -u DISPLAY -u WAYLAND_DISPLAY "LOCPATH=$LOCALES" LC_ALL=he_IL.UTF-8)

case "$MODE" in
  gtk)
    PROBE=("${HEBREW[@]}" "$BIN/UploadReviewProbe")
    FIND=(--class NorvaUploadPrompt)
    ;;
  wine)
    PROBE=("${HEBREW[@]}" "$LOADER" "$BIN/UploadReviewProbe.exe")
    FIND=(--name "Norva")
    export WINEDEBUG=-all
    # Wine draws its windows itself (there is no window manager), and its dialog fonts are
    # replaced by one that has Hebrew letters.
    cat >"$WORK/prompt.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"Tahoma"="DejaVu Sans"
"MS Shell Dlg"="DejaVu Sans"
"MS Shell Dlg 2"="DejaVu Sans"
"MS Sans Serif"="DejaVu Sans"
REG
    # Wine draws through the display of the server that the first of its programs started;
    # one left over from a test without a display must end first (this test runs alone).
    WINESERVER=$(dirname "$LOADER")/wineserver
    timeout 120 "$WINESERVER" -w
    (cd "$WORK" && "${HEBREW[@]}" "$LOADER" regedit /S prompt.reg) || fail "the Wine prompt settings were not stored"
    ;;
  *)
    echo "usage: $0 gtk|wine BIN_DIR SCREENSHOT_DIR [WINE_LOADER]"
    exit 2
    ;;
esac

# Starts the probe on FILE in the background; its output goes to $WORK/answer.
start_probe() {
  (cd "$WORK" && exec "${PROBE[@]}" "$1" >"$WORK/answer" 2>"$WORK/probe.log") &
  PROBE_PID=$!
}

# The prompt's window, once it is shown (Wine may take a while to start).
find_prompt() {
  local window
  for _ in $(seq 1200); do
    window=$(xdotool search --onlyvisible "${FIND[@]}" 2>/dev/null | head -1)
    if [ -n "$window" ]; then
      echo "$window"
      return 0
    fi
    kill -0 "$PROBE_PID" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

# Waits for the probe and compares what it printed.
expect_answer() { # $1 = case, $2 = expected output
  local waited=0
  while kill -0 "$PROBE_PID" 2>/dev/null && [ $waited -lt 600 ]; do
    sleep 0.1
    waited=$((waited + 1))
  done
  if kill -0 "$PROBE_PID" 2>/dev/null; then
    kill "$PROBE_PID"
    fail "$1: the prompt did not close"
    return
  fi
  wait "$PROBE_PID"
  local answer
  answer=$(tr -d '\r' <"$WORK/answer")
  [ "$answer" = "$2" ] || { fail "$1: answered '$answer', expected '$2'"; cat "$WORK/probe.log"; }
}

# One prompt: shown for FILE, checked for its caption, answered with KEY.
answer_prompt() { # $1 = case, $2 = file, $3 = caption, $4 = key, $5 = expected, $6 = screenshot
  start_probe "$2"
  local window
  if ! window=$(find_prompt); then
    fail "$1: no prompt window"
    cat "$WORK/probe.log"
    expect_answer "$1" "$5"
    return
  fi
  local title
  title=$(xdotool getwindowname "$window" 2>/dev/null)
  [ "$MODE" = wine ] || [ "$title" = "$3" ] || fail "$1: the prompt's title is '$title'"
  if [ -n "${6:-}" ]; then
    sleep 1 # let it finish drawing
    xwd -id "$window" -out "$WORK/shot.xwd" && convert "$WORK/shot.xwd" "$SHOTS/$6" ||
      fail "$1: no screenshot"
  fi
  # Real key events through XTEST, to the focused prompt: a toolkit ignores events that are
  # sent to a window.
  timeout 20 xdotool windowfocus --sync "$window" 2>/dev/null || fail "$1: the prompt took no focus"
  sleep 0.5
  xdotool key "$4"
  expect_answer "$1" "$5"
}

answer_prompt "Enter confirms" upload.txt "$CONFIRMATION_CAPTION" Return confirmed "$MODE-confirmation.png"
answer_prompt "Escape declines" upload.txt "$CONFIRMATION_CAPTION" Escape declined
answer_prompt "the error prompt" short.txt "$ERROR_CAPTION" Return "malformed 1 101" "$MODE-error.png"

if [ "$MODE" = gtk ]; then
  # A prompt whose window goes away unanswered declines.
  start_probe upload.txt
  if window=$(find_prompt); then xdotool windowkill "$window"; else fail "killed: no prompt window"; cat "$WORK/probe.log"; fi
  expect_answer "window killed" declined

  # Without the prompt program beside it, nobody can confirm.
  mkdir "$WORK/alone"
  cp "$BIN/UploadReviewProbe" "$WORK/alone/"
  PROBE=("${HEBREW[@]}" "$WORK/alone/UploadReviewProbe")
  start_probe upload.txt
  expect_answer "program missing" declined

  # No display and no terminal to ask on.
  PROBE=("${NO_DISPLAY[@]}" setsid "$BIN/UploadReviewProbe")
  start_probe upload.txt
  expect_answer "no display, no terminal" declined

  # No display, but a terminal: the question is asked there.
  if command -v script >/dev/null; then
    for reply in y n; do
      printf '%s\n' "$reply" | (cd "$WORK" && "${NO_DISPLAY[@]}" \
        script -qec "'$BIN/UploadReviewProbe' upload.txt" /dev/null) >"$WORK/terminal" 2>&1
      expected=$([ "$reply" = y ] && echo confirmed || echo declined)
      grep -q "$expected\$" <(tr -d '\r' <"$WORK/terminal") ||
        fail "terminal answer $reply: $(tr -d '\r' <"$WORK/terminal" | tail -3)"
    done
  fi
fi

[ $failures -eq 0 ] && echo "upload prompt ($MODE): all cases passed"
[ $failures -eq 0 ]
