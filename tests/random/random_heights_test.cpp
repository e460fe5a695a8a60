#include "random/random_heights.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <vector>

#include "core/map_layout.h"
#include "support/test_maps.h"

namespace plandrix {
namespace {

using testing::At;
using testing::FillBlock;
using testing::MakeBlankMap;

// A draw source that hands out 0, 1, 2, ... and counts its calls.
struct CountingDraw {
  std::uint32_t next = 0;
  std::uint32_t operator()() { return next++; }
};

// Height of a single vertex with the given codes, and how many numbers it drew.
std::pair<std::uint8_t, std::uint32_t> HeightOf(std::uint8_t first, std::uint8_t second,
                                                std::uint32_t draw_value) {
  auto image = MakeBlankMap(1, 1);
  At(image, 2, 0, 0) = first;
  At(image, 3, 0, 0) = second;
  At(image, 1, 0, 0) = 99;
  std::uint32_t draws = 0;
  RandomizeHeightsWith(image, 1, 1, [&] {
    ++draws;
    return draw_value;
  });
  return {At(image, 1, 0, 0), draws};
}

TEST(RandomizeHeights, BlockTwoDecidesFirstThenBlockThree) {
  // Random over water: block 3 is not looked at for an always-random code.
  EXPECT_EQ(HeightOf(1, 5, 3), std::make_pair(std::uint8_t{13}, 1u));
  // An undecided code over water: base height and no draw.
  EXPECT_EQ(HeightOf(4, 19, 3), std::make_pair(std::uint8_t{10}, 0u));
  EXPECT_EQ(HeightOf(5, 0, 3), std::make_pair(std::uint8_t{10}, 0u));
  EXPECT_EQ(HeightOf(6, 1, 3), std::make_pair(std::uint8_t{10}, 0u));
  // Only the two lowest bits of the draw count.
  EXPECT_EQ(HeightOf(0, 0, 0xFFFFFFFC), std::make_pair(std::uint8_t{10}, 1u));
  EXPECT_EQ(HeightOf(0, 0, 0x12345679), std::make_pair(std::uint8_t{11}, 1u));
}

TEST(RandomizeHeights, EveryByteValueHasItsRule) {
  const std::set<int> water = {5, 6, 19};
  const std::set<int> always_random = {1, 11, 12, 13, 16, 18};
  for (int first = 0; first < 256; ++first) {
    const auto code = static_cast<std::uint8_t>(first);
    const auto [over_water, water_draws] = HeightOf(code, 6, 2);
    const auto [over_land, land_draws] = HeightOf(code, 20, 2);
    if (water.count(first) != 0) {
      EXPECT_EQ(over_water, 10) << first;
      EXPECT_EQ(over_land, 10) << first;
      EXPECT_EQ(water_draws + land_draws, 0u) << first;
    } else if (always_random.count(first) != 0) {
      EXPECT_EQ(over_water, 12) << first;
      EXPECT_EQ(water_draws, 1u) << first;
    } else {
      // Codes 0, 20 to 255 and the rest: block 3 settles them.
      EXPECT_EQ(over_water, 10) << first;
      EXPECT_EQ(water_draws, 0u) << first;
    }
    if (water.count(first) == 0) {
      EXPECT_EQ(over_land, 12) << first;
      EXPECT_EQ(land_draws, 1u) << first;
    }
  }
}

TEST(RandomizeHeights, DrawsInBlockOrderOnlyForRandomVertices) {
  auto image = MakeBlankMap(5, 3);
  // Water on every third vertex, land (code 8) elsewhere.
  FillBlock(image, 2, [](std::size_t x, std::size_t y) {
    return static_cast<std::uint8_t>((y * 5 + x) % 3 == 0 ? 5 : 8);
  });
  FillBlock(image, 3, [](std::size_t, std::size_t) { return std::uint8_t{8}; });
  FillBlock(image, 1, [](std::size_t, std::size_t) { return std::uint8_t{60}; });
  CountingDraw draw;
  RandomizeHeightsWith(image, 5, 3, draw);
  std::uint32_t expected_draw = 0;
  for (std::size_t i = 0; i < 15; ++i) {
    const std::uint8_t height = At(image, 1, i % 5, i / 5);
    if (i % 3 == 0) {
      EXPECT_EQ(height, 10) << i;
    } else {
      EXPECT_EQ(height, 10 + (expected_draw++ & 3)) << i;
    }
  }
  EXPECT_EQ(draw.next, 10u);
}

TEST(RandomizeHeights, BlankMapDrawsNothingAndChangesOnlyBlockOne) {
  auto image = MakeBlankMap(33, 17);
  FillBlock(image, 1, [](std::size_t x, std::size_t) { return static_cast<std::uint8_t>(x); });
  CountingDraw draw;
  RandomizeHeightsWith(image, 33, 17, draw);
  EXPECT_EQ(draw.next, 0u);
  EXPECT_EQ(image, MakeBlankMap(33, 17));
}

TEST(RandomizeHeights, SeedGivesTwelveAtTheFirstRandomVertex) {
  auto image = MakeBlankMap(4, 2);
  At(image, 2, 2, 1) = 8;  // the only land vertex
  At(image, 3, 2, 1) = 8;
  RandomSource source;
  (void)RandomNumber(source, 12345678, 1);  // the restart's own number is discarded
  RandomizeHeights(image, 4, 2, source, 12345678);
  EXPECT_EQ(At(image, 1, 2, 1), 12);
  EXPECT_EQ(At(image, 1, 1, 1), 10);
}

TEST(RandomizeHeights, ReplacesEveryHeightWithTenToThirteen) {
  auto image = MakeBlankMap(64, 40);
  FillBlock(image, 1,
            [](std::size_t x, std::size_t y) { return static_cast<std::uint8_t>((x + y) % 61); });
  FillBlock(image, 2, [](std::size_t x, std::size_t y) {
    return static_cast<std::uint8_t>((x * 7 + y) % 23);
  });
  FillBlock(image, 3, [](std::size_t x, std::size_t y) {
    return static_cast<std::uint8_t>((x + y * 3) % 23);
  });
  auto before = image;
  RandomSource source;
  RandomizeHeights(image, 64, 40, source, 555);
  std::set<int> seen;
  for (std::size_t y = 0; y < 40; ++y) {
    for (std::size_t x = 0; x < 64; ++x) seen.insert(At(image, 1, x, y));
  }
  EXPECT_EQ(seen, (std::set<int>{10, 11, 12, 13}));
  // Nothing but block 1 changed.
  const std::size_t n = 64 * 40;
  std::copy_n(image.begin() + static_cast<std::ptrdiff_t>(BlockDataOffset(1, n)), n,
              before.begin() + static_cast<std::ptrdiff_t>(BlockDataOffset(1, n)));
  EXPECT_EQ(image, before);
}

TEST(RandomizeHeights, EmptyOrShortMapsAreLeftAlone) {
  for (auto [width, height] : {std::pair<std::size_t, std::size_t>{0, 5}, {5, 0}, {0, 0}}) {
    auto image = MakeBlankMap(width, height);
    const auto before = image;
    CountingDraw draw;
    RandomizeHeightsWith(image, width, height, draw);
    EXPECT_EQ(image, before);
    EXPECT_EQ(draw.next, 0u);
  }
  // An image shorter than its stated size is not touched at all.
  auto image = MakeBlankMap(8, 8);
  FillBlock(image, 2, [](std::size_t, std::size_t) { return std::uint8_t{1}; });
  image.pop_back();
  const auto before = image;
  CountingDraw draw;
  RandomizeHeightsWith(image, 8, 8, draw);
  EXPECT_EQ(image, before);
  RandomizeHeightsWith(image, 65535, 65535, draw);
  EXPECT_EQ(image, before);
  EXPECT_EQ(draw.next, 0u);
}

}  // namespace
}  // namespace plandrix
