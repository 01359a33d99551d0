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
notes=()

# Runs the tests of a preset; the Windows presets' run under scripts/wine-watch.sh, which
# notes a crash of Wine's server in the given file.
ctest_once() { # $1 = preset, $2 = log, $3 = crash notes, then ctest's own arguments
  local preset=$1 log=$2 crashes=$3 prefix watcher
  shift 3
  prefix=$(sed -n 's/^NORVA_WINEPREFIX:PATH=//p' "build/$preset/CMakeCache.txt")
  if [ -n "$prefix" ]; then
    bash scripts/wine-watch.sh "$prefix" "$crashes" &
    watcher=$!
  fi
  ctest --preset "$preset" -j "$JOBS" "$@" 2>&1 | tee "$log"
  [ -z "$prefix" ] || { kill "$watcher"; wait "$watcher"; } 2>/dev/null
}

# "N tests failed out of M" of a CTest log, as "N M"; nothing when it has none.
ctest_counts() { # $1 = log
  grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$1" | tail -1 |
    sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1 \2/'
}

run_ctest() { # $1 = preset
  local log again_log wine_notes counts fail all
  log=$(mktemp)
  again_log=$(mktemp)
  wine_notes=$(mktemp)
  ctest_once "$1" "$log" "$wine_notes"
  counts=$(ctest_counts "$log")
  if [ -z "$counts" ]; then
    failed_steps+=("tests:$1 (no result)")
    rm -f "$log" "$again_log" "$wine_notes"
    return
  fi
  read -r fail all <<<"$counts"
  # A crash of Wine's own server fails the tests that were waiting on it, whatever they
  # test: those run once more, their second result counts, and the summary says so.
  if [ -s "$wine_notes" ] && [ "$fail" -gt 0 ]; then
    local again
    again=$(sed -n '/^The following tests FAILED:/,/^[^[:space:]]/p' "$log" |
      sed -nE 's/^[[:space:]]+[0-9]+ - (.*) \([^)]*\)$/\1/p' | paste -sd' ')
    echo "=== $1: Wine's server crashed during the tests; running the failed ones again: $again"
    notes+=("$1: Wine's server crashed; these ran again: $again")
    ctest_once "$1" "$again_log" "$wine_notes" --rerun-failed
    counts=$(ctest_counts "$again_log")
    [ -n "$counts" ] && fail=${counts%% *}
  elif [ -s "$wine_notes" ]; then
    notes+=("$1: Wine's server crashed; no test failed with it")
  fi
  # CTest counts a skipped test as passed; its list of tests that did not run names them.
  local name skip=0
  while read -r name; do
    skipped+=("$1:$name"); skip=$((skip + 1))
  done < <(sed -nE 's/^[[:space:]]*[0-9]+ - (.*) \(Skipped\)$/\1/p' "$log")
  total_pass=$((total_pass + all - fail - skip))
  total_fail=$((total_fail + fail))
  total_skip=$((total_skip + skip))
  [ "$fail" -eq 0 ] || failed_steps+=("tests:$1")
  rm -f "$log" "$again_log" "$wine_notes"
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
if [ ${#notes[@]} -gt 0 ]; then
  echo "notes:"
  printf '  %s\n' "${notes[@]}"
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
