// The balance report of the menu program's random map with 7 players set as players
// --auto sets them, beside what the menu program takes to make that map, per vertex.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

#include "bench_maps.h"
#include "inspect/balance.h"
#include "inspect/players.h"

namespace plandrix::bench {
namespace {

constexpr std::size_t kPlayers = 7;

std::vector<std::uint8_t> MapWithPlayers(std::size_t side) {
  std::vector<std::uint8_t> map = RandomMap(side);
  const auto choice = inspect::ChooseHeadquarters(map, kPlayers, 12345678);
  inspect::SetPlayers(map, choice->positions);
  return map;
}

const std::vector<std::uint8_t>& RandomMapWithPlayers(std::size_t side) {
  static std::map<std::size_t, std::vector<std::uint8_t>> maps;
  auto found = maps.find(side);
  if (found == maps.end()) found = maps.emplace(side, MapWithPlayers(side)).first;
  return found->second;
}

void BM_MeasureBalance(benchmark::State& state) {
  const auto side = static_cast<std::size_t>(state.range(0));
  const std::vector<std::uint8_t>& map = RandomMapWithPlayers(side);
  for (auto _ : state) {
    const auto report = MeasureBalance(map);
    benchmark::DoNotOptimize(report->players.data());
  }
  ReportPerVertex(state, side * side);
}

// The menu program's random map of the same size, made from a blank map.
void BM_MakeRandomMap(benchmark::State& state) {
  const auto side = static_cast<std::size_t>(state.range(0));
  for (auto _ : state) {
    const std::vector<std::uint8_t> map = GenerateRandomMap(side);
    benchmark::DoNotOptimize(map.data());
  }
  ReportPerVertex(state, side * side);
}

BENCHMARK(BM_MeasureBalance)->Arg(1024)->Arg(4096)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MakeRandomMap)->Arg(1024)->Arg(4096)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace plandrix::bench
