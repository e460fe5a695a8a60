// Random heights: every vertex gets a height from the terrain codes of its two triangles.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "core/map_layout.h"
#include "core/terrain.h"
#include "random/random_source.h"

namespace plandrix {

// The height of every vertex that stands in water, and the lowest random height.
inline constexpr std::uint8_t kBaseHeight = 10;

// How the block-2 code of a vertex decides its height. Raw codes are looked at, not the
// terrain classes, because every byte value must have an answer here.
enum class HeightRule : std::uint8_t {
  kUndecided,     // the block-3 code decides
  kKeepBase,      // water: the base height, no draw
  kAlwaysRandom,  // random height whatever block 3 holds
};

// The height pass's own lists of block-2 codes: water stays at the base height, these
// always get a random one.
inline constexpr std::array<std::uint8_t, 3> kWaterCodes = {kWater, kShallowWater, kReefWater};
inline constexpr std::array<std::uint8_t, 6> kAlwaysRandomCodes = {
    kMountain1, kMountain2, kMountain3, kMountain4, kLava, kMountainMeadow};

inline constexpr std::array<HeightRule, 256> kHeightRules = [] {
  std::array<HeightRule, 256> rules{};  // kUndecided everywhere
  for (std::uint8_t code : kWaterCodes) rules[code] = HeightRule::kKeepBase;
  for (std::uint8_t code : kAlwaysRandomCodes) rules[code] = HeightRule::kAlwaysRandom;
  return rules;
}();

// RandomizeHeights with the draws taken from draw(), a callable giving std::uint32_t.
// Exactly one draw per vertex that gets a random height, in block order. An image too
// short for width x height vertices is left as it is.
template <typename Draw>
void RandomizeHeightsWith(std::span<std::uint8_t> image, std::size_t width, std::size_t height,
                          Draw&& draw) {
  const auto blocks = BlocksOf(image, width, height);
  if (!blocks) return;
  const std::span<std::uint8_t> heights = blocks->heights;
  const std::span<const std::uint8_t> first = blocks->first;
  const std::span<const std::uint8_t> second = blocks->second;
  for (std::size_t i = 0; i < blocks->n; ++i) {
    HeightRule rule = kHeightRules[first[i]];
    if (rule == HeightRule::kUndecided) {
      rule = kHeightRules[second[i]] == HeightRule::kKeepBase ? HeightRule::kKeepBase
                                                              : HeightRule::kAlwaysRandom;
    }
    heights[i] = rule == HeightRule::kKeepBase
                     ? kBaseHeight
                     : static_cast<std::uint8_t>(kBaseHeight + (draw() & 3U));
  }
}

// Writes block 1 of the width x height map from its blocks 2 and 3: 10 on water, 10 to 13
// elsewhere. Continues the running sequence of source (never restarts it).
void RandomizeHeights(std::span<std::uint8_t> image, std::size_t width, std::size_t height,
                      RandomSource& source, std::uint32_t seed);

}  // namespace plandrix
