// players --auto: choosing the headquarters of 4 and 7 players on a random map of the
// menu program, per vertex of the map (the choice itself, without reading or writing).
#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "bench_maps.h"
#include "inspect/players.h"

namespace plandrix::bench {
namespace {

void BM_ChooseHeadquarters(benchmark::State& state) {
  const auto side = static_cast<std::size_t>(state.range(0));
  const auto players = static_cast<std::size_t>(state.range(1));
  const std::vector<std::uint8_t>& map = RandomMap(side);
  for (auto _ : state) {
    const auto choice = inspect::ChooseHeadquarters(map, players, 12345678);
    benchmark::DoNotOptimize(choice->nearest);
  }
  ReportPerVertex(state, side * side);
}

BENCHMARK(BM_ChooseHeadquarters)
    ->Args({256, 4})
    ->Args({1024, 7})
    ->Args({4096, 7})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace plandrix::bench
