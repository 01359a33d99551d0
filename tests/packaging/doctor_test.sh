#!/usr/bin/env bash
# norva-drivers doctor on a machine made in a scratch folder: complete, it finds nothing
# wrong; with one part missing or wrong, it names that part and says how to fix it.
#   doctor_test.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
bin=$build/bin
id=$(cat "$build/extension-package/extension-id")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

lib=usr/libexec/norva-digital-id
firefox_xpi="usr/share/mozilla/extensions/{ec8030f7-c20a-464f-9b0e-13a3a9e97384}/digital-id@norva.example.xpi"
# The complete machine: two browsers, the package's files, a driver mapping and a token.
make_machine() {
  rm -rf "$work/machine"
  local root=$work/machine/root
  export HOME=$work/machine/home XDG_CONFIG_HOME=$work/machine/home/.config
  export TOKENSIM_STATE=$work/machine/token.json HLSIM_STATE=$work/machine/device.json
  mkdir -p "$root/usr/bin" "$root/$lib" "$root/etc/chromium/native-messaging-hosts" \
    "$root/usr/lib/mozilla/native-messaging-hosts" "$root/usr/share/chromium/extensions/norva-digital-id" \
    "$(dirname "$root/$firefox_xpi")" "$XDG_CONFIG_HOME/chromium/Default"
  install -m 755 /dev/null "$root/usr/bin/chromium"
  install -m 755 /dev/null "$root/usr/bin/firefox-esr"
  cp "$bin/NorvaHost" "$bin/libNorvaDigitalIDIF.so" "$bin/NorvaUploadPrompt" "$root/$lib/"
  for browser in chromium firefox; do
    sed "s|\"path\": \"[^\"]*\"|\"path\": \"$root/$lib/NorvaHost\"|" "$build/packaging/manifests/com.norva.digitalid.$browser.json" \
      >"$root/$([ $browser = chromium ] && echo etc/chromium || echo usr/lib/mozilla)/native-messaging-hosts/com.norva.digitalid.json"
  done
  cp "$build/extension-package/extension/manifest.json" "$root/usr/share/chromium/extensions/norva-digital-id/"
  cp "$build/extension-package/norva-digital-id.xpi" "$root/$firefox_xpi"
  printf '{"extensions":{"settings":{"%s":{"state":1}}}}' "$id" >"$XDG_CONFIG_HOME/chromium/Default/Preferences"
  "$bin/simctl" hl eject >/dev/null
  "$bin/norva-drivers" set tavlink.dll "$bin/libtokensim.so" >/dev/null
}

root=$work/machine/root
# name | what breaks the machine | the problem doctor must report (empty: none)
cases=(
  "complete|:|"
  "no Chromium host manifest|rm $root/etc/chromium/native-messaging-hosts/com.norva.digitalid.json|Chromium: no host manifest"
  "a manifest for another extension|sed -i s/$id/abcdefghijklmnopabcdefghijklmnop/ $root/etc/chromium/native-messaging-hosts/com.norva.digitalid.json|allows chrome-extension://abcdefghijklmnopabcdefghijklmnop/, not chrome-extension://$id/"
  "a stray per-user manifest wins|mkdir -p \$XDG_CONFIG_HOME/chromium/NativeMessagingHosts && echo '{}' >\$XDG_CONFIG_HOME/chromium/NativeMessagingHosts/com.norva.digitalid.json|allows no extension"
  "the host is gone|rm $root/$lib/NorvaHost|the host $root/$lib/NorvaHost is not installed"
  "a host that does not answer|printf '#!/bin/sh\\nexit 0\\n' >$root/$lib/NorvaHost|does not answer \"HostVersion\" (no framed reply)"
  "no confirmation prompt|rm $root/$lib/NorvaUploadPrompt|no confirmation prompt"
  "no driver|$bin/norva-drivers clear --all|no token driver loads"
  "no token|$bin/simctl token eject 1|no token: the host counts 0"
  "the Firefox extension is gone|rm '$root/$firefox_xpi'|Firefox: the extension is not installed"
  "no browser|rm $root/usr/bin/chromium $root/usr/bin/firefox-esr|no supported browser is installed"
)
for row in "${cases[@]}"; do
  IFS='|' read -r name break expected <<<"$row"
  make_machine
  eval "$break" >/dev/null
  status=0
  output=$(${NORVA_TOOL_WRAPPER:-} "$bin/norva-drivers" doctor "$root" 2>&1) || status=$?
  problems=$(grep -c '^FAIL' <<<"$output" || true)
  fixes=$(grep -c '^      fix: ' <<<"$output" || true)
  [ "$problems" = "$fixes" ] || fail "$name: a problem without its fix:"$'\n'"$output"
  if [ -z "$expected" ]; then
    [ "$status" = 0 ] && [ "$problems" = 0 ] || fail "$name: doctor found problems ($status):"$'\n'"$output"
    grep -q "^ok    Chromium: host manifest $root/etc/chromium/native-messaging-hosts/" <<<"$output" &&
      grep -q "profile Default: has it" <<<"$output" || fail "$name: the manifest or profile is not reported:"$'\n'"$output"
  else
    [ "$status" = 7 ] || fail "$name: doctor exited with $status:"$'\n'"$output"
    grep '^FAIL' <<<"$output" | grep -qF "$expected" || fail "$name: \"$expected\" not reported:"$'\n'"$output"
  fi
  echo "doctor: $name: $([ -z "$expected" ] && echo "no problem" || echo "$problems problem(s), as expected")"
done
