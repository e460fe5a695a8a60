#!/usr/bin/env bash
# Checks the Debian package the way a user gets it, and the same install rules through
# `cmake --install`: the package's fields and files, that apt would install it here, and
# that both programs run from each unpacked tree, started from a folder of their own with
# nothing of the build on their path.
#
#   .ci/check_package.sh build/package/plandrix_VERSION_amd64.deb build/package
set -euo pipefail

if [ "$#" -ne 2 ] || [ ! -f "$1" ] || [ ! -d "$2" ]; then
  echo "usage: $0 PACKAGE.deb BUILD_DIR (exactly one package)" >&2
  exit 2
fi
deb=$(realpath "$1")
build=$(realpath "$2")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

fail() {
  echo "check_package: $*" >&2
  exit 1
}

field() { dpkg-deb -f "$deb" "$1"; }

echo "== $deb"
dpkg-deb -I "$deb"
dpkg-deb -c "$deb" | tee "$scratch/contents"

version=$(field Version)
[ "$(field Package)" = plandrix ] || fail "package name is $(field Package)"
[ "$(field Architecture)" = amd64 ] || fail "architecture is $(field Architecture)"
[ "$(basename "$deb")" = "plandrix_${version}_amd64.deb" ] ||
  fail "file name $(basename "$deb") does not carry version $version"
depends=$(field Depends)
# Every program needs the C and C++ runtime; libpng once plandrix-map draws with it.
libraries=(libc6 libstdc++6 libgcc-s1)
dpkg-deb --fsys-tarfile "$deb" | tar -x -C "$scratch" ./usr/bin/plandrix-map
if readelf -d "$scratch/usr/bin/plandrix-map" | grep -q 'NEEDED.*libpng16'; then
  libraries+=(libpng16-16)
fi
for library in "${libraries[@]}"; do
  grep -q "\(^\|, \)$library (>= [0-9]" <<<"$depends" ||
    fail "Depends lacks a versioned $library: $depends"
done
for path in usr/bin/plandrix usr/bin/plandrix-map usr/share/doc/plandrix/README.md \
  usr/share/doc/plandrix/LICENSE usr/share/man/man1/plandrix.1 \
  usr/share/man/man1/plandrix-map.1; do
  grep -q " \./$path\$" "$scratch/contents" || fail "package lacks /$path"
done
if grep -v ' root/root ' "$scratch/contents"; then fail "files above are not owned by root"; fi
if command -v apt-get >/dev/null 2>&1; then
  apt-get install --simulate --no-install-recommends "$deb" >"$scratch/apt.log" 2>&1 ||
    { cat "$scratch/apt.log"; fail "apt-get would not install the package"; }
fi

# Runs the programs of one installed tree: a scripted menu session writes the test map,
# then plandrix-map reports its version and checks that map.
run_tree() {
  local bin=$1 work status=0
  local run=(env -i PATH=/usr/bin:/bin timeout 20)
  work=$(mktemp -d "$scratch/run.XXXXXX")
  echo "== programs in $bin"
  if readelf -d "$bin/plandrix" "$bin/plandrix-map" | grep -E 'RPATH|RUNPATH'; then
    fail "installed programs carry a library search path"
  fi
  if ldd "$bin/plandrix-map" | grep 'not found'; then fail "a library is missing"; fi
  (cd "$work" && printf '12\n0\n' | "${run[@]}" "$bin/plandrix" >"$scratch/menu.log") ||
    fail "plandrix ended with status $?"
  grep -q 'Map has been saved!' "$scratch/menu.log" || fail "plandrix did not save the map"
  [ "$(stat -c %s "$work/ntest.wld")" = 16913 ] || fail "ntest.wld is not the 16913-byte map"
  [ "$("${run[@]}" "$bin/plandrix-map" --version)" = "plandrix-map $version" ] ||
    fail "plandrix-map --version does not print version $version"
  (cd "$work" && "${run[@]}" "$bin/plandrix-map" check ntest.wld) >"$scratch/check.log" 2>&1 ||
    status=$?
  cat "$scratch/check.log"
  # The blank test map has no players, so the game starts no match on it: that error
  # alone, and status 1.
  [ "$status" = 1 ] || fail "plandrix-map check ended with status $status, not 1"
  [ "$(wc -l <"$scratch/check.log")" = 1 ] && grep -q 'error: .*\[no-players\]$' "$scratch/check.log" ||
    fail "plandrix-map check did not report the missing players alone"
}

dpkg -x "$deb" "$scratch/root"
run_tree "$scratch/root/usr/bin"
for page in "$scratch"/root/usr/share/man/man1/*.1; do
  if command -v man >/dev/null 2>&1; then
    MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null | (! grep .) || fail "man warns on $page"
  fi
done

# The same rules through cmake --install give the same files below the prefix.
cmake --install "$build" --prefix "$scratch/prefix" >/dev/null
(cd "$scratch/root/usr" && find . -type f | sort) >"$scratch/deb.files"
(cd "$scratch/prefix" && find . -type f | sort) >"$scratch/prefix.files"
diff "$scratch/deb.files" "$scratch/prefix.files" || fail "cmake --install gives other files"
run_tree "$scratch/prefix/bin"
echo "check_package: the package and the installed trees work"
