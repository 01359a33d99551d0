#!/usr/bin/env bash
# The Debian package in the browsers, as a user meets it: after `dpkg -i`, Chromium
# started through its wrapper and Firefox ESR, each with a fresh profile and no extension
# of ours on the command line, run "HostVersion" and "TokensCount" from a page on the
# allow-list through the installed extension and host; a page off the list gets no answer. After `dpkg --purge` the same
# starts show no extension. Then Chromium's managed policy with a file:// update URL
# installs the packed crx, and taking the policy away removes it.
#
# It all happens in a mount namespace of its own, over copy-on-write layers of /usr, /etc
# and /var: the package and the policy are installed for real there, but no other process
# on the machine sees them, and nothing is left when the namespace ends, even on failure.
#   browser_package_test.sh BUILD_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
bin=$build/bin
fail() { echo "FAIL: $*" >&2; exit 1; }

if [ "${2:-}" != --inside ]; then
  [ "$(id -u)" -eq 0 ] || { echo "needs root (dpkg -i and a mount namespace)" >&2; exit 1; }
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  cpack --config "$build/CPackConfig.cmake" -B "$work/out" >/dev/null
  unshare --mount --propagation private bash "$0" "$build" --inside "$work"
  exit
fi

work=$3
for dir in /usr /etc /var; do
  layer=$work/layers$dir
  mkdir -p "$layer/upper" "$layer/work"
  mount -t overlay overlay -o "lowerdir=$dir,upperdir=$layer/upper,workdir=$layer/work" "$dir"
done
trap 'dpkg --purge norva-digital-id >/dev/null 2>&1 || true' EXIT

id=$(cat "$build/extension-package/extension-id")
# The host the browsers start sees a virtual token, found through a per-user driver mapping.
export TOKENSIM_STATE=$work/token.json HLSIM_STATE=$work/device.json XDG_CONFIG_HOME=$work/config HOME=$work/home
mkdir -p "$HOME"
"$bin/simctl" hl eject >/dev/null
"$bin/norva-drivers" set tavlink.dll "$bin/libtokensim.so" >/dev/null

present='{"present":true,"HostVersion":{"result":"1.0.0.0"},"TokensCount":{"result":"1"},"offList":false}'
absent='{"present":false,"HostVersion":{"error":"ExtensionMissing"},"TokensCount":{"error":"ExtensionMissing"},"offList":false}'
# One row per browser start: the stage it follows, the browser, the profile, what the page sees.
checks=(
  "installed chromium package $present"
  "installed firefox package $present"
  "purged chromium package $absent"
  "purged firefox package $absent"
  "policy chromium policy $present"
  "unpolicied chromium policy $absent"
)

stage() {
  case "$1" in
    installed)
      dpkg -i "$work"/out/*.deb >/dev/null
      [ -x /usr/libexec/norva-digital-id/NorvaHost ] || fail "dpkg -i did not install the host" ;;
    purged)
      dpkg --purge norva-digital-id >/dev/null
      [ ! -e /usr/share/chromium/extensions/norva-digital-id ] || fail "the purge left the extension" ;;
    policy)
      # The purged package took the system-wide host manifest: this profile gets its own.
      mkdir -p "$work/profiles/chromium-policy/NativeMessagingHosts" /etc/chromium/policies/managed
      sed "s|\"path\": \"[^\"]*\"|\"path\": \"$bin/NorvaHost\"|" \
        "$build/packaging/manifests/com.norva.digitalid.chromium.json" \
        >"$work/profiles/chromium-policy/NativeMessagingHosts/com.norva.digitalid.json"
      sed "s|codebase='[^']*'|codebase='file://$build/extension-package/norva-digital-id.crx'|" \
        "$build/extension-package/updates.xml" >"$work/updates.xml"
      printf '{"ExtensionInstallForcelist": ["%s;file://%s"], "DeveloperToolsAvailability": 1}\n' \
        "$id" "$work/updates.xml" >/etc/chromium/policies/managed/norva-test.json
      export NORVA_WORKER_WAIT_MS=20000 ;;
    unpolicied)
      rm /etc/chromium/policies/managed/norva-test.json
      export NORVA_WORKER_WAIT_MS=3000 ;;
  esac
}

last=""
for check in "${checks[@]}"; do
  read -r when browser profile expected <<<"$check"
  [ "$when" = "$last" ] || stage "$when"
  last=$when
  mkdir -p "$work/profiles/$browser-$profile"
  started=$(date +%s%N)
  outcome=$(node "$here/installed-extension.mjs" "$browser" "$work/profiles/$browser-$profile" 2>"$work/browser.log") ||
    { cat "$work/browser.log" >&2; fail "$when $browser: the browser run failed"; }
  seen=$(node -e 'const {workers, ...page} = JSON.parse(process.argv[1]); console.log(JSON.stringify(page))' "$outcome")
  [ "$seen" = "$expected" ] || fail "$when $browser: expected $expected, the page saw $outcome"
  if [ "$browser" = chromium ] && [ "$expected" = "$present" ]; then
    [[ "$outcome" == *"\"workers\":[\"$id\"]"* ]] || fail "$when $browser: not our extension's worker: $outcome"
  fi
  tenths=$((($(date +%s%N) - started) / 100000000))
  printf '%-10s %-8s %s (%d.%d s)\n' "$when" "$browser" "$([ "$expected" = "$present" ] && echo works || echo absent)" \
    $((tenths / 10)) $((tenths % 10))
done
echo "browsers: the package's extension works after dpkg -i and is gone after the purge; policy install and removal work"
