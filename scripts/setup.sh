#!/usr/bin/env bash
# Makes a Debian 12 machine ready to build and test both targets.
# Idempotent: packages already present are skipped and the mingw jsoncpp
# build is cached outside the tree (NORVA_CACHE, default ~/.cache/norva).
set -euo pipefail

CACHE=${NORVA_CACHE:-$HOME/.cache/norva}
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo

PACKAGES=(
  build-essential cmake ninja-build clang-format pkg-config
  libjsoncpp-dev libboost-dev libgtest-dev libgmock-dev googletest
  libp11-kit-dev libgcrypt20-dev libgtk-3-dev
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix mingw-w64-tools libgcrypt-mingw-w64-dev
  wine wine64 libwine-dev
  opensc opensc-pkcs11 openssl xvfb dpkg-dev ccache valgrind time clang-16 libclang-rt-16-dev
  chromium firefox-esr nsis nodejs fonts-dejavu-core lintian
  xdotool x11-apps imagemagick locales adwaita-icon-theme iproute2
)
# Optional, checked apart: 32-bit Wine runs the 32-bit Windows tests. A package index that
# lags behind can offer it at another version than its 64-bit half, so that it cannot be
# installed; the 64-bit Windows tests then stand in for it. It is asked for once: a machine
# where it could not be installed is not sent to the package manager on every run (remove
# the stamp file named below, or set NORVA_RETRY_32BIT=1, to ask again).
OPTIONAL_32BIT=(wine32:i386)

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

missing=()
have_i386=$(dpkg --print-foreign-architectures | grep -c '^i386$' || true)
if [ "$have_i386" -eq 0 ]; then
  $SUDO dpkg --add-architecture i386
  missing+=(__update__)
fi
for p in "${PACKAGES[@]}"; do
  installed "$p" || missing+=("$p")
done
missing_32bit=()
for p in "${OPTIONAL_32BIT[@]}"; do
  installed "$p" || missing_32bit+=("$p")
done
stamp_32bit="$CACHE/32bit-packages-unavailable"
if [ ${#missing_32bit[@]} -gt 0 ] && [ -f "$stamp_32bit" ] && [ "${NORVA_RETRY_32BIT:-0}" != 1 ]; then
  echo "setup: 32-bit Wine is not installed (not installable on $(cat "$stamp_32bit")); not asking" \
    "again: the 32-bit Windows tests are skipped, the 64-bit ones run. To try again:" \
    "NORVA_RETRY_32BIT=1 bash scripts/setup.sh" >&2
  missing_32bit=()
fi

# Debian's source lists are needed once, to fetch the jsoncpp source package.
if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list 2>/dev/null; then
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    $SUDO sed -i 's/^Types: deb$/Types: deb deb-src/' /etc/apt/sources.list.d/debian.sources
    missing+=(__update__)
  fi
fi

# A package index that is being synced can fail to download in part: try again a few times,
# then go on with what was fetched; the install below says whether that was enough.
update_index() {
  local try
  for try in 1 2 3; do
    if $SUDO apt-get update -q -o DPkg::Lock::Timeout=300 2>&1 | tee /tmp/norva-apt-update.$$ | grep -q '^[EW]: .*\(Failed to fetch\|Some index files failed\)'; then
      echo "setup: the package index did not download whole (try $try of 3)" >&2
      [ "$try" -lt 3 ] && sleep $((try * 5))
    else
      rm -f /tmp/norva-apt-update.$$
      return 0
    fi
  done
  rm -f /tmp/norva-apt-update.$$
  echo "setup: going on with the package index as it is" >&2
}

if [ ${#missing[@]} -gt 0 ] || [ ${#missing_32bit[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  update_index
  pkgs=()
  for p in "${missing[@]}"; do [ "$p" = __update__ ] || pkgs+=("$p"); done
  if [ ${#pkgs[@]} -gt 0 ] && ! $SUDO apt-get install -y -q --no-install-recommends -o DPkg::Lock::Timeout=300 "${pkgs[@]}"; then
    echo "setup: FAILED: the packages the builds and tests need could not be installed:" \
      "${pkgs[*]}" >&2
    exit 1
  fi
  if [ ${#missing_32bit[@]} -gt 0 ]; then
    if $SUDO apt-get install -y -q --no-install-recommends -o DPkg::Lock::Timeout=300 "${missing_32bit[@]}"; then
      rm -f "$stamp_32bit"
    else
      mkdir -p "$CACHE"
      date -u '+%Y-%m-%d %H:%M UTC' > "$stamp_32bit"
      echo "setup: WARNING: 32-bit Wine (${missing_32bit[*]}) could not be installed: the" \
        "package index offers no installable version. Everything else is ready; the 32-bit" \
        "Windows tests are skipped and the 64-bit ones run. It is not asked for again until" \
        "$stamp_32bit is removed or NORVA_RETRY_32BIT=1 is set." >&2
    fi
  fi
fi

ROOT=$(cd "$(dirname "$0")/.." && pwd)

# The browser tests' node packages, from the lock file; the browsers are Debian's own,
# so no package may download one.
if ! command -v npm >/dev/null; then
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends -o DPkg::Lock::Timeout=300 npm
fi
lock=$ROOT/tests/browser/package-lock.json
if [ ! -f "$ROOT/tests/browser/node_modules/.package-lock.json" ] ||
   [ "$lock" -nt "$ROOT/tests/browser/node_modules/.package-lock.json" ]; then
  PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 PUPPETEER_SKIP_DOWNLOAD=1 \
    npm ci --prefix "$ROOT/tests/browser" --no-audit --no-fund --loglevel=error
fi

# jsoncpp for mingw, from Debian's own source package, built once per target.
build_jsoncpp() { # $1 = toolchain file ("" for this machine), $2 = install prefix
  [ -f "$2/lib/libjsoncpp.a" ] && return 0
  local work
  work=$(mktemp -d)
  (cd "$work" && apt-get source -q --download-only libjsoncpp-dev >/dev/null 2>&1)
  (cd "$work" && dpkg-source -x --no-check ./*.dsc src >/dev/null)
  cmake -S "$work/src" -B "$work/build" -G Ninja ${1:+-DCMAKE_TOOLCHAIN_FILE="$1"} \
    -DCMAKE_POSITION_INDEPENDENT_CODE=ON \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$2" \
    -DJSONCPP_WITH_TESTS=OFF -DJSONCPP_WITH_POST_BUILD_UNITTEST=OFF \
    -DJSONCPP_WITH_PKGCONFIG_SUPPORT=OFF -DJSONCPP_WITH_CMAKE_PACKAGE=OFF \
    -DBUILD_SHARED_LIBS=OFF -DBUILD_STATIC_LIBS=ON -DBUILD_OBJECT_LIBS=OFF >/dev/null
  cmake --build "$work/build" >/dev/null
  cmake --install "$work/build" >/dev/null
  rm -rf "$work"
}
build_jsoncpp "$ROOT/cmake/mingw-i686.cmake" "$CACHE/jsoncpp-mingw32"
build_jsoncpp "$ROOT/cmake/mingw-x86_64.cmake" "$CACHE/jsoncpp-mingw64"
build_jsoncpp "" "$CACHE/jsoncpp-linux"

# Wine prefixes of our own, made once. The 32-bit one only where this machine
# can execute 32-bit code at all.
export WINEDEBUG=-all
if [ ! -f "$CACHE/wineprefix64/system.reg" ]; then
  WINEPREFIX="$CACHE/wineprefix64" WINELOADER=/usr/lib/wine/wine64 /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1 || true
  WINEPREFIX="$CACHE/wineprefix64" /usr/lib/wine/wineserver -w || true
fi
if /lib/ld-linux.so.2 --version >/dev/null 2>&1 && [ -x /usr/lib/wine/wine ] && [ ! -f "$CACHE/wineprefix/system.reg" ]; then
  WINEPREFIX="$CACHE/wineprefix" WINEARCH=win32 /usr/lib/wine/wine wineboot -i >/dev/null 2>&1 || true
  WINEPREFIX="$CACHE/wineprefix" /usr/lib/wine/wineserver -w || true
fi
# The Hebrew locale under which Wine runs the prompt tests, where the machine lacks it.
NORVA_CACHE="$CACHE" bash "$ROOT/scripts/hebrew-locale.sh" >/dev/null
if [ -x /usr/lib/wine/wine ] && /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
  echo "setup: ready (cache $CACHE; 32-bit Windows tests: run)"
else
  echo "setup: ready (cache $CACHE; 32-bit Windows tests: skipped, no 32-bit Wine here)"
fi
