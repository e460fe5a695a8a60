#include "generate/fields.h"

#include <algorithm>
#include <array>

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
    {150, 112, kOne, kOne / 6},         // land: lakes in one land
    {705, 56, kOne * 3 / 4, kOne / 6},  // islands: a dome for each player, smaller ones between
    {410, 144, kOne, kOne / 6},         // mixed: continents
}};
constexpr std::size_t kElevationOctaves = 7;
constexpr std::int32_t kElevationPersistence = kOne * 6 / 10;
// Massifs: a noise of cells kRangeCell, shifted by a slower noise of chains (so that some
// lands have more ranges than others).
constexpr std::size_t kRangeCell = 56;
constexpr std::size_t kChainCell = 160;
constexpr std::int32_t kChainWeight = kOne / 2;
// Moisture and small patches of variety (meadow kinds, flowers, sandbanks).
constexpr std::size_t kMoistureCell = 64;
constexpr std::size_t kVarietyCell = 12;

// Islands: a home island is land where 1 - (d / r)^2, plus kHomeNoise of elevation's noise,
// is above 0, whatever the sea's level; other land sinks by kChannelDepth within
// kChannelFull radii of it (squared, in kOne), less out to kChannelEnd, so that no other
// island touches it. Its hill carries its mountains.
constexpr std::int32_t kHomeNoise = kOne / 4;
constexpr std::int64_t kChannelFull = 4 * kOne;
constexpr std::int64_t kChannelEnd = 9 * kOne;
constexpr std::int64_t kChannelDepth = 2 * kOne;
constexpr std::int64_t kSmallestHill = 7 * kOne;  // steps
// Elevation above the sea is kept within this (16 bits).
constexpr std::int32_t kLimit = 8 * kOne - 1;

// 1 - (d / r)^2, squared, for d^2 (steps, 24 bits of fraction) and r (12 bits): 0 outside.
std::int32_t Dome(std::int64_t distance_squared, std::int64_t radius) {
  const std::int64_t r2 = std::max<std::int64_t>(radius * radius, 1);
  if (distance_squared >= r2) return 0;
  const auto inside = static_cast<std::int32_t>(kOne - distance_squared * kOne / r2);
  return (inside * inside) >> kOneBits;
}

// Near a seam that a half turn turns end for end, fields blend over this many rows.
constexpr std::size_t kSeamBlendRows = 10;

// The slow octaves (cells at least kCoarseCell steps wide) are sampled on a coarse grid of
// points about kCoarseSpacing steps apart and blended between them; only the fine octaves
// are sampled at every vertex.
constexpr std::size_t kCoarseSpacing = 4;
constexpr std::size_t kCoarseCell = 12;

struct Noises {
  Noise warp_x, warp_y, elevation, ridge, chains, moisture, variety;
  Noise coast;                     // the wiggles of a home island's coast
  std::size_t fine_elevation = 0;  // the first octaves sampled at every vertex
  std::size_t fine_ridge = 0;
  std::size_t fine_variety = 0;
  std::size_t warp_cell = 0;
  std::int64_t warp = 0;  // the most a place is bent (steps, 12 bits of fraction)
};

Noises MakeNoises(const WorldOptions& o, const StyleShape& shape, const HomeIslands& homes,
                  std::uint32_t seed) {
  Twister twister(seed);
  const auto make = [&](std::size_t cell, std::size_t octaves,
                        std::int32_t persistence = kOne / 2) {
    return MakeNoise(twister(), o.width, o.height, cell, octaves, persistence);
  };
  Noises noises;
  noises.warp_cell =
      2 * std::max(shape.land_cell, static_cast<std::size_t>(homes.radius >> kOneBits));
  noises.warp_x = make(noises.warp_cell, 2);
  noises.warp_y = make(noises.warp_cell, 2);
  // The bend is a share of the cells as the world's size allows them (a small world has
  // fewer, smaller cells than asked for: bent as much, it would fold into streaks), and a
  // home island is bent by at most two fifths of its radius: more would stretch some
  // islands and squeeze others.
  const std::size_t cell = std::min(noises.warp_cell, o.width / noises.warp_x.octaves[0].nx);
  noises.warp = static_cast<std::int64_t>(cell) * shape.warp_share;
  if (homes.radius > 0) noises.warp = std::min(noises.warp, homes.radius * 2 / 5);
  // Coasts and lakes keep more of the finer octaves than the other fields: ragged shores.
  noises.elevation = make(shape.land_cell, kElevationOctaves, kElevationPersistence);
  noises.ridge = make(kRangeCell, 6);
  noises.chains = make(kChainCell, 2);
  noises.moisture = make(kMoistureCell, 3);
  noises.variety = make(kVarietyCell, 2);
  noises.coast =
      make(std::max<std::size_t>(2, static_cast<std::size_t>(homes.radius >> kOneBits) / 2), 4);
  noises.fine_elevation = FirstOctaveFinerThan(noises.elevation, o.width, kCoarseCell);
  noises.fine_ridge = FirstOctaveFinerThan(noises.ridge, o.width, kCoarseCell);
  noises.fine_variety = FirstOctaveFinerThan(noises.variety, o.width, kCoarseCell);
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
  std::int64_t variety = 0;
};

// The fields of one place.
struct Place {
  std::int32_t elevation = 0;     // sunk by the channels around home islands
  std::int32_t island = -kLimit;  // above 0 on a home island
  std::int32_t massif = 0;
  std::int32_t hill = 0;     // 0 to kOne: a home island's mountain
  std::int32_t calm = kOne;  // how much of the ranges stands here: none on home islands
  std::int32_t moisture = 0;
  std::int32_t variety = 0;
};

Slow SampleSlow(const Noises& noises, const Phases& phases, std::uint32_t px, std::uint32_t py) {
  const std::int64_t warp = noises.warp;
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
  slow.variety = SampleOctaves(noises.variety, 0, noises.fine_variety, qx, qy);
  return slow;
}

// The home islands at a (bent) place: the nearest one's island and channel, and the
// nearest hill. Other ranges keep off home islands, so that each has its hill and no more.
void AddHomes(const HomeIslands& homes, const Noise& coast, const Phases& phases, std::uint32_t x,
              std::uint32_t y, Place& place) {
  std::int64_t nearest = INT64_MAX;
  std::int64_t nearest_hill = INT64_MAX;
  for (const HomeIsland& home : homes.islands) {
    nearest = std::min(nearest, phases.DistanceSquared(x, y, home.x, home.y));
    nearest_hill = std::min(nearest_hill, phases.DistanceSquared(x, y, home.hill_x, home.hill_y));
  }
  const std::int64_t r2 = std::max<std::int64_t>(homes.radius * homes.radius, 1);
  const std::int64_t q = std::min<std::int64_t>(nearest * kOne / r2, kChannelEnd);
  // The coast wiggles by a noise of cells half the radius: the island's size stays.
  const std::int32_t wiggle = q < kChannelFull ? SampleNoise(coast, x, y) : 0;
  place.island = static_cast<std::int32_t>(kOne - q) + ((wiggle * kHomeNoise) >> kOneBits);
  place.calm =
      static_cast<std::int32_t>(Clamp(static_cast<std::int32_t>(q) - kOne, 0, kOne / 2) * 2);
  const std::int64_t channel =
      q < kChannelFull ? kChannelDepth
                       : kChannelDepth * (kChannelEnd - q) / (kChannelEnd - kChannelFull);
  place.elevation -= static_cast<std::int32_t>(channel);
  // A third of the island's radius, and on small islands up to half of it: mines need room.
  const std::int64_t hill_radius =
      std::max(homes.radius / 3, std::min(homes.radius / 2, kSmallestHill));
  place.hill = (Dome(nearest_hill, hill_radius) * kHillHeight) >> kOneBits;
}

// The whole fields at a place from their slow parts there.
Place SampleFine(const Noises& noises, const StyleShape& shape, const HomeIslands& homes,
                 const Phases& phases, const Slow& slow, std::uint32_t px, std::uint32_t py) {
  const auto qx = static_cast<std::uint32_t>(
      px + static_cast<std::uint64_t>((slow.warp_x * phases.StepX()) >> kOneBits));
  const auto qy = static_cast<std::uint32_t>(
      py + static_cast<std::uint64_t>((slow.warp_y * phases.StepY()) >> kOneBits));
  const auto noise = static_cast<std::int32_t>(
      slow.elevation +
      SampleOctaves(noises.elevation, noises.fine_elevation, kElevationOctaves, qx, qy));
  Place place;
  place.elevation = (noise * shape.noise_weight) >> kOneBits;
  place.massif = static_cast<std::int32_t>(
      slow.massif + SampleOctaves(noises.ridge, noises.fine_ridge, kElevationOctaves, qx, qy));
  place.moisture = static_cast<std::int32_t>(slow.moisture);
  place.variety = static_cast<std::int32_t>(
      slow.variety +
      SampleOctaves(noises.variety, noises.fine_variety, noises.variety.octaves.size(), qx, qy));
  if (!homes.islands.empty()) AddHomes(homes, noises.coast, phases, qx, qy, place);
  return place;
}

// The slow parts on a coarse grid that wraps like the world: point (i, j) lies at phases
// (i / columns, j / rows) of the way round.
class CoarseGrid {
 public:
  CoarseGrid(const Noises& noises, const Phases& phases, std::size_t width, std::size_t row_steps)
      : columns_(static_cast<std::uint32_t>(std::max<std::size_t>(2, width / kCoarseSpacing))),
        rows_(static_cast<std::uint32_t>(std::max<std::size_t>(2, row_steps / kCoarseSpacing))) {
    points_.reserve(std::size_t{columns_} * rows_);
    for (std::uint32_t j = 0; j < rows_; ++j) {
      for (std::uint32_t i = 0; i < columns_; ++i) {
        points_.push_back(SampleSlow(noises, phases, PhaseX(i), PhaseY(j)));
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
    return {blend(&Slow::warp_x), blend(&Slow::warp_y),   blend(&Slow::elevation),
            blend(&Slow::massif), blend(&Slow::moisture), blend(&Slow::variety)};
  }

 private:
  std::uint32_t columns_;
  std::uint32_t rows_;
  std::vector<Slow> points_;
};

// The home islands where the bent coordinates meet them: a vertex samples the domes at its
// place moved by the bend there, so each dome moves by the bend at its middle, which brings
// the island back around its home vertex.
HomeIslands FollowBend(HomeIslands homes, const CoarseGrid& coarse, const Phases& phases) {
  for (HomeIsland& home : homes.islands) {
    const Slow slow = coarse.Blend(home.x, home.y);
    const auto dx = static_cast<std::uint64_t>((slow.warp_x * phases.StepX()) >> kOneBits);
    const auto dy = static_cast<std::uint64_t>((slow.warp_y * phases.StepY()) >> kOneBits);
    home.x = static_cast<std::uint32_t>(home.x + dx);
    home.y = static_cast<std::uint32_t>(home.y + dy);
    home.hill_x = static_cast<std::uint32_t>(home.hill_x + dx);
    home.hill_y = static_cast<std::uint32_t>(home.hill_y + dy);
  }
  return homes;
}

// What the vertex pass reads.
struct Sources {
  const Noises& noises;
  const StyleShape& shape;
  const HomeIslands& homes;
  const Phases& phases;
  const CoarseGrid& coarse;
  std::int32_t sea;
};

Place SampleAt(const Sources& in, Point p) {
  const std::uint32_t px = in.phases.X(p.x, p.y);
  const std::uint32_t py = in.phases.Y(p.y);
  return SampleFine(in.noises, in.shape, in.homes, in.phases, in.coarse.Blend(px, py), px, py);
}

// The fields at a canonical vertex; near a seam that a half turn turns end for end,
// blended with those at its turned image so that they join across it (half and half on
// the seam).
Place SampleSymmetric(const MapGrid& grid, const SymmetryGroup& group, const Sources& in,
                      std::size_t v) {
  const Point p = grid.PointOf(v);
  Place place = SampleAt(in, p);
  const std::size_t rows = group.RowsFromTurnedSeam(p.y);
  if (rows >= kSeamBlendRows) return place;
  const Place turned = SampleAt(in, grid.PointOf(group.MapVertex(Turn::kHalfTurn, v)));
  const std::int32_t own = kSmoothStep[(rows + kSeamBlendRows) * kOne / (2 * kSeamBlendRows)];
  const auto blend = [own](std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>((std::int64_t{a} * own + std::int64_t{b} * (kOne - own)) >>
                                     kOneBits);
  };
  for (std::int32_t Place::*field :
       {&Place::elevation, &Place::island, &Place::massif, &Place::hill, &Place::calm,
        &Place::moisture, &Place::variety}) {
    place.*field = blend(place.*field, turned.*field);
  }
  return place;
}

// The sea's level: the percentile of elevation at the canonical vertices nearest the
// coarse points (those of the part that is generated, as the vertices will have them).
std::int32_t FindSeaLevel(const MapGrid& grid, const SymmetryGroup& group, const Sources& in) {
  std::vector<Place> places;
  const std::uint64_t w = grid.width();
  const std::uint64_t h = grid.height();
  const CoarseGrid& coarse = in.coarse;
  for (std::uint32_t j = 0; j < coarse.rows(); ++j) {
    const std::uint64_t y = ((j * h + coarse.rows() / 2) / coarse.rows()) % h;
    for (std::uint32_t i = 0; i < coarse.columns(); ++i) {
      const std::uint64_t half = (2 * i * w + coarse.columns() / 2) / coarse.columns();
      const std::size_t v = grid.Index({((half + 1 - (y & 1)) / 2) % w, y});
      if (group.IsCanonical(v)) places.push_back(SampleSymmetric(grid, group, in, v));
    }
  }
  // Home islands are land whatever the level: the sea takes its share from the rest.
  Histogram rest;
  for (const Place& place : places) {
    if (place.island <= 0) rest.Add(place.elevation);
  }
  return rest.ValueAtRank(places.size() * in.shape.water_permille / 1000);
}

// Samples the fields at every canonical vertex and copies them to the others (the canonical
// image has the least index, so it is always sampled first).
Fields SampleVertices(const MapGrid& grid, const SymmetryGroup& group, const Sources& in) {
  const std::size_t n = grid.size();
  Fields raw{std::vector<std::int16_t>(n), std::vector<std::int16_t>(n),
             std::vector<std::int16_t>(n), std::vector<std::int16_t>(n),
             std::vector<std::int16_t>(n)};
  for (std::size_t v = 0; v < n; ++v) {
    const std::size_t source = group.CanonicalVertex(v);
    if (source != v) {
      for (auto* field : {&raw.above_sea, &raw.massif, &raw.hill, &raw.moisture, &raw.variety}) {
        (*field)[v] = (*field)[source];
      }
      continue;
    }
    const Place place = SampleSymmetric(grid, group, in, v);
    raw.above_sea[v] = static_cast<std::int16_t>(
        Clamp(std::max(place.elevation - in.sea, place.island), -kLimit, kLimit));
    // Home islands keep other ranges off: sunk by their calm, none at all on them.
    raw.massif[v] = static_cast<std::int16_t>(
        place.calm == 0 ? kNoRange
                        : Clamp(place.massif - (kOne - place.calm) * 4, -kLimit, kLimit));
    raw.hill[v] = static_cast<std::int16_t>(place.hill);
    raw.moisture[v] = static_cast<std::int16_t>(place.moisture);
    raw.variety[v] = static_cast<std::int16_t>(place.variety);
  }
  return raw;
}

}  // namespace

Fields SampleFields(const WorldOptions& options, const SymmetryGroup& group, const Phases& phases,
                    const HomeIslands& unbent_homes, std::uint32_t seed) {
  const StyleShape& shape = kStyleShapes[static_cast<std::size_t>(options.style)];
  const MapGrid grid(options.width, options.height);
  const Noises noises = MakeNoises(options, shape, unbent_homes, seed);
  const CoarseGrid coarse(noises, phases, options.width, phases.HeightInSteps());
  const HomeIslands homes = FollowBend(unbent_homes, coarse, phases);
  Sources sources{noises, shape, homes, phases, coarse, 0};
  sources.sea = FindSeaLevel(grid, group, sources);
  return SampleVertices(grid, group, sources);
}

}  // namespace plandrix::generate
