#include "random/random_map.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <set>
#include <vector>

#include "core/map_layout.h"
#include "support/test_maps.h"

namespace plandrix {
namespace {

using testing::At;
using testing::FillBlock;
using testing::MakeBlankMap;

// Hands out the scripted numbers in order, then `rest` for ever; counts every call.
struct ScriptedDraw {
  std::deque<std::uint32_t> script;
  std::uint32_t rest = 0;
  std::uint32_t calls = 0;
  std::uint32_t operator()() {
    ++calls;
    if (script.empty()) return rest;
    const std::uint32_t value = script.front();
    script.pop_front();
    return value;
  }
};

// ---------------------------------------------------------------- layout

struct Side {
  std::int32_t side;
  std::int32_t regions;
  std::int32_t leftover;
};

TEST(ComputeMapLayout, RegionsAlongOneSide) {
  const Side sides[] = {
      {64, 5, 4},   // grid 2..61
      {60, 4, 12},  // exact fit gives up a region: grid 6..53
      {13, 1, 1},   // grid 0..11
      {12, 0, 12}, {25, 2, 1}, {24, 1, 12}, {11, 0, 11}, {1, 0, 1}, {65535, 5461, 3},
  };
  for (const Side& s : sides) {
    const MapLayout wide = ComputeMapLayout(MapLayout{}, s.side, 64);
    EXPECT_EQ(wide.region_columns, s.regions) << s.side;
    EXPECT_EQ(wide.leftover_x, s.leftover) << s.side;
    EXPECT_EQ(wide.region_rows, 5) << s.side;
    EXPECT_EQ(wide.region_count, s.regions * 5) << s.side;
    const MapLayout high = ComputeMapLayout(MapLayout{}, 64, s.side);
    EXPECT_EQ(high.region_rows, s.regions) << s.side;
    EXPECT_EQ(high.leftover_y, s.leftover) << s.side;
    EXPECT_EQ(high.region_count, s.regions * 5) << s.side;
  }
}

TEST(ComputeMapLayout, FillsOnlyTheGridFieldsOfACopy) {
  MapLayout start;
  start.seed = 44556677;
  start.kind_percent[0] = 3;
  const MapLayout layout = ComputeMapLayout(start, 25, 13);
  EXPECT_EQ(layout.map_width, 25);
  EXPECT_EQ(layout.map_height, 13);
  EXPECT_EQ(layout.region_columns, 2);
  EXPECT_EQ(layout.leftover_x, 1);
  EXPECT_EQ(layout.region_rows, 1);
  EXPECT_EQ(layout.leftover_y, 1);
  EXPECT_EQ(layout.region_count, 2);
  EXPECT_EQ(layout.seed, 44556677);
  EXPECT_EQ(layout.kind_percent[0], 3);
  EXPECT_EQ(layout.kind_percent[3], 45);
  EXPECT_EQ(layout.region_width, 12);
  EXPECT_EQ(start.region_count, 0);  // the argument is a copy
}

TEST(ComputeMapLayout, NoRegionsForEmptySidesOrRegions) {
  EXPECT_EQ(ComputeMapLayout(MapLayout{}, 0, 0).region_count, 0);
  EXPECT_EQ(ComputeMapLayout(MapLayout{}, -24, -24).region_count, 0);
  MapLayout zero;
  zero.region_width = 0;
  const MapLayout layout = ComputeMapLayout(zero, 64, 64);
  EXPECT_EQ(layout.region_columns, 0);
  EXPECT_EQ(layout.region_count, 0);
}

// ---------------------------------------------------------------- kinds

TEST(AssignRegionKinds, PercentBandsOfTheToolsLayout) {
  const MapLayout layout;
  // The remainder modulo 100 decides: 44 is the last of kind 3, 45 to 59 are kind 4.
  const std::pair<std::uint32_t, std::uint32_t> cases[] = {
      {0, 3}, {44, 3}, {45, 4}, {59, 4}, {60, 8}, {99, 8}, {144, 3}, {145, 4}, {4294967295U, 8},
  };
  for (auto [draw, kind] : cases) EXPECT_EQ(RegionKindFor(draw, layout), kind) << draw;
}

TEST(AssignRegionKinds, EveryKindHasItsBand) {
  MapLayout layout;
  layout.kind_percent = {10, 10, 10, 10, 10, 10, 10, 10};
  for (std::uint32_t p = 0; p < 100; ++p) {
    EXPECT_EQ(RegionKindFor(p, layout), p < 80 ? p / 10 : 8u) << p;
  }
  layout.kind_percent = {0, 0, 0, 0, 0, 0, 0, 100};
  EXPECT_EQ(RegionKindFor(0, layout), 7u);
  EXPECT_EQ(RegionKindFor(99, layout), 7u);
}

TEST(AssignRegionKinds, SixtyFourSquareWithTheDefaultSeed) {
  const MapLayout layout = ComputeMapLayout(MapLayout{}, 64, 64);
  ASSERT_EQ(layout.region_count, 25);
  std::vector<std::uint32_t> kinds(25, 99);
  RandomSource source;
  (void)RandomNumber(source, 12345678, 1);
  AssignRegionKinds(kinds, layout, source, 12345678);
  EXPECT_EQ(kinds, (std::vector<std::uint32_t>{3, 8, 8, 3, 8, 3, 8, 3, 8, 3, 3, 4, 3,
                                               3, 3, 3, 4, 3, 8, 3, 8, 8, 3, 3, 3}));
}

TEST(AssignRegionKinds, OneDrawPerRegionAndNoneWithoutRegions) {
  std::vector<std::uint32_t> kinds(30, 99);
  ScriptedDraw draw{{44, 45, 60}, 0};
  AssignRegionKindsWith(kinds, ComputeMapLayout(MapLayout{}, 64, 64), draw);
  EXPECT_EQ(draw.calls, 25u);
  EXPECT_EQ(kinds[0], 3u);
  EXPECT_EQ(kinds[1], 4u);
  EXPECT_EQ(kinds[2], 8u);
  EXPECT_EQ(kinds[25], 99u);  // past region_count nothing is written

  ScriptedDraw none;
  AssignRegionKindsWith(kinds, ComputeMapLayout(MapLayout{}, 12, 64), none);
  MapLayout negative;
  negative.region_count = -4;
  AssignRegionKindsWith(kinds, negative, none);
  EXPECT_EQ(none.calls, 0u);
  // A list shorter than the count is never written past its end.
  std::vector<std::uint32_t> short_list(3, 99);
  AssignRegionKindsWith(short_list, ComputeMapLayout(MapLayout{}, 64, 64), none);
  EXPECT_EQ(none.calls, 3u);
}

// ---------------------------------------------------------------- triangles

// The block-data indexes that changed in blocks 2 and 3 after one call.
struct Touched {
  std::set<std::size_t> first;
  std::set<std::size_t> second;
};

Touched TouchedBy(std::size_t width, std::size_t height, std::size_t p, std::size_t y) {
  auto image = MakeBlankMap(width, height);
  SetVertexTriangles(image, width, height, p, y, 77);
  const std::size_t n = width * height;
  Touched touched;
  for (std::size_t i = 0; i < n; ++i) {
    if (image[BlockDataOffset(2, n) + i] == 77) touched.first.insert(i);
    if (image[BlockDataOffset(3, n) + i] == 77) touched.second.insert(i);
  }
  return touched;
}

TEST(SetVertexTriangles, EvenOddAndFirstRows) {
  const std::size_t w = 13;
  const std::size_t n = 13 * 13;
  // Even row: (x, y-1), (x+1, y-1), (x+1, y) in block 2; (x, y-1), (x+1, y), (x, y) in 3.
  std::size_t p = 2 * w + 3;
  Touched t = TouchedBy(13, 13, p, 2);
  EXPECT_EQ(t.first, (std::set<std::size_t>{p - w, p - w + 1, p + 1}));
  EXPECT_EQ(t.second, (std::set<std::size_t>{p - w, p + 1, p}));
  // Odd row: one index further on in the row above.
  p = 3 * w + 3;
  t = TouchedBy(13, 13, p, 3);
  EXPECT_EQ(t.first, (std::set<std::size_t>{p - w + 1, p - w + 2, p + 1}));
  EXPECT_EQ(t.second, (std::set<std::size_t>{p - w + 1, p + 1, p}));
  // Row 0 takes its row above from row H - 1.
  p = 3;
  t = TouchedBy(13, 13, p, 0);
  EXPECT_EQ(t.first, (std::set<std::size_t>{n - w + 3, n - w + 4, p + 1}));
  EXPECT_EQ(t.second, (std::set<std::size_t>{n - w + 3, p + 1, p}));
}

TEST(SetVertexTriangles, IndexesRunOnIntoTheNextRow) {
  // The last grid column of a 13-wide map, x = 11 of odd row 3: its (x + 2, y - 1)
  // triangle is index 3 * 13 + 0, the first vertex of its own row.
  const std::size_t p = 3 * 13 + 11;
  const Touched t = TouchedBy(13, 13, p, 3);
  EXPECT_EQ(t.first, (std::set<std::size_t>{2 * 13 + 12, 3 * 13 + 0, 3 * 13 + 12}));
  // Vertex x = 12 of an even row writes (x + 1, y) at the start of the next row.
  const Touched last = TouchedBy(13, 13, 2 * 13 + 12, 2);
  EXPECT_EQ(last.second, (std::set<std::size_t>{13 + 12, 3 * 13 + 0, 2 * 13 + 12}));
}

TEST(SetVertexTriangles, RefusesVerticesThatAreNotInTheirRow) {
  const std::size_t n = 13 * 13;
  for (auto [p, y] : {std::pair<std::size_t, std::size_t>{13, 0}, {12, 1}, {n, 13}, {5, 13}}) {
    const Touched t = TouchedBy(13, 13, p, y);
    EXPECT_TRUE(t.first.empty() && t.second.empty()) << p << " " << y;
  }
  auto image = MakeBlankMap(4, 4);
  image.pop_back();
  const auto before = image;
  SetVertexTriangles(image, 4, 4, 5, 1, 77);
  SetVertexTriangles(image, 0, 4, 0, 0, 77);
  EXPECT_EQ(image, before);
}

// Every byte of the image outside the data of blocks 2 and 3 equals the same byte of other.
void ExpectOnlyTerrainDiffers(const std::vector<std::uint8_t>& image,
                              const std::vector<std::uint8_t>& other, std::size_t n) {
  ASSERT_EQ(image.size(), other.size());
  const std::size_t begin = BlockDataOffset(2, n);
  const std::size_t end = BlockDataOffset(3, n) + n;
  for (std::size_t i = 0; i < image.size(); ++i) {
    if (i >= begin && i < end && (i < begin + n || i >= BlockDataOffset(3, n))) continue;
    ASSERT_EQ(image[i], other[i]) << "offset " << i << " n " << n;
  }
}

TEST(SetVertexTriangles, EveryWriteStaysInsideTheTerrainBlocks) {
  for (std::size_t width = 1; width <= 40; ++width) {
    for (std::size_t height = 1; height <= 40; ++height) {
      const std::size_t n = width * height;
      auto image = MakeBlankMap(width, height);
      const auto before = image;
      for (std::size_t y = 0; y < height; ++y) {
        for (std::size_t x = 0; x < width; ++x)
          SetVertexTriangles(image, width, height, y * width + x, y, 0xEE);
      }
      ExpectOnlyTerrainDiffers(image, before, n);
    }
  }
}

// ---------------------------------------------------------------- painting

// A map of width x height with its layout, painted region by region from kinds.
struct Painted {
  std::vector<std::uint8_t> image;
  MapLayout layout;
};

template <typename Draw>
Painted PaintAll(std::int32_t width, std::int32_t height, const std::vector<std::uint32_t>& kinds,
                 Draw& draw, MapLayout start = {}) {
  Painted painted{MakeBlankMap(static_cast<std::size_t>(width), static_cast<std::size_t>(height)),
                  ComputeMapLayout(start, width, height)};
  for (std::int32_t r = 0; r < painted.layout.region_rows; ++r) {
    for (std::int32_t c = 0; c < painted.layout.region_columns; ++c) {
      PaintRegionWith(painted.image, kinds, r, c, painted.layout, draw);
    }
  }
  return painted;
}

TEST(PaintRegion, OutsideTheGridAndItsReachStaysWater) {
  const MapLayout layout = ComputeMapLayout(MapLayout{}, 64, 64);
  std::vector<std::uint32_t> kinds(25);
  RandomSource source;
  (void)RandomNumber(source, 12345678, 1);
  AssignRegionKinds(kinds, layout, source, 12345678);
  auto image = MakeBlankMap(64, 64);
  for (std::int32_t r = 0; r < 5; ++r) {
    for (std::int32_t c = 0; c < 5; ++c) PaintRegion(image, kinds, r, c, layout, source, 12345678);
  }
  ExpectOnlyTerrainDiffers(image, MakeBlankMap(64, 64), 64 * 64);
  // The grid covers x and y from 2 to 61; its triangles reach one row up and, in block 2,
  // two vertices to the right.
  bool painted_block2_corner = false;
  for (std::size_t y = 0; y < 64; ++y) {
    for (std::size_t x = 0; x < 64; ++x) {
      const bool in_reach2 = y >= 1 && y <= 61 && x >= 2 && x <= 63;
      const bool in_reach3 = y >= 1 && y <= 61 && x >= 2 && x <= 62;
      if (!in_reach2) {
        EXPECT_EQ(At(image, 2, x, y), 5) << x << "," << y;
      }
      if (!in_reach3) {
        EXPECT_EQ(At(image, 3, x, y), 5) << x << "," << y;
      }
      if (x == 63 && At(image, 2, x, y) != 5) painted_block2_corner = true;
    }
  }
  EXPECT_TRUE(painted_block2_corner);
  // Region 0 is kind 3: the inside of its cell holds only 8, 9, 10 and 15.
  const std::set<int> kind3 = {8, 9, 10, 15};
  for (std::size_t y = 3; y < 13; ++y) {
    for (std::size_t x = 3; x < 13; ++x) {
      EXPECT_EQ(kind3.count(At(image, 2, x, y)), 1u) << x << "," << y;
      EXPECT_EQ(kind3.count(At(image, 3, x, y)), 1u) << x << "," << y;
    }
  }
}

TEST(PaintRegion, FillDrawsOncePerVertexRowByRow) {
  // Kind 3 with draws 0, 1, 2, ...: the last row's own block-3 triangles keep the code
  // of their own vertex, since no later vertex of the cell reaches them.
  ScriptedDraw draw;
  std::deque<std::uint32_t> script;
  for (std::uint32_t i = 0; i < 144; ++i) script.push_back(i);
  draw.script = script;
  const Painted painted = PaintAll(24, 24, {3}, draw);
  EXPECT_EQ(draw.calls, 144u);
  const std::uint8_t codes[] = {8, 9, 10, 15};
  auto image = painted.image;
  for (std::size_t k = 0; k < 12; ++k)
    EXPECT_EQ(At(image, 3, 6 + k, 17), codes[(132 + k) & 3]) << k;
}

TEST(PaintRegion, FillSetsTheTrianglesOfEveryCellVertexInRowOrder) {
  // A grid cell, a cell against the right edge and one in the last rows (neither exists
  // in the tool's layouts): each ends as SetVertexTriangles over the cell would leave it.
  for (auto [leftover_x, leftover_y] : {std::pair{12, 12}, std::pair{24, 12}, std::pair{12, 24}}) {
    MapLayout layout = ComputeMapLayout(MapLayout{}, 24, 24);
    layout.leftover_x = leftover_x;
    layout.leftover_y = leftover_y;
    ScriptedDraw draw;
    for (std::uint32_t i = 0; i < 144; ++i) draw.script.push_back(i * 7);
    auto painted = MakeBlankMap(24, 24);
    PaintRegionWith(painted, std::vector<std::uint32_t>{3}, 0, 0, layout, draw);
    auto expected = MakeBlankMap(24, 24);
    const std::uint8_t codes[] = {8, 9, 10, 15};
    const auto x0 = static_cast<std::size_t>(leftover_x / 2);
    const auto y0 = static_cast<std::size_t>(leftover_y / 2);
    std::uint32_t i = 0;
    for (std::size_t y = y0; y < y0 + 12; ++y) {
      for (std::size_t x = x0; x < x0 + 12; ++x) {
        SetVertexTriangles(expected, 24, 24, y * 24 + x, y, codes[(7 * i++) & 3]);
      }
    }
    EXPECT_EQ(painted, expected) << leftover_x << " " << leftover_y;
  }
}

TEST(PaintRegion, WideCellsAndOddPlacesEndAsVertexByVertex) {
  // Cells wider than a stretch of 64 codes, in even and odd rows, in row 0 (whose row above
  // is the last row), against the right edge and on maps of one or two rows.
  struct Case {
    std::size_t map_width, map_height, cell_width, cell_height, x0, y0;
  };
  const Case cases[] = {{200, 6, 150, 4, 20, 1}, {200, 5, 130, 3, 0, 0}, {70, 4, 69, 3, 1, 1},
                        {70, 4, 64, 2, 5, 2},    {66, 3, 65, 3, 0, 0},   {12, 1, 5, 1, 3, 0},
                        {12, 2, 11, 2, 0, 0},    {130, 2, 129, 1, 1, 1}};
  for (const Case& c : cases) {
    MapLayout layout;
    layout.map_width = static_cast<std::int32_t>(c.map_width);
    layout.map_height = static_cast<std::int32_t>(c.map_height);
    layout.region_width = static_cast<std::int32_t>(c.cell_width);
    layout.region_height = static_cast<std::int32_t>(c.cell_height);
    layout.leftover_x = static_cast<std::int32_t>(2 * c.x0);
    layout.leftover_y = static_cast<std::int32_t>(2 * c.y0);
    layout.region_columns = 1;
    layout.region_rows = 1;
    layout.region_count = 1;
    ScriptedDraw draw;
    for (std::uint32_t i = 0; i < c.cell_width * c.cell_height; ++i)
      draw.script.push_back(i * 7 + i / 5);
    auto painted = MakeBlankMap(c.map_width, c.map_height);
    PaintRegionWith(painted, std::vector<std::uint32_t>{3}, 0, 0, layout, draw);
    auto expected = MakeBlankMap(c.map_width, c.map_height);
    const std::uint8_t codes[] = {8, 9, 10, 15};
    std::uint32_t i = 0;
    for (std::size_t y = c.y0; y < c.y0 + c.cell_height; ++y) {
      for (std::size_t x = c.x0; x < c.x0 + c.cell_width; ++x, ++i) {
        SetVertexTriangles(expected, c.map_width, c.map_height, y * c.map_width + x, y,
                           codes[(i * 7 + i / 5) & 3]);
      }
    }
    EXPECT_EQ(draw.calls, c.cell_width * c.cell_height);
    EXPECT_EQ(painted, expected) << c.map_width << " x " << c.map_height << ", cell "
                                 << c.cell_width << " x " << c.cell_height;
  }
}

TEST(PaintRegion, DrawCountsOfEveryKind) {
  // Scatter count draws of 5 (n = 5 with a scatter limit of 6), everything else 0.
  const std::pair<std::uint32_t, std::uint32_t> cases[] = {
      {0, 0},
      {1, 144},
      {2, 1 + 5 * 3},
      {3, 144},
      {4, 144 + 1 + 5 * 3},
      {5, 144 + 1 + 5 * 2},
      {6, 144},
      {7, 1 + 5 * 2},
      {8, 0},
      {200, 0},
  };
  for (auto [kind, calls] : cases) {
    ScriptedDraw draw;
    // The scatter count is the first draw after the fill.
    const bool fills = kind == 1 || kind == 3 || kind == 4 || kind == 5 || kind == 6;
    for (std::uint32_t i = 0; i < (fills ? 144u : 0u); ++i) draw.script.push_back(0);
    draw.script.push_back(5);
    PaintAll(24, 24, {kind}, draw);
    EXPECT_EQ(draw.calls, calls) << "kind " << kind;
  }
}

TEST(PaintRegion, FixedFillsAndTheirCodes) {
  ScriptedDraw zero;
  Painted zero_kind = PaintAll(24, 24, {0}, zero);
  EXPECT_EQ(At(zero_kind.image, 2, 10, 10), 4);
  ScriptedDraw water;
  Painted seven = PaintAll(24, 24, {7}, water);  // count 0: pure water
  EXPECT_EQ(At(seven.image, 2, 10, 10), 5);
  EXPECT_EQ(seven.image, MakeBlankMap(24, 24));
  ScriptedDraw ones{{}, 1};
  Painted one = PaintAll(24, 24, {1}, ones);
  EXPECT_EQ(At(one.image, 3, 10, 10), 14);
  ScriptedDraw twos{{}, 2};
  Painted six = PaintAll(24, 24, {6}, twos);
  EXPECT_EQ(At(six.image, 3, 10, 10), 3);
  ScriptedDraw threes{{}, 3};
  Painted six_odd = PaintAll(24, 24, {6}, threes);
  EXPECT_EQ(At(six_odd.image, 3, 10, 10), 8);
}

TEST(PaintRegion, KindTwoAlwaysGetsItsWaterVertex) {
  ScriptedDraw draw;  // count 0: no scatter at all
  const Painted painted = PaintAll(24, 24, {2}, draw);
  EXPECT_EQ(draw.calls, 1u);
  auto image = painted.image;
  // The cell starts at (6, 6); the water vertex is (10, 11) in an odd row, so its six
  // triangles are block 2 at (11, 10), (12, 10), (11, 11), block 3 at (11, 10), (11, 11),
  // (10, 11).
  for (auto [x, y] : {std::pair<std::size_t, std::size_t>{11, 10}, {12, 10}, {11, 11}}) {
    EXPECT_EQ(At(image, 2, x, y), 5) << x << "," << y;
  }
  for (auto [x, y] : {std::pair<std::size_t, std::size_t>{11, 10}, {11, 11}, {10, 11}}) {
    EXPECT_EQ(At(image, 3, x, y), 5) << x << "," << y;
  }
  EXPECT_EQ(At(image, 2, 10, 10), 4);
  EXPECT_EQ(At(image, 3, 10, 10), 4);
  EXPECT_EQ(At(image, 3, 6, 17), 4);
}

TEST(PaintRegion, ScatterDrawOrderOfKindsTwoAndFour) {
  // Kind 2: count 1, then code number 1 (code 14), dy 0, dx 0 -> vertex (10, 10).
  ScriptedDraw two{{1, 1, 0, 0}, 0};
  auto image = PaintAll(24, 24, {2}, two).image;
  EXPECT_EQ(two.calls, 4u);
  EXPECT_EQ(At(image, 2, 10, 9), 14);
  EXPECT_EQ(At(image, 3, 10, 10), 14);
  // Kind 4: 144 fill draws of 0 (code 1), count 1, dy 1, dx 2, code number 0 (code 2)
  // -> vertex (12, 11).
  ScriptedDraw four;
  for (int i = 0; i < 144; ++i) four.script.push_back(0);
  for (std::uint32_t value : {1U, 1U, 2U, 0U}) four.script.push_back(value);
  four.rest = 7;
  image = PaintAll(24, 24, {4}, four).image;
  EXPECT_EQ(four.calls, 148u);
  EXPECT_EQ(At(image, 3, 12, 11), 2);
  EXPECT_EQ(At(image, 3, 11, 11), 1);
  // Scattered vertices fall 4 to 6 vertices right of and below the cell's corner.
  ScriptedDraw far{{}, 0};
  for (int i = 0; i < 144; ++i) far.script.push_back(0);
  for (std::uint32_t value : {1U, 2U, 2U, 4U}) far.script.push_back(value);
  image = PaintAll(24, 24, {4}, far).image;
  EXPECT_EQ(At(image, 3, 12, 12), 18);
}

TEST(PaintRegion, EveryWriteStaysInsideTheTerrainBlocksForAnyMapSize) {
  std::vector<std::uint32_t> kinds;
  for (std::uint32_t i = 0; i < 100; ++i) kinds.push_back(i % 9);
  for (std::int32_t width = 1; width <= 40; ++width) {
    for (std::int32_t height = 1; height <= 40; ++height) {
      ScriptedDraw draw{{}, 0x9E3779B9};
      const Painted painted = PaintAll(width, height, kinds, draw);
      const auto n = static_cast<std::size_t>(width * height);
      ExpectOnlyTerrainDiffers(
          painted.image,
          MakeBlankMap(static_cast<std::size_t>(width), static_cast<std::size_t>(height)), n);
    }
  }
}

TEST(PaintRegion, SmallOrMisplacedRegionsNeverFault) {
  // Regions of 1 to 5 vertices make the halves and quarters 0; the draws are still taken.
  for (std::int32_t size = 1; size <= 5; ++size) {
    MapLayout layout;
    layout.region_width = size;
    layout.region_height = size;
    std::vector<std::uint32_t> kinds;
    for (std::uint32_t i = 0; i < 400; ++i) kinds.push_back(i % 8);
    ScriptedDraw draw{{}, 0xFFFFFFFF};
    const Painted painted = PaintAll(17, 9, kinds, draw, layout);
    ExpectOnlyTerrainDiffers(painted.image, MakeBlankMap(17, 9), 17 * 9);
  }
  // A region outside the grid, a kind list too short, and a layout bigger than the image.
  auto image = MakeBlankMap(24, 24);
  const auto before = image;
  const MapLayout layout = ComputeMapLayout(MapLayout{}, 24, 24);
  ScriptedDraw draw;
  PaintRegionWith(image, std::vector<std::uint32_t>{0}, 1, 0, layout, draw);
  PaintRegionWith(image, std::vector<std::uint32_t>{}, 0, 0, layout, draw);
  PaintRegionWith(image, std::vector<std::uint32_t>{0}, 0, 0, ComputeMapLayout(layout, 48, 48),
                  draw);
  EXPECT_EQ(image, before);
  EXPECT_EQ(draw.calls, 0u);
}

}  // namespace
}  // namespace plandrix
