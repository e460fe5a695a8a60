#!/usr/bin/env bash
# How much of a random map's terrain comes back through a terrain bitmap: for each size
# and seed, the menu program makes a random map (option 8), plandrix-map export-terrain
# writes its bitmap, the menu program converts that bitmap (option 2), and the terrain
# bytes of the two maps are compared triangle by triangle. Prints the share of triangles
# that came back per size and over all maps, and the share among the triangles whose
# terrain some colour paints.
#
#   cmake --workflow --preset release
#   bench/terrain_survival.sh            # SIZES="32 64" SEEDS=5 for a shorter run
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
program=${PLANDRIX:-$root/build/release/plandrix}
map_tool=${PLANDRIX_MAP:-$root/build/release/plandrix-map}
sizes=${SIZES:-"32 64 128 256"}
seeds=${SEEDS:-15}
for tool in "$program" "$map_tool"; do
  if [[ ! -x $tool ]]; then
    echo "No program at $tool: run 'cmake --workflow --preset release' first." >&2
    exit 2
  fi
done

program=$(readlink -f "$program")
map_tool=$(readlink -f "$map_tool")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
for size in $sizes; do
  for ((i = 1; i <= seeds; i++)); do
    seed=$((10000000 + 7919 * i + size))
    printf '8\n%s\n%s\n%s\n0\n' "$size" "$size" "$seed" | "$program" >/dev/null
    mv nGen.wld "gen-$size-$i.wld"
    "$map_tool" export-terrain "gen-$size-$i.wld" -o t.bmp >/dev/null
    printf '2\nt.bmp\n0\n' | "$program" >/dev/null
    mv nTavik.wld "back-$size-$i.wld"
  done
done

python3 - "$sizes" "$seeds" <<'PY'
import struct, sys
sizes = sys.argv[1].split()
seeds = int(sys.argv[2])
# Codes that some colour of the conversion paints.
paintable = {16, 5, 4, 18, 14, 0, 8, 3, 1, 15, 2}
total = [0, 0, 0, 0]  # triangles, came back, paintable, paintable that came back
print("| size | maps | triangles back | of paintable triangles |")
print("|---|---|---|---|")
for size in sizes:
    counts = [0, 0, 0, 0]
    for i in range(1, seeds + 1):
        a = open(f"gen-{size}-{i}.wld", "rb").read()
        b = open(f"back-{size}-{i}.wld", "rb").read()
        w, h = struct.unpack_from("<HH", a, 2348)
        n = w * h
        for block in (2, 3):
            start = 2368 + (block - 1) * (n + 16)
            for x, y in zip(a[start:start + n], b[start:start + n]):
                counts[0] += 1
                counts[1] += x == y
                if x in paintable:
                    counts[2] += 1
                    counts[3] += x == y
    total = [t + c for t, c in zip(total, counts)]
    print(f"| {size} x {size} | {seeds} | {100 * counts[1] / counts[0]:.1f} % "
          f"| {100 * counts[3] / counts[2]:.1f} % |")
print(f"| all | {seeds * len(sizes)} | {100 * total[1] / total[0]:.1f} % "
      f"| {100 * total[3] / total[2]:.1f} % |")
PY
