// Where the game's people can walk on a fresh map, and the walk from several starts at
// once (one per player) that gives every vertex the start nearest to it in steps.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "core/map_grid.h"
#include "inspect/building_quality.h"

namespace plandrix {

// A vertex can be walked on when no danger triangle touches it, at least one of its six
// triangles is walkable ground (buildable, mine or walkable) and nothing stands on it but
// a tree or a plain decoration. around is the vertex's byte of VertexFacts.
constexpr bool IsWalkableVertex(std::uint8_t around, VertexObject object) {
  return (around & (kAnyDanger | kAnyWalkable)) == kAnyWalkable &&
         (LeavesVertexFree(object) || IsTree(object));
}

// The two triangles on each edge of a vertex P, by the direction of the edge (the order of
// kDirections), as positions in MapGrid::TrianglesAround (0 NW's first, 1 NW's second,
// 2 NE's first, 3 P's second, 4 P's first, 5 W's second):
//   W:  W's second and NW's first      E:  NE's first and P's second
//   NW: NW's first and second          SE: P's second and first
//   NE: NW's second and NE's first     SW: P's first and W's second
// Going round P, the edge in direction i lies between triangles i - 1 and i (mod 6).
inline constexpr std::array<std::array<std::size_t, 2>, 6> kEdgeTriangles = {
    {{5, 0}, {0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 5}}};

// An edge can be walked along when both its vertices can be walked on, neither of its two
// triangles is danger and one of them is walkable ground. Read through the grid, vertex by
// vertex; objects are those of ReadObjects. False when the layers do not hold the map.
bool IsWalkableEdge(const MapLayers& layers, std::span<const VertexObject> objects, Point p,
                    Direction direction);

inline constexpr std::uint8_t kNoStart = 0xFF;
inline constexpr std::size_t kMostStarts = kNoStart;  // starts 0 to 254
inline constexpr std::uint32_t kUnlimitedSteps = 0xFFFFFFFF;

struct WalkedVertex {
  std::uint32_t steps = 0;
  std::uint16_t x = 0;
  std::uint16_t y = 0;
  std::uint8_t start = 0;  // the number of the start that reached it
  friend bool operator==(const WalkedVertex&, const WalkedVertex&) = default;
};

struct Walk {
  std::size_t width = 0;
  // Every vertex reached, once, in the order reached: steps never decrease along it. (It
  // is the walk's queue.)
  LayerVector<WalkedVertex> reached;
  // One bit per vertex (bit v % 64 of word v / 64): reached.
  LayerVector<std::uint64_t> seen;

  std::size_t IndexOf(const WalkedVertex& vertex) const { return vertex.y * width + vertex.x; }
  bool Reached(std::size_t v) const {
    return v / 64 < seen.size() && ((seen[v / 64] >> (v % 64)) & 1U) != 0;
  }
};

// Walks from starts (vertex indexes; start number s is starts[s]) at once, up to
// radius steps (kUnlimitedSteps: as far as the ground goes). Every vertex reached gets the
// start it is the fewest steps from, the lower start number on a tie. A start's own vertex
// is its own with 0 steps even where it cannot be walked on (no step leads out of such a
// vertex); a start outside the map, a start on an earlier start's vertex, and starts
// after the first kMostStarts are left out. facts are ReadVertexFacts(layers); empty when
// the layers or facts do not hold the map.
Walk WalkFrom(const MapLayers& layers, const VertexFacts& facts,
              std::span<const std::size_t> starts, std::uint32_t radius);

// The walk's answer per vertex: kNoStart and kUnlimitedSteps where it did not reach.
struct VertexWalk {
  LayerVector<std::uint8_t> start;
  LayerVector<std::uint32_t> steps;
  friend bool operator==(const VertexWalk&, const VertexWalk&) = default;
};
VertexWalk SpreadWalk(const Walk& walk, std::size_t vertices);

// The same walk as the rule states it: the steps from each start on its own, through the
// grid and IsWalkableEdge; for each vertex the nearest start, the lower on a tie. Slow
// (starts x vertices); what the tests hold WalkFrom to.
VertexWalk WalkFromPlain(const MapLayers& layers, std::span<const VertexObject> objects,
                         std::span<const std::size_t> starts, std::uint32_t radius);

}  // namespace plandrix
