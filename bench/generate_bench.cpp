// The natural world of plandrix-map generate (heights, terrain, harbours, resources, trees,
// granite, animals; no players), per vertex: land for 4 players at 256, 1024 and 2048 a
// side, and islands for 8 players at 1024, which adds home islands and harbours.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>

#include "bench_maps.h"
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

BENCHMARK(BM_GenerateWorld)
    ->Args({256, static_cast<int>(generate::Style::kLand), 4})
    ->Args({1024, static_cast<int>(generate::Style::kLand), 4})
    ->Args({2048, static_cast<int>(generate::Style::kLand), 4})
    ->Args({1024, static_cast<int>(generate::Style::kIslands), 8})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace plandrix::bench
