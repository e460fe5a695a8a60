// What the six triangles around each vertex allow, as bits of one byte per vertex: the
// questions every placement pass asks, answered in one pass over the terrain.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "core/map_grid.h"
#include "core/terrain.h"

namespace plandrix::generate {

enum SurveyBit : std::uint8_t {
  kAllWater = 1 << 0,  // water kind all round: under water (ducks, fish)
  kAllVital = 1 << 1,  // buildable land all round: trees, farms
  kAllAnimalGround = 1 << 2,
  kAllHumid = 1 << 3,      // some humidity all round: the game keeps ground water
  kAllBuildable = 1 << 4,  // castle ground, as far as terrain goes
  kAnyDanger = 1 << 5,     // no one stands here
  kAnyWalkable = 1 << 6,
};

// The triangles around vertex v of TrianglesAround, walkable ones as bits 0 to 5.
std::uint8_t WalkableAround(const MapGrid& grid, std::span<const std::uint8_t> first,
                            std::span<const std::uint8_t> second, std::size_t v);

// The bits of every vertex (first and second: the terrain blocks).
std::vector<std::uint8_t> SurveyVertices(const MapGrid& grid, Landscape landscape,
                                         std::span<const std::uint8_t> first,
                                         std::span<const std::uint8_t> second);

}  // namespace plandrix::generate
