#include "generate/paint.h"

#include <algorithm>
#include <array>

namespace plandrix::generate {
namespace {

// The peaks of each landscape: snow, lava and ice floes, all of them ground no one walks.
constexpr std::array<std::array<std::uint8_t, 2>, kLandscapeCount> kPeakCodes = {{
    {kSnow, kSnow},   // greenland
    {kLava, kLava2},  // wasteland
    {kSnow, kSnow},   // winter world: ice floe
}};

// Mountains 1 to 4 start this high above the sea (mean of the corners).
constexpr std::array<std::int32_t, 4> kMountainFrom = {0, 18, 25, 32};

// Dry coasts: desert below the first moisture, steppe below the second, savannah above.
constexpr std::int32_t kDesertMoisture = -3300;
constexpr std::int32_t kSteppeCoastMoisture = -1500;
// Lowland: steppe, savannah, then meadows; flowers where variety is high on moist ground.
constexpr std::int32_t kSteppeMoisture = -3000;
constexpr std::int32_t kSavannahMoisture = -2200;
constexpr std::int32_t kFlowerVariety = 1900;
constexpr std::array<std::int32_t, 2> kMeadowVariety = {-500, 500};

struct Corners {
  Band band;
  std::int32_t height;    // mean
  std::int32_t moisture;  // mean
  std::int32_t variety;   // mean
};

Band Middle(Band a, Band b, Band c) {
  return std::max(std::min(a, b), std::min(std::max(a, b), c));
}

Corners ReadCorners(const Relief& relief, std::span<const std::uint8_t> heights, std::size_t a,
                    std::size_t b, std::size_t c) {
  const auto mean = [](std::int32_t x, std::int32_t y, std::int32_t z) { return (x + y + z) / 3; };
  return {Middle(relief.bands[a], relief.bands[b], relief.bands[c]),
          mean(heights[a], heights[b], heights[c]),
          mean(relief.moisture[a], relief.moisture[b], relief.moisture[c]),
          mean(relief.variety[a], relief.variety[b], relief.variety[c])};
}

std::uint8_t LandCode(const Corners& t) {
  if (t.band == Band::kCoast) {
    if (t.moisture < kDesertMoisture) return t.variety < 0 ? kDesert1 : kDesert2;
    return t.moisture < kSteppeCoastMoisture ? kSteppe : kSavannah;
  }
  if (t.moisture < kSteppeMoisture) return kSteppe;
  if (t.moisture < kSavannahMoisture) return kSavannah;
  if (t.variety > kFlowerVariety && t.moisture > 0) return kFlowerMeadow;
  if (t.variety < kMeadowVariety[0]) return kMeadow3;
  return t.variety < kMeadowVariety[1] ? kMeadow1 : kMeadow2;
}

std::uint8_t CodeOf(Landscape landscape, const Corners& t) {
  switch (t.band) {
    case Band::kDeepWater:
      return kWater;
    case Band::kShallowWater:
      return kShallowWater;
    case Band::kCoast:
    case Band::kLowland:
      return LandCode(t);
    case Band::kFoothill:
      return kMountainMeadow;
    case Band::kMountain: {
      const std::int32_t above = t.height - kSeaHeight;
      std::size_t kind = 0;
      while (kind + 1 < kMountainFrom.size() && above >= kMountainFrom[kind + 1]) ++kind;
      return kMountainCodes[kind];
    }
    case Band::kPeak:
      return kPeakCodes[static_cast<std::size_t>(landscape)][t.variety < 0 ? 0 : 1];
  }
  return kWater;
}

}  // namespace

void PaintTerrain(const MapGrid& grid, Landscape landscape, const Relief& relief,
                  std::span<const std::uint8_t> heights, std::span<std::uint8_t> first,
                  std::span<std::uint8_t> second) {
  for (std::size_t v = 0; v < grid.size(); ++v) {
    const auto around = grid.Neighbours(grid.PointOf(v));
    const std::size_t east = around[3];
    const std::size_t south_east = around[4];
    const std::size_t south_west = around[5];
    first[v] = CodeOf(landscape, ReadCorners(relief, heights, v, south_west, south_east));
    second[v] = CodeOf(landscape, ReadCorners(relief, heights, v, south_east, east));
  }
}

}  // namespace plandrix::generate
