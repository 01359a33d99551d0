#!/usr/bin/env bash
# The demos run the host from a folder that holds what the installed package holds: the
# host, the component and the upload prompt (without which file signing in the demo could
# only ever be cancelled), each finding its libraries beside itself, and the host answers
# from there.
#
#   demo_host_test.sh SOURCE_DIR BUILD_DIR
set -uo pipefail
source_dir=$1
build=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

bash "$source_dir/scripts/demo-host.sh" "$build" "$work/host" || { echo "FAIL: demo-host.sh failed"; exit 1; }
for program in NorvaHost NorvaUploadPrompt libNorvaDigitalIDIF.so libtavlink.so; do
  [ -f "$work/host/$program" ] || fail "the demo folder lacks $program"
done
for program in NorvaHost NorvaUploadPrompt; do
  [ -x "$work/host/$program" ] || fail "$program is not executable"
  runpath=$(readelf -d "$work/host/$program" | sed -n 's/.*(RUNPATH).*\[\(.*\)\]$/\1/p')
  [ "$runpath" = '$ORIGIN' ] || fail "$program searches [$runpath]"
done

# Started from another folder, with the component beside it and no registration.
reply=$(cd "$work" && printf '\x16\x00\x00\x00{"func":"HostVersion"}' |
  XDG_CONFIG_HOME=$work/config "$work/host/NorvaHost" | tail -c +5)
[ "$reply" = '{"rc":"0","result":"1.0.0.0","LastZTError":0,"PKCS11Error":0,"SignFileCanceled":0}' ] ||
  fail "the demo's host replied: $reply"

[ $failures -eq 0 ] && echo "demo folder: $(ls "$work/host" | tr '\n' ' ')"
[ $failures -eq 0 ]
