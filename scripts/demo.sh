#!/usr/bin/env bash
# With a display: opens the demo page in Chromium with the extension, on a virtual token
# (scripts/demo-browser.sh). Without one, or with --tour: sets up the machine, builds the
# Linux programs and talks to NorvaHost as the browser would, over a virtual token made
# with the simulated drivers.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ "${1:-}" != --tour ]; then
  exec bash scripts/demo-browser.sh
fi

bash scripts/setup.sh
cmake --preset linux >/dev/null
cmake --build --preset linux --target NorvaHost NorvaDigitalIDIF tokensim hlsim simctl \
  NorvaUploadPrompt norva-drivers make_service_key
bin=build/linux/bin

# The host with what the package installs beside it, and the driver stand-in, the way
# the browser's launcher finds them; every request is a process of its own.
demo=$(mktemp -d)
trap 'rm -rf "$demo"' EXIT
bash scripts/demo-host.sh build/linux "$demo"
export TOKENSIM_STATE=$demo/token.json HLSIM_STATE=$demo/device.json
export XDG_CONFIG_HOME=$demo/config # no registration: the host uses the library beside it
"$bin/simctl" hl eject >/dev/null   # only the USB token is plugged in

request() { # $1 = JSON request text, sent framed; the framed reply is shown
  local text=$1 n=${#1}
  printf 'request  %s\n' "$text"
  { printf "$(printf '\\x%02x\\x%02x\\x%02x\\x%02x' $((n & 255)) $((n >> 8 & 255)) \
      $((n >> 16 & 255)) $((n >> 24 & 255)))"
    printf '%s' "$text"; } | "$demo/NorvaHost" >"$demo/reply"
  printf 'reply   %s  %s\n' "$(head -c 4 "$demo/reply" | od -An -tx1)" "$(tail -c +5 "$demo/reply")"
}

echo "--- a blank token in one reader"
request '{"func":"HostVersion"}'
request '{"func":"TokensCount"}'
request '{"func":"NorvaEFTTokensCount"}'
request '{"func":"DriversInstalled"}'

echo "--- the token formatted fully for the service through the host"
request '{"func":"FullFormatToken","params":{"initPin":"24682468","SOPassword":"87654321","userID":"300123456","firstName":"Dana","lastName":"Levi","keyLength":"2"}}'
request '{"func":"NorvaEFTTokensCount"}'
request '{"func":"CardType"}'

echo "--- later requests: the public key, the holder, a PIN change, the counts"
request '{"func":"PublicKey"}'
request '{"func":"UserID"}'
request '{"func":"FirstName"}'
request '{"func":"LastName"}'
request '{"func":"CreateTime"}'
request '{"func":"Company","params":{"newVal":"Trellmoor Payments"}}'
request '{"func":"Company"}'
request '{"func":"ChangePIN","params":{"oldPin":"24682468","newPin":"13571357"}}'
request '{"func":"ChangePIN","params":{"oldPin":"24682468","newPin":"99999999"}}'
request '{"func":"TokensCount"}'
request '{"func":"NorvaEFTTokensCount"}'
request '{"func":"NoSuchCommand"}'

echo "--- an upload file signed after a confirmation in the prompt (Xvfb, Enter pressed)"
bash tests/signing/sign_file_host_test.sh "$bin"
