#!/usr/bin/env python3
"""Table of a benchmark run: ns per vertex (median CPU time) at each size, the ratio of
every random pass to its draw baseline, how much of its simple version's time each fast
path takes, and the 4096 / 1024 scaling, each against its limit; then ns per draw.

    build/bench/bench/plandrix_bench --benchmark_repetitions=5 \\
        --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true \\
        --benchmark_out=bench.json --benchmark_out_format=json
    bench/summarise.py bench.json [more.json ...]
"""
import json
import sys

SIDES = (256, 1024, 4096)
DRAWING = ("PlaceTrees", "PlaceObjects", "PlaceGranite", "PlaceAnimals", "RandomizeHeights",
           "PaintRegions")
NOT_DRAWING = ("CreateBlankMap", "PlaceResources", "MirrorY", "MirrorX", "Rotate180",
               "SetAllHeights", "TranslateBitmap", "TerrainWalk", "ApplyHeightMap")
# Plain memset and memcpy of a whole map: what the memory itself costs at each size.
FLOORS = ("FloorFillMap", "FloorCopyMap")
# Passes kept in a fast version beside their simple one (the rows named ..._Simple).
FAST = ("PlaceTrees", "PlaceObjects", "PlaceResources", "MirrorY", "Rotate180", "TerrainWalk")
MAX_NS_PER_VERTEX = 2.0
# A fast path stays only while it takes at most this share of its simple version's time
# at 1024 and at 4096.
MAX_FAST_SHARE = 0.8
MAX_SCALING = 18.0
MAX_NS_PER_DRAW = 1.5


def load(paths):
    per_vertex = {}
    per_draw = {}
    benches = [bench for path in paths for bench in json.load(open(path))["benchmarks"]]
    for bench in benches:
        if bench.get("aggregate_name", "median") != "median":
            continue
        if "ns_per_draw" in bench:
            per_draw[bench["run_name"].removeprefix("BM_Draw_")] = bench["ns_per_draw"] * 1e9
            continue
        name, _, side = bench["run_name"].rpartition("/")
        per_vertex[(name.removeprefix("BM_"), int(side))] = bench["ns_per_vertex"] * 1e9
    return per_vertex, per_draw


def cell(value, limit=None):
    if value is None:
        return f"{'-':>10}"
    mark = "" if limit is None or value <= limit else "!"
    return f"{value:9.2f}{mark or ' '}"


def main():
    per_vertex, per_draw = load(sys.argv[1:])
    failures = 0
    header = "".join(f"{'ns/v ' + str(s):>10}" for s in SIDES)
    print(f"{'operation':<18}{header}{'base x256':>11}{'base x1k':>11}{'base x4k':>11}"
          f"{'4k/1k':>10}{'fast/simple 1k':>16}{'4k':>10}")
    for name in DRAWING + NOT_DRAWING + FLOORS:
        values = [per_vertex.get((name, side)) for side in SIDES]
        line = f"{name:<18}"
        for side, value in zip(SIDES, values):
            limit = MAX_NS_PER_VERTEX if name in NOT_DRAWING and side == 4096 else None
            line += cell(value, limit)
            failures += limit is not None and value is not None and value > limit
        for side in SIDES:
            base = per_vertex.get((name + "_DrawBaseline", side))
            value = per_vertex.get((name, side))
            ratio = value / base if name in DRAWING and base and value else None
            if name not in DRAWING:
                line += f"{'-':>10} "
                continue
            line += cell(ratio) + " "
        scaling = values[2] * 16 / values[1] if values[1] and values[2] else None
        scaling_limit = None if name in FLOORS else MAX_SCALING
        line += cell(scaling, scaling_limit)
        failures += scaling_limit is not None and scaling is not None and scaling > MAX_SCALING
        for side in (1024, 4096):
            simple = per_vertex.get((name + "_Simple", side))
            share = values[SIDES.index(side)] / simple if name in FAST and simple else None
            line += f"{'':>6}" + cell(share, MAX_FAST_SHARE)
            failures += share is not None and share > MAX_FAST_SHARE
        print(line)
    for engine, value in sorted(per_draw.items()):
        limit = MAX_NS_PER_DRAW if engine == "Twister" else None
        print(f"ns per draw, {engine:<12}{cell(value, limit)}")
        failures += limit is not None and value > limit
    print(f"\nlimits: {MAX_NS_PER_VERTEX} ns per vertex at 4096 for passes that draw nothing, "
          f"{MAX_SCALING} x from 1024 to 4096 (16 x is linear), a fast path at most "
          f"{MAX_FAST_SHARE} x its simple version's time, {MAX_NS_PER_DRAW} ns per draw; "
          f"! marks a figure above its limit")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
