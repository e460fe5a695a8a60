// Walking: which triangles lie on each edge, maps split by rivers and joined across the
// wrap, ties between starts, the radius, and the fast walk held to the plain one.
#include "inspect/walking.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "core/map_grid.h"
#include "support/test_maps.h"

namespace plandrix {
namespace {

using testing::At;
using testing::FillBlock;
using testing::MakeBlankMap;
using Bytes = std::vector<std::uint8_t>;

Bytes Meadow(std::size_t width, std::size_t height) {
  Bytes map = MakeBlankMap(width, height);
  FillBlock(map, kTerrainBlock1, [](auto, auto) { return kMeadow1; });
  FillBlock(map, kTerrainBlock2, [](auto, auto) { return kMeadow1; });
  return map;
}

// Both triangles of every vertex in the columns (or rows) from first to last.
void PaintColumns(Bytes& map, std::size_t first, std::size_t last, std::uint8_t code) {
  for (std::size_t y = 0; y < MapHeight(map); ++y) {
    for (std::size_t x = first; x <= last; ++x) {
      At(map, kTerrainBlock1, x, y) = code;
      At(map, kTerrainBlock2, x, y) = code;
    }
  }
}
void PaintRow(Bytes& map, std::size_t y, std::uint8_t code) {
  for (std::size_t x = 0; x < MapWidth(map); ++x) {
    At(map, kTerrainBlock1, x, y) = code;
    At(map, kTerrainBlock2, x, y) = code;
  }
}

VertexWalk WalkOn(const Bytes& map, const std::vector<std::size_t>& starts,
                  std::uint32_t radius = kUnlimitedSteps) {
  const MapLayers layers = *LayersOf(map, Landscape::kGreenland);
  const Walk walk = WalkFrom(layers, ReadVertexFacts(layers), starts, radius);
  return SpreadWalk(walk, layers.width * layers.height);
}

// Each edge lies on the two triangles that have both its vertices as corners: the first
// triangle of v has the corners v, SW and SE, the second v, SE and E. Swamp on those two
// stops that edge alone; swamp on one of them stops none.
TEST(WalkingTest, EachEdgeLiesOnTheTwoTrianglesThatShareBothItsVertices) {
  const MapGrid grid(12, 12);
  for (const Point p : {Point{5, 6}, Point{5, 5}}) {
    for (const Direction d : kDirections) {
      const std::size_t v = grid.Index(p);
      const std::size_t q = grid.Neighbour(v, d);
      std::vector<Triangle> sides;
      for (std::size_t owner = 0; owner < grid.size(); ++owner) {
        const std::size_t sw = grid.Neighbour(owner, Direction::kSouthWest);
        const std::size_t se = grid.Neighbour(owner, Direction::kSouthEast);
        const std::size_t e = grid.Neighbour(owner, Direction::kEast);
        for (const auto& [second, corners] : {std::pair{false, std::vector{owner, sw, se}},
                                              std::pair{true, std::vector{owner, se, e}}}) {
          if (std::ranges::count(corners, v) > 0 && std::ranges::count(corners, q) > 0) {
            sides.push_back({owner, second});
          }
        }
      }
      ASSERT_EQ(sides.size(), 2U);
      for (std::size_t blocked = 1; blocked <= 2; ++blocked) {
        Bytes map = Meadow(12, 12);
        for (std::size_t i = 0; i < blocked; ++i) {
          const Point owner = grid.PointOf(sides[i].vertex);
          At(map, sides[i].second ? kTerrainBlock2 : kTerrainBlock1, owner.x, owner.y) = kSwamp;
        }
        const MapLayers layers = *LayersOf(map, Landscape::kGreenland);
        const VertexFacts facts = ReadVertexFacts(layers);
        for (const Direction other : kDirections) {
          const bool open = blocked == 1 || other != d;
          EXPECT_EQ(IsWalkableEdge(layers, facts.objects, p, other), open)
              << p.x << "," << p.y << " edge " << int(d) << " of " << blocked << ", asked "
              << int(other);
          EXPECT_EQ(((facts.walk[v] >> static_cast<int>(other)) & 1) != 0, open);
        }
      }
    }
  }
}

TEST(WalkingTest, WhatCanBeWalkedOn) {
  Bytes map = Meadow(12, 12);
  At(map, kTerrainBlock1, 2, 2) = kLava;  // touches (2,2), (1,3) and (2,3)
  At(map, kObjectTypeBlock, 6, 6) = kFirstGraniteType;
  At(map, kObjectIndexBlock, 6, 6) = 2;
  At(map, kObjectTypeBlock, 7, 6) = 0xC4;  // a tree
  At(map, kObjectIndexBlock, 7, 6) = 0x30;
  At(map, kObjectTypeBlock, 8, 6) = kDecorationType;  // plain
  At(map, kObjectTypeBlock, 9, 6) = kDecorationType;  // blocking
  At(map, kObjectIndexBlock, 9, 6) = 0x0B;
  PaintColumns(map, 10, 11, kWater);
  const MapLayers layers = *LayersOf(map, Landscape::kGreenland);
  const VertexFacts facts = ReadVertexFacts(layers);
  const auto walkable = [&](std::size_t x, std::size_t y) {
    return IsWalkableVertex(facts.around[y * 12 + x], facts.objects[y * 12 + x]);
  };
  EXPECT_TRUE(walkable(5, 5));
  EXPECT_FALSE(walkable(2, 2));
  EXPECT_FALSE(walkable(2, 3));
  EXPECT_FALSE(walkable(6, 6)) << "granite";
  EXPECT_TRUE(walkable(7, 6)) << "tree";
  EXPECT_TRUE(walkable(8, 6)) << "plain decoration";
  EXPECT_FALSE(walkable(9, 6)) << "blocking decoration";
  EXPECT_TRUE(walkable(10, 6)) << "its W neighbour's second triangle is meadow";
  EXPECT_FALSE(walkable(11, 6)) << "six water triangles";
}

// A band of swamp over columns 6 to 9 of a 16 x 8 map: the two sides meet across the wrap.
TEST(WalkingTest, TwoAreasJoinedAcrossTheWrap) {
  Bytes map = Meadow(16, 8);
  PaintColumns(map, 6, 9, kSwamp);
  const std::size_t a = 4 * 16 + 2;   // (2,4)
  const std::size_t b = 4 * 16 + 13;  // (13,4)
  const VertexWalk alone = WalkOn(map, {a});
  EXPECT_EQ(alone.steps[b], 5U) << "2 -> 1 -> 0 -> 15 -> 14 -> 13";
  EXPECT_EQ(alone.steps[4 * 16 + 8], kUnlimitedSteps) << "inside the swamp";
  const VertexWalk both = WalkOn(map, {a, b});
  EXPECT_EQ(both.start[4 * 16 + 0], 0);  // 2 steps from a, 3 from b
  EXPECT_EQ(both.steps[4 * 16 + 0], 2U);
  EXPECT_EQ(both.start[4 * 16 + 15], 1);  // 3 steps from a, 2 from b
  EXPECT_EQ(both.steps[4 * 16 + 15], 2U);
}

// Rivers along rows 2 and 8 of a 10 x 12 map: no edge crosses a row of water triangles, so
// the world falls into rows 3 to 8 and rows 9 to 2 (round the wrap).
TEST(WalkingTest, RiversSplitTheMap) {
  Bytes map = Meadow(10, 12);
  PaintRow(map, 2, kWater);
  PaintRow(map, 8, kWater);
  const VertexWalk alone = WalkOn(map, {5 * 10 + 4});
  const VertexWalk both = WalkOn(map, {5 * 10 + 4, 10 * 10 + 4});
  for (std::size_t y = 0; y < 12; ++y) {
    const bool middle = y >= 3 && y <= 8;
    for (std::size_t x = 0; x < 10; ++x) {
      EXPECT_EQ(alone.start[y * 10 + x], middle ? 0 : kNoStart) << x << "," << y;
      EXPECT_EQ(both.start[y * 10 + x], middle ? 0 : 1) << x << "," << y;
    }
  }
}

TEST(WalkingTest, ATieGoesToTheLowerStart) {
  const Bytes map = Meadow(12, 12);
  const std::size_t left = 4 * 12 + 2;   // (2,4)
  const std::size_t right = 4 * 12 + 6;  // (6,4)
  for (const auto& starts : {std::vector{left, right}, std::vector{right, left}}) {
    const VertexWalk walk = WalkOn(map, starts);
    EXPECT_EQ(walk.start[4 * 12 + 4], 0) << "(4,4) is 2 steps from both";
    EXPECT_EQ(walk.steps[4 * 12 + 4], 2U);
    EXPECT_EQ(walk.start[4 * 12 + 3], starts[0] == left ? 0 : 1);
  }
  const VertexWalk same = WalkOn(map, {left, left});
  EXPECT_EQ(std::ranges::count(same.start, 1), 0) << "a start on an earlier start's vertex";
}

TEST(WalkingTest, Radius) {
  Bytes map = Meadow(12, 12);
  const std::size_t centre = 6 * 12 + 5;
  for (const auto& [radius, reached] : {std::pair{0U, 1}, std::pair{1U, 7}, std::pair{2U, 19}}) {
    const VertexWalk walk = WalkOn(map, {centre}, radius);
    EXPECT_EQ(std::ranges::count(walk.start, 0), reached) << radius;
  }
  At(map, kObjectTypeBlock, 6, 6) = kFirstGraniteType;
  At(map, kObjectIndexBlock, 6, 6) = 1;
  EXPECT_EQ(std::ranges::count(WalkOn(map, {centre}, 1).start, 0), 6) << "granite E";
  At(map, kTerrainBlock2, 5, 6) = kLava;  // touches the centre
  const VertexWalk stuck = WalkOn(map, {centre, 144});
  EXPECT_EQ(std::ranges::count(stuck.start, 0), 1) << "no step leaves a vertex beside lava";
  EXPECT_EQ(std::ranges::count(stuck.start, 1), 0) << "a start outside the map";
}

TEST(WalkingTest, RefusesLayersThatDoNotHoldTheMap) {
  const Bytes map = Meadow(8, 8);
  const MapLayers layers = *LayersOf(map, Landscape::kGreenland);
  const std::vector<std::size_t> starts = {3};
  EXPECT_TRUE(WalkFrom(layers, VertexFacts{}, starts, 5).reached.empty());
  EXPECT_TRUE(WalkFromPlain(layers, {}, starts, 5).start.empty());
  EXPECT_FALSE(IsWalkableEdge(layers, {}, {1, 1}, Direction::kEast));
}

TEST(WalkingTest, FastAndPlainAgreeOnRandomMaps) {
  constexpr std::uint8_t kCodes[] = {kMeadow1, kMeadow1, kMeadow1, kWater,
                                     kSwamp,   kDesert1, kLava,    kMountain1};
  std::mt19937 engine(20261202);
  const auto pick = [&engine](std::size_t count) { return engine() % count; };
  for (int round = 0; round < 300; ++round) {
    const std::size_t width = 1 + pick(20);
    const std::size_t height = 1 + pick(20);
    Bytes map = MakeBlankMap(width, height);
    const auto code = [&](auto, auto) { return kCodes[pick(std::size(kCodes))]; };
    FillBlock(map, kTerrainBlock1, code);
    FillBlock(map, kTerrainBlock2, code);
    constexpr std::uint8_t kObjects[][2] = {{0, 0},    {0, 0},       {0, 0},    {0xC4, 0x31},
                                            {0xCC, 3}, {0xC8, 0x31}, {0xC8, 0}, {0xC8, 0x2F}};
    std::vector<std::size_t> objects(width * height);
    for (auto& object : objects) object = pick(std::size(kObjects));
    FillBlock(map, kObjectTypeBlock,
              [&](auto x, auto y) { return kObjects[objects[y * width + x]][0]; });
    FillBlock(map, kObjectIndexBlock,
              [&](auto x, auto y) { return kObjects[objects[y * width + x]][1]; });
    std::vector<std::size_t> starts(1 + pick(4));
    for (auto& start : starts) start = pick(width * height + 1);
    const std::uint32_t radius =
        pick(3) == 0 ? kUnlimitedSteps : static_cast<std::uint32_t>(pick(8));
    const MapLayers layers = *LayersOf(map, Landscape::kGreenland);
    const VertexFacts facts = ReadVertexFacts(layers);
    const Walk walk = WalkFrom(layers, facts, starts, radius);
    ASSERT_EQ(SpreadWalk(walk, width * height),
              WalkFromPlain(layers, facts.objects, starts, radius))
        << "round " << round << ", " << width << " x " << height;
    EXPECT_TRUE(std::ranges::is_sorted(walk.reached, {}, &WalkedVertex::steps));
  }
}

}  // namespace
}  // namespace plandrix
