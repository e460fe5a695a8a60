// plandrix-map generate, per vertex: the whole map, and the natural world alone (heights,
// terrain, harbours, resources, trees, granite, animals; no players): land for 4 players
// at 256, 1024 and 2048 a side, and islands for 8 players at 1024, which adds home islands
// and harbours.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>

#include "bench_maps.h"
#include "generate/generate_map.h"
#include "generate/world.h"

namespace plandrix::bench {
namespace {

void BM_GenerateWorld(benchmark::State& state) {
  generate::WorldOptions options;
  options.width = static_cast<std::size_t>(state.range(0));
  options.height = options.width;
  options.style = static_cast<generate::Style>(state.range(1));
  options.players = static_cast<std::size_t>(state.range(2));
  options.seed = 12345678;
  for (auto _ : state) {
    const generate::World world = generate::GenerateWorld(options);
    benchmark::DoNotOptimize(world.image.data());
  }
  ReportPerVertex(state, options.width * options.height);
}

// The whole command's work: the world, eight placements of the players measured by the
// game's rules, the homes made fair, the layers the original game reads. Targets: 1 s at
// 1024 and 4 s at 2048.
void BM_GenerateMap(benchmark::State& state) {
  generate::MapOptions options;
  options.world.width = static_cast<std::size_t>(state.range(0));
  options.world.height = options.world.width;
  options.world.players = static_cast<std::size_t>(state.range(1));
  options.world.seed = 12345678;
  for (auto _ : state) {
    const generate::GeneratedMap map = generate::GenerateMap(options);
    benchmark::DoNotOptimize(map.image.data());
  }
  ReportPerVertex(state, options.world.width * options.world.height);
}

BENCHMARK(BM_GenerateMap)
    ->Args({256, 4})
    ->Args({1024, 4})
    ->Args({1024, 8})
    ->Args({2048, 4})
    ->Unit(benchmark::kMillisecond);

BENCHMARK(BM_GenerateWorld)
    ->Args({256, static_cast<int>(generate::Style::kLand), 4})
    ->Args({1024, static_cast<int>(generate::Style::kLand), 4})
    ->Args({2048, static_cast<int>(generate::Style::kLand), 4})
    ->Args({1024, static_cast<int>(generate::Style::kIslands), 8})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace plandrix::bench
