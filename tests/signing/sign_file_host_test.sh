#!/usr/bin/env bash
# End to end: "SignFileData" through NorvaHost on a virtual token with a 2048-bit key,
# confirmed in the real prompt on a display server of its own with the Enter key, and
# "SignData" of a short text. OpenSSL recovers what each signature signs from the token's
# public key, which must be the SHA-512 of exactly the defined texts.
#
#   sign_file_host_test.sh BIN_DIR
#
# Exits 77 (skipped) only when no display server can be started here.
set -uo pipefail
BIN=$(cd "$1" && pwd)
HERE=$(cd "$(dirname "$0")" && pwd)

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

source "$HERE/host_app.sh"
begin_host_test "$BIN" 2048 xdotool openssl python3
modulus=$MODULUS

# The public key as OpenSSL takes it.
cat >"$WORK/key.conf" <<CONF
asn1=SEQUENCE:rsa
[rsa]
n=INTEGER:0x$modulus
e=INTEGER:65537
CONF
openssl asn1parse -genconf "$WORK/key.conf" -out "$WORK/key.der" >/dev/null &&
  openssl rsa -RSAPublicKey_in -inform DER -in "$WORK/key.der" -pubout -out "$WORK/key.pem" 2>/dev/null ||
  { echo "FAIL: OpenSSL could not read the modulus"; exit 1; }

# Sends one framed request ($1) to a new host process; the reply's JSON goes to $2. Returns
# the host's exit status. NORVA_HOST_WRAPPER (valgrind and its options, say) runs the host
# under a checker.
request() {
  framed "$1" | (cd "$APP" && LC_ALL=C.UTF-8 ${NORVA_HOST_WRAPPER:-} ./NorvaHost) >"$WORK/reply.bin"
  local status=$?
  tail -c +5 "$WORK/reply.bin" >"$2"
  return $status
}
unhex() { python3 -c 'import sys; sys.stdout.buffer.write(bytes.fromhex(sys.stdin.read().strip()))'; }
hex() { python3 -c 'import sys; print(sys.stdin.buffer.read().hex())'; }

# Whether signature $1 (hex) recovers to the SHA-512 of the text in file $2.
recovers_sha512() {
  printf '%s' "$1" | unhex >"$WORK/sig.bin"
  openssl pkeyutl -verifyrecover -pubin -inkey "$WORK/key.pem" -in "$WORK/sig.bin" \
    -out "$WORK/recovered.bin" 2>/dev/null || return 1
  [ "$(hex <"$WORK/recovered.bin")" = "$(openssl dgst -sha512 -binary "$2" | hex)" ]
}

# The example file: a header, two detail records and a trailer, with LF line ends.
header="K$(printf '%0105d' 0)"
first="5123456781234567890AB000000000001050XYZ"
second="5765432109876543210CD000000001234567XYZ"
content="$header\n$first\n$second\n9trailer\n"
challenge="CH-2026-12-09"
printf '%s\r\n%s\r\n%s' "$header" "$first" "$challenge" >"$WORK/first.txt"
printf '%s\r\n%s' "$second" "$challenge" >"$WORK/second.txt"

echo "request  SignFileData of payments.txt: a header, two detail records, a trailer"
request "{\"func\":\"SignFileData\",\"params\":{\"pin\":\"592604\",\"fileContent\":\"$content\",\"fileName\":\"payments.txt\",\"challenge\":\"$challenge\"}}" "$WORK/signed.json" &
HOST_PID=$!
answer_prompt "$HOST_PID" Return || fail "no confirmation prompt was shown"
for _ in $(seq 600); do kill -0 "$HOST_PID" 2>/dev/null || break; sleep 0.1; done
wait "$HOST_PID" || fail "SignFileData: the host exited with status $?"
HOST_PID=""
echo "reply    $(cut -c 1-150 "$WORK/signed.json")...$(tail -c 60 "$WORK/signed.json")"
[ "$(field "$WORK/signed.json" LastZTError)" = 0 ] || fail "SignFileData: $(cat "$WORK/signed.json")"
[ "$(field "$WORK/signed.json" SignFileCanceled)" = 0 ] || fail "SignFileData: canceled"
IFS='|' read -r -a signatures <<<"$(field "$WORK/signed.json" result)"
[ ${#signatures[@]} -eq 2 ] || fail "expected two signatures, got ${#signatures[@]}"
recovers_sha512 "${signatures[0]:-}" "$WORK/first.txt" || fail "the first signature is not of the first record's text"
recovers_sha512 "${signatures[1]:-}" "$WORK/second.txt" || fail "the second signature is not of the second record's text"
echo "OpenSSL recovers from each of the ${#signatures[@]} signatures the SHA-512 of its record's text"

# SignData: the bytes 0A 1B, signed as they are.
request '{"func":"SignData","params":{"pin":"592604","rawData":"0A1B","isConvertToBinary":true}}' "$WORK/data.json" ||
  fail "SignData: the host exited with status $?"
printf '%s' "$(field "$WORK/data.json" result)" | unhex >"$WORK/sig.bin"
openssl pkeyutl -verifyrecover -pubin -inkey "$WORK/key.pem" -in "$WORK/sig.bin" -out "$WORK/recovered.bin" 2>/dev/null &&
  [ "$(hex <"$WORK/recovered.bin")" = "0a1b" ] || fail "SignData: $(cat "$WORK/data.json")"
echo "SignData of 0A1B: OpenSSL recovers $(hex <"$WORK/recovered.bin") from the signature"

[ $failures -eq 0 ] && echo "signing through NorvaHost: all cases passed"
[ $failures -eq 0 ]
