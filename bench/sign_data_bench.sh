#!/usr/bin/env bash
# "SignData" through NorvaHost (a new process per request) against OpenSC's
# pkcs11-tool --sign, on the same virtual token and 2048-bit key, in interleaved rounds so
# that both see the same machine load. Prints the median wall time of each and their ratio,
# and the peak memory of one request of each (with GNU time).
#   bench/sign_data_bench.sh BIN_DIR [ROUNDS]     (default 40 rounds)
set -euo pipefail
BIN=$(cd "$1" && pwd)
ROUNDS=${2:-40}
command -v pkcs11-tool >/dev/null || { echo "pkcs11-tool is missing (scripts/setup.sh installs opensc)"; exit 1; }

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
cp "$BIN/NorvaHost" "$BIN/libNorvaDigitalIDIF.so" "$WORK/"
cp "$BIN/libtokensim.so" "$WORK/libtavlink.so"
export TOKENSIM_STATE=$WORK/token.json HLSIM_STATE=$WORK/device.json XDG_CONFIG_HOME=$WORK/config
"$BIN/simctl" hl eject >/dev/null
slot=$("$BIN/simctl" token show | sed -n 's/^slot \([0-9]*\):.*/\1/p' | head -1)
"$BIN/simctl" token init-token "${slot:-1}" --so-pin 87654321 --label Trellmoor --user-pin 592604 >/dev/null
ASAN_OPTIONS=detect_leaks=0 "$BIN/make_service_key" "$WORK" 592604 2048 >/dev/null

# The same 64 bytes for both: a SHA-512 digest, as file signing signs.
digest=$(printf 'payment record' | openssl dgst -sha512 -hex | sed 's/.*= //')
printf '%s' "$digest" | python3 -c 'import sys; sys.stdout.buffer.write(bytes.fromhex(sys.stdin.read()))' >"$WORK/digest.bin"
request="{\"func\":\"SignData\",\"params\":{\"pin\":\"592604\",\"rawData\":\"$digest\",\"isConvertToBinary\":true}}"
python3 -c 'import struct,sys; t=sys.argv[1].encode(); sys.stdout.buffer.write(struct.pack("<I",len(t))+t)' "$request" >"$WORK/request.bin"
# CKA_ID of the key: its label and a zero byte.
key_id=$(printf 'NORVA PKCS#11 KEY\0' | python3 -c 'import sys; print(sys.stdin.buffer.read().hex())')

now() { date +%s%N; }
host_ms=()
tool_ms=()
for _ in $(seq "$ROUNDS"); do
  t0=$(now)
  (cd "$WORK" && ./NorvaHost <request.bin >reply.bin)
  t1=$(now)
  pkcs11-tool --module "$WORK/libtavlink.so" --login --pin 592604 --sign --mechanism RSA-PKCS \
    --id "$key_id" --input-file "$WORK/digest.bin" --output-file "$WORK/tool.sig" >/dev/null 2>&1
  t2=$(now)
  host_ms+=($(( (t1 - t0) / 1000 )))
  tool_ms+=($(( (t2 - t1) / 1000 )))
done
# Both signed the same bytes with the same key: PKCS #1 v1.5 signatures are deterministic.
host_sig=$(tail -c +5 "$WORK/reply.bin" | python3 -c 'import json,sys; print(json.load(sys.stdin)["result"].lower())')
tool_sig=$(python3 -c 'import sys; print(open(sys.argv[1],"rb").read().hex())' "$WORK/tool.sig")
[ "$host_sig" = "$tool_sig" ] || { echo "the two signatures differ"; exit 1; }

median() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {print (NR%2 ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2)/1000}'; }
h=$(median "${host_ms[@]}")
t=$(median "${tool_ms[@]}")
echo "SignData, 2048-bit key, median of $ROUNDS interleaved rounds (same signature from both)"
printf '%-34s %10s ms\n' "NorvaHost (new process)" "$h" "pkcs11-tool --sign" "$t"
awk -v h="$h" -v t="$t" 'BEGIN {printf "%-34s %10.2f   (target <= 1.0)\n", "ratio NorvaHost / pkcs11-tool", h / t}'

# Peak resident memory of one request of each, as GNU time reports it.
if [ -x /usr/bin/time ]; then
  (cd "$WORK" && /usr/bin/time -f %M -o host.peak ./NorvaHost <request.bin >/dev/null)
  /usr/bin/time -f %M -o "$WORK/tool.peak" pkcs11-tool --module "$WORK/libtavlink.so" --login \
    --pin 592604 --sign --mechanism RSA-PKCS --id "$key_id" --input-file "$WORK/digest.bin" \
    --output-file "$WORK/tool.sig" >/dev/null 2>&1
  printf '%-34s %10s KB\n' "peak memory NorvaHost" "$(cat "$WORK/host.peak")" \
    "peak memory pkcs11-tool --sign" "$(cat "$WORK/tool.peak")"
fi
