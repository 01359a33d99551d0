#!/bin/sh
# Installs or removes NorvaHost's native-messaging manifests for Chrome, Chromium, Edge and
# Firefox on Linux, for this user or (with --system, as root) for every user.
#
#   norva-manifests.sh install [--system] /absolute/path/to/NorvaHost
#   norva-manifests.sh uninstall [--system]
#
# The manifests name the extension by its fixed ID (Chromium family) and its Gecko ID
# (Firefox); the host path must be absolute, as the browsers require on Linux.
set -eu

NAME=com.norva.digitalid
HERE=$(cd "$(dirname "$0")" && pwd)

usage() {
  echo "usage: $0 install [--system] HOST_PATH | uninstall [--system]" >&2
  exit 2
}

[ $# -ge 1 ] || usage
action=$1
shift
scope=user
if [ "${1:-}" = --system ]; then
  scope=system
  shift
fi

# One line per browser: the template and the folder it reads manifests from.
folders() {
  if [ "$scope" = system ]; then
    echo "chromium /etc/opt/chrome/native-messaging-hosts"
    echo "chromium /etc/chromium/native-messaging-hosts"
    echo "chromium /etc/opt/edge/native-messaging-hosts"
    echo "firefox /usr/lib/mozilla/native-messaging-hosts"
  else
    config=${XDG_CONFIG_HOME:-$HOME/.config}
    echo "chromium $config/google-chrome/NativeMessagingHosts"
    echo "chromium $config/chromium/NativeMessagingHosts"
    echo "chromium $config/microsoft-edge/NativeMessagingHosts"
    echo "firefox $HOME/.mozilla/native-messaging-hosts"
  fi
}

case "$action" in
  install)
    [ $# -eq 1 ] || usage
    case "$1" in /*) ;; *) echo "$0: the host path must be absolute: $1" >&2; exit 2 ;; esac
    [ -x "$1" ] || { echo "$0: not an executable: $1" >&2; exit 3; }
    case "$1" in *[\\\"\|\&]*) echo "$0: unsupported character in the host path: $1" >&2; exit 2 ;; esac
    host=$1
    folders | while read -r template folder; do
      mkdir -p "$folder"
      sed "s|@NORVA_HOST_PATH@|$host|" "$HERE/$template.json.in" >"$folder/$NAME.json.tmp"
      mv "$folder/$NAME.json.tmp" "$folder/$NAME.json"
      echo "installed $folder/$NAME.json"
    done
    ;;
  uninstall)
    [ $# -eq 0 ] || usage
    folders | while read -r template folder; do
      if [ -f "$folder/$NAME.json" ]; then
        rm -f "$folder/$NAME.json"
        echo "removed $folder/$NAME.json"
      fi
    done
    ;;
  *) usage ;;
esac
