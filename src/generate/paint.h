// The terrain of a generated world: both triangles of every vertex from the bands of their
// three corners (the middle one), and within a band from their mean height, moisture and
// variety; with only codes that the landscape defines.
#pragma once

#include <cstdint>
#include <span>

#include "core/map_format.h"
#include "core/map_grid.h"
#include "core/terrain.h"
#include "generate/relief.h"

namespace plandrix::generate {

// Writes the terrain blocks (first and second, W x H bytes each; no harbour bits).
void PaintTerrain(const MapGrid& grid, Landscape landscape, const Relief& relief,
                  std::span<const std::uint8_t> heights, std::span<std::uint8_t> first,
                  std::span<std::uint8_t> second);

}  // namespace plandrix::generate
