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
  header=$($OBJDUMP -f "$f")
  grep -q 'file format pei-i386' <<<"$header" || fail "$f is not a 32-bit PE file"
  bad=$($OBJDUMP -p "$f" | awk '/DLL Name:/ {print $3}' | grep -iE 'libstdc|libgcc|libwinpthread|libjsoncpp' || true)
  [ -z "$bad" ] || fail "$f needs toolchain DLLs: $bad"
done

dll="$BIN/NorvaDigitalIDIF.dll"
if [ -f "$dll" ]; then
  # objdump numbers the name table from 0; with ordinal base 1, entry i is ordinal i + 1.
  dump=$($OBJDUMP -p "$dll")
  grep -qE 'Ordinal Base[[:space:]]+1$' <<<"$dump" || fail "ordinals do not start at 1"
  exports=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump")
  n=0
  for name in DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer; do
    grep -qE "\[ *$n\] $name\$" <<<"$exports" || fail "export $name is not at ordinal $((n + 1)), undecorated"
    n=$((n + 1))
  done
  grep -q '@' <<<"$exports" && fail "decorated names exported"
fi
[ $status -eq 0 ] && echo "check-win32: binaries are 32-bit, self-contained, exports in order"
exit $status
