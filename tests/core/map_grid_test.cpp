#include "core/map_grid.h"

#include <gtest/gtest.h>

#include <deque>
#include <vector>

namespace plandrix {
namespace {

// Steps from one vertex to every other by walking the six neighbours: the reference that
// the closed form must meet on every pair.
std::vector<std::size_t> WalkFrom(const MapGrid& grid, std::size_t start) {
  std::vector<std::size_t> steps(grid.size(), SIZE_MAX);
  std::deque<std::size_t> queue = {start};
  steps[start] = 0;
  while (!queue.empty()) {
    const std::size_t v = queue.front();
    queue.pop_front();
    for (const std::size_t u : grid.Neighbours(grid.PointOf(v))) {
      if (steps[u] != SIZE_MAX) continue;
      steps[u] = steps[v] + 1;
      queue.push_back(u);
    }
  }
  return steps;
}

TEST(MapGrid, NeighboursOfEvenAndOddRowsWrapAroundBothEdges) {
  const MapGrid grid(5, 4);
  // Even row 0, column 0: west and north-west wrap to column 4, the rows above to row 3.
  EXPECT_EQ(grid.Neighbours({0, 0}), (std::array<std::size_t, 6>{4, 19, 15, 1, 5, 9}));
  // Odd row 1, column 4: east, north-east and south-east wrap to column 0.
  EXPECT_EQ(grid.Neighbours({4, 1}), (std::array<std::size_t, 6>{8, 4, 0, 5, 10, 14}));
  // Each direction agrees with the array.
  for (std::size_t i = 0; i < 6; ++i) {
    EXPECT_EQ(grid.Neighbour(9, kDirections[i]), grid.Neighbours({4, 1})[i]);
  }
}

TEST(MapGrid, TrianglesAroundAVertex) {
  const MapGrid grid(4, 4);
  // Vertex (1, 1), odd: NW (1, 0) = 1, NE (2, 0) = 2, W (0, 1) = 4.
  const auto six = grid.TrianglesAround({1, 1});
  EXPECT_EQ(six[0], (Triangle{1, false}));
  EXPECT_EQ(six[1], (Triangle{1, true}));
  EXPECT_EQ(six[2], (Triangle{2, false}));
  EXPECT_EQ(six[3], (Triangle{5, true}));
  EXPECT_EQ(six[4], (Triangle{5, false}));
  EXPECT_EQ(six[5], (Triangle{4, true}));
}

TEST(MapGrid, DistanceIsTheShortestWalkOnEverySizeAndPair) {
  // Square, wide, narrow and tiny maps, even heights as the game has them.
  for (const auto& [w, h] : std::vector<std::pair<std::size_t, std::size_t>>{
           {8, 8}, {9, 6}, {31, 4}, {3, 20}, {1, 2}, {2, 2}, {12, 10}, {40, 2}}) {
    const MapGrid grid(w, h);
    for (std::size_t a = 0; a < grid.size(); ++a) {
      const auto steps = WalkFrom(grid, a);
      for (std::size_t b = 0; b < grid.size(); ++b) {
        ASSERT_EQ(grid.Distance(grid.PointOf(a), grid.PointOf(b)), steps[b])
            << w << " x " << h << " from " << a << " to " << b;
      }
    }
  }
}

TEST(MapGrid, DistanceOnAnOddHeightStaysWithinTheMap) {
  const MapGrid grid(7, 5);
  for (std::size_t a = 0; a < grid.size(); ++a) {
    for (std::size_t b = 0; b < grid.size(); ++b) {
      EXPECT_LE(grid.Distance(grid.PointOf(a), grid.PointOf(b)), 12u);
    }
  }
}

}  // namespace
}  // namespace plandrix
