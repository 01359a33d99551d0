#!/usr/bin/env bash
# The Debian package passes lintian: no error and no warning. The overrides the package
# ships (each with its reason) are applied; an override lintian finds unused is a fault too.
#   lintian_test.sh BUILD_DIR
set -euo pipefail
build=$1
command -v lintian >/dev/null || { echo "lintian is not installed (run scripts/setup.sh)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cpack --config "$build/CPackConfig.cmake" -B "$work/out" >/dev/null
deb=$(ls "$work"/out/*.deb)
# Tags at error or warning level are printed as "E:" or "W:".
report=$(lintian --fail-on none --show-overrides "$deb" 2>&1)
problems=$(grep -E '^(E|W): ' <<<"$report" || true)
unused=$(grep -E 'unused-override|mismatched-override' <<<"$report" || true)
if [ -n "$problems" ] || [ -n "$unused" ]; then
  echo "FAIL: lintian:" >&2
  printf '%s\n' "$problems" "$unused" >&2
  exit 1
fi
echo "lintian: $(grep -c '^O: ' <<<"$report" || true) overridden tags, no error or warning"
