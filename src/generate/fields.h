// The fields a generated world is shaped from, sampled at every vertex: elevation above
// the sea's level, the massif that ranges rise from, a home island's hill, moisture and
// variety.
//
// Elevation is several octaves of noise, its coordinates bent by two slower noises (so
// that coasts and ranges follow no line of the lattice); the sea covers the lowest share
// of the vertices that the style asks for. Massifs are a second noise, shifted by a slower
// one so that some lands have more ranges than others. Islands add a home island for each
// player (land of its own shape, whatever the sea's level) with a channel around it and a
// hill on it. The slow octaves are sampled on a coarse grid and blended between its
// points, the fine ones at every vertex.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "generate/noise.h"
#include "generate/symmetry.h"
#include "generate/world.h"

namespace plandrix::generate {

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

// Massif of a vertex that no range may rise on (home islands).
inline constexpr std::int16_t kNoRange = INT16_MIN;

struct Fields {
  std::vector<std::int16_t> above_sea;  // elevation above the sea's level (water below 0)
  std::vector<std::int16_t> massif;     // ranges rise where it is highest; or kNoRange
  std::vector<std::int16_t> hill;       // a home island's hill, 0 to kHillHeight
  std::vector<std::int16_t> moisture;   // about +-kOne / 2; dry below 0
  std::vector<std::int16_t> variety;    // small patches, about +-kOne / 2
};

// A home island's hill is this high (in ranges, kOne: a range's heart).
inline constexpr std::int32_t kHillHeight = kOne * 5 / 4;

// The fields of every vertex. They are sampled at the canonical image of each vertex (and
// near a seam that a half turn turns end for end, blended with the turned image), so they
// are as symmetric as the group.
Fields SampleFields(const WorldOptions& options, const SymmetryGroup& group, const Phases& phases,
                    const HomeIslands& homes, std::uint32_t seed);

}  // namespace plandrix::generate
