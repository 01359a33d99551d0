#!/usr/bin/env bash
# Every ELF program and library of a build looks for libraries only in absolute folders or
# beside itself: no RUNPATH or RPATH entry is empty or relative, since either makes the
# loader search the folder the program was started from (a browser starts the host from
# wherever it runs).
#
#   runpath_test.sh BIN_DIR
set -uo pipefail
bin=$1
command -v readelf >/dev/null || { echo "FAIL: readelf is missing (binutils)"; exit 1; }

failures=0 checked=0
for file in "$bin"/*; do
  [ -f "$file" ] || continue
  [ "$(head -c 4 "$file" | od -An -c | tr -d ' ')" = '177ELF' ] || continue
  checked=$((checked + 1))
  while IFS= read -r paths; do
    # Split on ':' keeping empty entries, including a trailing one.
    IFS=: read -r -a entries <<<"$paths:"
    for entry in "${entries[@]}"; do
      case $entry in
        /* | '$ORIGIN' | '$ORIGIN/'* | '${ORIGIN}' | '${ORIGIN}/'*) ;;
        *) echo "FAIL: $(basename "$file"): entry '${entry}' in [$paths]"; failures=$((failures + 1)) ;;
      esac
    done
  done < <(readelf -d "$file" | sed -n 's/.*(R\(UN\)\{0,1\}PATH).*path: \[\(.*\)\]$/\2/p')
done
[ $checked -gt 0 ] || { echo "FAIL: no ELF file in $bin"; exit 1; }
echo "$checked ELF files checked, $failures bad search-path entries"
[ $failures -eq 0 ]
