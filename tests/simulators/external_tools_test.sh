#!/bin/sh
# Drives the simulated token with outside tools: OpenSC's pkcs11-tool and OpenSSL.
# Usage: external_tools_test.sh BIN_FOLDER
set -eu

bin=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TOKENSIM_STATE="$work/token.json"
module="$work/libtavlink.so"
cp "$bin/libtokensim.so" "$module"
simctl="$bin/simctl"
# A sanitizer build of the module needs its runtime loaded first into the outside tool.
sanitizers=$(ldd "$module" | awk '/lib(asan|ubsan)\.so/ { print $3 }' | tr '\n' ' ')
p11() {
    LD_PRELOAD="$sanitizers" ASAN_OPTIONS=detect_leaks=0 pkcs11-tool --module "$module" "$@"
}
fail() { echo "FAILED: $*" >&2; exit 1; }
check() { grep -q -- "$1" "$2" || { cat "$2" >&2; fail "$3"; }; }

echo "== the blank token in its hardware reader"
p11 --list-slots --verbose > "$work/slots.txt"
check "token present" "$work/slots.txt" "slot without the token-present flag"
check "hardware slot" "$work/slots.txt" "slot without the hardware-slot flag"
! grep -q "token initialized" "$work/slots.txt" || fail "token is not blank"

echo "== initialise the token and the user PIN"
p11 --init-token --so-pin 87654321 --label Trellmoor > /dev/null
p11 --init-pin --so-pin 87654321 --pin 1234 > /dev/null
p11 --list-token-slots > "$work/token.txt"
check "Trellmoor" "$work/token.txt" "label not set"
check "PIN initialized" "$work/token.txt" "user PIN not initialised"

echo "== log in, generate a key pair, sign, list the objects (each a new process)"
p11 --login --pin 1234 --keypairgen --key-type rsa:2048 --label "NORVA PKCS#11 KEY" --id 01 > /dev/null
printf 'payment record' > "$work/data"
p11 --login --pin 1234 --sign --mechanism RSA-PKCS --id 01 -i "$work/data" -o "$work/sig" 2> /dev/null
p11 --login --pin 1234 --list-objects > "$work/objects.txt" 2> /dev/null
check "Private Key Object; RSA" "$work/objects.txt" "private key not listed"
check "Public Key Object; RSA 2048 bits" "$work/objects.txt" "public key not listed"
"$simctl" token objects 1 > "$work/simctl-objects.txt"
check "private-key private" "$work/simctl-objects.txt" "simctl does not show the key"

echo "== OpenSSL verifies the signature with the public key read from the token"
p11 --read-object --type pubkey --id 01 -o "$work/pub.der" 2> /dev/null
openssl pkeyutl -verifyrecover -pubin -keyform DER -inkey "$work/pub.der" \
    -pkeyopt rsa_padding_mode:pkcs1 -in "$work/sig" -out "$work/recovered"
cmp "$work/data" "$work/recovered" || fail "signature does not recover the signed data"

echo "== OpenSSL encrypts a block that the token decrypts"
printf 'secret block' > "$work/plain"
openssl pkeyutl -encrypt -pubin -keyform DER -inkey "$work/pub.der" \
    -pkeyopt rsa_padding_mode:pkcs1 -in "$work/plain" -out "$work/cipher"
p11 --login --pin 1234 --decrypt --mechanism RSA-PKCS --id 01 -i "$work/cipher" \
    -o "$work/decrypted" 2> /dev/null
cmp "$work/plain" "$work/decrypted" || fail "decryption differs"

echo "== a wrong PIN is refused and counted; an expired PIN is reported"
if p11 --login --pin 9999 --list-objects > "$work/wrong.txt" 2>&1; then fail "wrong PIN accepted"; fi
check "CKR_PIN_INCORRECT" "$work/wrong.txt" "wrong PIN not reported as CKR_PIN_INCORRECT"
"$simctl" token show > "$work/show.txt"
check "failures=1" "$work/show.txt" "failure not counted"
"$simctl" token expire-pin 1
if p11 --login --pin 1234 --list-objects > "$work/expired.txt" 2>&1; then fail "expired PIN logged in"; fi
check "CKR_PIN_EXPIRED" "$work/expired.txt" "expiry not reported"
"$simctl" token expire-pin 1 --clear

echo "== an injected fault comes back exactly once, on the call asked for"
"$simctl" token log-to "$work/calls.log"
"$simctl" token fault C_GetTokenInfo 0x80000001 --on-call 2
p11 --list-token-slots > /dev/null 2>&1 || true
p11 --list-token-slots > /dev/null 2>&1 || true
results=$(grep '^C_GetTokenInfo' "$work/calls.log" | cut -f3 | tr '\n' ' ')
count=$(grep '^C_GetTokenInfo' "$work/calls.log" | grep -c '0x80000001' || true)
[ "$count" = 1 ] || fail "fault returned $count times: $results"
grep '^C_GetTokenInfo' "$work/calls.log" | sed -n 2p | grep -q 0x80000001 \
    || fail "fault not on the second call: $results"

echo "== two processes writing at once leave a valid state with every change"
for i in 1 2 3 4 5 6 7 8 9 10; do "$simctl" token add-reader --description A > /dev/null; done &
for i in 1 2 3 4 5 6 7 8 9 10; do "$simctl" token add-reader --description B > /dev/null; done &
wait
python3 -c "import json,sys; d=json.load(open(sys.argv[1])); sys.exit(0 if len(d['readers'])==21 else 1)" \
    "$TOKENSIM_STATE" || fail "state lost a change or is not valid JSON"

echo "== simctl exit codes"
set +e
"$simctl" token dump 99 1 > /dev/null 2>&1; [ $? = 3 ] || fail "missing slot is not exit code 3"
"$simctl" token nonsense > /dev/null 2>&1; [ $? = 1 ] || fail "unknown command is not exit code 1"
set -e
echo "all external checks passed"
