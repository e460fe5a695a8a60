#include "random/trees_granite.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <random>
#include <sstream>
#include <vector>

#include "core/map_layout.h"
#include "random/random_source.h"
#include "random/scripted_draws.h"
#include "support/test_maps.h"

namespace plandrix {
namespace {

using testing::At;
using testing::FillBlock;
using testing::MakeBlankMap;
using testing::SameBytes;
using testing::ScriptedDraws;

std::vector<std::uint8_t> UniformMap(std::size_t width, std::size_t height, std::uint8_t code) {
  auto image = MakeBlankMap(width, height);
  FillBlock(image, 2, [&](std::size_t, std::size_t) { return code; });
  return image;
}

struct TreeRun {
  std::vector<std::uint8_t> image;
  std::size_t draws;
  std::string output;
};

// Runs PlaceTrees on a single vertex of the given code.
TreeRun TreesOnOneVertex(int code, std::vector<std::uint32_t> numbers) {
  TreeRun run{UniformMap(1, 1, static_cast<std::uint8_t>(code)), 0, {}};
  ScriptedDraws draws(std::move(numbers));
  std::ostringstream out;
  PlaceTreesWith(run.image, 1, 1, draws, out);
  EXPECT_TRUE(draws.Exhausted());
  run.draws = draws.taken();
  run.output = out.str();
  return run;
}

TEST(TreesGranite, Class0TreesByTheSecondDraw) {
  // Independent listing: (base, type) for b AND 7 = 1 to 7.
  const std::array<std::pair<int, int>, 8> kinds = {
      {{0, 0}, {240, 196}, {240, 196}, {48, 197}, {48, 197}, {176, 197}, {176, 197}, {112, 197}}};
  for (int code : {0, 4, 7, 14}) {
    for (std::uint32_t k = 1; k < 8; ++k) {
      TreeRun run = TreesOnOneVertex(code, {20, 8 + k, 13});
      EXPECT_EQ(run.draws, 3u);
      EXPECT_EQ(At(run.image, 5, 0, 0), kinds[k].first + 5);
      EXPECT_EQ(At(run.image, 6, 0, 0), kinds[k].second);
    }
  }
  // a mod 10 = 0 and b AND 7 = 0: exactly two draws, nothing grows.
  TreeRun run = TreesOnOneVertex(0, {10, 16});
  EXPECT_EQ(run.draws, 2u);
  EXPECT_EQ(At(run.image, 5, 0, 0), 0);
  EXPECT_EQ(At(run.image, 6, 0, 0), 0);
  run = TreesOnOneVertex(0, {11});
  EXPECT_EQ(run.draws, 1u);
  EXPECT_EQ(At(run.image, 5, 0, 0), 0);
}

TEST(TreesGranite, Classes1And18ThrowTheSecondDrawAway) {
  for (std::uint32_t thrown : {0u, 7u, 0xFFFFFFFFu}) {
    TreeRun run = TreesOnOneVertex(11, {30, thrown, 0xF5});  // class 1, a mod 15 = 0
    EXPECT_EQ(run.draws, 3u);
    EXPECT_EQ(At(run.image, 5, 0, 0), 48 + 5);
    EXPECT_EQ(At(run.image, 6, 0, 0), 198);
    run = TreesOnOneVertex(18, {40, thrown, 7});  // class 18, a mod 20 = 0
    EXPECT_EQ(run.draws, 3u);
    EXPECT_EQ(At(run.image, 5, 0, 0), 48 + 7);
    EXPECT_EQ(At(run.image, 6, 0, 0), 198);
  }
  EXPECT_EQ(TreesOnOneVertex(34, {20}).draws, 1u);  // 20 mod 15 != 0
  EXPECT_EQ(TreesOnOneVertex(18, {30}).draws, 1u);  // 30 mod 20 != 0
}

TEST(TreesGranite, Classes3And8ChooseByTheSecondDraw) {
  for (std::uint32_t m = 0; m < 6; ++m) {
    TreeRun run = TreesOnOneVertex(3, {14, 6 + m, 2});
    EXPECT_EQ(run.draws, 3u);
    EXPECT_EQ(At(run.image, 5, 0, 0), (m < 3 ? 48 : 176) + 2) << m;
    EXPECT_EQ(At(run.image, 6, 0, 0), 196);
  }
  const std::array<std::pair<int, int>, 9> pasture = {{{48, 196},
                                                       {48, 196},
                                                       {48, 196},
                                                       {176, 196},
                                                       {176, 196},
                                                       {176, 196},
                                                       {112, 196},
                                                       {112, 196},
                                                       {240, 197}}};
  for (int code : {8, 9, 10, 15}) {
    for (std::uint32_t m = 0; m < 9; ++m) {
      TreeRun run = TreesOnOneVertex(code, {7, 9 + m, 0xFF});
      EXPECT_EQ(run.draws, 3u);
      EXPECT_EQ(At(run.image, 5, 0, 0), pasture[m].first + 7) << m;
      EXPECT_EQ(At(run.image, 6, 0, 0), pasture[m].second) << m;
    }
  }
  EXPECT_EQ(TreesOnOneVertex(3, {8}).draws, 1u);
  EXPECT_EQ(TreesOnOneVertex(8, {8}).draws, 1u);
}

TEST(TreesGranite, BarrenClassesDrawNothing) {
  for (int code : {2, 5, 6, 19, 16, 20, 21, 22, 64, 98, 17, 200}) {
    const TreeRun run = TreesOnOneVertex(code, {});
    EXPECT_EQ(run.draws, 0u) << code;
    EXPECT_EQ(run.image, UniformMap(1, 1, static_cast<std::uint8_t>(code))) << code;
  }
  // An unlisted code warns before the closing line.
  EXPECT_EQ(TreesOnOneVertex(200, {}).output,
            "Warning: Some map information couldn't be read!\nBlock2,Position:0\n"
            "Information: C8\nYou will need some woodcutters now...\n");
}

TEST(TreesGranite, TreesWalkTheBlockInOrderAndKeepOtherBytes) {
  // Row of four: class 0, water, class 1, class 0.
  auto image = MakeBlankMap(4, 1);
  const std::array<std::uint8_t, 4> codes = {0, 5, 1, 0};
  FillBlock(image, 2, [&](std::size_t x, std::size_t) { return codes[x]; });
  At(image, 5, 1, 0) = 99;  // an old object on the water stays
  At(image, 6, 1, 0) = 98;
  auto expected = image;
  ScriptedDraws draws({0, 1, 4, /* water: none */ 15, 0, 1, /* last */ 9});
  std::ostringstream out;
  PlaceTreesWith(image, 4, 1, draws, out);
  EXPECT_EQ(draws.taken(), 7u);
  At(expected, 5, 0, 0) = 240 + 4;
  At(expected, 6, 0, 0) = 196;
  At(expected, 5, 2, 0) = 48 + 1;
  At(expected, 6, 2, 0) = 198;
  EXPECT_TRUE(SameBytes(image, expected));
  EXPECT_EQ(out.str(), "You will need some woodcutters now...\n");
}

TEST(TreesGranite, PlaceTreesDrawsFromTheSourceAndRepeatsFromARestart) {
  auto map = MakeBlankMap(20, 20);
  FillBlock(map, 2, [](std::size_t x, std::size_t y) {
    constexpr std::array<std::uint8_t, 6> kCodes = {0, 1, 3, 8, 18, 5};
    return kCodes[(x + 3 * y) % 6];
  });
  auto first = map;
  auto second = map;
  RandomSource source;
  std::ostringstream out;
  RandomNumber(source, 555, 1);
  PlaceTrees(first, 20, 20, source, 1, out);
  RandomNumber(source, 555, 1);
  PlaceTrees(second, 20, 20, source, 2, out);
  EXPECT_EQ(first, second);
  EXPECT_NE(first, map);
  // The same as feeding the generator's numbers directly, after the discarded first one.
  std::mt19937 engine(555);
  engine();
  auto direct = map;
  PlaceTreesWith(
      direct, 20, 20, [&] { return static_cast<std::uint32_t>(engine()); }, out);
  EXPECT_EQ(direct, first);
  // A fresh source is seeded from the pass's seed.
  RandomSource fresh;
  auto seeded = map;
  PlaceTrees(seeded, 20, 20, fresh, 555, out);
  std::mt19937 again(555);
  auto expected = map;
  PlaceTreesWith(
      expected, 20, 20, [&] { return static_cast<std::uint32_t>(again()); }, out);
  EXPECT_EQ(seeded, expected);
}

// Granite --------------------------------------------------------------------------------

TEST(TreesGranite, AllWaterGetsNoGraniteButStillDraws) {
  auto image = UniformMap(3, 3, 5);
  const auto before = image;
  // Centre 0 is chosen (0 mod 85), 5 mod 6 + 3 = 8 stones: two offset draws each.
  ScriptedDraws draws({0, 5, 0, 0, 1, 1, 2, 2, 0, 1, 1, 0, 2, 1, 0, 2, 1, 2});
  std::ostringstream out;
  PlaceGraniteWith(image, 3, 3, draws, out);
  EXPECT_EQ(draws.taken(), 2u + 16u + 8u);  // plus one draw for each other vertex
  EXPECT_EQ(image, before);
  EXPECT_EQ(out.str(), "There are some rocks in your way...\n");
}

// Places the stones of a scripted granite run on a 3 x 3 map of the given codes.
std::vector<std::uint8_t> GraniteOn3x3(const std::array<std::uint8_t, 9>& codes,
                                       std::vector<std::uint32_t> numbers,
                                       std::size_t expected_draws) {
  auto image = MakeBlankMap(3, 3);
  FillBlock(image, 2, [&](std::size_t x, std::size_t y) { return codes[y * 3 + x]; });
  ScriptedDraws draws(std::move(numbers));
  std::ostringstream out;
  PlaceGraniteWith(image, 3, 3, draws, out);
  EXPECT_TRUE(draws.Exhausted());
  EXPECT_EQ(draws.taken(), expected_draws);
  return image;
}

std::vector<std::uint8_t> WithStones(const std::array<std::uint8_t, 9>& codes,
                                     std::vector<std::pair<std::size_t, std::uint8_t>> stones) {
  auto image = MakeBlankMap(3, 3);
  FillBlock(image, 2, [&](std::size_t x, std::size_t y) { return codes[y * 3 + x]; });
  for (const auto& [index, stone] : stones) {
    At(image, 5, index % 3, index / 3) = stone;
    At(image, 6, index % 3, index / 3) = 204;
  }
  return image;
}

constexpr std::array<std::uint8_t, 9> kLand = {0, 1, 2, 3, 8, 16, 18, 0, 0};

TEST(TreesGranite, StonesLandAroundTheCentreRowStepFirst) {
  // Centre 4 (the middle), 0 mod 6 + 3 = 3 stones at (dy, dx) = (0,0), (1,2), (2,1).
  const auto image =
      GraniteOn3x3(kLand, {1, 1, 1, 1, 170, 0, 3, 6, 1, 4, 5, 2, 2, 7, 8}, 4 + 2 + 9 + 4);
  EXPECT_TRUE(SameBytes(image, WithStones(kLand, {{0, 2}, {5, 3}, {7, 3}})));
}

TEST(TreesGranite, TargetsOutsideTheBlockGoToTheCentre) {
  // Centre 0: (0,0) would be -4 and (1,0) -1, both go to 0; (2,0) is 2, the last vertex of
  // the row before row 1.
  EXPECT_TRUE(SameBytes(GraniteOn3x3(kLand, {0, 0, 0, 0, 0, 1, 0, 1, 2, 0, 4}, 11 + 8),
                        WithStones(kLand, {{0, 2}, {2, 5}})));
  // Centre 7 in the last row: (2,0) would be 9 = N itself and goes to 7; (1,2) is 8;
  // (0,0) is 3.
  EXPECT_TRUE(SameBytes(
      GraniteOn3x3(kLand, {1, 1, 1, 1, 1, 1, 1, 0, 0, 2, 0, 0, 1, 2, 1, 0, 0, 2}, 7 + 11 + 1),
      WithStones(kLand, {{7, 1}, {8, 2}, {3, 3}})));
  // Centre 8: (2,2) would be 12 and (1,2) 9; both go to 8. (1,1) is 8 itself.
  EXPECT_TRUE(SameBytes(
      GraniteOn3x3(kLand, {1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 2, 2, 3, 1, 2, 4, 1, 1, 5}, 8 + 11),
      WithStones(kLand, {{8, 6}})));
  // Centre 2, (1,2): a step right of the last column lands on the next row's first vertex.
  EXPECT_TRUE(SameBytes(GraniteOn3x3(kLand, {1, 1, 0, 0, 1, 2, 0, 1, 2, 0, 1, 1, 2}, 13 + 6),
                        WithStones(kLand, {{3, 1}, {2, 3}})));
}

TEST(TreesGranite, AWaterTargetUsesItsTwoOffsetDrawsOnly) {
  const std::array<std::uint8_t, 9> codes = {5, 0, 0, 0, 0, 0, 0, 0, 19};
  // Centre 4: stone 1 at (0,0) is water, dropped; stone 2 at (1,1) gets 5 -> 6; stone 3 at
  // (0,1) gets 0 -> 1.
  EXPECT_TRUE(
      SameBytes(GraniteOn3x3(codes, {1, 1, 1, 1, 85, 6, 0, 0, 1, 1, 5, 0, 1, 0}, 4 + 10 + 4),
                WithStones(codes, {{4, 6}, {1, 1}})));
  // The centre's own terrain is not looked at: a water centre still gets its land stones.
  EXPECT_TRUE(SameBytes(GraniteOn3x3(codes, {0, 0, 1, 2, 5, 1, 1, 2, 0, 3}, 10 + 8),
                        WithStones(codes, {{1, 6}, {2, 4}})));
}

TEST(TreesGranite, UnlistedTargetsWarnAndTakeStones) {
  auto image = MakeBlankMap(2, 1);
  FillBlock(image, 2, [](std::size_t, std::size_t) { return std::uint8_t{40}; });
  ScriptedDraws draws({0, 0, 1, 1, 3, 1, 1, 4, 1, 1, 5});
  std::ostringstream out;
  PlaceGraniteWith(image, 2, 1, draws, out);
  const std::string warning =
      "Warning: Some map information couldn't be read!\nBlock2,Position:0\nInformation: 28\n";
  EXPECT_EQ(out.str(), warning + warning + warning + "There are some rocks in your way...\n");
  EXPECT_EQ(At(image, 5, 0, 0), 6);
  EXPECT_EQ(At(image, 6, 0, 0), 204);
}

TEST(TreesGranite, TinyAndEmptyMapsStayInsideTheirBlocks) {
  for (std::size_t width : {0u, 1u, 2u}) {
    for (std::size_t height : {0u, 1u, 2u}) {
      auto image = MakeBlankMap(width, height);
      FillBlock(image, 2, [](std::size_t, std::size_t) { return std::uint8_t{0}; });
      const auto before = image;
      std::ostringstream out;
      // Every vertex is a centre of 8 stones at every offset in turn.
      std::vector<std::uint32_t> numbers;
      for (std::size_t i = 0; i < width * height; ++i) {
        numbers.insert(numbers.end(), {0, 5});
        for (std::uint32_t stone = 0; stone < 8; ++stone) {
          numbers.insert(numbers.end(), {stone % 3, stone / 3, stone});
        }
      }
      ScriptedDraws draws(numbers, 0);
      PlaceGraniteWith(image, width, height, draws, out);
      ScriptedDraws tree_draws({}, 0);
      PlaceTreesWith(image, width, height, tree_draws, out);
      ASSERT_EQ(image.size(), before.size());
      // Only the data of blocks 5 and 6 may change.
      const std::size_t n = width * height;
      const std::size_t from = BlockDataOffset(kObjectIndexBlock, n);
      const std::size_t to = BlockDataOffset(kObjectTypeBlock, n) + n;
      for (std::size_t i = 0; i < image.size(); ++i) {
        const bool in_objects = i >= from && i < to && (i < from + n || i >= to - n);
        if (!in_objects) {
          EXPECT_EQ(image[i], before[i]) << width << "x" << height << " at " << i;
        }
      }
    }
  }
}

}  // namespace
}  // namespace plandrix
