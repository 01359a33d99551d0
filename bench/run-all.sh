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
for program in ColdStart NorvaFloorHost FileSigningBench NorvaHost; do
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

# Peak resident memory (KB) of one HostVersion exchange, NorvaHost against the floor
# program; sign_data_bench.sh gave those of SignData.
echo
echo "== peak memory of one HostVersion process"
APP=$WORK/app
mkdir -p "$APP"
cp "$BIN/NorvaHost" "$BIN/libNorvaDigitalIDIF.so" "$BIN/NorvaFloorHost" "$APP/"
python3 -c 'import struct,sys; t=b"{\"func\":\"HostVersion\"}"; sys.stdout.buffer.write(struct.pack("<I",len(t))+t)' >"$WORK/version.bin"
peak_kb() { # PROGRAM: its peak resident set in KB, answering HostVersion
  (cd "$APP" && XDG_CONFIG_HOME=$WORK/config /usr/bin/time -f %M -o "$WORK/peak" "./$1" <"$WORK/version.bin" >/dev/null)
  cat "$WORK/peak"
}
floor_kb=$(peak_kb NorvaFloorHost)
version_kb=$(peak_kb NorvaHost)
printf '%-34s %10s KB\n' "floor program" "$floor_kb" "NorvaHost" "$version_kb"

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
host_sign_kb=$(awk '/^peak memory NorvaHost/ {print $(NF-1)}' "$WORK/sign.txt")
tool_sign_kb=$(awk '/^peak memory pkcs11-tool/ {print $(NF-1)}' "$WORK/sign.txt")
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
