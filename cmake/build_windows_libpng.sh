#!/usr/bin/env bash
# Builds a static libpng for 64-bit Windows from Debian's source package of libpng 1.6 (the
# upstream release Debian 12 ships for Linux, with Debian's patches applied), against
# Debian's zlib for MinGW-w64 (libz-mingw-w64-dev), and installs its headers and library
# into PREFIX (PREFIX/include, PREFIX/lib). The windows preset's configure step runs it.
#
#   cmake/build_windows_libpng.sh PREFIX TOOLCHAIN_FILE [SOURCE_FOLDER]
#
# The source package is fetched once from the Debian registry with apt-get, through a
# source list of its own under PREFIX (the system's lists and sources are left alone), and
# unpacked there; a later run finds the installed library and does nothing. It is the
# newest of bookworm itself: the registry serves no sources of the security updates, which
# may hold a newer Debian revision of the same libpng release for Linux. Without the
# registry, give SOURCE_FOLDER: a libpng source tree unpacked by `dpkg-source -x`.
set -euo pipefail

prefix=$1
toolchain=$2
source_folder=${3:-}
suite=bookworm
package=libpng1.6

mkdir -p "$prefix"
prefix="$(cd "$prefix" && pwd)"
stamp="$prefix/libpng.version"
if [ -f "$stamp" ] && [ -f "$prefix/lib/libpng16.a" ] && [ -f "$prefix/include/png.h" ] &&
  [ -f "$prefix/licenses/libpng.txt" ]; then
  exit 0
fi

# --- The source package ----------------------------------------------------------------

fetch_source() {
  local apt="$prefix/apt"
  rm -rf "$apt" "$prefix/source"
  mkdir -p "$apt/sources" "$apt/lists/partial" "$apt/cache/archives/partial" "$prefix/source"
  cat >"$apt/sources/debian-source.sources" <<EOF
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: $suite
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
  local options=(-o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$apt/sources"
    -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache=$apt/cache"
    -o APT::Sandbox::User=root -qq)
  echo "Fetching the source package $package of Debian $suite"
  apt-get "${options[@]}" update
  # apt-get checks the files against the signed index and unpacks them with dpkg-source,
  # which applies Debian's patches.
  (cd "$prefix/source" && apt-get "${options[@]}" source "$package" >/dev/null)
  source_folder="$(find "$prefix/source" -mindepth 1 -maxdepth 1 -type d -name 'libpng*' | head -1)"
  [ -n "$source_folder" ] || {
    echo "apt-get source $package left no source folder" >&2
    exit 1
  }
}

if [ -z "$source_folder" ]; then
  fetch_source
fi
source_folder="$(cd "$source_folder" && pwd)"
# The Debian version, from the first line of the changelog: "libpng1.6 (1.6.39-2+deb12u5) ...".
version="$(sed -n '1s/^[^(]*(\([^)]*\)).*/\1/p' "$source_folder/debian/changelog" 2>/dev/null)"

# --- The static library ----------------------------------------------------------------

zlib_root=/usr/x86_64-w64-mingw32
if [ ! -f "$zlib_root/lib/libz.a" ]; then
  echo "no $zlib_root/lib/libz.a: install libz-mingw-w64-dev" >&2
  exit 1
fi
echo "Building libpng $version for Windows in $prefix"
rm -rf "$prefix/build"
# Only the static library: no DLL, no test programs, no tools. zlib is named by its static
# archive, so nothing that links the result can pick the DLL's import library instead.
cmake -S "$source_folder" -B "$prefix/build" -G Ninja -Wno-dev \
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_INSTALL_LIBDIR=lib \
  -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_EXECUTABLES=OFF -DPNG_TESTS=OFF \
  -DZLIB_LIBRARY="$zlib_root/lib/libz.a" -DZLIB_INCLUDE_DIR="$zlib_root/include" >/dev/null
cmake --build "$prefix/build" >/dev/null
cmake --install "$prefix/build" >/dev/null
# The licences of the two libraries that go inside plandrix-map.exe, for its package.
mkdir -p "$prefix/licenses"
cp "$source_folder/LICENSE" "$prefix/licenses/libpng.txt"
cp /usr/share/doc/libz-mingw-w64-dev/copyright "$prefix/licenses/zlib.txt"
# The package index and the objects are not needed again; the sources stay for a look.
rm -rf "$prefix/apt" "$prefix/build"
echo "$version" >"$stamp"
