#!/usr/bin/env bash
# Static checks of the 32-bit Windows binaries, for machines that cannot run them:
# they are 32-bit, need no toolchain runtime DLL beside them, and the component
# exports its four entry points undecorated at ordinals 1 to 4.
set -uo pipefail
BIN=${1:?folder of the win32 binaries}
OBJDUMP=i686-w64-mingw32-objdump
status=0
fail() { echo "check-win32: $*"; status=1; }

for f in "$BIN/NorvaHost.exe" "$BIN/NorvaDigitalIDIF.dll"; do
  [ -f "$f" ] || { fail "missing $f"; continue; }
  $OBJDUMP -f "$f" | grep -q 'file format pei-i386' || fail "$f is not a 32-bit PE file"
  bad=$($OBJDUMP -p "$f" | awk '/DLL Name:/ {print $3}' | grep -iE 'libstdc|libgcc|libwinpthread|libjsoncpp' || true)
  [ -z "$bad" ] || fail "$f needs toolchain DLLs: $bad"
done

dll="$BIN/NorvaDigitalIDIF.dll"
if [ -f "$dll" ]; then
  exports=$($OBJDUMP -p "$dll" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p')
  n=1
  for name in DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer; do
    echo "$exports" | grep -qE "\[ *$n\] $name\$" || fail "export $name is not at ordinal $n, undecorated"
    n=$((n + 1))
  done
  $OBJDUMP -p "$dll" | grep -q '@' && echo "$exports" | grep -q '@' && fail "decorated names exported"
fi
[ $status -eq 0 ] && echo "check-win32: binaries are 32-bit, self-contained, exports in order"
exit $status
