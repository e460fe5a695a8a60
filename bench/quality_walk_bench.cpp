// Building quality and walking on the menu program's random map: what the triangle and
// object facts cost, the quality of every vertex, walks from eight starts (to the radius
// of a player's home and over the whole map), and all of it together, per vertex.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "bench_maps.h"
#include "inspect/building_quality.h"
#include "inspect/walking.h"

namespace plandrix::bench {
namespace {

constexpr std::uint32_t kHomeRadius = 24;

MapLayers RandomLayers(std::size_t side) {
  return *LayersOf(RandomMap(side), Landscape::kGreenland);
}

// Eight starts spread over the map, each moved on in row order to a vertex that can be
// walked on (as a headquarters would stand).
std::vector<std::size_t> EightStarts(const MapLayers& layers, const VertexFacts& facts) {
  std::vector<std::size_t> starts;
  const std::size_t n = layers.width * layers.height;
  for (std::size_t i = 0; i < 8; ++i) {
    const std::size_t x = layers.width * (1 + 2 * (i % 4)) / 8;
    const std::size_t y = layers.height * (1 + 2 * (i / 4)) / 4;
    std::size_t v = y * layers.width + x;
    for (std::size_t tries = 0; tries < n; ++tries, v = (v + 1) % n) {
      if (IsWalkableVertex(facts.around[v], facts.objects[v])) break;
    }
    starts.push_back(v);
  }
  return starts;
}

void BM_ReadVertexFacts(benchmark::State& state) {
  const auto side = static_cast<std::size_t>(state.range(0));
  const MapLayers layers = RandomLayers(side);
  for (auto _ : state) {
    const VertexFacts facts = ReadVertexFacts(layers);
    benchmark::DoNotOptimize(facts.around.data());
  }
  ReportPerVertex(state, side * side);
}

void BM_BuildingQuality(benchmark::State& state) {
  const auto side = static_cast<std::size_t>(state.range(0));
  const MapLayers layers = RandomLayers(side);
  const VertexFacts facts = ReadVertexFacts(layers);
  for (auto _ : state) {
    const auto quality = ComputeBuildingQuality(layers, facts);
    benchmark::DoNotOptimize(quality.data());
  }
  ReportPerVertex(state, side * side);
}

// range(1): the radius, 0 for as far as the ground goes.
void BM_WalkFromEight(benchmark::State& state) {
  const auto side = static_cast<std::size_t>(state.range(0));
  const auto radius =
      state.range(1) == 0 ? kUnlimitedSteps : static_cast<std::uint32_t>(state.range(1));
  const MapLayers layers = RandomLayers(side);
  const VertexFacts facts = ReadVertexFacts(layers);
  const std::vector<std::size_t> starts = EightStarts(layers, facts);
  std::size_t reached = 0;
  for (auto _ : state) {
    const Walk walk = WalkFrom(layers, facts, starts, radius);
    reached = walk.reached.size();
    benchmark::DoNotOptimize(walk.reached.data());
  }
  state.counters["reached"] = static_cast<double>(reached);
  ReportPerVertex(state, side * side);
}

// Facts, quality and a walk over the whole map from eight starts: more than a fairness
// report needs (its homes end at the radius).
void BM_QualityAndWholeWalk(benchmark::State& state) {
  const auto side = static_cast<std::size_t>(state.range(0));
  const MapLayers layers = RandomLayers(side);
  const std::vector<std::size_t> starts = EightStarts(layers, ReadVertexFacts(layers));
  for (auto _ : state) {
    const VertexFacts facts = ReadVertexFacts(layers);
    const auto quality = ComputeBuildingQuality(layers, facts);
    const Walk walk = WalkFrom(layers, facts, starts, kUnlimitedSteps);
    benchmark::DoNotOptimize(quality.data());
    benchmark::DoNotOptimize(walk.reached.data());
  }
  ReportPerVertex(state, side * side);
}

BENCHMARK(BM_ReadVertexFacts)->Arg(1024)->Arg(4096)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildingQuality)->Arg(1024)->Arg(4096)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WalkFromEight)
    ->Args({1024, kHomeRadius})
    ->Args({4096, kHomeRadius})
    ->Args({1024, 0})
    ->Args({4096, 0})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QualityAndWholeWalk)->Arg(1024)->Arg(4096)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace plandrix::bench
