// The shape of a generated world: its heights and what each vertex is (sea, shallow
// coast, dry coast, lowland, the foot of a mountain, mountain, peak), from its fields.
//
// Water deepens slowly away from the shore; land rises gently over the lowland and
// steeply in the ranges (where the massif is highest), both held to a slope near the
// shore, so that coasts stay level and ranges meet the sea in slopes. Small worlds' few
// low ranges rise higher, so that every world has its peaks. No step between neighbours
// exceeds kMostStep.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "core/map_grid.h"
#include "generate/fields.h"
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

struct Relief {
  std::vector<Band> bands;
  std::vector<std::int16_t> moisture;  // about +-kOne / 2; dry below 0
  std::vector<std::int16_t> variety;   // small patches, about +-kOne / 2
  std::vector<std::int16_t> mountain;  // how far into a range (kOne: a range's heart)
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
