#include "generate/relief.h"

#include <algorithm>
#include <array>

#include "core/map_format.h"
#include "random/twister.h"

namespace plandrix::generate {
namespace {

// The shape of each style.
struct StyleShape {
  std::size_t water_permille;  // of the vertices below the sea's level
  std::size_t land_cell;       // steps across a cell of elevation's first octave
  std::int32_t noise_weight;   // of elevation against the home islands' domes (kOne: all)
  // Elevation's coordinates are bent by a noise of cells twice as wide as its first (or as
  // a home island), by up to this share of them: every lattice line and every dome's circle
  // turns into a curve.
  std::int64_t warp_share;
};
constexpr std::array<StyleShape, 3> kStyleShapes = {{
    {150, 112, kOne, kOne / 6},  // land: lakes in one land
    {700, 56, kOne, kOne / 4},   // islands: a dome for each player, smaller ones between
    {410, 144, kOne, kOne / 6},  // mixed: continents
}};
constexpr std::size_t kElevationOctaves = 7;
// Mountains: massifs where a noise of cells kRangeCell is highest, shifted by a slower
// noise (so that some lands have more of them than others): the highest kRangePermille of
// the land lies in a range, rising to its heart over kRangeRise of the noise.
constexpr std::size_t kRangeCell = 56;
constexpr std::size_t kChainCell = 160;
constexpr std::int32_t kChainWeight = kOne / 2;
constexpr std::size_t kRangePermille = 170;
constexpr std::int32_t kRangeRise = kOne / 3;
// Heights keep rising into a massif's heart, half as fast beyond kOne, up to kRangeTop.
constexpr std::int32_t kRangeTop = 3 * kOne;
// Moisture and small patches of variety (meadow kinds, flowers).
constexpr std::size_t kMoistureCell = 64;
constexpr std::size_t kVarietyCell = 12;

// Heights: water deepens by a step for each kDepthStep below the sea, to at most
// kMostDepth; land rises kLowlandRise steps for kOne of elevation above the sea, and a
// range kMountainRise steps at its heart, once kInlandSteps from the shore (nearer, ranges
// sink towards the water).
constexpr std::int32_t kDepthStep = kOne / 4;
constexpr std::int32_t kMostDepth = 2;
constexpr std::int32_t kShallowDepth = kOne / 40;
constexpr std::int32_t kCoastBand = kOne / 24;
constexpr std::int32_t kLowlandRise = 5;
constexpr std::int32_t kMountainRise = 22;
constexpr std::uint8_t kInlandSteps = 16;
// Elevation above the sea is kept within this (16 bits).
constexpr std::int32_t kLimit = 8 * kOne - 1;
// How far into a range (0 to kOne) its foot and its mountains begin.
constexpr std::int32_t kFootLevel = kOne / 10;
constexpr std::int32_t kMountainLevel = kOne / 4;
// Peaks: the highest mountain vertices, at most this share of them (per mille), and never
// lower than this above the sea.
constexpr std::size_t kPeakPermille = 30;
constexpr std::int32_t kLowestPeak = 24;

// Islands: a dome of this height (in elevation) over each home island, a moat around it out
// to kMoatEnd (the squared distance, in squared radii), and a hill for its mountains.
constexpr std::int32_t kDomeHeight = kOne;
constexpr std::int64_t kMoatEnd = 9 * kOne / 4;
constexpr std::int64_t kMoatDepth = kOne * 3 / 5;
constexpr std::int32_t kHillHeight = kOne * 3 / 2;

// 1 - (d / r)^2, squared, for d^2 (steps, 24 bits of fraction) and r (12 bits): 0 outside.
std::int32_t Dome(std::int64_t distance_squared, std::int64_t radius) {
  const std::int64_t r2 = std::max<std::int64_t>(radius * radius, 1);
  if (distance_squared >= r2) return 0;
  const auto inside = static_cast<std::int32_t>(kOne - distance_squared * kOne / r2);
  return (inside * inside) >> kOneBits;
}

// Adds the home islands to elevation and range at a (bent) place: the nearest island's
// dome, falling to the sea at its radius and into a moat beyond it, and its hill.
void AddHomes(const HomeIslands& homes, const Phases& phases, std::uint32_t x, std::uint32_t y,
              std::int32_t& elevation, std::int32_t& hill) {
  std::int64_t nearest = INT64_MAX;
  std::int64_t nearest_hill = INT64_MAX;
  for (const HomeIsland& home : homes.islands) {
    nearest = std::min(nearest, phases.DistanceSquared(x, y, home.x, home.y));
    nearest_hill = std::min(nearest_hill, phases.DistanceSquared(x, y, home.hill_x, home.hill_y));
  }
  const std::int64_t r2 = std::max<std::int64_t>(homes.radius * homes.radius, 1);
  // (d / r)^2, and the moat's width: a bowl from q = 1 to kMoatEnd, deepest between.
  const std::int64_t q = std::min<std::int64_t>(nearest * kOne / r2, 4 * kOne);
  if (q < kOne) {
    elevation += static_cast<std::int32_t>((kOne - q) * kDomeHeight >> kOneBits);
  } else if (q < kMoatEnd) {
    const std::int64_t span = kMoatEnd - kOne;
    elevation -=
        static_cast<std::int32_t>(4 * (q - kOne) * (kMoatEnd - q) * kMoatDepth / (span * span));
  }
  hill = (Dome(nearest_hill, homes.radius / 3) * kHillHeight) >> kOneBits;
}

// The slow octaves (cells at least kCoarseCell steps wide) are sampled on a coarse grid of
// points about kCoarseSpacing steps apart and blended between them; only the fine octaves
// are sampled at every vertex.
constexpr std::size_t kCoarseSpacing = 4;
constexpr std::size_t kCoarseCell = 12;

struct Noises {
  Noise warp_x, warp_y, elevation, ridge, chains, moisture, variety;
  std::size_t fine_elevation = 0;  // the first octaves sampled at every vertex
  std::size_t fine_ridge = 0;
  std::size_t warp_cell = 0;
};

Noises MakeNoises(const WorldOptions& o, const StyleShape& shape, const HomeIslands& homes,
                  std::uint32_t seed) {
  Twister twister(seed);
  const auto make = [&](std::size_t cell, std::size_t octaves) {
    return MakeNoise(twister(), o.width, o.height, cell, octaves);
  };
  Noises noises;
  noises.warp_cell =
      2 * std::max(shape.land_cell, static_cast<std::size_t>(homes.radius >> kOneBits));
  noises.warp_x = make(noises.warp_cell, 2);
  noises.warp_y = make(noises.warp_cell, 2);
  noises.elevation = make(shape.land_cell, kElevationOctaves);
  noises.ridge = make(kRangeCell, 6);
  noises.chains = make(kChainCell, 2);
  noises.moisture = make(kMoistureCell, 3);
  noises.variety = make(kVarietyCell, 2);
  noises.fine_elevation = FirstOctaveFinerThan(noises.elevation, o.width, kCoarseCell);
  noises.fine_ridge = FirstOctaveFinerThan(noises.ridge, o.width, kCoarseCell);
  return noises;
}

// The slow parts of the fields at a place: the bend of elevation's coordinates (steps,
// 12 bits of fraction), and elevation, massif and moisture without their fine octaves.
struct Slow {
  std::int64_t warp_x = 0;
  std::int64_t warp_y = 0;
  std::int64_t elevation = 0;
  std::int64_t massif = 0;
  std::int64_t moisture = 0;
};

// The fields of one place.
struct Place {
  std::int32_t elevation = 0;
  std::int32_t massif = 0;
  std::int32_t hill = 0;  // 0 to kOne: a home island's mountain
  std::int32_t moisture = 0;
  std::int32_t variety = 0;
};

Slow SampleSlow(const Noises& noises, const StyleShape& shape, const Phases& phases,
                std::uint32_t px, std::uint32_t py) {
  const std::int64_t warp = static_cast<std::int64_t>(noises.warp_cell) * shape.warp_share;
  Slow slow;
  slow.warp_x = SampleNoise(noises.warp_x, px, py) * warp >> kOneBits;
  slow.warp_y = SampleNoise(noises.warp_y, px, py) * warp >> kOneBits;
  const auto qx = static_cast<std::uint32_t>(
      px + static_cast<std::uint64_t>((slow.warp_x * phases.StepX()) >> kOneBits));
  const auto qy = static_cast<std::uint32_t>(
      py + static_cast<std::uint64_t>((slow.warp_y * phases.StepY()) >> kOneBits));
  slow.elevation = SampleOctaves(noises.elevation, 0, noises.fine_elevation, qx, qy);
  slow.massif = SampleOctaves(noises.ridge, 0, noises.fine_ridge, qx, qy) +
                ((SampleNoise(noises.chains, px, py) * kChainWeight) >> kOneBits);
  slow.moisture = SampleNoise(noises.moisture, qx, qy);
  return slow;
}

// The whole fields at a place from their slow parts there.
Place SampleFine(const Noises& noises, const StyleShape& shape, const HomeIslands& homes,
                 const Phases& phases, const Slow& slow, std::uint32_t px, std::uint32_t py) {
  const auto qx = static_cast<std::uint32_t>(
      px + static_cast<std::uint64_t>((slow.warp_x * phases.StepX()) >> kOneBits));
  const auto qy = static_cast<std::uint32_t>(
      py + static_cast<std::uint64_t>((slow.warp_y * phases.StepY()) >> kOneBits));
  const auto fine_elevation =
      SampleOctaves(noises.elevation, noises.fine_elevation, kElevationOctaves, qx, qy);
  Place place;
  place.elevation = static_cast<std::int32_t>(
      ((slow.elevation + fine_elevation) * shape.noise_weight) >> kOneBits);
  place.massif = static_cast<std::int32_t>(
      slow.massif + SampleOctaves(noises.ridge, noises.fine_ridge, kElevationOctaves, qx, qy));
  place.moisture = static_cast<std::int32_t>(slow.moisture);
  place.variety = SampleNoise(noises.variety, qx, qy);
  if (!homes.islands.empty()) AddHomes(homes, phases, qx, qy, place.elevation, place.hill);
  return place;
}

// The slow parts on a coarse grid that wraps like the world: point (i, j) lies at phases
// (i / columns, j / rows) of the way round.
class CoarseGrid {
 public:
  CoarseGrid(const Noises& noises, const StyleShape& shape, const Phases& phases, std::size_t width,
             std::size_t row_steps)
      : columns_(static_cast<std::uint32_t>(std::max<std::size_t>(2, width / kCoarseSpacing))),
        rows_(static_cast<std::uint32_t>(std::max<std::size_t>(2, row_steps / kCoarseSpacing))) {
    points_.reserve(std::size_t{columns_} * rows_);
    for (std::uint32_t j = 0; j < rows_; ++j) {
      for (std::uint32_t i = 0; i < columns_; ++i) {
        points_.push_back(SampleSlow(noises, shape, phases, PhaseX(i), PhaseY(j)));
      }
    }
  }

  std::uint32_t columns() const { return columns_; }
  std::uint32_t rows() const { return rows_; }
  std::uint32_t PhaseX(std::uint32_t i) const {
    return static_cast<std::uint32_t>((std::uint64_t{i} << 32) / columns_);
  }
  std::uint32_t PhaseY(std::uint32_t j) const {
    return static_cast<std::uint32_t>((std::uint64_t{j} << 32) / rows_);
  }

  // The slow parts at a place, blended linearly from the four points around it.
  Slow Blend(std::uint32_t px, std::uint32_t py) const {
    const std::uint64_t gx = std::uint64_t{px} * columns_;
    const std::uint64_t gy = std::uint64_t{py} * rows_;
    const auto i0 = static_cast<std::uint32_t>(gx >> 32);
    const auto j0 = static_cast<std::uint32_t>(gy >> 32);
    const std::size_t a = std::size_t{j0} * columns_;
    const std::size_t b = std::size_t{j0 + 1 == rows_ ? 0 : j0 + 1} * columns_;
    const std::size_t i1 = i0 + 1 == columns_ ? 0 : i0 + 1;
    const auto fx = static_cast<std::int64_t>((gx & 0xFFFFFFFFu) >> (32 - kOneBits));
    const auto fy = static_cast<std::int64_t>((gy & 0xFFFFFFFFu) >> (32 - kOneBits));
    const auto blend = [&](std::int64_t Slow::*field) {
      const std::int64_t top =
          points_[a + i0].*field +
          (((points_[a + i1].*field - points_[a + i0].*field) * fx) >> kOneBits);
      const std::int64_t bottom =
          points_[b + i0].*field +
          (((points_[b + i1].*field - points_[b + i0].*field) * fx) >> kOneBits);
      return top + (((bottom - top) * fy) >> kOneBits);
    };
    return {blend(&Slow::warp_x), blend(&Slow::warp_y), blend(&Slow::elevation),
            blend(&Slow::massif), blend(&Slow::moisture)};
  }

 private:
  std::uint32_t columns_;
  std::uint32_t rows_;
  std::vector<Slow> points_;
};

// The value below which the given share (per mille) of the values lies.
std::int32_t Percentile(std::span<const std::int32_t> values, std::size_t permille) {
  constexpr std::int32_t kLow = -4 * kOne;
  constexpr std::int32_t kBucket = 4;
  std::vector<std::size_t> counts(static_cast<std::size_t>(8 * kOne / kBucket));
  for (const std::int32_t value : values) {
    ++counts[static_cast<std::size_t>((Clamp(value, kLow, -kLow - 1) - kLow) / kBucket)];
  }
  const std::size_t wanted = values.size() * permille / 1000;
  std::size_t below = 0;
  for (std::size_t bucket = 0; bucket < counts.size(); ++bucket) {
    if (below + counts[bucket] > wanted) return kLow + static_cast<std::int32_t>(bucket) * kBucket;
    below += counts[bucket];
  }
  return -kLow;
}

// The sea's level and the massif value where ranges begin: percentiles of the fields at the
// coarse points whose nearest vertex is canonical (the part that is generated).
struct Levels {
  std::int32_t sea = 0;
  std::int32_t foot = 0;
};
Levels FindLevels(const Noises& noises, const StyleShape& shape, const HomeIslands& homes,
                  const Phases& phases, const CoarseGrid& coarse, const SymmetryGroup& group,
                  const MapGrid& grid) {
  std::vector<std::int32_t> elevation;
  std::vector<std::int32_t> massif;
  const std::uint64_t w = grid.width();
  const std::uint64_t h = grid.height();
  for (std::uint32_t j = 0; j < coarse.rows(); ++j) {
    const std::uint64_t y = ((j * h + coarse.rows() / 2) / coarse.rows()) % h;
    for (std::uint32_t i = 0; i < coarse.columns(); ++i) {
      const std::uint64_t half = (2 * i * w + coarse.columns() / 2) / coarse.columns();
      const std::uint64_t x = ((half + 1 - (y & 1)) / 2) % w;
      if (!group.IsCanonical(grid.Index({x, y}))) continue;
      const std::uint32_t px = coarse.PhaseX(i);
      const std::uint32_t py = coarse.PhaseY(j);
      const Place place = SampleFine(noises, shape, homes, phases,
                                     SampleSlow(noises, shape, phases, px, py), px, py);
      elevation.push_back(place.elevation);
      massif.push_back(place.massif);
    }
  }
  Levels levels;
  levels.sea = Percentile(elevation, shape.water_permille);
  std::vector<std::int32_t> land;
  for (std::size_t k = 0; k < elevation.size(); ++k) {
    if (elevation[k] >= levels.sea) land.push_back(massif[k]);
  }
  levels.foot = Percentile(land, 1000 - kRangePermille);
  return levels;
}

// Steps from each vertex to the nearest water vertex (below the sea's level), counted up to
// kInlandSteps: one search from all water vertices at once.
std::vector<std::uint8_t> StepsFromWater(const MapGrid& grid,
                                         std::span<const std::int16_t> above_sea) {
  std::vector<std::uint8_t> steps(grid.size(), kInlandSteps);
  std::vector<std::size_t> ring;
  for (std::size_t v = 0; v < grid.size(); ++v) {
    if (above_sea[v] >= 0) continue;
    steps[v] = 0;
    ring.push_back(v);
  }
  std::vector<std::size_t> next;
  for (std::uint8_t step = 1; step < kInlandSteps && !ring.empty(); ++step) {
    next.clear();
    for (const std::size_t v : ring) {
      for (const std::size_t u : grid.Neighbours(grid.PointOf(v))) {
        if (steps[u] <= step) continue;
        steps[u] = step;
        next.push_back(u);
      }
    }
    ring.swap(next);
  }
  return steps;
}

// The height and band of a vertex from its elevation above the sea, how far into a range
// it lies (0 to kRangeTop) and its steps from the water.
std::uint8_t ShapeVertex(std::int32_t above_sea, std::int32_t range, std::uint8_t from_water,
                         Band& band, std::int16_t& mountain) {
  if (above_sea < 0) {
    band = -above_sea < kShallowDepth ? Band::kShallowWater : Band::kDeepWater;
    mountain = 0;
    return static_cast<std::uint8_t>(kSeaHeight - std::min(kMostDepth, -above_sea / kDepthStep));
  }
  const std::int32_t inland = from_water * kOne / kInlandSteps;
  const std::int32_t into_range = (range * inland) >> kOneBits;
  mountain = static_cast<std::int16_t>(into_range);
  if (into_range > kMountainLevel) {
    band = Band::kMountain;
  } else if (into_range > kFootLevel) {
    band = Band::kFoothill;
  } else {
    band = above_sea < kCoastBand ? Band::kCoast : Band::kLowland;
  }
  const std::int32_t lowland = std::min(above_sea, 2 * kOne) * kLowlandRise >> kOneBits;
  const std::int32_t height = kSeaHeight + 1 + lowland + ((into_range * kMountainRise) >> kOneBits);
  return static_cast<std::uint8_t>(std::min<std::int32_t>(height, kHighestHeight));
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

// Copies the fields of a vertex from its canonical image.
void CopyVertex(Relief& relief, std::size_t v, std::size_t source) {
  relief.bands[v] = relief.bands[source];
  relief.moisture[v] = relief.moisture[source];
  relief.variety[v] = relief.variety[source];
  relief.mountain[v] = relief.mountain[source];
}

}  // namespace

Relief ShapeRelief(const WorldOptions& options, const SymmetryGroup& group, const Phases& phases,
                   const HomeIslands& homes, std::uint32_t seed, std::span<std::uint8_t> heights) {
  const StyleShape& shape = kStyleShapes[static_cast<std::size_t>(options.style)];
  const MapGrid grid(options.width, options.height);
  const Noises noises = MakeNoises(options, shape, homes, seed);
  const CoarseGrid coarse(noises, shape, phases, options.width, phases.HeightInSteps());
  const Levels levels = FindLevels(noises, shape, homes, phases, coarse, group, grid);
  const std::size_t n = grid.size();
  Relief relief{std::vector<Band>(n), std::vector<std::int16_t>(n), std::vector<std::int16_t>(n),
                std::vector<std::int16_t>(n)};
  // The range value waits in mountain until the steps from the water are known.
  std::vector<std::int16_t> above_sea(n);
  for (std::size_t y = 0, v = 0; y < options.height; ++y) {
    const std::uint32_t py = phases.Y(y);
    for (std::size_t x = 0; x < options.width; ++x, ++v) {
      // The canonical image has the least index, so it is already sampled.
      const std::size_t source = group.CanonicalVertex(v);
      if (source != v) {
        above_sea[v] = above_sea[source];
        CopyVertex(relief, v, source);
        continue;
      }
      const std::uint32_t px = phases.X(x, y);
      const Place place = SampleFine(noises, shape, homes, phases, coarse.Blend(px, py), px, py);
      above_sea[v] =
          static_cast<std::int16_t>(Clamp(place.elevation - levels.sea, -kLimit, kLimit));
      std::int32_t range = std::max(0, (place.massif - levels.foot) * kOne / kRangeRise);
      if (range > kOne) range = kOne + (range - kOne) / 2;
      relief.mountain[v] =
          static_cast<std::int16_t>(std::max(std::min(range, kRangeTop), place.hill));
      relief.moisture[v] = static_cast<std::int16_t>(place.moisture);
      relief.variety[v] = static_cast<std::int16_t>(place.variety);
    }
  }
  const std::vector<std::uint8_t> from_water = StepsFromWater(grid, above_sea);
  for (std::size_t v = 0; v < n; ++v) {
    heights[v] = ShapeVertex(above_sea[v], relief.mountain[v], from_water[v], relief.bands[v],
                             relief.mountain[v]);
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

std::uint64_t SquareRoot(std::uint64_t value) {
  std::uint64_t root = 0;
  for (std::uint64_t bit = std::uint64_t{1} << 62; bit != 0; bit >>= 2) {
    if (value >= root + bit) {
      value -= root + bit;
      root = (root >> 1) + bit;
    } else {
      root >>= 1;
    }
  }
  return root;
}

}  // namespace plandrix::generate
