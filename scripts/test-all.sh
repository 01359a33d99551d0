#!/usr/bin/env bash
# Builds and tests everything: Linux (plain and with sanitizers), 32-bit Windows,
# the 64-bit Windows build whose tests run under Wine, and a short run of each fuzz target.
#
# The 32-bit Windows tests need a machine that can execute 32-bit code (Wine's
# 32-bit loader); where it cannot, the 32-bit build is still compiled, linked and
# checked statically, and the Windows tests run in the 64-bit build instead.
#
#   scripts/test-all.sh           every build and its tests
#   scripts/test-all.sh --quick   the linux build and its tests only
#
# The summary counts passed, failed and skipped tests apart and names the skipped ones.
set -uo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)

QUICK=0
for arg in "$@"; do
  case "$arg" in
    --quick) QUICK=1 ;;
    *) echo "usage: scripts/test-all.sh [--quick]" >&2; exit 2 ;;
  esac
done

bash scripts/setup.sh || exit 1

JOBS=${NORVA_JOBS:-$(nproc)}
# Four builds of the same sources: a compiler cache shared by all of them (and kept between
# runs on the same machine) saves most of the compile time.
if command -v ccache >/dev/null; then
  export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache CCACHE_BASEDIR="$ROOT"
fi
PRESETS=${NORVA_PRESETS:-"linux linux-asan win32 win64 fuzz"}
[ "$QUICK" -eq 1 ] && PRESETS=linux
total_pass=0
total_fail=0
total_skip=0
failed_steps=()
skipped=()

run_ctest() { # $1 = preset
  local log
  log=$(mktemp)
  ctest --preset "$1" -j "$JOBS" 2>&1 | tee "$log"
  local line pass fail
  line=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -1)
  if [ -n "$line" ]; then
    fail=$(echo "$line" | sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/')
    all=$(echo "$line" | sed -E 's/.* failed out of ([0-9]+).*/\1/')
    # CTest counts a skipped test as passed; its list of tests that did not run names them.
    local name skip=0
    while read -r name; do
      skipped+=("$1:$name"); skip=$((skip + 1))
    done < <(sed -nE 's/^[[:space:]]*[0-9]+ - (.*) \(Skipped\)$/\1/p' "$log")
    pass=$((all - fail - skip))
    total_pass=$((total_pass + pass))
    total_fail=$((total_fail + fail))
    total_skip=$((total_skip + skip))
    [ "$fail" -eq 0 ] || failed_steps+=("tests:$1")
  else
    failed_steps+=("tests:$1 (no result)")
  fi
  rm -f "$log"
}

# 32-bit Wine needs both a 32-bit loader on the machine and the wine32 package.
can_run_32bit() { /lib/ld-linux.so.2 --version >/dev/null 2>&1 && [ -x /usr/lib/wine/wine ]; }

for preset in $PRESETS; do
  echo "=== $preset: configure and build"
  if ! cmake --preset "$preset" >/dev/null || ! cmake --build --preset "$preset" -j "$JOBS"; then
    failed_steps+=("build:$preset")
    continue
  fi
  case "$preset" in
    win32)
      if bash scripts/check-win32-binaries.sh "build/win32/bin"; then
        total_pass=$((total_pass + 1))
      else
        total_fail=$((total_fail + 1)); failed_steps+=("check:win32")
      fi
      if can_run_32bit; then
        run_ctest win32
      else
        echo "=== win32: no 32-bit Wine here (no 32-bit loader, or wine32 not installed); its tests run in the win64 build"
        skipped+=("win32:all tests (no 32-bit Wine; the win64 build runs them)")
      fi
      ;;
    *) echo "=== $preset: tests"; run_ctest "$preset" ;;
  esac
done

echo
if [ ${#skipped[@]} -gt 0 ]; then
  echo "skipped:"
  printf '  %s\n' "${skipped[@]}"
fi
if [ ${#failed_steps[@]} -gt 0 ]; then
  echo "failed: ${failed_steps[*]}"
fi
summary="$total_pass passed, $total_fail failed, $total_skip skipped"
# A build whose tests could not run at all is named in the count line too.
[ ${#skipped[@]} -gt "$total_skip" ] && summary+=" tests, and $((${#skipped[@]} - total_skip)) build's suite not run"
echo "$summary"
[ "$QUICK" -eq 1 ] && echo "(quick: the linux build only; scripts/test-all.sh without --quick runs every build)"
[ ${#failed_steps[@]} -eq 0 ]
