// The seas of a map as the game finds them: a sea point is a vertex whose six triangles
// are all water that ships sail on; a sea is a connected set of sea points on the wrapped
// grid. Harbours need a coast on a sea of more than 20 points.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "core/map_grid.h"
#include "core/terrain.h"

namespace plandrix {

// A harbour is kept on a coast of a sea larger than this.
inline constexpr std::size_t kSmallestHarbourSea = 21;

struct Seas {
  static constexpr std::uint32_t kNoSea = 0xFFFFFFFF;
  std::vector<std::uint32_t> sea_of;  // by vertex: its sea, or kNoSea
  std::vector<std::size_t> sizes;     // by sea: its points
};

// Whether all six triangles around p are shippable.
bool IsSeaPoint(const MapGrid& grid, std::span<const std::uint8_t> first,
                std::span<const std::uint8_t> second, Point p);

// Every sea of the map (first and second: the terrain blocks, each W x H bytes).
Seas FindSeas(const MapGrid& grid, std::span<const std::uint8_t> first,
              std::span<const std::uint8_t> second);

// Whether the harbour bit at v would be kept by the game: a neighbour other than the one
// to the north-west is coastal (no sea point, not water all around, next to a sea point of
// a sea of at least kSmallestHarbourSea points).
bool IsHarbourKept(const MapGrid& grid, Landscape landscape, std::span<const std::uint8_t> first,
                   std::span<const std::uint8_t> second, const Seas& seas, std::size_t v);

}  // namespace plandrix
