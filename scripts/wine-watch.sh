#!/usr/bin/env bash
# Watches one Wine prefix while the Windows tests run in it, until it is killed.
#
#   scripts/wine-watch.sh PREFIX NOTES_FILE
#
# Wine's server can crash (a fault in Wine itself: "wineserver crashed, please enable
# coredumps"). The programs that were waiting on it then hang for good, and their test only
# ends at its time limit; the next Wine program starts a new server, and the other tests go
# on. Each Wine program holds a socket connected to its server; once the server is gone that
# socket has no peer any more. Programs of the prefix left so for a few seconds are killed,
# so that their tests fail at once, and a line in NOTES_FILE tells the caller to run those
# tests again. A program is looked at through any of its threads: one whose main thread has
# already ended while others wait on the dead server (seen in a test that hung so) shows
# neither environment nor files through its process entry.
set -u
prefix=$1
notes=$2
grace=${NORVA_WINE_WATCH_GRACE:-5} # seconds a program may go on without its server
declare -A stranded_since           # program pid -> when it was first seen so

while sleep 1; do
  # Connected stream sockets whose peer has gone.
  declare -A peerless=()
  while read -r inode; do
    peerless[$inode]=1
  done < <(ss -xH state established 2>/dev/null | awk '$1 == "u_str" && $7 == "0" { print $5 }')
  now=$(date +%s)
  stranded=()
  declare -A seen=() checked=()
  # One read of every thread's environment: the tests give theirs WINEPREFIX.
  for environ in $(grep -l -z -x -F "WINEPREFIX=$prefix" /proc/[0-9]*/task/[0-9]*/environ 2>/dev/null); do
    task=${environ%/environ}
    pid=${task#/proc/}
    pid=${pid%%/*}
    [ -z "${checked[$pid]:-}" ] || continue
    exe=$(readlink "$task/exe" 2>/dev/null) || continue
    checked[$pid]=1
    case "${exe##*/}" in
      wine | wine64 | wine-preloader | wine64-preloader) ;;
      *) continue ;;
    esac
    waiting=0
    while read -r inode; do
      [ -n "${peerless[$inode]:-}" ] && waiting=1
    done < <(find "$task/fd" -lname 'socket:*' -printf '%l\n' 2>/dev/null | tr -dc '0-9\n')
    [ "$waiting" -eq 1 ] || continue
    seen[$pid]=1
    : "${stranded_since[$pid]:=$now}"
    [ $((now - stranded_since[$pid])) -ge "$grace" ] && stranded+=("$pid")
  done
  for pid in "${!stranded_since[@]}"; do
    [ -n "${seen[$pid]:-}" ] || unset "stranded_since[$pid]"
  done
  unset peerless seen checked
  [ ${#stranded[@]} -gt 0 ] || continue
  echo "$(date -u +%FT%TZ) Wine's server for $prefix crashed; killed the programs left waiting on it: ${stranded[*]}" >>"$notes"
  echo "=== wine-watch: Wine's server for $prefix crashed; ${#stranded[@]} programs left waiting on it were killed" >&2
  kill -KILL "${stranded[@]}" 2>/dev/null
done
