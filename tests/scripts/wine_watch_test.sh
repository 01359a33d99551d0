#!/usr/bin/env bash
# scripts/wine-watch.sh knows Wine's programs by the name of their executable and their
# WINEPREFIX, and a crashed server by the program's socket to it losing its peer. Stand-ins
# named like Wine's programs and server (copies of Python) show what it does without Wine:
# after a crash, and a new server started by the next program, the program left over from
# the crashed server is killed and noted; a program of the running server, and one of
# another prefix, are left alone. The programs' main threads have ended, as in a Wine
# program that hung on its way out.
set -u
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
pids=()
cleanup() { kill "${pids[@]}" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }
python=$(readlink -f /usr/bin/python3)
mkdir "$work/bin" "$work/prefix" "$work/other"
for name in wine64 wineserver64; do cp "$python" "$work/bin/$name"; done
cat >"$work/server.py" <<'PY'
import socket, sys
listener = socket.socket(socket.AF_UNIX)
listener.bind(sys.argv[1])
listener.listen()
clients = []
while True:
    clients.append(listener.accept()[0])
PY
# A program whose main thread ends while another waits on, as Wine's do when they exit.
cat >"$work/program.py" <<'PY'
import ctypes, socket, sys, threading, time
connection = socket.socket(socket.AF_UNIX)
while connection.connect_ex(sys.argv[1]):
    time.sleep(0.1)
threading.Thread(target=time.sleep, args=(600,)).start()
ctypes.CDLL(None).pthread_exit(None)
PY
# start NAME PREFIX SOCKET: a stand-in running in PREFIX; its pid in $started.
start() {
  local script=program.py
  [ "$1" = wineserver64 ] && script=server.py
  WINEPREFIX=$2 "$work/bin/$1" "$work/$script" "$3" &
  started=$!
  pids+=("$started")
}
# Alive while any of its threads is: its main thread has ended.
alive() { [ "$(ls "/proc/$1/task" 2>/dev/null | wc -l)" -gt 1 ]; }

NORVA_WINE_WATCH_GRACE=2 bash "$ROOT/scripts/wine-watch.sh" "$work/prefix" "$work/notes" &
pids+=($!)
start wineserver64 "$work/prefix" "$work/first"; first_server=$started
start wine64 "$work/prefix" "$work/first"; stranded=$started
start wineserver64 "$work/other" "$work/third"; other_server=$started
start wine64 "$work/other" "$work/third"; other=$started
sleep 3
kill -SEGV "$first_server" "$other_server"
start wineserver64 "$work/prefix" "$work/second"
start wine64 "$work/prefix" "$work/second"; served=$started
for _ in $(seq 20); do alive "$stranded" || break; sleep 0.5; done
alive "$stranded" && fail "a program was still running 10 s after its server crashed"
grep -q "left waiting on it: $stranded\$" "$work/notes" || fail "the crash was not noted: $(cat "$work/notes")"
sleep 4
alive "$served" || fail "a program of the running server was killed"
alive "$other" || fail "a program of another prefix was killed"
[ "$(wc -l <"$work/notes")" -eq 1 ] || fail "more than one crash noted: $(cat "$work/notes")"
echo "PASS: wine-watch"
