#include "inspect/seas.h"

#include <algorithm>

namespace plandrix {
namespace {

std::uint8_t TriangleByte(std::span<const std::uint8_t> first, std::span<const std::uint8_t> second,
                          Triangle triangle) {
  return triangle.second ? second[triangle.vertex] : first[triangle.vertex];
}

bool IsAllWater(const MapGrid& grid, Landscape landscape, std::span<const std::uint8_t> first,
                std::span<const std::uint8_t> second, Point p) {
  const auto six = grid.TrianglesAround(p);
  return std::all_of(six.begin(), six.end(), [&](Triangle t) {
    return IsWaterKind(landscape, TriangleByte(first, second, t));
  });
}

bool IsCoastal(const MapGrid& grid, Landscape landscape, std::span<const std::uint8_t> first,
               std::span<const std::uint8_t> second, const Seas& seas, std::size_t v) {
  const Point p = grid.PointOf(v);
  if (seas.sea_of[v] != Seas::kNoSea || IsAllWater(grid, landscape, first, second, p)) {
    return false;
  }
  for (const std::size_t u : grid.Neighbours(p)) {
    const std::uint32_t sea = seas.sea_of[u];
    if (sea != Seas::kNoSea && seas.sizes[sea] >= kSmallestHarbourSea) return true;
  }
  return false;
}

}  // namespace

bool IsSeaPoint(const MapGrid& grid, std::span<const std::uint8_t> first,
                std::span<const std::uint8_t> second, Point p) {
  const auto six = grid.TrianglesAround(p);
  return std::all_of(six.begin(), six.end(),
                     [&](Triangle t) { return IsShippable(TriangleByte(first, second, t)); });
}

Seas FindSeas(const MapGrid& grid, std::span<const std::uint8_t> first,
              std::span<const std::uint8_t> second) {
  Seas seas;
  const std::size_t n = grid.size();
  seas.sea_of.assign(n, Seas::kNoSea);
  std::vector<std::uint8_t> sea_point(n);
  for (std::size_t v = 0; v < n; ++v) {
    sea_point[v] = IsSeaPoint(grid, first, second, grid.PointOf(v)) ? 1 : 0;
  }
  std::vector<std::size_t> queue;
  for (std::size_t start = 0; start < n; ++start) {
    if (sea_point[start] == 0 || seas.sea_of[start] != Seas::kNoSea) continue;
    const auto id = static_cast<std::uint32_t>(seas.sizes.size());
    queue.assign(1, start);
    seas.sea_of[start] = id;
    for (std::size_t head = 0; head < queue.size(); ++head) {
      for (const std::size_t u : grid.Neighbours(grid.PointOf(queue[head]))) {
        if (sea_point[u] == 0 || seas.sea_of[u] != Seas::kNoSea) continue;
        seas.sea_of[u] = id;
        queue.push_back(u);
      }
    }
    seas.sizes.push_back(queue.size());
  }
  return seas;
}

bool IsHarbourKept(const MapGrid& grid, Landscape landscape, std::span<const std::uint8_t> first,
                   std::span<const std::uint8_t> second, const Seas& seas, std::size_t v) {
  const Point p = grid.PointOf(v);
  for (const Direction d : kDirections) {
    if (d == Direction::kNorthWest) continue;
    if (IsCoastal(grid, landscape, first, second, seas, grid.Index(grid.Neighbour(p, d)))) {
      return true;
    }
  }
  return false;
}

}  // namespace plandrix
