#!/usr/bin/env bash
# The one version number: the check passes on the tree as it is and stops on a copy where
# one place says another version.
#   version_test.sh SOURCE_DIR VERSION
set -euo pipefail
source=$1 version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
files=(host/CommandHandlers.cpp extension/manifest.json component/idl/NorvaDigitalIDIF.idl)
# what is changed | the edit | what the check must name (empty: it passes)
cases=(
  "nothing|:|"
  "the host's answer|sed -i 's/\"$version.0\"/\"9.9.9.0\"/' host/CommandHandlers.cpp|the host's \"HostVersion\" answer is 9.9.9.0"
  "the extension's manifest|sed -i 's/\"version\": \"$version\"/\"version\": \"$version.1\"/' extension/manifest.json|the extension's \"version\" is $version.1"
  "the type library|sed -i 's/version(\\([0-9.]*\\))/version(7.0)/' component/idl/NorvaDigitalIDIF.idl|the type library's version is 7.0"
  "the host's answer gone|sed -i 's/RunHostVersion/RunSomethingElse/' host/CommandHandlers.cpp|the host's \"HostVersion\" answer not found"
)
for row in "${cases[@]}"; do
  IFS='|' read -r name edit expected <<<"$row"
  rm -rf "$work/tree"
  for file in "${files[@]}"; do
    mkdir -p "$work/tree/$(dirname "$file")"
    cp "$source/$file" "$work/tree/$file"
  done
  (cd "$work/tree" && eval "$edit")
  status=0
  # In script mode CMAKE_SOURCE_DIR is the working folder.
  output=$(cd "$work/tree" && cmake -DNORVA_VERSION="$version" -P "$source/packaging/Version.cmake" 2>&1) || status=$?
  if [ -z "$expected" ]; then
    [ "$status" = 0 ] || fail "$name: the check failed: $output"
  else
    [ "$status" != 0 ] || fail "$name changed: the check passed"
    grep -qF "$expected" <<<"$output" || fail "$name changed: the check said: $output"
  fi
  echo "version: $name changed: $([ -z "$expected" ] && echo "the check passes" || echo "the check stops")"
done
