#!/usr/bin/env bash
# Installs everything both targets need on a fresh Debian machine and builds the
# win32 third-party libraries into a cache outside the repository.
# A second run only checks and returns quickly.
set -euo pipefail

CACHE=${KVR_DEPS_CACHE:-/var/cache/kvr-deps}
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo

log() { printf '[deps] %s\n' "$*"; }

native_packages=(
  build-essential cmake ninja-build pkg-config git
  googletest libgtest-dev libbenchmark-dev libspdlog-dev
  libcurl4-openssl-dev libssl-dev nlohmann-json3-dev nginx-light
  libgtk-3-dev libwebkit2gtk-4.1-dev libx11-dev
  p7zip-full 7zip libarchive-tools curl openssl python3 time xvfb xauth x11-utils tzdata
  dpkg-dev
)
win32_packages=(
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
  mingw-w64-i686-dev wine wine32:i386
)

missing_packages() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed$' || echo "$p"
  done
}

ensure_sources() {
  # deb-src entries derived from the machine's own apt sources (same mirrors, other type).
  local src=/etc/apt/sources.list.d/kvr-deb-src.sources
  if [ ! -f "$src" ]; then
    local f
    for f in /etc/apt/sources.list.d/*.sources; do
      [ "$f" = "$src" ] && continue
      sed -n 's/^Types: deb$/Types: deb-src/p;/^Types:/!p' "$f"
      echo
    done | $SUDO tee "$src" >/dev/null
    NEED_UPDATE=1
  fi
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
    NEED_UPDATE=1
  fi
}

NEED_UPDATE=0
ensure_sources
missing=$(missing_packages "${native_packages[@]}" "${win32_packages[@]}")
if [ -n "$missing" ]; then
  log "installing: $(echo $missing)"
  $SUDO apt-get update -qq
  NEED_UPDATE=0
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing >/dev/null
fi
[ "$NEED_UPDATE" -eq 0 ] || $SUDO apt-get update -qq

$SUDO mkdir -p "$CACHE"
$SUDO chown "$(id -u):$(id -g)" "$CACHE"
TOOLCHAIN="$(cd "$(dirname "$0")/.." && pwd)/cmake/toolchain-i686-mingw.cmake"
JOBS=$(nproc)

source_version() { apt-cache showsrc "$1" | sed -n 's/^Version: //p' | sort -V | tail -n 1; }

fetch_source() { # package version -> prints unpacked folder
  local pkg=$1 ver=$2 dir="$CACHE/src/$1-$2"
  if [ ! -d "$dir/unpacked" ]; then
    rm -rf "$dir"; mkdir -p "$dir"
    (cd "$dir" && apt-get source -qq --download-only "$pkg=$ver" >/dev/null 2>&1 \
      && dpkg-source -x --no-check ./*.dsc unpacked >/dev/null)
  fi
  echo "$dir/unpacked"
}

build_curl() {
  local ver; ver=$(source_version curl)
  local prefix="$CACHE/curl-$ver"
  if [ -f "$prefix/lib/libcurl.a" ]; then log "curl $ver: cached"; return; fi
  log "curl $ver: building for i686 (Schannel, static)"
  local src; src=$(fetch_source curl "$ver")
  rm -rf "$src/_kvr_build"
  cmake -S "$src" -B "$src/_kvr_build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DCURL_USE_SCHANNEL=ON -DCURL_USE_OPENSSL=OFF -DHTTP_ONLY=ON -DBUILD_SHARED_LIBS=OFF \
    -DBUILD_CURL_EXE=OFF -DBUILD_TESTING=OFF -DCURL_USE_LIBSSH2=OFF -DUSE_LIBIDN2=OFF \
    -DCURL_ZLIB=OFF -DCURL_BROTLI=OFF -DCURL_ZSTD=OFF -DUSE_NGHTTP2=OFF -DENABLE_MANUAL=OFF \
    -DCURL_DISABLE_LDAP=ON >/dev/null
  cmake --build "$src/_kvr_build" -j "$JOBS" >/dev/null
  cmake --install "$src/_kvr_build" >/dev/null
  rm -rf "$src/_kvr_build"
}

build_7z_dll() {
  local ver; ver=$(source_version 7zip)
  local out="$CACHE/7zip-$ver"
  if [ -f "$out/7z.dll" ]; then log "7-Zip codec library $ver: cached"; return; fi
  log "7-Zip codec library $ver: building for i686"
  local src; src=$(fetch_source 7zip "$ver")
  (cd "$src/CPP/7zip/Bundles/Format7zF" && rm -rf _o && \
    make -s -j "$JOBS" -f makefile.gcc IS_MINGW=1 DISABLE_RAR=1 \
      CC=i686-w64-mingw32-gcc-posix CXX=i686-w64-mingw32-g++-posix RC=i686-w64-mingw32-windres >/dev/null 2>&1)
  mkdir -p "$out"
  cp "$src/CPP/7zip/Bundles/Format7zF/_o/7z.dll" "$out/7z.dll"
  rm -rf "$src/CPP/7zip/Bundles/Format7zF/_o"
}

build_gtest() {
  local ver; ver=$(dpkg-query -W -f='${Version}' googletest)
  local prefix="$CACHE/googletest-$ver"
  if [ -f "$prefix/lib/libgtest.a" ]; then log "GoogleTest $ver: cached"; return; fi
  log "GoogleTest $ver: building for i686"
  local b="$CACHE/googletest-build"
  rm -rf "$b"
  cmake -S /usr/src/googletest -B "$b" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -Dgtest_disable_pthreads=OFF \
    -DBUILD_GMOCK=OFF -DCMAKE_EXE_LINKER_FLAGS="-static" >/dev/null
  cmake --build "$b" -j "$JOBS" >/dev/null
  cmake --install "$b" >/dev/null
  rm -rf "$b"
}

build_gtest
build_curl
build_7z_dll

# Points the win32 preset at what was just built.
{
  echo "set(KVR_CURL_ROOT \"$CACHE/curl-$(source_version curl)\" CACHE PATH \"\")"
  echo "set(KVR_7Z_DLL \"$CACHE/7zip-$(source_version 7zip)/7z.dll\" CACHE FILEPATH \"\")"
  echo "set(GTest_ROOT \"$CACHE/googletest-$(dpkg-query -W -f='${Version}' googletest)\" CACHE PATH \"\")"
} > "$CACHE/win32-deps.cmake"
log "ready: $CACHE/win32-deps.cmake"
