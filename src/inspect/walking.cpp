#include "inspect/walking.h"

#include <algorithm>
#include <deque>

namespace plandrix {
namespace {

bool HoldsFacts(const VertexFacts& facts, std::size_t n) {
  return facts.around.size() == n && facts.objects.size() == n && facts.walk.size() == n;
}

void MarkSeen(LayerVector<std::uint64_t>& seen, std::size_t v) {
  seen[v / 64] |= std::uint64_t{1} << (v % 64);
}

// The most vertices a walk of radius steps from count starts can reach: 3r(r + 1) + 1 per
// start, and never more than the map. Reserved at once, so that the queue never moves.
std::size_t MostReached(std::size_t count, std::uint32_t radius, std::size_t vertices) {
  if (radius >= 0xFFFF) return vertices;
  const std::size_t r = radius;
  return std::min(vertices, count * (3 * r * (r + 1) + 1));
}

// Puts every start on its own vertex (steps 0), in start order.
void SeedStarts(Walk& walk, const MapGrid& grid, std::span<const std::size_t> starts,
                std::uint32_t radius) {
  const std::size_t count = std::min(starts.size(), kMostStarts);
  walk.reached.reserve(MostReached(count, radius, grid.size()));
  for (std::size_t s = 0; s < count; ++s) {
    const std::size_t v = starts[s];
    if (v >= grid.size() || walk.Reached(v)) continue;
    MarkSeen(walk.seen, v);
    const Point p = grid.PointOf(v);
    walk.reached.push_back({0, static_cast<std::uint16_t>(p.x), static_cast<std::uint16_t>(p.y),
                            static_cast<std::uint8_t>(s)});
  }
}

bool IsWalkableVertexPlain(const MapLayers& layers, std::span<const VertexObject> objects,
                           const MapGrid& grid, Point p) {
  bool any_walkable = false;
  for (const Triangle& triangle : grid.TrianglesAround(p)) {
    const std::uint8_t byte = (triangle.second ? layers.second : layers.first)[triangle.vertex];
    if (IsDanger(byte)) return false;
    any_walkable = any_walkable || IsWalkable(byte);
  }
  const VertexObject object = objects[grid.Index(p)];
  return any_walkable && (LeavesVertexFree(object) || IsTree(object));
}

// Steps from start to every vertex on its own, up to radius.
std::vector<std::uint32_t> PlainStepsFrom(const MapLayers& layers,
                                          std::span<const VertexObject> objects,
                                          const MapGrid& grid, std::size_t start,
                                          std::uint32_t radius) {
  std::vector<std::uint32_t> steps(grid.size(), kUnlimitedSteps);
  std::deque<std::size_t> queue = {start};
  steps[start] = 0;
  while (!queue.empty()) {
    const std::size_t v = queue.front();
    queue.pop_front();
    if (steps[v] >= radius) continue;
    for (const Direction d : kDirections) {
      const std::size_t u = grid.Neighbour(v, d);
      if (steps[u] == kUnlimitedSteps && IsWalkableEdge(layers, objects, grid.PointOf(v), d)) {
        steps[u] = steps[v] + 1;
        queue.push_back(u);
      }
    }
  }
  return steps;
}

}  // namespace

bool IsWalkableEdge(const MapLayers& layers, std::span<const VertexObject> objects, Point p,
                    Direction direction) {
  if (!HoldsLayers(layers)) return false;
  const MapGrid grid(layers.width, layers.height);
  if (objects.size() < grid.size() || p.x >= grid.width() || p.y >= grid.height()) return false;
  const Point q = grid.Neighbour(p, direction);
  if (!IsWalkableVertexPlain(layers, objects, grid, p) ||
      !IsWalkableVertexPlain(layers, objects, grid, q)) {
    return false;
  }
  const auto triangles = grid.TrianglesAround(p);
  const auto& sides = kEdgeTriangles[static_cast<std::size_t>(direction)];
  const auto byte_of = [&](std::size_t side) {
    const Triangle& t = triangles[sides[side]];
    return (t.second ? layers.second : layers.first)[t.vertex];
  };
  if (IsDanger(byte_of(0)) || IsDanger(byte_of(1))) return false;
  return IsWalkable(byte_of(0)) || IsWalkable(byte_of(1));
}

// A breadth-first walk from all starts in one queue. Steps never decrease along the queue,
// and within one number of steps the vertices stand in the order of their start's numbers
// (true of the starts, and kept: each vertex's newly reached neighbours go to the end).
// So the first vertex to reach a neighbour is the lowest-numbered of the nearest starts.
Walk WalkFrom(const MapLayers& layers, const VertexFacts& facts,
              std::span<const std::size_t> starts, std::uint32_t radius) {
  Walk walk;
  if (!HoldsLayers(layers)) return walk;
  const MapGrid grid(layers.width, layers.height);
  if (!HoldsFacts(facts, grid.size())) return walk;
  walk.width = layers.width;
  walk.seen.assign((grid.size() + 63) / 64, 0);
  SeedStarts(walk, grid, starts, radius);
  const std::uint8_t* walk_bits = facts.walk.data();
  for (std::size_t head = 0; head < walk.reached.size(); ++head) {
    const WalkedVertex from = walk.reached[head];  // a copy: reached grows below
    if (from.steps >= radius) continue;
    const Point p{from.x, from.y};
    const std::uint8_t edges = walk_bits[grid.Index(p)];
    if ((edges & kWalkableVertex) == 0) continue;
    const std::array<Point, 6> near = grid.NeighbourPoints(p);
    for (std::size_t i = 0; i < near.size(); ++i) {
      if (((edges >> i) & 1U) == 0) continue;
      const Point q = near[i];
      const std::size_t u = grid.Index(q);
      if (walk.Reached(u) || (walk_bits[u] & kWalkableVertex) == 0) continue;
      MarkSeen(walk.seen, u);
      walk.reached.push_back({from.steps + 1, static_cast<std::uint16_t>(q.x),
                              static_cast<std::uint16_t>(q.y), from.start});
    }
  }
  return walk;
}

VertexWalk SpreadWalk(const Walk& walk, std::size_t vertices) {
  VertexWalk spread{LayerVector<std::uint8_t>(vertices, kNoStart),
                    LayerVector<std::uint32_t>(vertices, kUnlimitedSteps)};
  for (const WalkedVertex& vertex : walk.reached) {
    const std::size_t v = walk.IndexOf(vertex);
    if (v >= vertices) continue;
    spread.start[v] = vertex.start;
    spread.steps[v] = vertex.steps;
  }
  return spread;
}

VertexWalk WalkFromPlain(const MapLayers& layers, std::span<const VertexObject> objects,
                         std::span<const std::size_t> starts, std::uint32_t radius) {
  if (!HoldsLayers(layers)) return {};
  const MapGrid grid(layers.width, layers.height);
  if (objects.size() < grid.size()) return {};
  VertexWalk walk{LayerVector<std::uint8_t>(grid.size(), kNoStart),
                  LayerVector<std::uint32_t>(grid.size(), kUnlimitedSteps)};
  for (std::size_t s = 0; s < std::min(starts.size(), kMostStarts); ++s) {
    if (starts[s] >= grid.size()) continue;
    const std::vector<std::uint32_t> steps =
        PlainStepsFrom(layers, objects, grid, starts[s], radius);
    for (std::size_t v = 0; v < grid.size(); ++v) {
      if (steps[v] < walk.steps[v]) {  // strictly: an earlier start keeps a tie
        walk.steps[v] = steps[v];
        walk.start[v] = static_cast<std::uint8_t>(s);
      }
    }
  }
  return walk;
}

}  // namespace plandrix
