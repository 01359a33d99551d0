#!/usr/bin/env bash
# The Windows installer under Wine, in a scratch copy of the test prefix: a silent install
# leaves the files, the component's registration and each browser's host-manifest key; the
# installed host answers through the registered component; the uninstaller removes it all.
# Then a managed install (/UPDATEURL=) adds the extension to Chrome's and Edge's
# force-install policy beside an entry already there, and the uninstaller takes only ours out.
#   nsis_test.sh INSTALLER WINE_LOADER WINE_PREFIX EXTENSION_ID
set -euo pipefail
installer=$1 wine=$2 source_prefix=$3 id=$4
work=$(mktemp -d)
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wineserver=/usr/lib/wine/wineserver
cleanup() { "$wineserver" -k 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# The prefix's files are shared through hard links; the registry, which Wine rewrites,
# is copied.
cp -al "$source_prefix" "$WINEPREFIX"
for file in "$source_prefix"/*.reg "$source_prefix"/.update-timestamp; do
  [ -e "$file" ] && cp --remove-destination "$file" "$WINEPREFIX/"
done

installed="$WINEPREFIX/drive_c/Program Files/Norva Digital ID"
clsid='Software\\Classes\\CLSID\\{D41D9EE8-7F0B-488D-B8C4-5A1526BE3478}\\InprocServer32'
keys=(
  'Software\\Google\\Chrome\\NativeMessagingHosts\\com.norva.digitalid'
  'Software\\Chromium\\NativeMessagingHosts\\com.norva.digitalid'
  'Software\\Microsoft\\Edge\\NativeMessagingHosts\\com.norva.digitalid'
  'Software\\Mozilla\\NativeMessagingHosts\\com.norva.digitalid'
  'Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\NorvaDigitalID'
)
# Whether the machine's registry (saved by Wine when its server ends) has a key.
has_key() { "$wineserver" -w; grep -qiF "[$1]" "$WINEPREFIX/system.reg"; }

# The browsers' own keys may be there before; they must be left as they were found.
parents=('Software\\Chromium' 'Software\\Mozilla\\NativeMessagingHosts' 'Software\\Google\\Chrome')
parents_before=()
for key in "${parents[@]}"; do
  if has_key "$key"; then parents_before+=("$key"); fi
done

"$wine" "$installer" /S
"$wineserver" -w
for file in NorvaHost.exe NorvaDigitalIDIF.dll uninstall.exe com.norva.digitalid.chromium.json \
            com.norva.digitalid.firefox.json extension/manifest.json extension/lib/norva.js; do
  [ -f "$installed/$file" ] || fail "not installed: $file"
done
grep -q '"path": "NorvaHost.exe"' "$installed/com.norva.digitalid.chromium.json" || fail "manifest path"
for key in "${keys[@]}" "$clsid"; do
  has_key "$key" || fail "missing registry key $key"
done
! grep -qF 'ExtensionInstallForcelist' "$WINEPREFIX/system.reg" || fail "policy keys written without /UPDATEURL="
grep -A3 -iF "[${keys[0]}]" "$WINEPREFIX/system.reg" | grep -qiF 'Norva Digital ID\\com.norva.digitalid.chromium.json' ||
  fail "the Chrome key does not point at the installed manifest"

# The installed host, started as a browser would, binds the registered component.
reply=$(printf '\x16\x00\x00\x00{"func":"HostVersion"}' |
        "$wine" "C:\\Program Files\\Norva Digital ID\\NorvaHost.exe" "chrome-extension://$id/" |
        tail -c +5)
[ "$reply" = '{"rc":"0","result":"1.0.0.0","LastZTError":0,"PKCS11Error":0,"SignFileCanceled":0}' ] ||
  fail "installed host replied: $reply"

"$wine" "C:\\Program Files\\Norva Digital ID\\uninstall.exe" /S
"$wineserver" -w
[ ! -e "$installed" ] || fail "left behind: $(cd "$installed" && find .)"
for key in "${keys[@]}" "$clsid"; do
  if has_key "$key"; then fail "registry key left behind: $key"; fi
done
for key in "${parents[@]}"; do
  if has_key "$key" && [[ ! " ${parents_before[*]} " == *" $key "* ]]; then
    fail "registry key left behind: $key"
  fi
done
echo "installer: installed and removed cleanly"

# A value of a machine key, as Wine saved it ("" when there is none).
value() {
  "$wineserver" -w
  # Through the environment: awk -v would read the backslashes as escapes.
  KEY="[$1]" NAME="\"$2\"=" awk 'BEGIN { key = ENVIRON["KEY"]; name = ENVIRON["NAME"] }
    index($0, key) == 1 { inside = 1; next }
    /^\[/ { inside = 0 } inside && index($0, name) == 1 { print substr($0, length(name) + 1) }' "$WINEPREFIX/system.reg"
}
chrome='Software\\Policies\\Google\\Chrome\\ExtensionInstallForcelist'
edge='Software\\Policies\\Microsoft\\Edge\\ExtensionInstallForcelist'
url=https://updates.example.com/norva/updates.xml
other='"abcdefghijklmnopabcdefghijklmnop;https://other.example/updates.xml"'
"$wine" reg add 'HKLM\Software\Policies\Google\Chrome\ExtensionInstallForcelist' /v 1 /d "${other//\"/}" /f >/dev/null
"$wine" "$installer" /S "/UPDATEURL=$url"
# key | value | after install | after uninstall
policy=(
  "$chrome|1|$other|$other"
  "$chrome|2|\"$id;$url\"|"
  "$edge|1|\"$id;$url\"|"
)
for row in "${policy[@]}"; do
  IFS='|' read -r key name installed removed <<<"$row"
  [ "$(value "$key" "$name")" = "$installed" ] || fail "policy $key $name: $(value "$key" "$name"), not $installed"
done
"$wine" "C:\\Program Files\\Norva Digital ID\\uninstall.exe" /S
for row in "${policy[@]}"; do
  IFS='|' read -r key name installed removed <<<"$row"
  [ "$(value "$key" "$name")" = "$removed" ] || fail "policy after removal $key $name: $(value "$key" "$name")"
done
has_key "$edge" && fail "the uninstaller left Edge's empty policy list"
echo "installer: the policy entries were added beside the existing one and removed again"
