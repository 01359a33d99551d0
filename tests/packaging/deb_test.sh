#!/usr/bin/env bash
# The Debian package: built with CPack from this build, installed into a scratch root with
# a dpkg database of its own, the installed host answers, and removal leaves nothing.
#   deb_test.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -B "$work/out" >/dev/null
deb=$(ls "$work"/out/*.deb)
dpkg-deb --field "$deb" Package | grep -qx norva-digital-id || fail "package name"
[ -z "$(dpkg-deb --ctrl-tarfile "$deb" | tar -t | grep -E "conffiles|inst|rm")" ] ||
  fail "the package needs no maintainer scripts and has no conffiles"

root=$work/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates" "$root/var/lib/dpkg/triggers"
touch "$root/var/lib/dpkg/status" "$root/var/lib/dpkg/available"
dpkg --root="$root" --force-depends --force-not-root -i "$deb" >/dev/null

lib=/usr/libexec/norva-digital-id
expected=(
  "$lib/NorvaHost" "$lib/libNorvaDigitalIDIF.so"
  /etc/opt/chrome/native-messaging-hosts/com.norva.digitalid.json
  /etc/chromium/native-messaging-hosts/com.norva.digitalid.json
  /etc/opt/edge/native-messaging-hosts/com.norva.digitalid.json
  /usr/lib/mozilla/native-messaging-hosts/com.norva.digitalid.json
  /usr/share/norva-digital-id/extension/manifest.json
  /usr/share/norva-digital-id/extension/lib/norva.js
)
for file in "${expected[@]}"; do
  [ -f "$root$file" ] || fail "not installed: $file"
done
grep -q "\"path\": \"$lib/NorvaHost\"" "$root/etc/chromium/native-messaging-hosts/com.norva.digitalid.json" ||
  fail "the Chromium manifest does not name the installed host"
grep -q '"allowed_extensions"' "$root/usr/lib/mozilla/native-messaging-hosts/com.norva.digitalid.json" ||
  fail "the Firefox manifest does not name the extension"

# The installed host answers with the component beside it (no registration needed).
request='{"func":"HostVersion"}'
reply=$(printf '\x16\x00\x00\x00%s' "$request" | XDG_CONFIG_HOME=$work/config "$root$lib/NorvaHost" | tail -c +5)
[ "$reply" = '{"rc":"0","result":"1.0.0.0","LastZTError":0,"PKCS11Error":0,"SignFileCanceled":0}' ] ||
  fail "installed host replied: $reply"

dpkg --root="$root" --force-not-root -r norva-digital-id >/dev/null
left=$(cd "$root" && find . -mindepth 1 -not -path './var/lib/dpkg*' -not -path './var/lib' -not -path './var')
[ -z "$left" ] || fail "left behind after removal: $left"
echo "deb: installed and removed cleanly"
