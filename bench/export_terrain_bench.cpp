// plandrix-map export-terrain on the menu program's random map: the whole work of the
// command between reading the map and printing (choosing the colours, writing the bitmap
// and running the conversion on it in memory), the colour choice alone next to its simple
// version, and, beside them, the random map tool making a map of the same size.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "bench_maps.h"
#include "inspect/bitmap_export.h"

namespace plandrix::bench {
namespace {

#define PLANDRIX_SIDES ->Arg(256)->Arg(1024)->Arg(4096)->Unit(benchmark::kMillisecond)

std::size_t SideOf(const benchmark::State& state) {
  return static_cast<std::size_t>(state.range(0));
}

void BM_ExportTerrain(benchmark::State& state) {
  const std::size_t side = SideOf(state);
  const std::vector<std::uint8_t>& map = RandomMap(side);
  for (auto _ : state) {
    const std::vector<std::uint8_t> bitmap =
        inspect::Write4BitBitmap(inspect::ChooseTerrainColours(map), side, side);
    const auto check = inspect::CheckConversion(map, bitmap);
    benchmark::DoNotOptimize(check->same);
  }
  ReportPerVertex(state, side * side);
}
BENCHMARK(BM_ExportTerrain) PLANDRIX_SIDES;

template <class Choose>
void BM_ChooseColours(benchmark::State& state, Choose choose) {
  const std::size_t side = SideOf(state);
  const std::vector<std::uint8_t>& map = RandomMap(side);
  for (auto _ : state) {
    const std::vector<std::uint8_t> colours = choose(map);
    benchmark::DoNotOptimize(colours.data());
  }
  ReportPerVertex(state, side * side);
}
std::vector<std::uint8_t> RunChoice(std::span<const std::uint8_t> map) {
  return inspect::ChooseTerrainColours(map);
}
std::vector<std::uint8_t> RunSimpleChoice(std::span<const std::uint8_t> map) {
  return inspect::ChooseTerrainColoursSimple(map);
}
BENCHMARK_CAPTURE(BM_ChooseColours, fast, RunChoice)
    ->Name("BM_ChooseTerrainColours") PLANDRIX_SIDES;
BENCHMARK_CAPTURE(BM_ChooseColours, simple, RunSimpleChoice)
    ->Name("BM_ChooseTerrainColours_Simple") PLANDRIX_SIDES;

// The menu program making the same map: what export-terrain is measured against.
void BM_ExportTerrain_RandomMapBeside(benchmark::State& state) {
  const std::size_t side = SideOf(state);
  for (auto _ : state) {
    const std::vector<std::uint8_t> map = GenerateRandomMap(side);
    benchmark::DoNotOptimize(map.data());
  }
  ReportPerVertex(state, side * side);
}
BENCHMARK(BM_ExportTerrain_RandomMapBeside) PLANDRIX_SIDES;

}  // namespace
}  // namespace plandrix::bench
