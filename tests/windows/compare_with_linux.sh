#!/usr/bin/env bash
# Runs the Windows programs under Wine beside the Linux programs and checks that they do
# the same: every file the two leave behind is the same byte for byte (a PNG picture may
# differ in its bytes only, never in its pixels), they print the same text (line ends
# aside: the Windows programs write CR LF to the console) and exit with the same status.
#   menu  plandrix and plandrix.exe through the same scripted sessions, each in a fresh
#         folder with the same files;
#   map   plandrix-map and plandrix-map.exe: new maps of every style and landscape from
#         generate, then each command of a list on each of the same maps (of the menu
#         program and of generate), and a few runs on bad maps and bad arguments.
#
#   tests/windows/compare_with_linux.sh [LINUX_PROGRAM [WINDOWS_PROGRAM]]
#
# Defaults: build/release/plandrix (else build/test/plandrix) and build/windows/plandrix.exe;
# plandrix-map and plandrix-map.exe are taken from the same folders. PARTS="menu map" (the
# default) chooses the parts. Wine runs with the prefix in $WINEPREFIX (default
# build/windows/wine, made on first use). PNG pictures are decoded by png_pixels.c, built
# here with the C compiler ($CC, default cc) and the Linux libpng.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
parts=" ${PARTS:-menu map} "

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
linux_map="$(dirname "$linux")/plandrix-map"
windows_map="$(dirname "$windows")/plandrix-map.exe"
if [[ $parts == *" map "* ]] && { [ ! -x "$linux_map" ] || [ ! -f "$windows_map" ]; }; then
  echo "no $linux_map or $windows_map (build plandrix-map on both)" >&2
  exit 2
fi

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

# --- plandrix-map: commands and maps ----------------------------------------------------

# Each entry: name|command line|files. The command line is split into words at spaces.
# MAP in it stands for each map of map_names in turn (copied into the run's folder under
# its own name), so such a command runs once per map; a command line without MAP runs
# once, in a folder with the files listed (file=source from the inputs folder). What a
# run leaves in its folder, prints on standard output and error, and its exit status are
# compared.
map_commands=(
  "check|check MAP"
  "check_json|check --json MAP"
  "stats|stats MAP"
  "stats_json|stats --json MAP"
  "preview|preview MAP"
  "preview_terrain_scale_3|preview MAP --layer terrain --scale 3 -o terrain.png"
  "preview_heights|preview MAP --layer heights -o heights.png"
  "preview_resources|preview MAP --layer resources --scale 1 -o resources.png"
  "preview_quality|preview MAP --layer quality -o quality.png"
  "balance|balance MAP"
  "balance_json|balance --json MAP"
  "export_heights|export-heights MAP"
  "export_terrain|export-terrain MAP -o terrain.bmp"
  "players_auto|players MAP --auto 4 --seed 24681357"
  "players_auto_default_seed|players MAP --auto 2 -o two.wld"
  "players_hq|players MAP --hq 10,10 --hq 30,20 --hq 50,40 -o hq.wld"
  "set|set --title Shared --author Both --landscape winter MAP -o set.wld"
  # A map cut short, one that is no map, a missing one, and bad arguments.
  "check_short|check --json short.wld bitmap.wld|short.wld=short.wld bitmap.wld=small.bmp"
  "stats_short|stats --json short.wld|short.wld=short.wld"
  "preview_short|preview short.wld|short.wld=short.wld"
  "players_short|players short.wld --auto 2|short.wld=short.wld"
  "preview_missing|preview missing.wld"
  "export_missing|export-heights missing.wld -o h.bmp"
  "preview_bad_scale|preview MAP --scale 17"
  "players_bad_auto|players MAP --auto 9"
  "players_bad_hq|players MAP --hq 1,x"
  "set_bad_landscape|set --landscape moon MAP"
  "unknown_command|draw MAP"
  "no_arguments|"
  "help|--help"
  "version|--version"
)
for subcommand in check stats balance preview export-heights export-terrain players set generate; do
  map_commands+=("help_$subcommand|$subcommand --help")
done
# New maps: each style in each landscape at two sizes from three seeds, the two kinds of
# symmetry, and refusals.
for style in land islands mixed; do
  for landscape in greenland wasteland winter; do
    for size in 64x64 128x96; do
      for seed in 1 2024 4000000000; do
        map_commands+=("generate_${style}_${landscape}_${size}_$seed|generate --style $style --landscape $landscape --size $size --seed $seed")
      done
    done
  done
done
map_commands+=(
  "generate_mirror|generate --symmetry mirror --players 2 --size 96x64 --seed 7 -o mirror.swd"
  "generate_rotate|generate --symmetry rotate --players 4 --size 96x96 --seed 7 -o rotate.swd"
  "generate_eight|generate --players 8 --size 160x128 --seed 8 --mountains near --title Eight"
  "generate_bad_size|generate --size 31x32"
  "generate_bad_symmetry|generate --symmetry rotate --players 3"
)

# The maps: random maps of the menu program (option 8) at two sizes and three seeds, with
# random objects on them (option 6), made by the Linux program (the menu part shows that
# the Windows program makes the same ones); a map cut short.
map_sizes=("64 48" "160 96")
map_seeds=(12345678 87654321 31415926)
map_names=()
make_maps() {
  local width height seed name
  mkdir -p "$work/maps"
  for size in "${map_sizes[@]}"; do
    read -r width height <<<"$size"
    for seed in "${map_seeds[@]}"; do
      name="random_${width}x${height}_$seed.wld"
      rm -f "$work/maps/"*
      printf '8\n%s\n%s\n%s\n6\nnGen.wld\n1\n%s\n1\n1\n1\n1\n1\n0\n' "$width" "$height" "$seed" \
        $((10000000 + seed * 7 % 90000000)) | (cd "$work/maps" && "$linux" >/dev/null)
      mv "$work/maps/nnGen.wld" "$work/inputs/$name"
      map_names+=("$name")
    done
  done
  # The larger maps again with four players placed by the Linux program (whose players
  # command is compared too): maps that check finds no error in, and pictures with
  # headquarters.
  for seed in "${map_seeds[@]}"; do
    read -r width height <<<"${map_sizes[-1]}"
    name="players_${width}x${height}_$seed.wld"
    "$linux_map" players "$work/inputs/random_${width}x${height}_$seed.wld" --auto 4 \
      -o "$work/inputs/$name" >/dev/null
    map_names+=("$name")
  done
  # Maps of the generator (one per style), so that the commands look at natural land with
  # its players as well.
  for style in land islands mixed; do
    name="generated_$style.swd"
    "$linux_map" generate --style "$style" --size 128x96 --seed 99 -o "$work/inputs/$name" \
      >/dev/null
    map_names+=("$name")
  done
  head -c 5000 "$work/inputs/${map_names[0]}" >"$work/inputs/short.wld"
}

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

# Prepares folder with the files and runs the words of a command line through program
# (and its runner) in it; its standard error is kept too.
run_words_in() {
  local folder=$1 files=$2 line=$3 status=0 words=()
  shift 3
  mkdir -p "$folder"
  for rule in $files; do cp "$work/inputs/${rule#*=}" "$folder/${rule%%=*}"; done
  read -ra words <<<"$line"
  (cd "$folder" && timeout 300 "$@" "${words[@]}" </dev/null >"$folder.out" 2>"$folder.err") ||
    status=$?
  echo "$status" >"$folder.status"
}

# Compares the runs in $work/NAME/linux and $work/NAME/windows: exit status, standard
# output (and error, where kept) with the Windows program's CR LF read as LF, the names of
# the files left and each file's bytes; a PNG picture whose bytes differ is compared by its
# pixels. Adds the files found equal to files_compared; on a difference prints it and
# returns 1.
compare_run() {
  local name=$1 base="$work/$1" file linux_files windows_files equal=0 problems=()
  [ "$(cat "$base/linux.status")" = "$(cat "$base/windows.status")" ] ||
    problems+=("exit status $(cat "$base/linux.status") vs $(cat "$base/windows.status")")
  cmp -s "$base/linux.out" <(tr -d '\r' <"$base/windows.out") ||
    problems+=("standard output differs")
  if [ -f "$base/linux.err" ]; then
    cmp -s "$base/linux.err" <(tr -d '\r' <"$base/windows.err") ||
      problems+=("standard error differs")
  fi
  linux_files="$(cd "$base/linux" && find . -type f | sort)"
  windows_files="$(cd "$base/windows" && find . -type f | sort)"
  [ "$linux_files" = "$windows_files" ] ||
    problems+=("files differ: [${linux_files//$'\n'/ }] vs [${windows_files//$'\n'/ }]")
  for file in $linux_files; do
    [ -f "$base/windows/$file" ] || continue
    if cmp -s "$base/linux/$file" "$base/windows/$file"; then
      equal=$((equal + 1))
    elif [[ $file == *.png ]] &&
      "$png_pixels" "$base/linux/$file" "$base/windows/$file" >"$base/pixels.txt" 2>&1; then
      equal=$((equal + 1))
      png_bytes_differ=$((png_bytes_differ + 1))
      echo "note   $name: $file has the same pixels in other bytes"
    elif [[ $file == *.png ]]; then
      problems+=("$file: $(head -1 "$base/pixels.txt")")
    else
      problems+=("$file differs")
    fi
  done
  files_compared=$((files_compared + equal))
  [ "${#problems[@]}" -gt 0 ] || return 0
  echo "DIFFER $name: ${problems[*]}"
  diff <(tr -d '\r' <"$base/windows.out") "$base/linux.out" | head -20 || true
  [ ! -f "$base/linux.err" ] || diff <(tr -d '\r' <"$base/windows.err") "$base/linux.err" | head -10 || true
  return 1
}

# Whether the Windows run in folder printed nothing at all and failed: Wine now and then
# fails to start a program on a busy machine that way, which the program itself never
# does (every failure of it prints a message). Such a run is made once more.
wine_failed_to_start() {
  local folder=$1
  [ "$(cat "$folder.status")" != 0 ] && [ ! -s "$folder.out" ] &&
    { [ ! -f "$folder.err" ] || [ ! -s "$folder.err" ]; }
}

if [ ! -d "$WINEPREFIX" ]; then
  echo "Creating the Wine prefix $WINEPREFIX (once)"
  "$wine" wineboot -i >/dev/null 2>&1 </dev/null || true
fi

failures=0
runs=0
files_compared=0
png_bytes_differ=0
if [[ $parts == *" menu "* ]]; then
  for entry in "${sessions[@]}"; do
    name="${entry%%|*}"
    files="${entry#*|}"
    input="$work/inputs/$name.txt"
    run_in "$work/$name/linux" "$input" "$files" "$linux"
    run_in "$work/$name/windows" "$input" "$files" "$wine" "$windows"
    if [ "$(cat "$work/$name/windows.status")" != 0 ] && [ ! -s "$work/$name/windows.out" ]; then
      echo "again  $name: Wine started nothing"
      rm -rf "$work/$name/windows"
      run_in "$work/$name/windows" "$input" "$files" "$wine" "$windows"
    fi
    runs=$((runs + 1))
    before=$files_compared
    if compare_run "$name"; then
      echo "same   $name ($((files_compared - before)) files, $(wc -l <"$work/$name/linux.out") lines)"
    else
      failures=$((failures + 1))
    fi
  done
fi

if [[ $parts == *" map "* ]]; then
  png_pixels="$work/png_pixels"
  "${CC:-cc}" -O2 -o "$png_pixels" "$root/tests/windows/png_pixels.c" -lpng
  make_maps
  for entry in "${map_commands[@]}"; do
    IFS='|' read -r name line files <<<"$entry"
    targets=(-)
    [[ " $line " != *" MAP "* ]] || targets=("${map_names[@]}")
    before=$files_compared
    differing=0
    for map in "${targets[@]}"; do
      folder="map/$name/${map%.wld}"
      command_line="$line" map_files="$files"
      if [ "$map" != - ]; then
        command_line="${line//MAP/$map}"
        map_files="$map=$map $files"
      fi
      run_words_in "$work/$folder/linux" "$map_files" "$command_line" "$linux_map"
      run_words_in "$work/$folder/windows" "$map_files" "$command_line" "$wine" "$windows_map"
      if wine_failed_to_start "$work/$folder/windows"; then
        echo "again  $folder: Wine started nothing"
        rm -rf "$work/$folder/windows"
        run_words_in "$work/$folder/windows" "$map_files" "$command_line" "$wine" "$windows_map"
      fi
      runs=$((runs + 1))
      compare_run "$folder" || differing=$((differing + 1))
    done
    failures=$((failures + differing))
    if [ "$differing" -eq 0 ]; then
      echo "same   plandrix-map ${line:-(no arguments)} (${#targets[@]} runs, $((files_compared - before)) files)"
    fi
  done
fi

"$(dirname "$wine")/wineserver" -w 2>/dev/null || true
echo "$runs runs, $files_compared files compared ($png_bytes_differ PNG pictures equal in pixels only), $failures differing"
[ "$failures" -eq 0 ]
