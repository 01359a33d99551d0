#!/usr/bin/env bash
# Prints a folder for LOCPATH in which the he_IL.UTF-8 locale exists, making it there once
# when the machine lacks it. Wine takes its ANSI code page (1255) and the user's language
# (Hebrew) from this locale, as on the Hebrew Windows systems the component is made for.
set -euo pipefail
CACHE=${NORVA_CACHE:-$HOME/.cache/norva}
FOLDER="$CACHE/locale"
if [ ! -f "$FOLDER/he_IL.UTF-8/LC_CTYPE" ]; then
  mkdir -p "$FOLDER"
  # localedef warns about details of the source locale; the locale it writes is usable.
  localedef -i he_IL -f UTF-8 "$FOLDER/he_IL.UTF-8" >/dev/null 2>&1 || true
  [ -f "$FOLDER/he_IL.UTF-8/LC_CTYPE" ] || { echo "hebrew-locale: localedef failed" >&2; exit 1; }
fi
echo "$FOLDER"
