// The symmetries of a generated world: maps of the staggered, wrapped grid onto itself
// that carry every vertex to a vertex and every triangle to a triangle.
//
// Vertex (x, y) of a W x H world (H even); odd rows lie half a step to the right:
//   left-right mirror:  (x, y) -> (W - 1 - x, y) in even rows, ((W - 2 - x) mod W, y) in
//                       odd rows; W and E, NW and NE, SW and SE change places.
//   top-bottom mirror:  (x, y) -> (x, (H - y) mod H); rows keep their parity (H is even),
//                       so a vertex keeps its column; NW and SW, NE and SE change places.
//   half turn:          both mirrors one after the other: the left-right mirror's column
//                       in row (H - y) mod H; W and E, NW and SE, NE and SW change places.
// A triangle goes where its three corners go:
//   left-right:  first(v) -> first(v'),       second(v) -> second(W of v')
//   top-bottom:  first(v) -> second(NW of v'), second(v) -> first(NE of v')
//   half turn:   first(v) -> second(NW of v'), second(v) -> first(NW of v')
// with v' the image of v. The world wraps, so each mirror has two axes (for left-right, the
// middle column and the seam) and is consistent across the seam.
//
// A symmetric world is generated in one part and copied: of each set of vertices (or
// triangles) that the symmetries carry into each other, the one with the least index is
// the one generated, and every other takes its bytes. For the mirrors the part is bounded
// by their axes; for the half turn alone, by rows 0 and H / 2, which it turns end for end.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "core/map_format.h"
#include "core/map_grid.h"

namespace plandrix::generate {

enum class Symmetry : std::uint8_t { kNone, kMirror, kRotate };

enum class Turn : std::uint8_t { kSame, kLeftRight, kTopBottom, kHalfTurn };

// The symmetries of a world and their maps of its grid.
class SymmetryGroup {
 public:
  // The group for a symmetry and a number of players: none; for a multiple of four
  // players both mirrors (and so the half turn: four parts, whether the symmetry asked
  // for is mirror or rotate, since a quarter turn carries no staggered grid onto itself);
  // else the left-right mirror or the half turn (two parts).
  SymmetryGroup(const MapGrid& grid, Symmetry symmetry, std::size_t players);

  // The maps, the identity first; their number is the number of parts.
  std::span<const Turn> turns() const { return std::span(turns_.data(), count_); }
  std::size_t parts() const { return count_; }

  std::size_t MapVertex(Turn turn, std::size_t v) const;
  Triangle MapTriangle(Turn turn, Triangle triangle) const;

  // The image of v (of the triangle) with the least index: the one whose bytes it takes.
  std::size_t CanonicalVertex(std::size_t v) const;
  // A half turn alone turns the seams of the generated part (rows 0 and H / 2) end for end
  // instead of holding them in place as a mirror holds its axes, so a field copied from the
  // part would break there: the rows from y to the nearer of them, for the fields to blend
  // with their turned image near them. The largest size_t for every other group.
  std::size_t RowsFromTurnedSeam(std::size_t y) const;
  Triangle CanonicalTriangle(Triangle triangle) const;
  bool IsCanonical(std::size_t v) const { return CanonicalVertex(v) == v; }

 private:
  struct PlacedTriangle {
    Point owner;
    bool second = false;
  };
  std::size_t MirrorColumn(std::size_t x, std::size_t y) const;
  // The maps on points (no division by the width on the way).
  Point MapPoint(Turn turn, Point p) const;
  PlacedTriangle MapPlacedTriangle(Turn turn, Point p, bool second) const;

  MapGrid grid_;
  std::array<Turn, 4> turns_{};
  std::size_t count_ = 1;
};

// Gives every vertex and triangle the bytes of its canonical image: heights, terrain (the
// harbour bit goes with its vertex, the code with its triangle), objects, animals and
// resources.
void CopyParts(const SymmetryGroup& group, const MapBlocks& blocks);

}  // namespace plandrix::generate
