#include "random/draw_ahead.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "random/objects_animals.h"
#include "random/random_heights.h"
#include "random/random_source.h"
#include "random/scripted_draws.h"
#include "random/trees_granite.h"
#include "support/test_maps.h"

namespace plandrix {
namespace {

using testing::FillBlock;
using testing::MakeBlankMap;
using testing::SameBytes;

constexpr std::uint32_t kSeed = 12345678;

RandomSource Initialised(std::uint32_t seed, std::size_t drawn) {
  RandomSource source;
  source.engine.seed(seed);
  source.initialised = true;
  source.engine.discard(drawn);
  return source;
}

TEST(DrawAhead, LeavesTheSourceAsDrawingTheUsedNumbersOneByOne) {
  // Mixes of runs taken from the waiting draws and single draws, across block ends.
  const std::vector<std::vector<std::size_t>> patterns = {
      {1}, {3, 0, 5}, {4096}, {4095, 1, 1}, {700, 4000, 9000, 2}, {0, 0, 1024, 1023}};
  for (const auto& pattern : patterns) {
    RandomSource source = Initialised(kSeed, 17);
    Twister expected = source.engine;
    std::vector<std::uint32_t> seen;
    {
      DrawAhead ahead(source, kSeed);
      for (std::size_t k = 0; k < pattern.size(); ++k) {
        std::size_t left = pattern[k];
        if (k % 2 == 1) {
          // Single draws.
          while (left-- > 0) seen.push_back(ahead());
          continue;
        }
        while (left > 0) {
          ahead.Reserve(DrawAhead::kMostReserved);
          const std::size_t take = std::min(left, ahead.Waiting());
          seen.insert(seen.end(), ahead.WaitingDraws(), ahead.WaitingDraws() + take);
          ahead.Consume(take);
          left -= take;
        }
      }
    }
    for (std::size_t k = 0; k < seen.size(); ++k) {
      ASSERT_EQ(seen[k], static_cast<std::uint32_t>(expected())) << "draw " << k;
    }
    EXPECT_TRUE(source.engine == expected);
    EXPECT_TRUE(source.initialised);
  }
}

TEST(DrawAhead, SmallBlocksNearTheEndLeaveTheSourceExact) {
  // Each step: reserve (count, certain), then use this many of the waiting draws.
  struct Step {
    std::size_t count;
    std::size_t certain;
    std::size_t use;
  };
  const std::vector<std::vector<Step>> plans = {
      {{1024, 4096, 4000}, {3, 2, 1}},
      {{5, 5, 5}, {3, 3, 0}},
      {{3, 3, 2}, {3, 3, 0}},
      // Three small blocks with hardly anything used: only the copy taken before the first
      // block lies at or before the numbers used.
      {{3, 3, 1}, {3, 3, 0}, {3, 3, 1}, {3, 3, 0}},
      {{1024, 4096, 4096}, {1, 1, 1}},
  };
  for (const auto& plan : plans) {
    RandomSource source = Initialised(kSeed, 3);
    Twister expected = source.engine;
    std::vector<std::uint32_t> seen;
    {
      DrawAhead ahead(source, kSeed);
      for (const Step& step : plan) {
        ahead.Reserve(step.count, step.certain);
        ASSERT_GE(ahead.Waiting(), step.count);
        ASSERT_LE(ahead.Waiting(), std::max(step.count, DrawAhead::kCapacity));
        seen.insert(seen.end(), ahead.WaitingDraws(), ahead.WaitingDraws() + step.use);
        ahead.Consume(step.use);
      }
    }
    for (std::size_t k = 0; k < seen.size(); ++k) {
      ASSERT_EQ(seen[k], static_cast<std::uint32_t>(expected())) << "draw " << k;
    }
    EXPECT_TRUE(source.engine == expected);
  }
}

TEST(DrawAhead, NumbersDrawnAheadButNeverUsedLeaveNoTrace) {
  RandomSource fresh;
  const RandomSource before = fresh;
  {
    DrawAhead ahead(fresh, kSeed);
    ahead.Reserve(3);
    EXPECT_GE(ahead.Waiting(), 3u);
  }
  EXPECT_FALSE(fresh.initialised);
  EXPECT_TRUE(fresh.engine == before.engine);

  RandomSource running = Initialised(kSeed, 5);
  const Twister engine = running.engine;
  { DrawAhead(running, kSeed).Reserve(1); }
  EXPECT_TRUE(running.engine == engine);
}

TEST(DrawAhead, TheFirstUsedNumberSeedsAFreshSource) {
  RandomSource fresh;
  std::uint32_t first = 0;
  {
    DrawAhead ahead(fresh, 777);
    first = ahead();
  }
  Twister expected(777);
  EXPECT_EQ(first, static_cast<std::uint32_t>(expected()));
  EXPECT_TRUE(fresh.initialised);
  EXPECT_TRUE(fresh.engine == expected);
}

// A map whose blocks 2 and 3 hold codes from `pool` in patches of one code, broken by
// single other codes: the kind of terrain a painted map has, with every code of the pool
// somewhere.
std::vector<std::uint8_t> PatchyMap(std::size_t width, std::size_t height,
                                    const std::vector<std::uint8_t>& pool, std::uint32_t seed) {
  std::mt19937 engine(seed);
  auto image = MakeBlankMap(width, height);
  std::uint8_t code = pool[0];
  const auto patches = [&](std::size_t, std::size_t) {
    if (engine() % 9 == 0) code = pool[engine() % pool.size()];
    return engine() % 13 == 0 ? pool[engine() % pool.size()] : code;
  };
  FillBlock(image, 2, patches);
  FillBlock(image, 3, patches);
  FillBlock(image, 5,
            [&](std::size_t, std::size_t) { return static_cast<std::uint8_t>(engine()); });
  FillBlock(image, 6,
            [&](std::size_t, std::size_t) { return static_cast<std::uint8_t>(engine()); });
  return image;
}

using PassOverSource = std::function<void(std::vector<std::uint8_t>&, std::size_t, std::size_t,
                                          RandomSource&, std::ostream&)>;

// Runs `fast` and `reference` on the same map from the same source and expects the same
// bytes, the same output and the same source afterwards.
void ExpectSameAsReference(const PassOverSource& fast, const PassOverSource& reference,
                           const std::vector<std::uint8_t>& pool) {
  const std::vector<std::pair<std::size_t, std::size_t>> sizes = {
      {0, 0}, {1, 1}, {1, 7}, {7, 1}, {2, 2}, {5, 3}, {33, 17}, {64, 64}, {150, 120}, {301, 53}};
  std::uint32_t map_seed = 1;
  for (const auto& [width, height] : sizes) {
    for (const bool started : {false, true}) {
      const auto map = PatchyMap(width, height, pool, map_seed++);
      RandomSource fast_source = started ? Initialised(kSeed, 1000) : RandomSource{};
      RandomSource reference_source = fast_source;
      auto fast_image = map;
      auto reference_image = map;
      std::ostringstream fast_out;
      std::ostringstream reference_out;
      fast(fast_image, width, height, fast_source, fast_out);
      reference(reference_image, width, height, reference_source, reference_out);
      const std::string label = std::to_string(width) + " x " + std::to_string(height) +
                                (started ? ", running source" : ", fresh source");
      EXPECT_TRUE(SameBytes(fast_image, reference_image)) << label;
      EXPECT_EQ(fast_out.str(), reference_out.str()) << label;
      EXPECT_EQ(fast_source.initialised, reference_source.initialised) << label;
      EXPECT_TRUE(fast_source.engine == reference_source.engine) << label;
    }
  }
}

// Every listed code, and unlisted ones (17, 23, 200) that warn.
const std::vector<std::uint8_t> kAllCodes = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11,
                                             12, 13, 14, 15, 16, 18, 19, 20, 21, 22, 34, 64,
                                             72, 73, 74, 78, 79, 82, 98, 17, 23, 200};
// Listed codes only, as the program's own maps have them.
const std::vector<std::uint8_t> kListedCodes = {0, 1, 3, 5, 8, 14, 18, 34, 4, 9, 12};

TEST(FastPasses, TreesMatchDrawingOneNumberAtATime) {
  const PassOverSource reference = [](auto& image, std::size_t w, std::size_t h,
                                      RandomSource& source, std::ostream& out) {
    PlaceTreesWith(
        image, w, h, [&] { return RandomNumber(source, kSeed, 0); }, out);
  };
  const PassOverSource fast = [](auto& image, std::size_t w, std::size_t h, RandomSource& source,
                                 std::ostream& out) {
    PlaceTrees(image, w, h, source, kSeed, out);
  };
  ExpectSameAsReference(fast, reference, kAllCodes);
  ExpectSameAsReference(fast, reference, kListedCodes);
  ExpectSameAsReference(fast, reference, {5});  // water only: not a single draw
}

TEST(FastPasses, ObjectsMatchDrawingOneNumberAtATime) {
  const PassOverSource reference = [](auto& image, std::size_t w, std::size_t h,
                                      RandomSource& source, std::ostream& out) {
    PlaceObjectsWith(
        image, w, h, [&] { return RandomNumber(source, kSeed, 0); }, out);
  };
  const PassOverSource fast = [](auto& image, std::size_t w, std::size_t h, RandomSource& source,
                                 std::ostream& out) {
    PlaceObjects(image, w, h, source, kSeed, out);
  };
  ExpectSameAsReference(fast, reference, kAllCodes);
  ExpectSameAsReference(fast, reference, kListedCodes);
  // Lakes with unlisted shores: the warnings of the neighbours come in turn.
  ExpectSameAsReference(fast, reference, {5, 5, 5, 6, 19, 200, 0});
}

TEST(FastPasses, HeightsMatchDrawingOneNumberAtATime) {
  const PassOverSource reference = [](auto& image, std::size_t w, std::size_t h,
                                      RandomSource& source, std::ostream&) {
    RandomizeHeightsWith(image, w, h, [&] { return RandomNumber(source, kSeed, 0); });
  };
  const PassOverSource fast = [](auto& image, std::size_t w, std::size_t h, RandomSource& source,
                                 std::ostream&) { RandomizeHeights(image, w, h, source, kSeed); };
  ExpectSameAsReference(fast, reference, kAllCodes);
  ExpectSameAsReference(fast, reference, {5, 6, 19});
}

}  // namespace
}  // namespace plandrix
