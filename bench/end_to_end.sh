#!/usr/bin/env bash
# Whole-process timings of the release program, each run driven by a here-document of
# the answers a user would type. Every run is set beside its floor: cp of the file it
# writes (reading and writing the same bytes) plus the draws its passes must make
# (measured by the benchmark suite), and its peak memory beside the bytes it must hold.
# Prints a table and the ratios; exits 1 when a ratio is above its limit.
#
#   cmake --workflow --preset release && cmake --workflow --preset bench
#   bench/end_to_end.sh            # REPS=5 bench/end_to_end.sh for more repetitions
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
program=${PLANDRIX:-$root/build/release/plandrix}
bench=${PLANDRIX_BENCH:-$root/build/bench/bench/plandrix_bench}
hold_program=${PLANDRIX_HOLD:-$root/build/bench/bench/plandrix_hold}
reps=${REPS:-3}

if [[ ! -x $program ]]; then
  echo "No release program at $program: run 'cmake --workflow --preset release' first." >&2
  exit 2
fi
if [[ ! -x /usr/bin/time ]]; then
  echo "Peak memory needs /usr/bin/time: install it with 'apt-get install time'." >&2
  exit 2
fi
if [[ ! -x $hold_program ]]; then
  echo "No hold program at $hold_program: build it with 'cmake --workflow --preset bench'." >&2
  exit 2
fi
if [[ ! -x $bench ]]; then
  echo "No benchmark suite at $bench: the draw floors count as 0 s." >&2
  echo "Build it with 'cmake --workflow --preset bench' for the full floors." >&2
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/plandrix-e2e.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"

now() { date +%s%N; }
seconds() { awk -v ns="$1" 'BEGIN { printf "%.4f", ns / 1e9 }'; }
median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

map_length() { echo $((14 * $1 * $2 + 2577)); }

# The draw floors, in seconds, from the benchmark suite (real time, median of three).
# DRAWS_JSON=file reuses the JSON output of an earlier run of the same filter.
declare -A draws
if [[ -n ${DRAWS_JSON:-} ]]; then
  cp "$DRAWS_JSON" draws.json
elif [[ -x $bench ]]; then
  "$bench" --benchmark_filter='BM_ToolDrawBaseline' --benchmark_repetitions=3 \
    --benchmark_report_aggregates_only=true --benchmark_format=json >draws.json 2>/dev/null
fi
if [[ -f draws.json ]]; then
  while read -r name value; do draws[$name]=$value; done < <(python3 - draws.json <<'EOF'
import json, sys
for b in json.load(open(sys.argv[1]))["benchmarks"]:
    if b.get("aggregate_name") == "median":
        scale = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}[b["time_unit"]]
        print(b["run_name"], b["real_time"] * scale)
EOF
  )
fi
draw_floor() { echo "${draws[$1]:-0}"; }

# Input files made by a small generator: a 4-bit bitmap of patches of all 16 colours, an
# 8-bit height bitmap of gentle hills, and a 1024 x 1024 map whose terrain codes are all
# unlisted (every vertex gives a terrain warning in the tree pass), and one of water.
python3 - <<'EOF'
import random, struct

def bmp_header(width, height, bits, pixel_offset, pixel_bytes):
    header = bytearray(pixel_offset)
    header[0:2] = b"BM"
    struct.pack_into("<IIIIiiHH", header, 2, pixel_offset + pixel_bytes, 0, pixel_offset,
                     40, width, height, 1, bits)
    return header

side = 4096
random.seed(7)
patches = [[random.randrange(16) for _ in range(side // 16)] for _ in range(side // 16)]
with open("b4.bmp", "wb") as f:
    f.write(bmp_header(side, side, 4, 118, side * side // 2))
    for y in range(side):
        row = bytearray(b"".join(bytes([c << 4 | c]) * 8 for c in patches[y // 16]))
        for _ in range(side // 16):  # one pixel pair in eight of other colours
            row[random.randrange(side // 2)] = random.randrange(256)
        f.write(row)

wave = bytes(40 + (p if p < 64 else 128 - p) for p in ((x * 256 // side) % 128 for x in range(side)))
with open("h8.bmp", "wb") as f:
    f.write(bmp_header(side, side, 8, 1078, side * side))
    for y in range(side):
        lift = (y * 64 // side) % 64
        f.write(wave.translate(bytes((v + lift) & 0xFF for v in range(256))))

w = h = 1024
n = w * h
image = bytearray(14 * n + 2577)
struct.pack_into("<HH", image, 2348, w, h)
for block in range(14):
    header = 2352 + block * (n + 16)
    struct.pack_into("<HIHHHI", image, header, 10000, 0, w, h, 1, n)
    fill = {0: 10, 1: 0xC8, 2: 0xC8, 9: 7}.get(block, 0)
    image[header + 16:header + 16 + n] = bytes([fill]) * n
image[-1] = 0xFF
with open("u.wld", "wb") as f:
    f.write(image)
# The same map with water everywhere: the tree pass reads every vertex, prints nothing.
for block in (1, 2):
    start = 2352 + block * (n + 16) + 16
    image[start:start + n] = bytes([5]) * n
with open("q.wld", "wb") as f:
    f.write(image)
EOF

rows=()
failed=0

# run_case NAME OUTPUT NEEDED_BYTES DRAW_SECONDS, with the answers on standard input.
run_case() {
  local name=$1 output=$2 needed=$3 draw_seconds=$4
  cat >answers.txt
  local times=() peaks=() copies=() holds=()
  local start end
  for ((r = 0; r < reps; ++r)); do
    # Old outputs are removed outside the timing: freeing their cached pages is not the run's.
    rm -f "$output" stdout.txt
    start=$(now)
    /usr/bin/time -f '%M' -o peak.txt "$program" <answers.txt >stdout.txt
    end=$(now)
    times+=("$((end - start))")
    peaks+=("$(tail -n 1 peak.txt)")
  done
  [[ -f $output ]] || { echo "$name wrote no $output" >&2; exit 1; }
  for ((r = 0; r < reps; ++r)); do
    rm -f copy.out
    start=$(now)
    cp "$output" copy.out
    end=$(now)
    copies+=("$((end - start))")
    # The floor of any program that holds the file: one read of it whole into memory and
    # one save of it, in storage with the program's own page policy.
    rm -f copy.out
    start=$(now)
    "$hold_program" "$output" copy.out
    end=$(now)
    holds+=("$((end - start))")
  done
  local run cp_floor peak hold
  run=$(printf '%s\n' "${times[@]}" | median)
  hold=$(printf '%s\n' "${holds[@]}" | median)
  cp_floor=$(printf '%s\n' "${copies[@]}" | median)
  peak=$(printf '%s\n' "${peaks[@]}" | sort -g | tail -n 1)
  rows+=("$(awk -v name="$name" -v run="$run" -v cp="$cp_floor" -v draw="$draw_seconds" \
    -v peak="$peak" -v needed="$needed" -v hold="$hold" 'BEGIN {
      floor = cp / 1e9 + draw; ratio = run / 1e9 / floor
      peak_mib = peak / 1024; needed_mib = needed / 1048576; limit = 1.1 * needed_mib + 8
      held = run / 1e9 / (hold / 1e9 + draw)
      verdict = (held <= 1.5 && peak_mib <= limit) ? "ok" : "ABOVE"
      printf "%-26s %8.3f %8.3f %8.3f %6.2f %8.3f %6.2f %9.1f %9.1f %9.1f  %s", name, run / 1e9,
        cp / 1e9, draw, ratio, hold / 1e9, held, peak_mib, needed_mib, limit, verdict }')")
  [[ ${rows[-1]} == *ABOVE ]] && failed=1
  return 0
}

side=4096
big=$(map_length $side $side)
regions_1024=$(((1024 / 12) * (1024 / 12)))
regions_4096=$(((4096 / 12) * (4096 / 12)))

run_case "random map 1024" nGen.wld $(($(map_length 1024 1024) + 4 * regions_1024)) \
  "$(draw_floor BM_ToolDrawBaseline_RandomMap/1024)" <<'EOF'
8
1024
1024
0
0
EOF

run_case "random map 4096" nGen.wld $((big + 4 * regions_4096)) \
  "$(draw_floor BM_ToolDrawBaseline_RandomMap/4096)" <<'EOF'
8
4096
4096
0
0
EOF
mv nGen.wld m.wld
random_4096_row=${rows[-1]}

run_case "random objects (all five)" nm.wld "$big" \
  "$(draw_floor BM_ToolDrawBaseline_RandomObjects/4096)" <<'EOF'
6
m.wld
0
1
1
1
1
1
0
EOF

run_case "random heights" nm.wld "$big" "$(draw_floor BM_ToolDrawBaseline_RandomHeights/4096)" <<'EOF'
7
m.wld
0
0
EOF

run_case "mirror 1, 2, 3" nm.wld $((2 * big)) 0 <<'EOF'
3
m.wld
1
2
3
0
0
EOF

run_case "set heights" nm.wld "$big" 0 <<'EOF'
5
m.wld
21
0
0
EOF
set_heights_row=${rows[-1]}

bitmap_bytes=$(stat -c %s b4.bmp)
run_case "bitmap to map" nTavik.wld $((bitmap_bytes + big + side * side)) 0 <<'EOF'
2
b4.bmp
0
EOF

height_bytes=$(stat -c %s h8.bmp)
run_case "height-map import" nm.wld $((height_bytes + big)) 0 <<'EOF'
9
m.wld
h8.bmp
1
0
EOF

# Three million warning lines with standard output redirected to a file: the run with
# them, less the same run on a map of water (no warning), against one write of the bytes.
run_case "tree pass, 3M warning lines" nu.wld "$(map_length 1024 1024)" 0 <<'EOF'
6
u.wld
0
1
0
0
0
0
0
EOF
warning_bytes=$(stat -c %s stdout.txt)
cp stdout.txt warnings.txt
warning_row=${rows[-1]}
run_case "tree pass, no warnings" nq.wld "$(map_length 1024 1024)" 0 <<'EOF'
6
q.wld
0
1
0
0
0
0
0
EOF
quiet_row=${rows[-1]}
one_write=$(for ((r = 0; r < reps; ++r)); do
  rm -f one_write.out
  python3 - warnings.txt <<'EOF'
import os, sys, time
data = open(sys.argv[1], "rb").read()
fd = os.open("one_write.out", os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o644)
start = time.perf_counter_ns()
os.write(fd, data)
os.close(fd)
print(time.perf_counter_ns() - start)
EOF
done | median)
warning_run=$(awk '{ print $(NF - 9) }' <<<"$warning_row")
quiet_run=$(awk '{ print $(NF - 9) }' <<<"$quiet_row")

# plandrix-map on the same 4096 x 4096 random map (m.wld): check and stats each against
# the set heights run on it, the preview at scale 1 against the random map run that made it.
map_tool=${PLANDRIX_MAP_TOOL:-$root/build/release/plandrix-map}
map_rows=()
# time_map_tool NAME AGAINST_NAME AGAINST_ROW ARGS...: median run time, peak memory, ratio.
time_map_tool() {
  local name=$1 against=$2 against_row=$3
  shift 3
  local times=() peaks=() start end
  for ((r = 0; r < reps; ++r)); do
    rm -f m.png
    start=$(now)
    /usr/bin/time -f '%M' -o peak.txt "$map_tool" "$@" >map_stdout.txt
    end=$(now)
    times+=("$((end - start))")
    peaks+=("$(tail -n 1 peak.txt)")
  done
  local run peak against_run
  run=$(printf '%s\n' "${times[@]}" | median)
  peak=$(printf '%s\n' "${peaks[@]}" | sort -g | tail -n 1)
  against_run=$(awk '{ print $(NF - 9) }' <<<"$against_row")
  map_rows+=("$(awk -v name="$name" -v run="$run" -v against="$against" -v other="$against_run" \
    -v peak="$peak" 'BEGIN {
      ratio = run / 1e9 / other; verdict = ratio <= 1 ? "ok" : "ABOVE"
      printf "%-26s %8.3f  %-16s %8.3f %6.2f %9.1f  %s", name, run / 1e9, against, other, ratio,
        peak / 1024, verdict }')")
  [[ ${map_rows[-1]} == *ABOVE ]] && failed=1
  return 0
}
if [[ -x $map_tool ]]; then
  time_map_tool "plandrix-map check" "set heights" "$set_heights_row" check m.wld
  time_map_tool "plandrix-map stats" "set heights" "$set_heights_row" stats --json m.wld
  time_map_tool "plandrix-map preview" "random map 4096" "$random_4096_row" preview m.wld
else
  echo "No plandrix-map at $map_tool: its runs are left out." >&2
fi

printf '\n%-26s %8s %8s %8s %6s %8s %6s %9s %9s %9s\n' "run (median of $reps)" "run s" "cp s" \
  "draws s" "ratio" "hold s" "ratio2" "peak MiB" "need MiB" "limit"
printf '%s\n' "${rows[@]}"
echo
echo "ratio = run / (cp of the output + draws)"
echo "ratio2 = run / (hold + draws), limit 1.5: hold = read the output whole into memory"
echo "and save it, in the program's own storage; peak limit 1.1 x need + 8 MiB"
random_map_4096=$(awk '/^random map 4096/ { print $4 }' <<<"$(printf '%s\n' "${rows[@]}")")
awk -v run="$random_map_4096" 'BEGIN {
    printf "random map 4096 x 4096: %.3f s, limit 0.6 s\n", run; exit run > 0.6 }' || failed=1
if ((${#map_rows[@]} > 0)); then
  printf '\n%-26s %8s  %-16s %8s %6s %9s\n' "plandrix-map (median)" "run s" "against" "its s" \
    "ratio" "peak MiB"
  printf '%s\n' "${map_rows[@]}"
  echo "ratio = run / the menu program's run it is set against, limit 1"
fi
awk -v run="$warning_run" -v quiet="$quiet_run" -v write="$one_write" -v bytes="$warning_bytes" \
  'BEGIN {
    w = write / 1e9; cost = run - quiet
    printf "warnings: %d bytes of standard output; one write of them %.4f s\n", bytes, w
    printf "their cost: %.3f s (with) - %.3f s (water map) = %.3f s = %.2f x one write\n",
      run, quiet, cost, cost / w
    if (cost / w > 2) exit 1 }' || failed=1
exit $failed
