// The painting's geometry as the export sees it: which triangles a vertex paints, which
// vertices paint a triangle, and what each colour paints.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

#include "core/map_layout.h"
#include "support/test_maps.h"
#include "transform/bitmap_terrain.h"

namespace plandrix {
namespace {

// Every size from 1 x 1 to 13 x 13 (the interior rule needs a few rows and columns on
// each side): the painters of each triangle are exactly the vertices whose painting, done
// one vertex at a time into a map, writes it.
TEST(PaintersOfTriangle, AreTheInverseOfThePainting) {
  for (std::size_t width = 1; width <= 13; ++width) {
    for (std::size_t height = 1; height <= 13; ++height) {
      const std::size_t n = width * height;
      std::vector<std::vector<std::size_t>> expected(2 * n);
      for (std::size_t v = 0; v < n; ++v) {
        // Mark the painted triangles with a texture no blank map holds.
        auto image = testing::MakeBlankMap(width, height);
        SetVertexTexture(v % width, v / width, image, 99, width, height);
        for (std::size_t i = 0; i < n; ++i) {
          if (image[BlockDataOffset(kTerrainBlock1, n) + i] == 99) expected[2 * i].push_back(v);
          if (image[BlockDataOffset(kTerrainBlock2, n) + i] == 99) {
            expected[2 * i + 1].push_back(v);
          }
        }
        std::array<TerrainTriangle, 6> painted{};
        const std::size_t count = TrianglesPaintedBy(v % width, v / width, width, height, painted);
        std::size_t marked = 0;
        for (std::size_t i = 0; i < 2 * n; ++i) {
          marked += static_cast<std::size_t>(std::count(expected[i].begin(), expected[i].end(), v));
        }
        ASSERT_EQ(count, marked) << width << " x " << height << " vertex " << v;
      }
      for (std::size_t i = 0; i < 2 * n; ++i) {
        std::array<std::size_t, kMostPainters> painters{};
        const TerrainTriangle triangle{i % 2 == 0 ? kTerrainBlock1 : kTerrainBlock2, i / 2};
        const std::size_t count = PaintersOfTriangle(triangle, width, height, painters);
        ASSERT_LT(expected[i].size(), kMostPainters);
        EXPECT_EQ(std::vector<std::size_t>(painters.begin(), painters.begin() + count), expected[i])
            << width << " x " << height << " triangle " << i;
      }
    }
  }
}

TEST(PaintOfColour, FollowsTheWalk) {
  struct Case {
    std::uint8_t colour, texture, rank;
  };
  constexpr Case kCases[] = {{0, 0, 0},  {13, 0, 0},  {1, 16, 1},   {9, 16, 16},
                             {4, 5, 2},  {12, 5, 15}, {8, 18, 5},   {5, 18, 13},
                             {11, 4, 4}, {3, 14, 6},  {10, 0, 7},   {2, 8, 8},
                             {6, 3, 9},  {7, 1, 11},  {14, 15, 12}, {15, 2, 14}};
  for (const Case& c : kCases) {
    const ColourPaint paint = PaintOfColour(c.colour);
    EXPECT_EQ(paint.rank, c.rank) << int{c.colour};
    if (c.rank != 0) {
      EXPECT_EQ(paint.texture, c.texture) << int{c.colour};
    }
  }
}

}  // namespace
}  // namespace plandrix
