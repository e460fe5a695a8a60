// The natural world of a generated map: heights, terrain, resources, trees, granite and
// animals, from a seed, with no players yet.
//
// The same options give the same bytes on every compiler and platform: every field is
// integer value noise (noise.h) drawn from the project's twister, every per-vertex draw a
// mix of the seed and the vertex.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/large_buffer.h"
#include "core/map_grid.h"
#include "core/terrain.h"
#include "generate/symmetry.h"

namespace plandrix::generate {

enum class Style : std::uint8_t {
  kLand,     // one land with lakes: about 15 % water
  kIslands,  // an island for each player and smaller ones, on one sea: about 70 % water
  kMixed,    // continents and seas: about 40 % water
};

struct WorldOptions {
  std::size_t width = 256;   // 32 to 2048
  std::size_t height = 256;  // 32 to 2048, even
  Style style = Style::kLand;
  Landscape landscape = Landscape::kGreenland;
  Symmetry symmetry = Symmetry::kNone;
  std::size_t players = 4;  // 1 to 8: home islands, parts of a symmetric world
  std::uint32_t seed = 0;
};

// Whether the options describe a world this program generates (sizes, even height,
// players); GenerateWorld gives an empty image for others.
bool IsValidWorld(const WorldOptions& options);

struct World {
  // A whole map image (CreateBlankMap's layout, the landscape byte set) with heights,
  // terrain and harbour places, resources, trees, granite and animals filled in; empty
  // when the options are not valid or memory cannot hold the map.
  LargeBuffer image;
  // Islands: a vertex near the middle of each player's home island, in the order of the
  // symmetry's parts (every part holds the same number). Empty for the other styles.
  std::vector<Point> homes;
};

World GenerateWorld(const WorldOptions& options);

}  // namespace plandrix::generate
