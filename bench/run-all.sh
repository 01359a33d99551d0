#!/usr/bin/env bash
# Reruns every benchmark on a built linux preset (it builds nothing) and prints each figure
# beside its yardstick and target, then one summary table.
#
#   bench/run-all.sh BIN_DIR [--records SMALL,LARGE] [--cold-rounds N] [--sign-rounds N]
#
# BIN_DIR is build/linux/bin. --records sets the two upload sizes of the file-signing run
# (default 1000,10000, the sizes the targets are set for; the ratio's target scales with
# them). The machine's load is printed first and last: figures from a loaded machine swing.
set -euo pipefail
BIN=$(cd "${1:?usage: bench/run-all.sh BIN_DIR [--records SMALL,LARGE] [--cold-rounds N] [--sign-rounds N]}" && pwd)
shift
HERE=$(cd "$(dirname "$0")" && pwd)
records=1000,10000
cold_rounds=200
sign_rounds=40
while [ $# -gt 0 ]; do
  case "$1" in
    --records) records=$2; shift 2 ;;
    --cold-rounds) cold_rounds=$2; shift 2 ;;
    --sign-rounds) sign_rounds=$2; shift 2 ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
done
for program in ColdStart NorvaFloorHost FileSigningBench NorvaHost make_service_key simctl; do
  [ -x "$BIN/$program" ] || { echo "$BIN/$program is missing: build the linux preset first" >&2; exit 1; }
done
command -v pkcs11-tool >/dev/null || { echo "pkcs11-tool is missing (scripts/setup.sh installs opensc)" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "GNU time is missing (scripts/setup.sh installs it)" >&2; exit 1; }

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
echo "machine: $(nproc) processors, $(uptime)"

echo
echo "== HostVersion cold start, NorvaHost against the floor program ($cold_rounds interleaved rounds)"
"$BIN/ColdStart" "$cold_rounds" | tee "$WORK/cold.txt"

echo
echo "== SignData through NorvaHost against pkcs11-tool --sign ($sign_rounds interleaved rounds)"
bash "$HERE/sign_data_bench.sh" "$BIN" "$sign_rounds" | tee "$WORK/sign.txt"

# Peak resident memory (KB) of one process of each kind, on a virtual token with a 2048-bit
# key: the host answering HostVersion and SignData, and pkcs11-tool signing the same bytes.
echo
echo "== peak memory of one process"
APP=$WORK/app
mkdir -p "$APP"
cp "$BIN/NorvaHost" "$BIN/libNorvaDigitalIDIF.so" "$BIN/NorvaFloorHost" "$APP/"
cp "$BIN/libtokensim.so" "$APP/libtavlink.so"
export TOKENSIM_STATE=$WORK/token.json HLSIM_STATE=$WORK/device.json XDG_CONFIG_HOME=$WORK/config
"$BIN/simctl" hl eject >/dev/null
slot=$("$BIN/simctl" token show | sed -n 's/^slot \([0-9]*\):.*/\1/p' | head -1)
"$BIN/simctl" token init-token "${slot:-1}" --so-pin 87654321 --label Trellmoor --user-pin 592604 >/dev/null
"$BIN/make_service_key" "$APP" 592604 2048 >/dev/null
digest=$(printf 'payment record' | openssl dgst -sha512 -hex | sed 's/.*= //')
python3 -c 'import sys; sys.stdout.buffer.write(bytes.fromhex(sys.argv[1]))' "$digest" >"$WORK/digest.bin"
key_id=$(python3 -c 'print(b"NORVA PKCS#11 KEY\0".hex())')
# Runs a command (from its own folder) with $1 on its standard input; prints its peak
# resident set in KB, as GNU time reports it.
peak_kb() {
  local input=$1
  shift
  (cd "$(dirname "$1")" && /usr/bin/time -f %M -o "$WORK/peak" "$@" <"$input" >/dev/null 2>&1)
  cat "$WORK/peak"
}
frame() { python3 -c 'import struct,sys; t=sys.argv[1].encode(); sys.stdout.buffer.write(struct.pack("<I",len(t))+t)' "$1"; }
frame '{"func":"HostVersion"}' >"$WORK/version.bin"
frame "{\"func\":\"SignData\",\"params\":{\"pin\":\"592604\",\"rawData\":\"$digest\",\"isConvertToBinary\":true}}" >"$WORK/sign.bin"
floor_kb=$(peak_kb "$WORK/version.bin" "$APP/NorvaFloorHost")
version_kb=$(peak_kb "$WORK/version.bin" "$APP/NorvaHost")
host_sign_kb=$(peak_kb "$WORK/sign.bin" "$APP/NorvaHost")
tool_sign_kb=$(peak_kb /dev/null "$(command -v pkcs11-tool)" --module "$APP/libtavlink.so" --login --pin 592604 \
  --sign --mechanism RSA-PKCS --id "$key_id" --input-file "$WORK/digest.bin" --output-file "$WORK/tool.sig")
printf '%-44s %8s KB\n' "floor program" "$floor_kb" "NorvaHost, HostVersion" "$version_kb" \
  "NorvaHost, SignData" "$host_sign_kb" "pkcs11-tool --sign" "$tool_sign_kb"

echo
echo "== SignFileData over ${records/,/ and } records, in process (a long run)"
"$BIN/FileSigningBench" ${records/,/ } | tee "$WORK/file.txt"

# The summary: one line per figure, measured, yardstick, target.
field() { sed -n "s/^$1 *//p" "$WORK/file.txt" | awk '{print $'"${2:-1}"'}'; }
cold_wall=$(awk '/^wall/ {print $3 " ms vs " $6 " ms (" $9 "x)"}' "$WORK/cold.txt")
cold_cpu=$(awk '/^cpu/ {print $3 " ms vs " $6 " ms (" $9 "x)"}' "$WORK/cold.txt")
sign_host=$(awk '/^NorvaHost/ {print $(NF-1)}' "$WORK/sign.txt")
sign_tool=$(awk '/^pkcs11-tool/ {print $(NF-1)}' "$WORK/sign.txt")
sign_ratio=$(awk '/^ratio/ {print $5}' "$WORK/sign.txt")
echo
echo "== summary ($(uptime | sed 's/.*load average/load average/'))"
printf '%-46s | %-36s | %s\n' "figure" "measured (against yardstick)" "target"
printf '%-46s | %-36s | %s\n' \
  "HostVersion cold start, wall, median" "$cold_wall" "none set: the floor is the yardstick" \
  "HostVersion cold start, processor, median" "$cold_cpu" "" \
  "SignData, NorvaHost vs pkcs11-tool, median" "$sign_host ms vs $sign_tool ms ($sign_ratio)" "<= 1.0" \
  "file signing time ratio large/small" "$(field 'time ratio large\/small')" \
  "$(sed -n 's/^time ratio.*(target \(.*\))/\1/p' "$WORK/file.txt")" \
  "records/s (large run), wall" "$(field 'records per second' 2) vs raw $(field 'raw 2048-bit RSA signatures\/s (libgcrypt)')/s" "" \
  "records/s over raw RSA rate, wall" "$(field 'records\/s over raw rate (large)')" ">= 0.5" \
  "records/s over raw RSA rate, processor time" "$(field 'the same in processor time')" ">= 0.5" \
  "peak memory, 1 MB of content, above idle" "$(field 'peak memory for 1 MB of content (KB)') KB" "<= 8192 KB" \
  "peak memory, large run, above idle" "$(field 'peak memory above the idle object (KB)' 2) KB" "" \
  "peak memory of one SignData process" "$host_sign_kb KB vs pkcs11-tool $tool_sign_kb KB" "" \
  "peak memory of one HostVersion process" "$version_kb KB vs floor $floor_kb KB" "" \
  "PKCS#11 calls per record" "$(field 'all calls')" "15 prescribed"
