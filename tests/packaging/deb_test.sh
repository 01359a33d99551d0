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
id=$(cat "$build/extension-package/extension-id")
expected=(
  "$lib/NorvaHost" "$lib/libNorvaDigitalIDIF.so"
  /etc/opt/chrome/native-messaging-hosts/com.norva.digitalid.json
  /etc/chromium/native-messaging-hosts/com.norva.digitalid.json
  /etc/opt/edge/native-messaging-hosts/com.norva.digitalid.json
  /usr/lib/mozilla/native-messaging-hosts/com.norva.digitalid.json
  /usr/share/chromium/extensions/norva-digital-id/manifest.json
  /usr/share/chromium/extensions/norva-digital-id/background.js
  /usr/share/norva-digital-id/norva-digital-id.crx
  /usr/share/norva-digital-id/updates.xml
  /usr/share/norva-digital-id/policies/chromium-policy.json
  /usr/share/norva-digital-id/lib/norva.js
  "/usr/share/mozilla/extensions/{ec8030f7-c20a-464f-9b0e-13a3a9e97384}/digital-id@norva.example.xpi"
  "/usr/share/google-chrome/extensions/$id.json"
  "/usr/share/microsoft-edge/extensions/$id.json"
  /usr/share/doc/norva-digital-id/copyright
  /usr/share/doc/norva-digital-id/changelog.gz
  /usr/share/man/man1/norva-drivers.1.gz
)
for file in "${expected[@]}"; do
  [ -f "$root$file" ] || fail "not installed: $file"
done
grep -q "\"path\": \"$lib/NorvaHost\"" "$root/etc/chromium/native-messaging-hosts/com.norva.digitalid.json" ||
  fail "the Chromium manifest does not name the installed host"
grep -q "\"chrome-extension://$id/\"" "$root/etc/chromium/native-messaging-hosts/com.norva.digitalid.json" ||
  fail "the Chromium manifest does not allow the packaged extension"
# The wrapper passes every entry of Chromium's extension folder to --load-extension.
[ "$(ls "$root/usr/share/chromium/extensions")" = norva-digital-id ] || fail "more than the extension in Chromium's folder"
grep -q "\"external_crx\": \"/usr/share/norva-digital-id/norva-digital-id.crx\"" "$root/usr/share/google-chrome/extensions/$id.json" ||
  fail "Chrome's external-extension file does not name the crx"
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
