#include "random/resources.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <random>
#include <vector>

#include "core/map_layout.h"
#include "random/scripted_draws.h"
#include "random/terrain_classes.h"
#include "support/test_maps.h"

namespace plandrix {
namespace {

using testing::At;
using testing::FillBlock;
using testing::MakeBlankMap;
using testing::SameBytes;

std::vector<std::uint8_t> ResourceBlock(std::vector<std::uint8_t>& image) {
  const std::size_t n = MapWidth(image) * MapHeight(image);
  const auto block = Block(std::span<std::uint8_t>(image), 12, n);
  return {block.begin(), block.end()};
}

TEST(Resources, Class3RotationRunsOnAcrossRows) {
  // 5 x 5 of code 1 (class 3); left without a set: (0,0), (0,1) and (1..3, 4).
  auto image = MakeBlankMap(5, 5);
  FillBlock(image, 2, [](std::size_t, std::size_t) { return std::uint8_t{1}; });
  FillBlock(image, 3, [](std::size_t, std::size_t) { return std::uint8_t{12}; });
  FillBlock(image, 12, [](std::size_t, std::size_t) { return std::uint8_t{9}; });
  PlaceResources(image, 5, 5);
  const std::array<std::uint8_t, 6> rotation = {71, 79, 71, 87, 71, 95};
  std::size_t next = 0;
  std::vector<std::uint8_t> expected;
  for (std::size_t y = 0; y < 5; ++y) {
    for (std::size_t x = 0; x < 5; ++x) {
      const bool left_out = (x == 0 && y <= 1) || (y == 4 && x >= 1 && x <= 3);
      expected.push_back(left_out ? 9 : rotation[next++ % 6]);
    }
  }
  EXPECT_EQ(ResourceBlock(image), expected);
  // Row 0 ends after the fourth class-3 vertex, so row 1 starts with the fifth value, 71,
  // then 95 and a new round.
  EXPECT_EQ(At(image, 12, 1, 1), 71);
  EXPECT_EQ(At(image, 12, 2, 1), 95);
  EXPECT_EQ(At(image, 12, 3, 1), 71);
}

TEST(Resources, WaterAndClass2AndMixedVertices) {
  auto image = MakeBlankMap(6, 6);  // water everywhere
  FillBlock(image, 12, [](std::size_t, std::size_t) { return std::uint8_t{77}; });
  // Vertex (2, 2): one of its six triangles, T3(1, 2), becomes land: it keeps its byte.
  At(image, 3, 1, 2) = 0;
  PlaceResources(image, 6, 6);
  EXPECT_EQ(At(image, 12, 2, 2), 77);
  EXPECT_EQ(At(image, 12, 3, 3), 135);
  EXPECT_EQ(At(image, 12, 0, 0), 77);  // no set
  // Codes 0 and 14 are class 2; codes 4 and 7 (terrain class 0 all the same) are not.
  auto land = MakeBlankMap(6, 6);
  FillBlock(land, 2, [](std::size_t x, std::size_t) { return std::uint8_t(x % 2 ? 0 : 14); });
  FillBlock(land, 3, [](std::size_t, std::size_t y) { return std::uint8_t(y % 2 ? 8 : 18); });
  PlaceResources(land, 6, 6);
  EXPECT_EQ(At(land, 12, 3, 3), 33);
  EXPECT_EQ(At(land, 12, 2, 0), 33);
  FillBlock(land, 2, [](std::size_t, std::size_t) { return std::uint8_t{4}; });
  FillBlock(land, 3, [](std::size_t, std::size_t) { return std::uint8_t{7}; });
  FillBlock(land, 12, [](std::size_t, std::size_t) { return std::uint8_t{0}; });
  const auto before = land;
  PlaceResources(land, 6, 6);
  EXPECT_TRUE(SameBytes(land, before));
}

// The image with block 12 written vertex by vertex from GetVertexClass (the program's
// simple version of the pass); counts the vertices of each class in seen.
std::vector<std::uint8_t> ExpectedResources(const std::vector<std::uint8_t>& image,
                                            std::size_t width, std::size_t height,
                                            std::array<int, 4>& seen) {
  for (std::size_t y = 0; y < height; ++y) {
    for (std::size_t x = 0; x < width; ++x) {
      ++seen[static_cast<std::size_t>(GetVertexClass(image, width, height, x, y))];
    }
  }
  auto expected = image;
  PlaceResourcesVertexByVertex(expected, width, height);
  return expected;
}

TEST(Resources, AgreesWithGetVertexClassOnMixedMapsOfEverySize) {
  std::mt19937 engine(7);
  std::array<int, 4> seen{};
  constexpr std::array<std::uint8_t, 8> kCodes = {5, 6, 19, 0, 14, 1, 34, 4};
  // Every size up to 9 x 9, and wider rows in which the inner vertices are handled eight
  // at a time with a remainder of every length.
  std::vector<std::pair<std::size_t, std::size_t>> sizes;
  for (std::size_t width = 0; width <= 9; ++width) {
    for (std::size_t height = 0; height <= 9; ++height) sizes.emplace_back(width, height);
  }
  for (std::size_t width = 10; width <= 42; ++width) {
    sizes.emplace_back(width, 3 + width % 5);
    sizes.emplace_back(width, 14);
  }
  sizes.emplace_back(257, 9);
  for (const auto& size : sizes) {
    const std::size_t width = size.first;
    const std::size_t height = size.second;
    auto image = MakeBlankMap(width, height);
    // Patches of one class with a little noise, so that all three classes occur.
    const auto patch = [&](std::size_t x, std::size_t y) {
      const std::size_t region = (x / 4 + 3 * (y / 4) + width) % 4;
      constexpr std::array<std::size_t, 4> kFirstOfClass = {0, 3, 5, 6};
      return kCodes[engine() % 10 == 0 ? engine() % 8 : kFirstOfClass[region] + engine() % 2];
    };
    FillBlock(image, 2, patch);
    FillBlock(image, 3, patch);
    FillBlock(image, 12, [](std::size_t x, std::size_t) { return std::uint8_t(x + 1); });
    const auto expected = ExpectedResources(image, width, height, seen);
    PlaceResources(image, width, height);
    EXPECT_TRUE(SameBytes(image, expected)) << width << " x " << height;
    // Block 12 is never read: a second run writes the same bytes again.
    auto again = image;
    PlaceResources(again, width, height);
    EXPECT_TRUE(SameBytes(again, image)) << width << " x " << height;
  }
  EXPECT_GT(seen[1], 20);
  EXPECT_GT(seen[2], 20);
  EXPECT_GT(seen[3], 20);
}

TEST(Resources, LongRunsOfMountainTakeTheRotationInTurn) {
  // Mountain everywhere but for a few other codes: rows of up to forty class-3 vertices in
  // a row, broken at every offset.
  std::mt19937 engine(11);
  std::array<int, 4> seen{};
  for (const std::size_t width : {std::size_t{16}, std::size_t{23}, std::size_t{41}}) {
    const std::size_t height = 12;
    auto image = MakeBlankMap(width, height);
    const auto mostly_mountain = [&](std::size_t, std::size_t) {
      constexpr std::array<std::uint8_t, 4> kOthers = {5, 0, 4, 200};
      return engine() % 23 == 0 ? kOthers[engine() % 4] : std::uint8_t{1};
    };
    FillBlock(image, 2, mostly_mountain);
    FillBlock(image, 3, mostly_mountain);
    const auto expected = ExpectedResources(image, width, height, seen);
    PlaceResources(image, width, height);
    EXPECT_TRUE(SameBytes(image, expected)) << width;
  }
  EXPECT_GT(seen[3], 200);
}

TEST(Resources, AShortImageIsLeftAlone) {
  auto image = MakeBlankMap(4, 4);
  image.pop_back();
  const auto before = image;
  PlaceResources(image, 4, 4);
  EXPECT_TRUE(SameBytes(image, before));
}

}  // namespace
}  // namespace plandrix
