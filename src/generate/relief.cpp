#include "generate/relief.h"

#include <algorithm>
#include <array>

#include "core/map_format.h"

namespace plandrix::generate {
namespace {

// Ranges: the highest kRangePermille of the land's massif (but home islands) lies in a
// range, which rises to its heart over kRangeRise of the massif, and further, half as
// fast, up to kRangeTop; near the water a range (and a home island's hill) rises about at
// most kShoreRise levels (12 bits of fraction) a step from the shore, so that it meets the
// sea in slopes, not cliffs.
constexpr std::size_t kRangePermille = 170;
constexpr std::int32_t kRangeRise = kOne / 3;
constexpr std::int32_t kRangeTop = 3 * kOne;

// Heights: water deepens by a level for each kDepthSteps steps from the shore beyond the
// first, to at most kMostDepth (level ground for harbours by the shore); land rises kLowlandRise
// levels to the high lowland, and a range kMountainRise levels at its heart (more on small worlds,
// see MountainRise).
constexpr std::int32_t kDepthSteps = 2;
constexpr std::int32_t kMostDepth = 4;
// Shallow water: the water beside the shore where variety is high (sandbanks on some
// stretches of coast; the others keep deep water up to the shore, where harbours go). Dry
// coast: land this many steps from the water or nearer.
constexpr std::int32_t kSandbankVariety = kOne / 4;
constexpr std::uint8_t kCoastSteps = 2;
constexpr std::int32_t kLowlandRise = 16;
constexpr std::size_t kHighLowlandPermille = 50;
constexpr std::int32_t kMountainRise = 22;
constexpr std::int32_t kShoreRise = kOne * 7 / 2;
constexpr std::int32_t kShoreLowland = kOne;
constexpr std::uint8_t kInlandSteps = kHighestHeight / 2;
// The highest ranges (above all but kHighRangePermille of the land) rise this high.
constexpr std::size_t kHighRangePermille = 5;
constexpr std::int32_t kHighRange = 34;
// How far into a range (0 to kOne) its foot and its mountains begin.
constexpr std::int32_t kFootLevel = kOne / 10;
constexpr std::int32_t kMountainLevel = kOne / 4;
// Peaks: the highest mountain vertices, at most this share of them (per mille), and never
// lower than this above the sea.
constexpr std::size_t kPeakPermille = 30;
constexpr std::int32_t kLowestPeak = 24;

// Steps from each vertex to the nearest one across the shore (land to water, water to
// land), counted up to kInlandSteps: one search outwards from both sides of every shore.
std::vector<std::uint8_t> StepsFromShore(const MapGrid& grid,
                                         std::span<const std::int16_t> above_sea) {
  const auto wet = [&](std::size_t v) { return above_sea[v] < 0; };
  std::vector<std::uint8_t> steps(grid.size(), kInlandSteps);
  std::vector<std::size_t> ring;
  for (std::size_t v = 0; v < grid.size(); ++v) {
    const auto around = grid.Neighbours(grid.PointOf(v));
    if (std::any_of(around.begin(), around.end(),
                    [&](std::size_t u) { return wet(u) != wet(v); })) {
      steps[v] = 1;
      ring.push_back(v);
    }
  }
  std::vector<std::size_t> next;
  for (std::uint8_t step = 2; step < kInlandSteps && !ring.empty(); ++step) {
    next.clear();
    for (const std::size_t v : ring) {
      for (const std::size_t u : grid.Neighbours(grid.PointOf(v))) {
        if (steps[u] <= step || wet(u) != wet(v)) continue;
        steps[u] = step;
        next.push_back(u);
      }
    }
    ring.swap(next);
  }
  return steps;
}
// The band of a vertex from its elevation above the sea, how far into a range it lies once
// near shores are lowered (0 to kRangeTop), its steps from the water and, for water,
// whether it lies on a sandbank.
Band BandOf(std::int32_t above_sea, std::int32_t into_range, std::uint8_t from_shore,
            bool sandbank) {
  if (above_sea < 0) return sandbank ? Band::kShallowWater : Band::kDeepWater;
  if (into_range > kMountainLevel) return Band::kMountain;
  if (into_range > kFootLevel) return Band::kFoothill;
  return from_shore <= kCoastSteps ? Band::kCoast : Band::kLowland;
}

// 1 / sqrt(1 + t^2) for t = i / 256, with 12 bits of fraction: the soft least below.
constexpr std::int32_t kSoftRatioBits = 8;
constexpr std::int32_t kSoftRatios = 16 << kSoftRatioBits;
constexpr std::array<std::int32_t, kSoftRatios> kSoftLeast = [] {
  std::array<std::int32_t, kSoftRatios> table{};
  constexpr std::uint64_t kUnit = std::uint64_t{1} << kSoftRatioBits;
  for (std::uint64_t i = 0; i < table.size(); ++i) {
    table[i] = static_cast<std::int32_t>((kOne * kUnit) / SquareRoot(kUnit * kUnit + i * i));
  }
  return table;
}();

// A soft least of a rise (levels, 12 bits of fraction) and slope for each step from the
// shore, rise most / sqrt(rise^2 + most^2): the rise where the shore is far, held down
// near it into a slope, with no rings of equal height around the water where it holds.
std::int64_t HoldToShore(std::int64_t rise, std::int64_t slope, std::uint8_t from_shore) {
  const std::int64_t most = std::int64_t{from_shore} * slope;
  if (rise <= 0 || most <= 0) return 0;
  const std::int64_t ratio = (rise << kSoftRatioBits) / most;
  if (ratio >= kSoftRatios) return most;  // within a fifth of a per cent
  return (rise * kSoftLeast[static_cast<std::size_t>(ratio)]) >> kOneBits;
}

// Marks the highest mountain vertices as peaks: at most kPeakPermille of them.
void MarkPeaks(std::span<const std::uint8_t> heights, std::span<Band> bands) {
  std::array<std::size_t, 256> counts{};
  std::size_t mountains = 0;
  for (std::size_t v = 0; v < bands.size(); ++v) {
    if (bands[v] != Band::kMountain) continue;
    ++counts[heights[v]];
    ++mountains;
  }
  std::size_t lowest = counts.size();
  std::size_t above = 0;
  while (lowest > kSeaHeight + kLowestPeak &&
         (above + counts[lowest - 1]) * 1000 <= mountains * kPeakPermille) {
    above += counts[--lowest];
  }
  for (std::size_t v = 0; v < bands.size(); ++v) {
    if (bands[v] == Band::kMountain && heights[v] >= lowest) bands[v] = Band::kPeak;
  }
}

// The height of a vertex: water a little below the sea's surface, land above it rising
// kLowlandRise levels to the high lowland (elevation above the sea of all but
// kHighLowlandPermille of the land), by about kShoreLowland a step from the shore at
// most (level coasts for harbours), lifted by its range (levels, 12 bits of fraction).
std::uint8_t HeightOf(std::int32_t above_sea, std::uint8_t from_shore, std::int32_t high_lowland,
                      std::int64_t range_height) {
  if (above_sea < 0) {
    return static_cast<std::uint8_t>(kSeaHeight -
                                     std::min(kMostDepth, (from_shore - 1) / kDepthSteps));
  }
  const std::int64_t rise =
      std::int64_t{std::min(above_sea, 2 * high_lowland)} * kLowlandRise * kOne / high_lowland;
  const std::int64_t lowland = HoldToShore(rise, kShoreLowland, from_shore);
  const std::int64_t height = kSeaHeight + 1 + ((lowland + range_height) >> kOneBits);
  return static_cast<std::uint8_t>(std::min<std::int64_t>(height, kHighestHeight));
}

// Elevation above the sea that all but kHighLowlandPermille of the land stays below.
std::int32_t HighLowland(std::span<const std::int16_t> above_sea) {
  Histogram land;
  for (const std::int16_t a : above_sea) {
    if (a >= 0) land.Add(a);
  }
  return std::max(kOne / 8, land.HighestBut(kHighLowlandPermille));
}

// How steeply ranges rise (levels for kOne into a range): so that the highest of them, as
// far as their shores let them rise, reach kHighRange above the lowland (kHighRangePermille
// of the land lies higher); at least kMountainRise and at most twice that, so that a small
// world's few low ranges still rise to peaks.
std::int32_t MountainRise(std::span<const std::int16_t> into_range,
                          std::span<const std::int16_t> above_sea,
                          std::span<const std::uint8_t> from_shore) {
  Histogram land;
  for (std::size_t v = 0; v < into_range.size(); ++v) {
    if (above_sea[v] < 0) continue;
    land.Add(std::min<std::int32_t>(into_range[v], from_shore[v] * kShoreRise / kMountainRise));
  }
  const std::int32_t high = land.HighestBut(kHighRangePermille);
  if (high <= 0) return kMountainRise;
  return Clamp(kHighRange * kOne / high, kMountainRise, 2 * kMountainRise);
}

// How far into a range each land vertex lies (0 to kRangeTop; a home island's hill up to
// kHillHeight): the massif above the level that leaves kRangePermille of the land (but home
// islands) in ranges, counted in kRangeRise and half as fast beyond kOne.
void RaiseRanges(const Fields& raw, std::span<std::int16_t> mountain) {
  Histogram land;
  for (std::size_t v = 0; v < raw.massif.size(); ++v) {
    if (raw.above_sea[v] >= 0 && raw.massif[v] != kNoRange) land.Add(raw.massif[v]);
  }
  const std::int32_t foot = land.HighestBut(kRangePermille);
  for (std::size_t v = 0; v < raw.massif.size(); ++v) {
    std::int32_t range = 0;
    if (raw.massif[v] != kNoRange) range = std::max(0, (raw.massif[v] - foot) * kOne / kRangeRise);
    if (range > kOne) range = std::min(kRangeTop, kOne + (range - kOne) / 2);
    mountain[v] = static_cast<std::int16_t>(
        raw.above_sea[v] < 0 ? 0 : std::max<std::int32_t>(range, raw.hill[v]));
  }
}
}  // namespace

Relief ShapeRelief(const WorldOptions& options, const SymmetryGroup& group, const Phases& phases,
                   const HomeIslands& homes, std::uint32_t seed, std::span<std::uint8_t> heights) {
  const MapGrid grid(options.width, options.height);
  Fields raw = SampleFields(options, group, phases, homes, seed);
  const std::size_t n = grid.size();
  Relief relief{std::vector<Band>(n), std::move(raw.moisture), std::move(raw.variety),
                std::vector<std::int16_t>(n)};
  const std::vector<std::uint8_t> from_shore = StepsFromShore(grid, raw.above_sea);
  RaiseRanges(raw, relief.mountain);
  const std::int32_t rise = MountainRise(relief.mountain, raw.above_sea, from_shore);
  const std::int32_t high_lowland = HighLowland(raw.above_sea);
  for (std::size_t v = 0; v < n; ++v) {
    const std::int64_t lift =
        HoldToShore(std::int64_t{relief.mountain[v]} * rise, kShoreRise, from_shore[v]);
    heights[v] = HeightOf(raw.above_sea[v], from_shore[v], high_lowland, lift);
    relief.mountain[v] = static_cast<std::int16_t>(lift / rise);  // as far as the shore lets it
    const bool sandbank = from_shore[v] == 1 && relief.variety[v] > kSandbankVariety;
    relief.bands[v] = BandOf(raw.above_sea[v], relief.mountain[v], from_shore[v], sandbank);
  }
  LimitSteps(grid, heights);
  MarkPeaks(heights, relief.bands);
  return relief;
}

void LimitSteps(const MapGrid& grid, std::span<std::uint8_t> heights) {
  const std::size_t n = grid.size();
  std::vector<std::uint8_t> queued(n);
  std::vector<std::size_t> queue;
  const auto too_high = [&](std::size_t v, std::size_t u) {
    return heights[v] > heights[u] + kMostStep;
  };
  for (std::size_t v = 0; v < n; ++v) {
    for (const std::size_t u : grid.Neighbours(grid.PointOf(v))) {
      if (too_high(v, u)) {
        queued[v] = 1;
        queue.push_back(v);
        break;
      }
    }
  }
  // Each vertex comes down to its lowest neighbour's height plus the step; a neighbour
  // that then lies too high above it is queued in turn. Heights only fall, so this ends,
  // and at the highest heights that keep the limit, whatever the order.
  for (std::size_t head = 0; head < queue.size(); ++head) {
    const std::size_t v = queue[head];
    queued[v] = 0;
    const auto around = grid.Neighbours(grid.PointOf(v));
    std::uint8_t lowest = heights[v];
    for (const std::size_t u : around) lowest = std::min(lowest, heights[u]);
    if (heights[v] <= lowest + kMostStep) continue;
    heights[v] = static_cast<std::uint8_t>(lowest + kMostStep);
    for (const std::size_t u : around) {
      if (queued[u] == 0 && too_high(u, v)) {
        queued[u] = 1;
        queue.push_back(u);
      }
    }
  }
}

}  // namespace plandrix::generate
