#!/usr/bin/env bash
# Runs the Windows program under Wine and the Linux program through the same scripted
# sessions, each in a fresh folder with the same files, and checks that every file the
# two leave behind is the same byte for byte, that they print the same text (line ends
# aside: the Windows program writes CR LF to its console) and exit with the same status.
#
#   tests/windows/compare_with_linux.sh [LINUX_PROGRAM [WINDOWS_PROGRAM]]
#
# Defaults: build/release/plandrix (else build/test/plandrix) and build/windows/plandrix.exe.
# Wine runs with the prefix in $WINEPREFIX (default build/windows/wine, made on first use).
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"

linux="${1:-}"
if [ -z "$linux" ]; then
  for candidate in "$root/build/release/plandrix" "$root/build/test/plandrix"; do
    if [ -x "$candidate" ]; then
      linux="$candidate"
      break
    fi
  done
fi
windows="${2:-$root/build/windows/plandrix.exe}"
if [ -z "$linux" ] || [ ! -x "$linux" ]; then
  echo "no Linux program (build the release preset)" >&2
  exit 2
fi
if [ ! -f "$windows" ]; then
  echo "no $windows (run the windows workflow)" >&2
  exit 2
fi
linux="$(cd "$(dirname "$linux")" && pwd)/$(basename "$linux")"
windows="$(cd "$(dirname "$windows")" && pwd)/$(basename "$windows")"

export WINEPREFIX="${WINEPREFIX:-$root/build/windows/wine}"
export WINEDEBUG=-all
# No prompts to install the .NET and HTML engines: a console program needs neither.
export WINEDLLOVERRIDES="mscoree,mshtml="
wine="$(command -v wine || command -v wine64)"

work="$(mktemp -d "${TMPDIR:-/tmp}/plandrix-compare.XXXXXX")"
# KEEP=1 leaves the folders of the runs behind for a look.
if [ "${KEEP:-0}" = 1 ]; then
  echo "Runs in $work"
else
  trap 'rm -rf "$work"' EXIT
fi
mkdir "$work/inputs"

# --- Input files, built byte by byte -----------------------------------------------------

# Appends the little-endian bytes of a number, as printf escapes, to the variable bytes.
le() {
  local value=$1 size=$2 i
  for ((i = 0; i < size; i++)); do printf -v bytes '%s\\x%02x' "$bytes" $(((value >> (8 * i)) & 255)); done
}

# File header and information header: width, height, bits per pixel, pixel offset, size.
bmp_header() {
  bytes+="BM"
  le "$5" 4
  le 0 4
  le "$4" 4
  le 40 4
  le "$1" 4
  le "$2" 4
  le 1 2
  le "$3" 2
  le 0 24
}

# A 4-bit bitmap whose colour at (x, y) (y = 0 the top row) is (x / 3 + y * 5 + x * y) % 16.
bitmap4() {
  local width=$1 height=$2 file=$3 row_bytes x y stored bytes=""
  row_bytes=$((((width * 4 + 31) / 32) * 4))
  bmp_header "$width" "$height" 4 118 $((118 + row_bytes * height))
  le 0 64
  for ((stored = 0; stored < height; stored++)); do
    y=$((height - 1 - stored))
    for ((x = 0; x + 1 < width; x += 2)); do
      printf -v bytes '%s\\x%x%x' "$bytes" $(((x / 3 + y * 5 + x * y) % 16)) \
        $((((x + 1) / 3 + y * 5 + (x + 1) * y) % 16))
    done
    ((width % 2 == 0)) || printf -v bytes '%s\\x%x0' "$bytes" $(((x / 3 + y * 5 + x * y) % 16))
    le 0 $((row_bytes - (width + 1) / 2))
  done
  printf '%b' "$bytes" >"$file"
}

# An 8-bit grey bitmap (width a multiple of 4) whose pixel at (x, y) is (x * 7 + y * 13) % 256,
# with many steps too steep for the game.
bitmap8() {
  local width=$1 height=$2 file=$3 x y stored bytes=""
  bmp_header "$width" "$height" 8 1078 $((1078 + width * height))
  for ((x = 0; x < 256; x++)); do printf -v bytes '%s\\x%02x\\x%02x\\x%02x\\x00' "$bytes" $x $x $x; done
  for ((stored = 0; stored < height; stored++)); do
    y=$((height - 1 - stored))
    for ((x = 0; x < width; x++)); do printf -v bytes '%s\\x%02x' "$bytes" $(((x * 7 + y * 13) % 256)); done
  done
  printf '%b' "$bytes" >"$file"
}

bitmap4 24 18 "$work/inputs/small.bmp"
bitmap4 130 96 "$work/inputs/wide.bmp"
bitmap4 25 9 "$work/inputs/odd.bmp"
bitmap8 24 18 "$work/inputs/grey24x18.bmp"
bitmap8 64 64 "$work/inputs/grey64.bmp"
bitmap8 128 40 "$work/inputs/grey128x40.bmp"
# An earlier output of another size that a save must replace whole.
head -c 30000 /dev/zero | tr '\0' '\1' >"$work/inputs/stale.wld"

# --- Sessions --------------------------------------------------------------------------

# Random objects with a seed, random heights, mirror three ways, resources, one height
# for all: each step reads the previous step's output and writes n + its name. Seeds
# have eight digits.
chain() {
  local name=$1 seed=$2
  printf '6\n%s\n1\n%s\n1\n1\n1\n1\n1\n' "$name" "$seed"
  printf '7\nn%s\n%s\n' "$name" $((10000000 + seed * 7 % 90000000))
  printf '3\nnn%s\n1\n2\n3\n0\n' "$name"
  printf '10\nnnn%s\n' "$name"
  printf '5\nnnnn%s\n%s\n0\n' "$name" $((seed % 61 + 1))
}

# Each session: a name, its standard input, then the input files it starts with
# (file=source, source taken from the inputs folder).
sessions=()
session() {
  local name=$1 input=$2
  shift 2
  printf '%s' "$input" >"$work/inputs/$name.txt"
  sessions+=("$name|$*")
}

session test_map $'12\n12\n0\n'
session test_map_objects "$(printf '12\n%s\n0\n' "$(chain ntest.wld 11112222)")"
session object_editor $'12\n1\nntest.wld\n3\n10\n12\n5\n7\n0\n17\n0\n1\n0\n'
for size_seed in "64 64 12345678" "100 37 87654321" "256 14 10000001" "1 1 55555555" "13 25 99999999" \
  "640 480 24681357" "65535 2 31415926"; do
  read -r width height seed <<<"$size_seed"
  session "random_${width}x${height}_$seed" \
    "$(printf '8\n%s\n%s\n%s\n%s\n0\n' "$width" "$height" "$seed" "$(chain nGen.wld "$seed")")" \
    nGen.wld=stale.wld
done
session random_default_seed $'8\n30\n30\n0\n6\nnGen.wld\n0\n1\n1\n1\n1\n1\n0\n'
session height_map_64 $'8\n64\n64\n13572468\n9\nnGen.wld\ngrey64.bmp\n0\n0\n0\n' grey64.bmp=grey64.bmp
session height_map_soften $'8\n128\n40\n42424242\n9\nnGen.wld\ngrey128x40.bmp\n1\n1\n0\n' \
  grey128x40.bmp=grey128x40.bmp
session bitmap_small $'2\nsmall.bmp\n9\nnTavik.wld\ngrey.bmp\n1\n0\n0\n' small.bmp=small.bmp \
  grey.bmp=grey24x18.bmp
session bitmap_wide "$(printf '2\nwide.bmp\n%s\n0\n' "$(chain nTavik.wld 76543210)")" \
  wide.bmp=wide.bmp nTavik.wld=stale.wld
session bitmap_odd $'2\nodd.bmp\n0\n' odd.bmp=odd.bmp
# Replies that are no numbers or out of range, missing and overlong file names, a bitmap
# given as a map, and a script that ends in the middle of a tool.
session bad_input $'4\n13\n-1\nabc\n99999999999\n4abc\n8\n0\n70000\n6\nmissing.swd\nthis_name_is_far_too_long_to_open.swd\n0\n5\nodd.bmp\n0\n' \
  odd.bmp=odd.bmp
session end_of_input $'8\n64\n64\n'

# --- Runs and comparison -----------------------------------------------------------------

# Prepares folder with the session's files and runs program (through runner) in it.
run_in() {
  local folder=$1 input=$2 files=$3 status=0
  shift 3
  mkdir -p "$folder"
  for rule in $files; do cp "$work/inputs/${rule#*=}" "$folder/${rule%%=*}"; done
  (cd "$folder" && timeout 120 "$@" <"$input" >"../$(basename "$folder").out" 2>/dev/null) ||
    status=$?
  echo "$status" >"$folder.status"
}

if [ ! -d "$WINEPREFIX" ]; then
  echo "Creating the Wine prefix $WINEPREFIX (once)"
  "$wine" wineboot -i >/dev/null 2>&1 </dev/null || true
fi

failures=0
files_compared=0
for entry in "${sessions[@]}"; do
  name="${entry%%|*}"
  files="${entry#*|}"
  input="$work/inputs/$name.txt"
  run_in "$work/$name/linux" "$input" "$files" "$linux"
  run_in "$work/$name/windows" "$input" "$files" "$wine" "$windows"
  problems=()
  [ "$(cat "$work/$name/linux.status")" = "$(cat "$work/$name/windows.status")" ] ||
    problems+=("exit status $(cat "$work/$name/linux.status") vs $(cat "$work/$name/windows.status")")
  cmp -s "$work/$name/linux.out" <(tr -d '\r' <"$work/$name/windows.out") ||
    problems+=("console text differs")
  linux_files="$(cd "$work/$name/linux" && find . -type f | sort)"
  windows_files="$(cd "$work/$name/windows" && find . -type f | sort)"
  [ "$linux_files" = "$windows_files" ] ||
    problems+=("files differ: [${linux_files//$'\n'/ }] vs [${windows_files//$'\n'/ }]")
  written=0
  for file in $linux_files; do
    [ -f "$work/$name/windows/$file" ] || continue
    if cmp -s "$work/$name/linux/$file" "$work/$name/windows/$file"; then
      written=$((written + 1))
    else
      problems+=("$file differs")
    fi
  done
  files_compared=$((files_compared + written))
  if [ "${#problems[@]}" -eq 0 ]; then
    echo "same   $name ($written files, $(wc -l <"$work/$name/linux.out") lines)"
  else
    failures=$((failures + 1))
    echo "DIFFER $name: ${problems[*]}"
    diff <(tr -d '\r' <"$work/$name/windows.out") "$work/$name/linux.out" | head -20 || true
  fi
done

"$(dirname "$wine")/wineserver" -w 2>/dev/null || true
echo "${#sessions[@]} sessions, $files_compared files compared, $failures differing"
[ "$failures" -eq 0 ]
