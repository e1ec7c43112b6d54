#!/usr/bin/env bash
# Installs what the targets need on a fresh Debian machine and builds the Windows
# third-party libraries into a cache outside the repository, keyed by architecture
# and source version. A second run only checks and returns quickly.
#   install-deps.sh           everything: native, the i686 product, the Windows tests, the fuzzers
#   install-deps.sh --native  only what the native launcher and its main job need
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
CACHE=${KVR_DEPS_CACHE:-/var/cache/kvr-deps}
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
native_only=0
[ "${1:-}" = "--native" ] && native_only=1

log() { printf '[deps] %s\n' "$*"; }

native_packages=(
  build-essential cmake ninja-build pkg-config git
  googletest libgtest-dev libbenchmark-dev libspdlog-dev
  libcurl4-openssl-dev libssl-dev libsodium-dev minisign nlohmann-json3-dev nginx-light
  libgtk-3-dev libwebkit2gtk-4.1-dev libx11-dev
  p7zip-full 7zip libarchive-tools curl openssl python3 time xvfb xauth x11-utils tzdata
  python3-pil fonts-dejavu-core fonts-wqy-microhei libxtst-dev xdotool imagemagick x11-apps
  iproute2 dpkg-dev clang-format
  # The stacking window manager the small-screen window test runs the launcher's window under.
  openbox
)
# The product is always i686; the Windows tests run either as i686 under 32-bit Wine
# or, where this machine cannot run 32-bit programs, as x86_64 under 64-bit Wine.
# autoconf, automake and libtool: libsodium's Debian source carries no generated configure.
windows_packages=(g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev
  autoconf automake libtool)
wine_i686_packages=(wine wine32:i386)
wine_x86_64_packages=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  mingw-w64-x86-64-dev wine wine64)

missing_packages() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed$' || echo "$p"
  done
}

updated=0
install_packages() {
  local missing
  missing=$(missing_packages "$@")
  [ -n "$missing" ] || return 0
  log "installing: $(echo $missing)"
  if [ "$updated" -eq 0 ]; then $SUDO apt-get update -qq; updated=1; fi
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing >/dev/null
}

install_packages "${native_packages[@]}"
if [ "$native_only" -eq 1 ]; then
  log "ready: native"
  exit 0
fi
# The checks beside the suites: libFuzzer comes with clang's runtime libraries; the
# sanitizer runs use g++'s own.
install_packages clang libclang-rt-14-dev

# deb-src entries derived from the machine's own apt sources (same mirrors, other type),
# and the i386 architecture for 32-bit Wine.
src_list=/etc/apt/sources.list.d/kvr-deb-src.sources
if [ ! -f "$src_list" ]; then
  for f in /etc/apt/sources.list.d/*.sources; do
    [ "$f" = "$src_list" ] && continue
    sed -n 's/^Types: deb$/Types: deb-src/p;/^Types:/!p' "$f"
    echo
  done | $SUDO tee "$src_list" >/dev/null
  updated=0
fi
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
  updated=0
fi

test_arch=$(bash "$here/windows-tests-mode.sh" arch)
if [ "$test_arch" = i686 ]; then
  install_packages "${windows_packages[@]}" "${wine_i686_packages[@]}"
else
  install_packages "${windows_packages[@]}" "${wine_x86_64_packages[@]}"
fi
[ "$updated" -eq 1 ] || { $SUDO apt-get update -qq; updated=1; }

$SUDO mkdir -p "$CACHE"
$SUDO chown "$(id -u):$(id -g)" "$CACHE"
JOBS=$(nproc)

source_version() { apt-cache showsrc "$1" | sed -n 's/^Version: //p' | sort -V | tail -n 1; }

fetch_source() { # package version -> prints unpacked folder (shared by the architectures)
  local pkg=$1 ver=$2 dir="$CACHE/src/$1-$2"
  if [ ! -d "$dir/unpacked" ]; then
    rm -rf "$dir"; mkdir -p "$dir"
    (cd "$dir" && apt-get source -qq --download-only "$pkg=$ver" >/dev/null 2>&1 \
      && dpkg-source -x --no-check ./*.dsc unpacked >/dev/null)
  fi
  echo "$dir/unpacked"
}

build_curl() { # arch
  local arch=$1 ver; ver=$(source_version curl)
  local prefix="$CACHE/$arch/curl-$ver"
  if [ -f "$prefix/lib/libcurl.a" ]; then log "curl $ver ($arch): cached"; return; fi
  log "curl $ver: building for $arch (Schannel, static)"
  local src b; src=$(fetch_source curl "$ver"); b="$CACHE/build-curl-$arch"
  rm -rf "$b"
  cmake -S "$src" -B "$b" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$here/../cmake/toolchain-$arch-mingw.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DCURL_USE_SCHANNEL=ON -DCURL_USE_OPENSSL=OFF -DHTTP_ONLY=ON -DBUILD_SHARED_LIBS=OFF \
    -DBUILD_CURL_EXE=OFF -DBUILD_TESTING=OFF -DCURL_USE_LIBSSH2=OFF -DUSE_LIBIDN2=OFF \
    -DCURL_ZLIB=OFF -DCURL_BROTLI=OFF -DCURL_ZSTD=OFF -DUSE_NGHTTP2=OFF -DENABLE_MANUAL=OFF \
    -DCURL_DISABLE_LDAP=ON >/dev/null
  cmake --build "$b" -j "$JOBS" >/dev/null
  cmake --install "$b" >/dev/null
  rm -rf "$b"
}

build_libsodium() { # arch
  local arch=$1 ver; ver=$(source_version libsodium)
  local prefix="$CACHE/$arch/libsodium-$ver"
  if [ -f "$prefix/lib/libsodium.a" ]; then log "libsodium $ver ($arch): cached"; return; fi
  log "libsodium $ver: building for $arch (static, minimal: signatures and hashes)"
  local src; src=$(fetch_source libsodium "$ver")
  local b="$CACHE/build-libsodium-$arch"
  rm -rf "$b"; cp -a "$src" "$b"
  (cd "$b" && autoreconf -fi >/dev/null 2>&1 \
    && ./configure -q --host=$arch-w64-mingw32 CC=$arch-w64-mingw32-gcc-posix --prefix="$prefix" \
      --disable-shared --enable-static --enable-minimal --disable-pie >/dev/null 2>&1 \
    && make -s -j "$JOBS" >/dev/null 2>&1 && make -s install >/dev/null)
  rm -rf "$b"
}

build_7z_dll() { # arch
  local arch=$1 ver; ver=$(source_version 7zip)
  local out="$CACHE/$arch/7zip-$ver"
  if [ -f "$out/7z.dll" ]; then log "7-Zip codec library $ver ($arch): cached"; return; fi
  log "7-Zip codec library $ver: building for $arch"
  local src; src=$(fetch_source 7zip "$ver")
  local b="$CACHE/build-7zip-$arch"
  rm -rf "$b"; cp -a "$src" "$b"
  local cc=$arch-w64-mingw32
  (cd "$b/CPP/7zip/Bundles/Format7zF" && \
    make -s -j "$JOBS" -f makefile.gcc IS_MINGW=1 DISABLE_RAR=1 \
      CC=$cc-gcc-posix CXX=$cc-g++-posix RC=$cc-windres >/dev/null 2>&1)
  mkdir -p "$out"
  cp "$b/CPP/7zip/Bundles/Format7zF/_o/7z.dll" "$out/7z.dll"
  rm -rf "$b"
}

build_gtest() { # arch
  local arch=$1 ver; ver=$(dpkg-query -W -f='${Version}' googletest)
  local prefix="$CACHE/$arch/googletest-$ver"
  if [ -f "$prefix/lib/libgtest.a" ]; then log "GoogleTest $ver ($arch): cached"; return; fi
  log "GoogleTest $ver: building for $arch"
  local b="$CACHE/build-googletest-$arch"
  rm -rf "$b"
  cmake -S /usr/src/googletest -B "$b" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$here/../cmake/toolchain-$arch-mingw.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -Dgtest_disable_pthreads=OFF \
    -DBUILD_GMOCK=OFF -DCMAKE_EXE_LINKER_FLAGS="-static" >/dev/null
  cmake --build "$b" -j "$JOBS" >/dev/null
  cmake --install "$b" >/dev/null
  rm -rf "$b"
}

# Points the Windows presets of one architecture at what was just built.
write_deps_file() { # arch
  local arch=$1
  {
    echo "set(KVR_CURL_ROOT \"$CACHE/$arch/curl-$(source_version curl)\" CACHE PATH \"\")"
    echo "set(KVR_SODIUM_ROOT \"$CACHE/$arch/libsodium-$(source_version libsodium)\" CACHE PATH \"\")"
    echo "set(KVR_7Z_DLL \"$CACHE/$arch/7zip-$(source_version 7zip)/7z.dll\" CACHE FILEPATH \"\")"
    echo "set(GTest_ROOT \"$CACHE/$arch/googletest-$(dpkg-query -W -f='${Version}' googletest)\" CACHE PATH \"\")"
  } > "$CACHE/$arch-deps.cmake"
  log "ready: $CACHE/$arch-deps.cmake"
}

for arch in $(printf '%s\n' i686 "$test_arch" | sort -u); do
  build_gtest "$arch"
  build_curl "$arch"
  build_libsodium "$arch"
  build_7z_dll "$arch"
  write_deps_file "$arch"
done
