// The random passes on a generated map, each next to a baseline that makes the same
// number of Twister draws and nothing else. Iteration k of both starts the source
// from the k-th of kSeedCount seeds, in turn, so pass and baseline make exactly the same
// draws. One seed for every iteration would replay one sequence over and over, and a
// branch predictor learns part of a short one: on a 256 x 256 map the bare draws then
// run faster than any draws a real run makes.
#include <benchmark/benchmark.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <random>
#include <span>
#include <vector>

#include "bench_maps.h"

namespace plandrix::bench {
namespace {

constexpr std::size_t kSides[] = {256, 1024, 4096};
constexpr std::uint32_t kSeedCount = 8;

std::uint32_t SeedOf(std::uint64_t iteration) {
  return kBenchSeed + static_cast<std::uint32_t>(iteration % kSeedCount);
}

void Restart(RandomSource& source, std::uint32_t seed) {
  source.engine.seed(seed);
  source.initialised = true;
}

// A random pass as the program calls it, the same pass over a counting draw, and for a
// pass with a faster version its simple one (one RandomNumber call per draw).
struct RandomPass {
  void (*run)(std::span<std::uint8_t>, std::size_t, RandomSource&);
  std::uint64_t (*count)(std::span<std::uint8_t>, std::size_t, std::uint32_t);
  void (*simple)(std::span<std::uint8_t>, std::size_t, RandomSource&) = nullptr;
};

// One draw at a time from the source, as the simple versions take them.
struct SourceDraw {
  RandomSource* source;
  std::uint32_t operator()() const { return RandomNumber(*source, kBenchSeed, 0); }
};

template <typename Pass>
std::uint64_t CountDraws(std::span<std::uint8_t> image, std::size_t side, std::uint32_t seed,
                         Pass&& pass) {
  Twister engine(seed);
  std::uint64_t draws = 0;
  pass(image, side, CountingDraw{&engine, &draws});
  return draws;
}

const RandomPass kTrees = {
    [](std::span<std::uint8_t> image, std::size_t side, RandomSource& source) {
      PlaceTrees(image, side, side, source, kBenchSeed, NullStream());
    },
    [](std::span<std::uint8_t> image, std::size_t side, std::uint32_t seed) {
      return CountDraws(image, side, seed, [](auto map, std::size_t s, CountingDraw draw) {
        PlaceTreesWith(map, s, s, draw, NullStream());
      });
    },
    [](std::span<std::uint8_t> image, std::size_t side, RandomSource& source) {
      PlaceTreesWith(image, side, side, SourceDraw{&source}, NullStream());
    }};

const RandomPass kObjects = {
    [](std::span<std::uint8_t> image, std::size_t side, RandomSource& source) {
      PlaceObjects(image, side, side, source, kBenchSeed, NullStream());
    },
    [](std::span<std::uint8_t> image, std::size_t side, std::uint32_t seed) {
      return CountDraws(image, side, seed, [](auto map, std::size_t s, CountingDraw draw) {
        PlaceObjectsWith(map, s, s, draw, NullStream());
      });
    },
    [](std::span<std::uint8_t> image, std::size_t side, RandomSource& source) {
      PlaceObjectsWith(image, side, side, SourceDraw{&source}, NullStream());
    }};

const RandomPass kGranite = {
    [](std::span<std::uint8_t> image, std::size_t side, RandomSource& source) {
      PlaceGranite(image, side, side, source, kBenchSeed, NullStream());
    },
    [](std::span<std::uint8_t> image, std::size_t side, std::uint32_t seed) {
      return CountDraws(image, side, seed, [](auto map, std::size_t s, CountingDraw draw) {
        PlaceGraniteWith(map, s, s, draw, NullStream());
      });
    }};

const RandomPass kAnimals = {
    [](std::span<std::uint8_t> image, std::size_t side, RandomSource& source) {
      PlaceAnimals(image, side, side, source, kBenchSeed, NullStream());
    },
    [](std::span<std::uint8_t> image, std::size_t side, std::uint32_t seed) {
      return CountDraws(image, side, seed, [](auto map, std::size_t s, CountingDraw draw) {
        PlaceAnimalsWith(map, s, s, draw, NullStream());
      });
    }};

const RandomPass kHeights = {
    [](std::span<std::uint8_t> image, std::size_t side, RandomSource& source) {
      RandomizeHeights(image, side, side, source, kBenchSeed);
    },
    [](std::span<std::uint8_t> image, std::size_t side, std::uint32_t seed) {
      return CountDraws(image, side, seed, [](auto map, std::size_t s, CountingDraw draw) {
        RandomizeHeightsWith(map, s, s, draw);
      });
    }};

void BM_Pass(benchmark::State& state,
             void (*run)(std::span<std::uint8_t>, std::size_t, RandomSource&)) {
  const auto side = static_cast<std::size_t>(state.range(0));
  std::vector<std::uint8_t> image = RandomMap(side);
  RandomSource source;
  std::uint64_t iteration = 0;
  for (auto _ : state) {
    Restart(source, SeedOf(iteration++));
    run(image, side, source);
    benchmark::DoNotOptimize(image.data());
    benchmark::ClobberMemory();
  }
  ReportPerVertex(state, side * side);
}

void BM_Baseline(benchmark::State& state, const RandomPass& pass) {
  const auto side = static_cast<std::size_t>(state.range(0));
  std::vector<std::uint8_t> image = RandomMap(side);
  std::array<std::uint64_t, kSeedCount> draws{};
  for (std::uint32_t k = 0; k < kSeedCount; ++k) draws[k] = pass.count(image, side, SeedOf(k));
  Twister engine;
  std::uint64_t iteration = 0;
  for (auto _ : state) {
    const std::uint64_t k = iteration++ % kSeedCount;
    engine.seed(SeedOf(k));
    benchmark::DoNotOptimize(DrawOnly(engine, draws[k]));
  }
  ReportPerVertex(state, side * side);
  state.counters["draws"] = static_cast<double>(draws[0]);
}

// Region kinds and painting of a whole map, as the random map tool does them.
void BM_PaintRegions(benchmark::State& state) {
  const auto side = static_cast<std::size_t>(state.range(0));
  const MapLayout layout = LayoutFor(side);
  std::vector<std::uint8_t> image(MapLength(side, side));
  CreateBlankMap(image, side, side);
  std::vector<std::uint32_t> kinds(static_cast<std::size_t>(layout.region_count));
  RandomSource source;
  std::uint64_t iteration = 0;
  for (auto _ : state) {
    const std::uint32_t seed = SeedOf(iteration++);
    Restart(source, seed);
    AssignRegionKinds(kinds, layout, source, seed);
    for (std::int32_t row = 0; row < layout.region_rows; ++row) {
      for (std::int32_t column = 0; column < layout.region_columns; ++column) {
        PaintRegion(image, kinds, row, column, layout, source, seed);
      }
    }
    benchmark::DoNotOptimize(image.data());
    benchmark::ClobberMemory();
  }
  ReportPerVertex(state, side * side);
}

void BM_PaintRegions_DrawBaseline(benchmark::State& state) {
  const auto side = static_cast<std::size_t>(state.range(0));
  const MapLayout layout = LayoutFor(side);
  std::vector<std::uint8_t> image(MapLength(side, side));
  CreateBlankMap(image, side, side);
  std::vector<std::uint32_t> kinds(static_cast<std::size_t>(layout.region_count));
  std::array<std::uint64_t, kSeedCount> draws{};
  for (std::uint32_t k = 0; k < kSeedCount; ++k) {
    Twister counting_engine(SeedOf(k));
    PaintAllRegions(image, kinds, layout, CountingDraw{&counting_engine, &draws[k]});
  }
  Twister engine;
  std::uint64_t iteration = 0;
  for (auto _ : state) {
    const std::uint64_t k = iteration++ % kSeedCount;
    engine.seed(SeedOf(k));
    benchmark::DoNotOptimize(DrawOnly(engine, draws[k]));
  }
  ReportPerVertex(state, side * side);
  state.counters["draws"] = static_cast<double>(draws[0]);
}

void RegisterAll() {
  const struct {
    const char* name;
    const RandomPass* pass;
  } passes[] = {{"PlaceTrees", &kTrees},
                {"PlaceObjects", &kObjects},
                {"PlaceGranite", &kGranite},
                {"PlaceAnimals", &kAnimals},
                {"RandomizeHeights", &kHeights}};
  for (const auto& entry : passes) {
    const RandomPass* pass = entry.pass;
    auto* run = benchmark::RegisterBenchmark(
        (std::string("BM_") + entry.name).c_str(),
        [pass](benchmark::State& state) { BM_Pass(state, pass->run); });
    if (pass->simple != nullptr) {
      auto* simple = benchmark::RegisterBenchmark(
          (std::string("BM_") + entry.name + "_Simple").c_str(),
          [pass](benchmark::State& state) { BM_Pass(state, pass->simple); });
      for (std::size_t side : kSides) simple->Arg(static_cast<std::int64_t>(side));
      simple->Unit(benchmark::kMillisecond);
    }
    auto* base = benchmark::RegisterBenchmark(
        (std::string("BM_") + entry.name + "_DrawBaseline").c_str(),
        [pass](benchmark::State& state) { BM_Baseline(state, *pass); });
    for (std::size_t side : kSides) {
      run->Arg(static_cast<std::int64_t>(side));
      base->Arg(static_cast<std::int64_t>(side));
    }
    run->Unit(benchmark::kMillisecond);
    base->Unit(benchmark::kMillisecond);
  }
}

const bool kRegistered = (RegisterAll(), true);

}  // namespace

BENCHMARK(BM_PaintRegions)->Arg(256)->Arg(1024)->Arg(4096)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintRegions_DrawBaseline)
    ->Arg(256)
    ->Arg(1024)
    ->Arg(4096)
    ->Unit(benchmark::kMillisecond);

}  // namespace plandrix::bench
