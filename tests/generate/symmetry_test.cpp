// The symmetries of the staggered, wrapped grid: where each map sends a vertex (a few
// worked out by hand), that it carries neighbours to neighbours in the mirrored direction,
// that it carries each triangle to the one between the images of its corners, and that
// copying the parts leaves a map that every symmetry maps onto itself.
#include "generate/symmetry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "core/map_grid.h"
#include "support/test_maps.h"

namespace plandrix::generate {
namespace {

constexpr std::array<Turn, 3> kTurns = {Turn::kLeftRight, Turn::kTopBottom, Turn::kHalfTurn};

// A group holding all three turns (four players ask for both mirrors).
SymmetryGroup AllTurns(const MapGrid& grid) { return SymmetryGroup(grid, Symmetry::kMirror, 4); }

// Where each turn sends the directions W, NW, NE, E, SE, SW (the order of kDirections).
Direction MappedDirection(Turn turn, Direction d) {
  using D = Direction;
  constexpr std::array<D, 6> kLeftRight = {D::kEast, D::kNorthEast, D::kNorthWest,
                                           D::kWest, D::kSouthWest, D::kSouthEast};
  constexpr std::array<D, 6> kTopBottom = {D::kWest, D::kSouthWest, D::kSouthEast,
                                           D::kEast, D::kNorthEast, D::kNorthWest};
  constexpr std::array<D, 6> kHalf = {D::kEast, D::kSouthEast, D::kSouthWest,
                                      D::kWest, D::kNorthWest, D::kNorthEast};
  const auto i = static_cast<std::size_t>(d);
  return turn == Turn::kLeftRight   ? kLeftRight[i]
         : turn == Turn::kTopBottom ? kTopBottom[i]
                                    : kHalf[i];
}

std::array<std::size_t, 3> Corners(const MapGrid& grid, Triangle t) {
  const Point p = grid.PointOf(t.vertex);
  const Point third = grid.Neighbour(p, t.second ? Direction::kEast : Direction::kSouthWest);
  std::array<std::size_t, 3> corners = {
      t.vertex, grid.Index(grid.Neighbour(p, Direction::kSouthEast)), grid.Index(third)};
  std::sort(corners.begin(), corners.end());
  return corners;
}

TEST(Symmetry, SendsVerticesWhereTheStaggeredRowsPutThem) {
  const MapGrid grid(8, 4);
  const SymmetryGroup group = AllTurns(grid);
  struct Case {
    Turn turn;
    Point from, to;
  };
  // Odd rows lie half a step right: mirrored, column x of an odd row faces column 6 - x,
  // and column 7 lies on the seam's axis. Flipped, row y goes to row 4 - y (0 and 2 stay).
  const Case cases[] = {
      {Turn::kLeftRight, {0, 0}, {7, 0}}, {Turn::kLeftRight, {3, 0}, {4, 0}},
      {Turn::kLeftRight, {0, 1}, {6, 1}}, {Turn::kLeftRight, {3, 1}, {3, 1}},
      {Turn::kLeftRight, {7, 1}, {7, 1}}, {Turn::kTopBottom, {5, 1}, {5, 3}},
      {Turn::kTopBottom, {5, 0}, {5, 0}}, {Turn::kTopBottom, {5, 2}, {5, 2}},
      {Turn::kHalfTurn, {0, 1}, {6, 3}},  {Turn::kHalfTurn, {2, 2}, {5, 2}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(grid.PointOf(group.MapVertex(c.turn, grid.Index(c.from))), c.to)
        << static_cast<int>(c.turn) << " from " << c.from.x << "," << c.from.y;
  }
}

TEST(Symmetry, CarriesNeighboursAndTrianglesAcrossTheSeams) {
  for (const auto& [w, h] : {std::pair<std::size_t, std::size_t>{8, 4}, {9, 6}, {12, 10}}) {
    const MapGrid grid(w, h);
    const SymmetryGroup group = AllTurns(grid);
    for (const Turn turn : kTurns) {
      for (std::size_t v = 0; v < grid.size(); ++v) {
        const std::size_t image = group.MapVertex(turn, v);
        EXPECT_EQ(group.MapVertex(turn, image), v);
        for (const Direction d : kDirections) {
          ASSERT_EQ(group.MapVertex(turn, grid.Neighbour(v, d)),
                    grid.Neighbour(image, MappedDirection(turn, d)))
              << w << "x" << h << " turn " << static_cast<int>(turn) << " v " << v;
        }
        for (const bool second : {false, true}) {
          const Triangle t{v, second};
          auto mapped = Corners(grid, t);
          for (std::size_t& c : mapped) c = group.MapVertex(turn, c);
          std::sort(mapped.begin(), mapped.end());
          ASSERT_EQ(Corners(grid, group.MapTriangle(turn, t)), mapped);
        }
      }
    }
  }
}

TEST(Symmetry, PartsFollowThePlayers) {
  const MapGrid grid(16, 16);
  EXPECT_EQ(SymmetryGroup(grid, Symmetry::kNone, 4).parts(), 1u);
  EXPECT_EQ(SymmetryGroup(grid, Symmetry::kMirror, 2).turns()[1], Turn::kLeftRight);
  EXPECT_EQ(SymmetryGroup(grid, Symmetry::kRotate, 2).turns()[1], Turn::kHalfTurn);
  EXPECT_EQ(SymmetryGroup(grid, Symmetry::kRotate, 3).parts(), 2u);
  EXPECT_EQ(SymmetryGroup(grid, Symmetry::kRotate, 8).parts(), 4u);
}

TEST(Symmetry, CopiedPartsAreMappedByEverySymmetry) {
  const std::size_t w = 11;
  const std::size_t h = 8;
  auto image = testing::MakeBlankMap(w, h);
  for (std::size_t i = kHeaderSize; i + 1 < image.size(); ++i) {
    image[i] = static_cast<std::uint8_t>((i * 37) ^ (i >> 3));
  }
  const MapGrid grid(w, h);
  const MapBlocks blocks = *BlocksOf(image, w, h);
  const SymmetryGroup group = AllTurns(grid);
  CopyParts(group, blocks);
  const auto triangle = [&](Triangle t) {
    return TerrainCode(t.second ? blocks.second[t.vertex] : blocks.first[t.vertex]);
  };
  for (const Turn turn : kTurns) {
    for (std::size_t v = 0; v < grid.size(); ++v) {
      const std::size_t u = group.MapVertex(turn, v);
      for (const auto block : {blocks.heights, blocks.object_index, blocks.object_type,
                               blocks.animals, blocks.resources}) {
        ASSERT_EQ(block[u], block[v]);
      }
      EXPECT_EQ(blocks.first[u] & ~kTerrainCodeMask, blocks.first[v] & ~kTerrainCodeMask);
      EXPECT_EQ(triangle(group.MapTriangle(turn, {v, false})), triangle({v, false}));
      EXPECT_EQ(triangle(group.MapTriangle(turn, {v, true})), triangle({v, true}));
    }
  }
}

}  // namespace
}  // namespace plandrix::generate
