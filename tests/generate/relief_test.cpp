// The two rules the shape of every generated world rests on, on tiny maps worked out by
// hand: no step between neighbours above 5 (across the seam too), lowering as little as
// that takes; and a triangle takes the middle band of its three corners.
#include "generate/relief.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "core/map_grid.h"
#include "core/terrain.h"
#include "generate/paint.h"

namespace plandrix::generate {
namespace {

TEST(Relief, LimitStepsLowersAsLittleAsItMustAroundTheSeam) {
  const MapGrid grid(8, 4);
  std::vector<std::uint8_t> heights(grid.size(), 10);
  heights[grid.Index({0, 0})] = 30;  // its west neighbour is (7, 0), across the seam
  heights[grid.Index({4, 2})] = 18;  // a plateau of two: 18 next to 16
  heights[grid.Index({5, 2})] = 16;
  LimitSteps(grid, heights);
  EXPECT_EQ(heights[grid.Index({0, 0})], 15);
  EXPECT_EQ(heights[grid.Index({7, 0})], 10);
  EXPECT_EQ(heights[grid.Index({4, 2})], 15);
  EXPECT_EQ(heights[grid.Index({5, 2})], 15);
  for (std::size_t v = 0; v < grid.size(); ++v) {
    for (const std::size_t u : grid.Neighbours(grid.PointOf(v))) {
      EXPECT_LE(heights[v], heights[u] + 5) << v << " next to " << u;
    }
  }
}

TEST(Relief, TrianglesTakeTheMiddleBandOfTheirCorners) {
  const MapGrid grid(8, 4);
  const std::size_t n = grid.size();
  Relief relief{std::vector<Band>(n, Band::kLowland), std::vector<std::int16_t>(n, 1000),
                std::vector<std::int16_t>(n), std::vector<std::int16_t>(n)};
  // Vertex (2, 1) (an odd row) and its south-west and south-east neighbours (2, 2) and
  // (3, 2) are mountain; a lone water vertex makes no water triangle.
  for (const Point p : {Point{2, 1}, Point{2, 2}, Point{3, 2}}) {
    relief.bands[grid.Index(p)] = Band::kMountain;
  }
  relief.bands[grid.Index({6, 0})] = Band::kDeepWater;
  const std::vector<std::uint8_t> heights(n, 20);
  std::vector<std::uint8_t> first(n);
  std::vector<std::uint8_t> second(n);
  PaintTerrain(grid, Landscape::kGreenland, relief, heights, first, second);
  std::size_t mountains = 0;
  for (std::size_t v = 0; v < n; ++v) {
    mountains += (IsMineable(first[v]) ? 1 : 0) + (IsMineable(second[v]) ? 1 : 0);
    EXPECT_NE(first[v], kWater);
    EXPECT_NE(second[v], kWater);
  }
  // The triangles with two or three mountain corners: the first of (2, 1) (all three),
  // the second of (2, 1) (with (3, 2) and (3, 1)), the second of (1, 1) (with (2, 2) and
  // (2, 1)) and the second of (2, 2) (with (2, 3) and (3, 2)); the first of (2, 2) has one.
  EXPECT_TRUE(IsMineable(first[grid.Index({2, 1})]));
  EXPECT_TRUE(IsMineable(second[grid.Index({2, 1})]));
  EXPECT_TRUE(IsMineable(second[grid.Index({1, 1})]));
  EXPECT_TRUE(IsMineable(second[grid.Index({2, 2})]));
  EXPECT_FALSE(IsMineable(first[grid.Index({2, 2})]));
  EXPECT_EQ(mountains, 4u);
}

}  // namespace
}  // namespace plandrix::generate
