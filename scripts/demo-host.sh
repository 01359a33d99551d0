#!/usr/bin/env bash
# Fills a folder for the demos with what the installed Linux package holds beside the host:
# the build is installed into a scratch root as the package installs it, and its program
# folder (libexec/norva-digital-id: the host, the component, the upload prompt and whatever
# else the package carries there) is copied into HOST_DIR, with the token simulator beside
# it under the driver's name.
#
#   demo-host.sh BUILD_DIR HOST_DIR
set -euo pipefail
build=$1
host=$2
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT

DESTDIR=$stage cmake --install "$build" --prefix /usr >/dev/null
programs=$stage/usr/libexec/norva-digital-id
[ -x "$programs/NorvaHost" ] || { echo "demo-host: the install holds no NorvaHost" >&2; exit 1; }
mkdir -p "$host"
cp -a "$programs/." "$host/"
cp "$build/bin/libtokensim.so" "$host/libtavlink.so"
