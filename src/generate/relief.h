// The shape of a generated world: its heights and what each vertex is (sea, shallow
// coast, dry coast, lowland, the foot of a mountain, mountain, peak), from fields of noise.
//
// Elevation is several octaves of noise, its coordinates bent by two slower noises (so
// that coasts and ranges follow no line of the lattice); the sea covers the lowest share
// of the vertices that the style asks for. Mountain ranges follow the crests of a second
// noise (where it crosses zero), broken into chains by a third and kept away from coasts.
// Islands add a dome for each home island and a moat around it. Heights rise gently over
// the lowland and steeply in the ranges; no step between neighbours exceeds kMostStep.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "core/map_grid.h"
#include "generate/noise.h"
#include "generate/symmetry.h"
#include "generate/world.h"

namespace plandrix::generate {

// The largest height difference between neighbours: the game's walking table ends there.
inline constexpr std::uint8_t kMostStep = 5;
// The height of the sea's surface: water lies at most this, land above it.
inline constexpr std::uint8_t kSeaHeight = 10;

// What a vertex is, from lowest to highest; a triangle takes the middle one of its three
// corners (so a triangle is sea when two of its corners are, mountain when two are).
enum class Band : std::uint8_t {
  kDeepWater,
  kShallowWater,
  kCoast,     // dry land along the shore
  kLowland,   // meadows
  kFoothill,  // mountain meadow below a range
  kMountain,
  kPeak,  // the highest mountain vertices: snow, lava or ice
};

// A home island of the islands style: its middle and the hill beside it that carries its
// mountain, as places (phases) on the world.
struct HomeIsland {
  std::uint32_t x = 0;
  std::uint32_t y = 0;
  std::uint32_t hill_x = 0;
  std::uint32_t hill_y = 0;
};
struct HomeIslands {
  std::vector<HomeIsland> islands;  // of the canonical part; the others are their images
  std::int64_t radius = 0;          // steps, 12 bits of fraction
};

struct Relief {
  std::vector<Band> bands;
  std::vector<std::int16_t> moisture;  // about +-kOne / 2; dry below 0
  std::vector<std::int16_t> variety;   // small patches, about +-kOne / 2
  std::vector<std::int16_t> mountain;  // 0 to kOne: how far into a range the vertex lies
};

// Writes the heights (W x H bytes) and gives what each vertex is. Symmetric images of a
// vertex get its values (the fields are read at the canonical image), so the relief is
// as symmetric as the group.
Relief ShapeRelief(const WorldOptions& options, const SymmetryGroup& group, const Phases& phases,
                   const HomeIslands& homes, std::uint32_t seed, std::span<std::uint8_t> heights);

// Lowers every height that lies more than kMostStep above a neighbour's, around the wrapped
// world, until no step exceeds it: the highest heights at or below the given ones that
// keep the limit (so a symmetric map stays symmetric).
void LimitSteps(const MapGrid& grid, std::span<std::uint8_t> heights);

}  // namespace plandrix::generate
