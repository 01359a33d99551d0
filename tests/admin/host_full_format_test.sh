#!/bin/sh
# End to end: NorvaHost formats a blank virtual token fully, later requests (each a
# process of its own) read the holder's names and the public key, and OpenSSL checks a
# signature that the token makes with that key against the public-key text.
# Usage: host_full_format_test.sh BIN_FOLDER
set -eu

bin=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$bin/NorvaHost" "$bin/libNorvaDigitalIDIF.so" "$work/"
cp "$bin/libtokensim.so" "$work/libtavlink.so"
export TOKENSIM_STATE="$work/token.json" HLSIM_STATE="$work/device.json"
export XDG_CONFIG_HOME="$work/config" # not registered: the host loads the library beside it
"$bin/simctl" hl eject > /dev/null
sanitizers=$(ldd "$work/libtavlink.so" | awk '/lib(asan|ubsan)\.so/ { print $3 }' | tr '\n' ' ')
fail() { echo "FAILED: $*" >&2; exit 1; }

# Sends one framed request; prints the reply's "result" text. NORVA_HOST_WRAPPER (valgrind
# and its options, say) runs the host under a checker; any exit status but 0 fails.
request() {
    n=${#1}
    { printf "$(printf '\\%03o\\%03o\\%03o\\%03o' $((n & 255)) $((n >> 8 & 255)) \
        $((n >> 16 & 255)) $((n >> 24 & 255)))"
      printf '%s' "$1"; } | ${NORVA_HOST_WRAPPER:-} "$work/NorvaHost" > "$work/reply" ||
        fail "request $1: the host exited with status $?"
    tail -c +5 "$work/reply" > "$work/reply.json"
    grep -q '"rc":"0"' "$work/reply.json" || fail "request $1: $(cat "$work/reply.json")"
    sed 's/.*"result":"\([^"]*\)".*/\1/' "$work/reply.json"
}
expect() { [ "$2" = "$3" ] || fail "$1: got '$2', expected '$3'"; }

echo "== FullFormatToken on a blank token"
key=$(request '{"func":"FullFormatToken","params":{"initPin":"24682468","SOPassword":"87654321","userID":"300123456","firstName":"Dana","lastName":"Levi","keyLength":"2"}}')
grep -q '"LastZTError":0,"PKCS11Error":0' "$work/reply.json" || fail "$(cat "$work/reply.json")"
expect "key length" "${#key}" 512
echo "$key" | grep -q '^[0-9A-F]*$' || fail "key is not upper-case hexadecimal"

echo "== later requests read what the formatting stored"
expect FirstName "$(request '{"func":"FirstName"}')" Dana
expect LastName "$(request '{"func":"LastName"}')" Levi
expect UserID "$(request '{"func":"UserID"}')" 300123456
expect Company "$(request '{"func":"Company"}')" ""
expect NorvaEFTTokensCount "$(request '{"func":"NorvaEFTTokensCount"}')" 1
expect PublicKey "$(request '{"func":"PublicKey"}')" "$key"

echo "== the token signs with the key; OpenSSL verifies against the public-key text"
printf 'payment record 0001' > "$work/data"
LD_PRELOAD="$sanitizers" ASAN_OPTIONS=detect_leaks=0 pkcs11-tool --module "$work/libtavlink.so" \
    --login --pin 24682468 --sign --mechanism RSA-PKCS --label "NORVA PKCS#11 KEY" \
    -i "$work/data" -o "$work/sig" 2> /dev/null
printf 'asn1=SEQUENCE:key\n[key]\nn=INTEGER:0x%s\ne=INTEGER:0x010001\n' "$key" > "$work/key.cnf"
openssl asn1parse -genconf "$work/key.cnf" -out "$work/key.der" -noout > /dev/null
openssl rsa -RSAPublicKey_in -inform DER -in "$work/key.der" -pubout -out "$work/key.pem" 2> /dev/null
openssl pkeyutl -verifyrecover -pubin -inkey "$work/key.pem" -pkeyopt rsa_padding_mode:pkcs1 \
    -in "$work/sig" -out "$work/recovered"
cmp -s "$work/data" "$work/recovered" || fail "the signature does not verify with the key text"

echo "== a PIN change in a later request"
expect ChangePIN "$(request '{"func":"ChangePIN","params":{"oldPin":"24682468","newPin":"13571357"}}')" 0
expect "old PIN" "$(request '{"func":"ChangePIN","params":{"oldPin":"24682468","newPin":"1111"}}')" 6
echo "all passed"
