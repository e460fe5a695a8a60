#include "generate/symmetry.h"

#include <algorithm>
#include <cstdint>

namespace plandrix::generate {
namespace {

// Triangles in one order: the first of each vertex before its second.
std::size_t TriangleOrder(Triangle t) { return 2 * t.vertex + (t.second ? 1 : 0); }

}  // namespace

SymmetryGroup::SymmetryGroup(const MapGrid& grid, Symmetry symmetry, std::size_t players)
    : grid_(grid) {
  turns_[0] = Turn::kSame;
  if (symmetry == Symmetry::kNone) return;
  if (players % 4 == 0) {
    turns_ = {Turn::kSame, Turn::kLeftRight, Turn::kTopBottom, Turn::kHalfTurn};
    count_ = 4;
    return;
  }
  turns_[1] = symmetry == Symmetry::kMirror ? Turn::kLeftRight : Turn::kHalfTurn;
  count_ = 2;
}

std::size_t SymmetryGroup::MirrorColumn(std::size_t x, std::size_t y) const {
  const std::size_t w = grid_.width();
  if ((y & 1) == 0) return w - 1 - x;
  return x == w - 1 ? w - 1 : w - 2 - x;
}

Point SymmetryGroup::MapPoint(Turn turn, Point p) const {
  const std::size_t flipped_row = p.y == 0 ? 0 : grid_.height() - p.y;
  switch (turn) {
    case Turn::kSame:
      return p;
    case Turn::kLeftRight:
      return {MirrorColumn(p.x, p.y), p.y};
    case Turn::kTopBottom:
      return {p.x, flipped_row};
    case Turn::kHalfTurn:
      return {MirrorColumn(p.x, p.y), flipped_row};
  }
  return p;
}

SymmetryGroup::PlacedTriangle SymmetryGroup::MapPlacedTriangle(Turn turn, Point p,
                                                               bool second) const {
  const Point image = MapPoint(turn, p);
  switch (turn) {
    case Turn::kSame:
      return {p, second};
    case Turn::kLeftRight:
      return {second ? grid_.Neighbour(image, Direction::kWest) : image, second};
    case Turn::kTopBottom:
      return {grid_.Neighbour(image, second ? Direction::kNorthEast : Direction::kNorthWest),
              !second};
    case Turn::kHalfTurn:
      return {grid_.Neighbour(image, Direction::kNorthWest), !second};
  }
  return {p, second};
}

std::size_t SymmetryGroup::MapVertex(Turn turn, std::size_t v) const {
  return grid_.Index(MapPoint(turn, grid_.PointOf(v)));
}

Triangle SymmetryGroup::MapTriangle(Turn turn, Triangle t) const {
  const PlacedTriangle image = MapPlacedTriangle(turn, grid_.PointOf(t.vertex), t.second);
  return {grid_.Index(image.owner), image.second};
}

std::size_t SymmetryGroup::CanonicalVertex(std::size_t v) const {
  if (count_ == 1) return v;
  const Point p = grid_.PointOf(v);
  std::size_t least = v;
  for (const Turn turn : turns().subspan(1))
    least = std::min(least, grid_.Index(MapPoint(turn, p)));
  return least;
}

std::size_t SymmetryGroup::RowsFromTurnedSeam(std::size_t y) const {
  if (count_ != 2 || turns_[1] != Turn::kHalfTurn) return SIZE_MAX;
  const std::size_t half = grid_.height() / 2;
  const std::size_t in_half = y % half;
  return std::min(in_half, half - in_half);
}

Triangle SymmetryGroup::CanonicalTriangle(Triangle t) const {
  const Point p = grid_.PointOf(t.vertex);
  Triangle least = t;
  for (const Turn turn : turns().subspan(1)) {
    const PlacedTriangle image = MapPlacedTriangle(turn, p, t.second);
    const Triangle placed{grid_.Index(image.owner), image.second};
    if (TriangleOrder(placed) < TriangleOrder(least)) least = placed;
  }
  return least;
}

void CopyParts(const SymmetryGroup& group, const MapBlocks& blocks) {
  if (group.parts() == 1) return;
  // A canonical vertex or triangle is its own canonical image, so it is never written:
  // every byte read below is one that the copy leaves as it is.
  const std::array<std::span<std::uint8_t>, 5> per_vertex = {
      blocks.heights, blocks.object_index, blocks.object_type, blocks.animals, blocks.resources};
  const auto code_of = [&](Triangle t) {
    return TerrainCode(t.second ? blocks.second[t.vertex] : blocks.first[t.vertex]);
  };
  for (std::size_t v = 0; v < blocks.n; ++v) {
    const std::size_t source = group.CanonicalVertex(v);
    if (source != v) {
      for (const auto block : per_vertex) block[v] = block[source];
    }
    const auto flag = static_cast<std::uint8_t>(blocks.first[source] & ~kTerrainCodeMask);
    blocks.first[v] =
        static_cast<std::uint8_t>(flag | code_of(group.CanonicalTriangle({v, false})));
    blocks.second[v] = code_of(group.CanonicalTriangle({v, true}));
  }
}

}  // namespace plandrix::generate
