#!/usr/bin/env bash
# Opens the demo page in Chromium with the extension loaded, talking to NorvaHost on a
# virtual token. Needs a display; scripts/demo.sh falls back to a scripted tour without.
#
# Everything lives in NORVA_DEMO_DIR (default browser-demo in NORVA_CACHE, ~/.cache/norva): the host with
# the simulated driver, the token's state (kept between runs) and a browser profile of its
# own, so your usual browser profile is not touched.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)

bash scripts/setup.sh
cmake --preset linux >/dev/null
cmake --build --preset linux --target NorvaHost NorvaDigitalIDIF NorvaUploadPrompt norva-drivers \
  tokensim hlsim simctl
bin=$ROOT/build/linux/bin
demo=${NORVA_DEMO_DIR:-${NORVA_CACHE:-$HOME/.cache/norva}/browser-demo}
port=${NORVA_DEMO_PORT:-8611}

mkdir -p "$demo/profile/NativeMessagingHosts"
# The host runs from a folder that holds what the installed package holds (the upload
# prompt too, so file signing shows the real prompt), with the simulated driver beside it.
bash scripts/demo-host.sh "$ROOT/build/linux" "$demo/host"
export TOKENSIM_STATE=$demo/token.json HLSIM_STATE=$demo/device.json
# The browser starts the host through this wrapper, which points the simulators at the
# demo's state; the class is not registered, so the host uses the component beside it.
cat >"$demo/host/norva-host" <<WRAPPER
#!/bin/sh
export TOKENSIM_STATE='$TOKENSIM_STATE' HLSIM_STATE='$HLSIM_STATE' XDG_CONFIG_HOME='$demo/config'
exec '$demo/host/NorvaHost' "\$@"
WRAPPER
chmod +x "$demo/host/norva-host"
sed "s|@NORVA_HOST_PATH@|$demo/host/norva-host|" host/manifests/chromium.json.in \
  >"$demo/profile/NativeMessagingHosts/com.norva.digitalid.json"

# First run: one reader holding a token formatted for the service, user PIN 592604 and
# SO PIN 87654321; the hl_* device is unplugged.
if [ ! -f "$TOKENSIM_STATE" ]; then
  "$bin/simctl" hl eject >/dev/null
  slot=$("$bin/simctl" token show | sed -n 's/^slot \([0-9]*\):.*/\1/p' | head -1)
  "$bin/simctl" token init-token "${slot:-1}" --so-pin 87654321 --label Trellmoor --user-pin 592604 >/dev/null
fi
"$bin/simctl" token show

node demo/serve.mjs --port "$port" &
server=$!
trap 'kill "$server" 2>/dev/null' EXIT
sleep 0.5
echo "demo: the token's state is $TOKENSIM_STATE; change it with $bin/simctl (see testing/README.md)"
sandbox=()
[ "$(id -u)" -ne 0 ] || sandbox=(--no-sandbox) # Chromium's sandbox refuses to run as root
chromium "${sandbox[@]}" --user-data-dir="$demo/profile" --no-first-run --no-default-browser-check \
  --disable-extensions-except="$ROOT/extension" --load-extension="$ROOT/extension" \
  "http://127.0.0.1:$port/"
