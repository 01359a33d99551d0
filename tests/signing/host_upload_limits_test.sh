#!/usr/bin/env bash
# End to end through NorvaHost on a virtual token with a 2048-bit key and the real prompt on
# a display server of its own:
#  - the host is killed (SIGKILL, as a browser that gave up does) while the prompt is open:
#    the prompt program closes within a few seconds and the token never signs;
#  - 2044 detail records are refused with 711 before any prompt or signature;
#  - 2043 detail records, confirmed with Enter, give a reply of at most 1 MiB (its size is
#    printed).
#
#   host_upload_limits_test.sh BIN_DIR
#
# Exits 77 (skipped) only when no display server can be started here.
set -uo pipefail
BIN=$(cd "$1" && pwd)
HERE=$(cd "$(dirname "$0")" && pwd)

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

source "$HERE/host_app.sh"
begin_host_test "$BIN" 2048 xdotool python3
"$BIN/simctl" token log-to "$WORK/calls.log" >/dev/null || { echo "FAIL: no call log"; exit 1; }

# A "SignFileData" request for an upload of N detail records (and a header), as a frame.
upload_request() {
  python3 - "$1" >"$2" <<'PY'
import json, struct, sys
lines = ["K" + "0" * 106] + ["5%05d678%s%015d" % (i % 100000, "d" * 12, 1050 + i)
                             for i in range(int(sys.argv[1]))]
text = json.dumps({"func": "SignFileData", "params": {
    "pin": "592604", "fileContent": "\r\n".join(lines) + "\r\n",
    "fileName": "payments.txt", "challenge": "CH-2026-12-09"}}).encode()
sys.stdout.buffer.write(struct.pack("<I", len(text)) + text)
PY
}
# Starts the host on frame file $1, its reply to $2; HOST_PID is the host itself.
start_host() {
  (cd "$APP" && exec ./NorvaHost <"$1" >"$2") &
  HOST_PID=$!
}
# Whether process $1 is gone (a zombie left to a parent that does not reap counts as gone).
gone() { [ ! -e "/proc/$1" ] || [ "$(awk '{print $3}' "/proc/$1/stat" 2>/dev/null)" = Z ]; }
signatures_made() { grep -c $'^C_Sign\t' "$WORK/calls.log" 2>/dev/null; }

echo "case     the host is killed while the prompt is open"
upload_request 3 "$WORK/small.bin"
start_host "$WORK/small.bin" "$WORK/killed.reply"
window=$(wait_for_prompt "$HOST_PID")
if [ -z "$window" ]; then
  fail "no prompt was shown"
else
  prompt=$(pgrep -P "$HOST_PID" | head -1)
  [ -n "$prompt" ] || fail "the prompt is not the host's child"
  kill -KILL "$HOST_PID"
  wait "$HOST_PID" 2>/dev/null
  HOST_PID=""
  for _ in $(seq 50); do
    gone "$prompt" && break
    sleep 0.1
  done
  if gone "$prompt"; then
    echo "         the prompt program ended after the host was killed"
  else
    fail "the prompt program is still running 5 s after the host was killed"
    kill -KILL "$prompt" 2>/dev/null
  fi
  [ -z "$(prompt_window)" ] || fail "the prompt window is still open"
fi
[ "$(signatures_made)" = 0 ] || fail "the token signed after the host was killed"
[ -s "$WORK/calls.log" ] || fail "the call log is empty, so it proves nothing"

echo "case     2044 records with a 2048-bit key"
upload_request 2044 "$WORK/over.bin"
start_host "$WORK/over.bin" "$WORK/over.reply"
for _ in $(seq 300); do
  kill -0 "$HOST_PID" 2>/dev/null || break
  [ -z "$(prompt_window)" ] || { fail "a prompt was shown for an upload that cannot be answered"; break; }
  sleep 0.1
done
wait "$HOST_PID" || fail "the host exited with status $?"
HOST_PID=""
reply=$(tail -c +5 "$WORK/over.reply")
echo "reply    $reply"
[ "$reply" = '{"rc":"711","errMsg":"Upload too large for the browser","maxRecords":2043,"keyLength":2048}' ] ||
  fail "2044 records were not refused with 711"
[ "$(signatures_made)" = 0 ] || fail "the token signed a refused upload"

echo "case     2043 records with a 2048-bit key, confirmed"
upload_request 2043 "$WORK/fits.bin"
start_host "$WORK/fits.bin" "$WORK/fits.reply"
answer_prompt "$HOST_PID" Return || fail "no confirmation prompt was shown"
for _ in $(seq 3000); do kill -0 "$HOST_PID" 2>/dev/null || break; sleep 0.1; done
wait "$HOST_PID" || fail "the host exited with status $?"
HOST_PID=""
tail -c +5 "$WORK/fits.reply" >"$WORK/fits.json"
size=$(stat -c %s "$WORK/fits.json")
count=$(python3 -c 'import json,sys; r=json.load(open(sys.argv[1])); print(len(r["result"].split("|")) if r.get("rc")=="0" and r["result"] else 0)' "$WORK/fits.json" 2>/dev/null)
echo "reply    $size bytes of JSON (limit 1048576), ${count:-0} signatures, $(signatures_made) C_Sign calls"
[ "${count:-0}" = 2043 ] || fail "expected 2043 signatures: $(head -c 200 "$WORK/fits.json")"
[ "$size" -le 1048576 ] || fail "the reply is larger than a browser accepts"

[ $failures -eq 0 ] && echo "host upload limits: all cases passed"
[ $failures -eq 0 ]
