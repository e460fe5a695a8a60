// The draws of whole tool runs, as bench/end_to_end.sh drives them, made with nothing
// else: the random floor of each run. The draws are counted by running the same passes
// in the same order over a counting draw, with the same seeds and restarts as the tools.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

#include "bench_maps.h"

namespace plandrix::bench {
namespace {

// Option 8 with seed 0 (the default seed): restarts, kinds and painting, the four
// placement passes each after a restart, then the heights.
std::uint64_t RandomMapToolDraws(std::size_t side) {
  const MapLayout layout = LayoutFor(side);
  std::vector<std::uint8_t> image(MapLength(side, side));
  std::vector<std::uint32_t> kinds(static_cast<std::size_t>(layout.region_count));
  CreateBlankMap(image, side, side);
  Twister engine(kBenchSeed);
  std::uint64_t draws = 0;
  const CountingDraw draw{&engine, &draws};
  const auto restart = [&] {
    engine.seed(kBenchSeed);
    draw();
  };
  restart();
  PaintAllRegions(image, kinds, layout, draw);
  std::ostream& out = NullStream();
  restart();
  PlaceObjectsWith(image, side, side, draw, out);
  restart();
  PlaceTreesWith(image, side, side, draw, out);
  restart();
  PlaceGraniteWith(image, side, side, draw, out);
  restart();
  PlaceAnimalsWith(image, side, side, draw, out);
  RandomizeHeightsWith(image, side, side, draw);
  return draws;
}

// Option 6 on the generated map with the start seed and all five passes.
std::uint64_t RandomObjectsToolDraws(std::size_t side) {
  std::vector<std::uint8_t> image = RandomMap(side);
  Twister engine(kStartSeed);
  std::uint64_t draws = 0;
  const CountingDraw draw{&engine, &draws};
  std::ostream& out = NullStream();
  PlaceTreesWith(image, side, side, draw, out);
  PlaceObjectsWith(image, side, side, draw, out);
  PlaceGraniteWith(image, side, side, draw, out);
  PlaceAnimalsWith(image, side, side, draw, out);
  return draws;
}

// Option 7 on the generated map with seed 0: a restart, then the heights.
std::uint64_t RandomHeightsToolDraws(std::size_t side) {
  std::vector<std::uint8_t> image = RandomMap(side);
  Twister engine(kDefaultSeed);
  std::uint64_t draws = 1;
  engine();
  RandomizeHeightsWith(image, side, side, CountingDraw{&engine, &draws});
  return draws;
}

void RunDraws(benchmark::State& state, std::uint64_t draws) {
  Twister engine;
  for (auto _ : state) {
    engine.seed(kBenchSeed);
    benchmark::DoNotOptimize(DrawOnly(engine, draws));
  }
  const auto side = static_cast<std::size_t>(state.range(0));
  ReportPerVertex(state, side * side);
  state.counters["draws"] = static_cast<double>(draws);
}

// The cost of one draw: the program's engine, and the standard one it replaces.
template <class Engine>
void BM_Draw(benchmark::State& state) {
  constexpr std::uint64_t kDraws = 1 << 20;
  Engine engine;
  std::uint32_t seed = kBenchSeed;
  for (auto _ : state) {
    engine.seed(seed++);
    benchmark::DoNotOptimize(DrawOnly(engine, kDraws));
  }
  state.counters["ns_per_draw"] = benchmark::Counter(
      static_cast<double>(kDraws),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_Draw<Twister>)->Name("BM_Draw_Twister");
BENCHMARK(BM_Draw<std::mt19937>)->Name("BM_Draw_StdMt19937");

void BM_ToolDrawBaseline_RandomMap(benchmark::State& state) {
  RunDraws(state, RandomMapToolDraws(static_cast<std::size_t>(state.range(0))));
}
BENCHMARK(BM_ToolDrawBaseline_RandomMap)->Arg(1024)->Arg(4096)->Unit(benchmark::kMillisecond);

void BM_ToolDrawBaseline_RandomObjects(benchmark::State& state) {
  RunDraws(state, RandomObjectsToolDraws(static_cast<std::size_t>(state.range(0))));
}
BENCHMARK(BM_ToolDrawBaseline_RandomObjects)->Arg(4096)->Unit(benchmark::kMillisecond);

void BM_ToolDrawBaseline_RandomHeights(benchmark::State& state) {
  RunDraws(state, RandomHeightsToolDraws(static_cast<std::size_t>(state.range(0))));
}
BENCHMARK(BM_ToolDrawBaseline_RandomHeights)->Arg(4096)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace plandrix::bench
