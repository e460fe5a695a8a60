#include "generate/islands.h"

#include <algorithm>
#include <set>
#include <tuple>

#include "generate/survey.h"
#include "inspect/building_quality.h"
#include "random/twister.h"

namespace plandrix::generate {
namespace {

// Random places tried for each home island; the one farthest from the others wins.
constexpr std::size_t kHomeTries = 32;
// A home island's radius: this share of the distance between the nearest two homes, at
// most this share of the world's side (the square root of its vertices), and small enough
// that the discs of all home islands together cover kHomesShare of the world: their coasts
// wander out and the grid holds 2 / sqrt(3) vertices a square step, so they take about a
// third more, still leaving some land of the islands style to islands for all.
constexpr std::int64_t kHomeRadiusShare = kOne * 38 / 100;
constexpr std::int64_t kMostHomeRadiusShare = kOne / 5;
constexpr std::uint64_t kHomesShare = kOne / 5;
// pi with 12 bits of fraction.
constexpr std::uint64_t kPi = 12868;
// A row's height in steps, sqrt(3) / 2, with 12 bits of fraction.
constexpr std::int64_t kRowSteps = 3547;
// The six directions of a step in the plane, with 12 bits of fraction: where a home's
// hill lies from its middle, half its radius away.
constexpr std::array<std::array<std::int64_t, 2>, 6> kStepDirections = {{{kOne, 0},
                                                                         {kOne / 2, 3547},
                                                                         {-kOne / 2, 3547},
                                                                         {-kOne, 0},
                                                                         {-kOne / 2, -3547},
                                                                         {kOne / 2, -3547}}};

// Harbours: one for the first kOpenPerHarbour open vertices of a land mass and one more for
// each further, at most kMostHarbours, at least kHarbourSpacing steps apart.
constexpr std::size_t kOpenPerHarbour = 800;
constexpr std::size_t kMostHarbours = 6;
constexpr std::size_t kHarbourSpacing = 14;

// The distinct images of v, v first.
std::vector<std::size_t> ImagesOf(const SymmetryGroup& group, std::size_t v) {
  std::vector<std::size_t> images;
  for (const Turn turn : group.turns()) {
    const std::size_t image = group.MapVertex(turn, v);
    if (std::find(images.begin(), images.end(), image) == images.end()) images.push_back(image);
  }
  return images;
}

std::int64_t VertexDistanceSquared(const MapGrid& grid, const Phases& phases, std::size_t a,
                                   std::size_t b) {
  const Point p = grid.PointOf(a);
  const Point q = grid.PointOf(b);
  return phases.DistanceSquared(phases.X(p.x, p.y), phases.Y(p.y), phases.X(q.x, q.y),
                                phases.Y(q.y));
}

// How far v lies from its own images, an image on an axis (v itself) too, and for a half
// turn alone from twice the seam it turns end for end: squared, 24 bits of fraction. An
// island needs room within its part, or it meets its image or loses itself across the seam.
std::int64_t RoomSquared(const MapGrid& grid, const SymmetryGroup& group, const Phases& phases,
                         std::size_t v) {
  std::int64_t room = INT64_MAX;
  for (const Turn turn : group.turns().subspan(1)) {
    room = std::min(room, VertexDistanceSquared(grid, phases, v, group.MapVertex(turn, v)));
  }
  const std::size_t rows = group.RowsFromTurnedSeam(grid.PointOf(v).y);
  if (rows != SIZE_MAX) {
    const auto steps = static_cast<std::int64_t>(2 * rows) * kRowSteps;
    room = std::min(room, steps * steps);
  }
  return room;
}

// The nearest of others to v, squared, or less when v has less room in its part.
std::int64_t NearestSquared(const MapGrid& grid, const SymmetryGroup& group, const Phases& phases,
                            std::size_t v, std::span<const std::size_t> others) {
  std::int64_t nearest = RoomSquared(grid, group, phases, v);
  for (const std::size_t u : others) {
    nearest = std::min(nearest, VertexDistanceSquared(grid, phases, v, u));
  }
  return nearest;
}

// The vertex nearest a place.
std::size_t VertexAt(const MapGrid& grid, std::uint32_t px, std::uint32_t py) {
  const std::size_t y = static_cast<std::size_t>((std::uint64_t{py} * grid.height()) >> 32);
  const std::size_t half = static_cast<std::size_t>((std::uint64_t{px} * 2 * grid.width()) >> 32);
  return grid.Index({((half + 1 - (y & 1)) / 2) % grid.width(), y});
}

// A home island's hill, half its radius from its middle v, in the direction (of six, the
// first tried given by draw) with the most room in the part.
HomeIsland PlaceHill(const MapGrid& grid, const SymmetryGroup& group, const Phases& phases,
                     std::size_t v, std::int64_t radius, std::uint32_t draw) {
  const Point p = grid.PointOf(v);
  const std::uint32_t x = phases.X(p.x, p.y);
  const std::uint32_t y = phases.Y(p.y);
  HomeIsland best{x, y, x, y};
  std::int64_t best_room = -1;
  for (std::size_t k = 0; k < kStepDirections.size(); ++k) {
    const auto& direction = kStepDirections[(draw + k) % kStepDirections.size()];
    const std::int64_t dx = direction[0] * radius / (2 * kOne);
    const std::int64_t dy = direction[1] * radius / (2 * kOne);
    const auto hill_x =
        static_cast<std::uint32_t>(x + static_cast<std::uint64_t>(dx * phases.StepX() >> kOneBits));
    const auto hill_y =
        static_cast<std::uint32_t>(y + static_cast<std::uint64_t>(dy * phases.StepY() >> kOneBits));
    const std::int64_t room = RoomSquared(grid, group, phases, VertexAt(grid, hill_x, hill_y));
    if (room > best_room) {
      best = {x, y, hill_x, hill_y};
      best_room = room;
    }
  }
  return best;
}

// What a harbour place needs, on the world's terrain as it stands.
class HarbourTest {
 public:
  HarbourTest(const MapGrid& grid, std::span<const std::uint8_t> survey,
              std::span<const std::uint8_t> heights, std::span<const std::uint8_t> first,
              std::span<const std::uint8_t> second)
      : grid_(grid), survey_(survey), heights_(heights), main_coast_(grid.size()) {
    // The game's seas, from the terrain alone: no object changes where ships sail.
    const std::vector<std::uint8_t> none(grid.size());
    const MapLayers layers{
        grid.width(), grid.height(), Landscape::kGreenland, heights, first, second, none, none};
    const Seas seas = FindSeas(ReadVertexFacts(layers).around, grid.width(), grid.height());
    const auto largest = std::max_element(seas.sizes.begin(), seas.sizes.end());
    if (largest == seas.sizes.end() || *largest < kSmallestHarbourSea) return;
    main_sea_ = static_cast<std::uint32_t>(largest - seas.sizes.begin());
    // The coast of the main sea: no sea point, not water all round, beside a point of it.
    for (std::size_t u = 0; u < grid.size(); ++u) {
      if (seas.sea_of[u] != kNoSea || (survey[u] & kAllWater) != 0) continue;
      const auto around = grid.Neighbours(grid.PointOf(u));
      main_coast_[u] = std::any_of(around.begin(), around.end(),
                                   [&](std::size_t w) { return seas.sea_of[w] == main_sea_; })
                           ? 1
                           : 0;
    }
  }

  bool HasSea() const { return main_sea_ != kNoSea; }

  // Castle ground, a flag place at the south-east and a coast of the main sea beside it
  // (other than to the north-west, which the game does not look at).
  bool Allows(std::size_t v) const {
    if ((survey_[v] & kAllBuildable) == 0) return false;
    const Point p = grid_.PointOf(v);
    const auto around = grid_.Neighbours(p);
    // Directions W, NW, NE, E, SE, SW: all but the north-west (1).
    const bool coast = main_coast_[around[0]] != 0 || main_coast_[around[2]] != 0 ||
                       main_coast_[around[3]] != 0 || main_coast_[around[4]] != 0 ||
                       main_coast_[around[5]] != 0;
    if (!coast || !IsLevel(p)) return false;
    return (survey_[around[4]] & kAnyDanger) == 0;
  }

 private:
  // The game's castle test of heights: the south-east neighbour at most one above, the
  // others within three, the twelve vertices two steps away within two.
  bool IsLevel(Point p) const {
    const int own = heights_[grid_.Index(p)];
    const auto around = grid_.Neighbours(p);
    if (heights_[around[4]] > own + 1) return false;
    for (std::size_t d = 0; d < around.size(); ++d) {
      if (std::abs(heights_[around[d]] - own) > 3) return false;
      const Point next = grid_.PointOf(around[d]);
      const std::size_t straight = grid_.Index(grid_.Neighbour(next, kDirections[d]));
      const std::size_t turned = grid_.Index(grid_.Neighbour(next, kDirections[(d + 1) % 6]));
      if (std::abs(heights_[straight] - own) > 2 || std::abs(heights_[turned] - own) > 2) {
        return false;
      }
    }
    return true;
  }

  const MapGrid& grid_;
  std::span<const std::uint8_t> survey_;
  std::span<const std::uint8_t> heights_;
  std::vector<std::uint8_t> main_coast_;  // by vertex: 1 on the coast of the main sea
  std::uint32_t main_sea_ = kNoSea;
};

bool IsHomeMass(const MapGrid& grid, const LandMasses& masses, std::span<const Point> homes,
                std::uint32_t mass) {
  return std::any_of(homes.begin(), homes.end(),
                     [&](Point home) { return masses.mass_of[grid.Index(home)] == mass; });
}

struct HarbourCandidate {
  std::uint32_t mass;
  std::uint64_t order;
  std::size_t v;
  friend bool operator<(const HarbourCandidate& a, const HarbourCandidate& b) {
    return std::tie(a.mass, a.order, a.v) < std::tie(b.mass, b.order, b.v);
  }
};

}  // namespace

HomeChoice ChooseHomes(const MapGrid& grid, const SymmetryGroup& group, const Phases& phases,
                       std::size_t players, std::uint32_t seed) {
  Twister twister(seed);
  const std::size_t per_part = (players + group.parts() - 1) / group.parts();
  std::vector<std::size_t> homes;  // canonical
  std::vector<std::size_t> all;    // with their images
  for (std::size_t home = 0; home < per_part; ++home) {
    std::size_t best = 0;
    std::int64_t best_score = -1;
    for (std::size_t t = 0; t < kHomeTries; ++t) {
      const std::size_t v = group.CanonicalVertex(twister() % grid.size());
      const std::int64_t score = NearestSquared(grid, group, phases, v, all);
      if (score > best_score) std::tie(best, best_score) = std::tuple(v, score);
    }
    homes.push_back(best);
    for (const std::size_t image : ImagesOf(group, best)) all.push_back(image);
  }
  std::int64_t nearest = INT64_MAX;
  for (std::size_t i = 0; i < all.size(); ++i) {
    for (std::size_t j = i + 1; j < all.size(); ++j) {
      nearest = std::min(nearest, VertexDistanceSquared(grid, phases, all[i], all[j]));
    }
  }
  const auto side = static_cast<std::int64_t>(SquareRoot(grid.size()));
  // r^2 = share N / (pi homes), with 24 bits of fraction.
  const std::uint64_t most_squared = (grid.size() << 24) * kHomesShare / (kPi * all.size());
  std::int64_t radius =
      std::min(side * kMostHomeRadiusShare, static_cast<std::int64_t>(SquareRoot(most_squared)));
  if (nearest != INT64_MAX) {
    const auto apart = static_cast<std::int64_t>(SquareRoot(static_cast<std::uint64_t>(nearest)));
    radius = std::min(radius, apart * kHomeRadiusShare >> kOneBits);
  }
  HomeChoice choice;
  choice.islands.radius = radius;
  for (const std::size_t v : homes) {
    choice.islands.islands.push_back(PlaceHill(grid, group, phases, v, radius, twister()));
  }
  choice.middles = homes;
  return choice;
}

std::size_t NearestOpen(const MapGrid& grid, std::span<const std::uint8_t> survey, std::size_t v,
                        std::size_t reach) {
  std::vector<std::size_t> ring = {v};
  std::set<std::size_t> seen = {v};  // the search mostly ends within a few steps
  for (std::size_t step = 0; step <= reach && !ring.empty(); ++step) {
    for (const std::size_t u : ring) {
      if ((survey[u] & kAllBuildable) != 0) return u;
    }
    std::vector<std::size_t> next;
    for (const std::size_t u : ring) {
      for (const std::size_t w : grid.Neighbours(grid.PointOf(u))) {
        if ((survey[w] & (kAnyWalkable | kAnyDanger)) != kAnyWalkable) continue;
        if (!seen.insert(w).second) continue;
        next.push_back(w);
      }
    }
    ring.swap(next);
  }
  return v;
}

std::size_t LeastHomeOpen(std::size_t n) { return std::max<std::size_t>(12, 200 * n / 16384); }

LandMasses FindLandMasses(const MapGrid& grid, std::span<const std::uint8_t> survey,
                          std::span<const std::uint8_t> first,
                          std::span<const std::uint8_t> second) {
  const std::size_t n = grid.size();
  const auto standable = [&](std::size_t v) {
    return (survey[v] & (kAnyWalkable | kAnyDanger)) == kAnyWalkable;
  };
  LandMasses masses;
  masses.mass_of.assign(n, LandMasses::kNoMass);
  std::vector<std::size_t> queue;
  for (std::size_t start = 0; start < n; ++start) {
    if (!standable(start) || masses.mass_of[start] != LandMasses::kNoMass) continue;
    const auto id = static_cast<std::uint32_t>(masses.open.size());
    masses.mass_of[start] = id;
    queue.assign(1, start);
    std::size_t open = 0;
    for (std::size_t head = 0; head < queue.size(); ++head) {
      const std::size_t v = queue[head];
      if ((survey[v] & kAllBuildable) != 0) ++open;
      const std::uint8_t walkable = WalkableAround(grid, first, second, v);
      const auto around = grid.Neighbours(grid.PointOf(v));
      for (std::size_t d = 0; d < around.size(); ++d) {
        // The edge towards neighbour d runs between triangles d - 1 and d around the vertex.
        const unsigned flank = (1u << d) | (1u << ((d + 5) % 6));
        const std::size_t u = around[d];
        if ((walkable & flank) == 0 || !standable(u)) continue;
        if (masses.mass_of[u] != LandMasses::kNoMass) continue;
        masses.mass_of[u] = id;
        queue.push_back(u);
      }
    }
    masses.open.push_back(open);
  }
  return masses;
}

}  // namespace plandrix::generate

namespace plandrix::generate {

std::vector<std::size_t> PlaceHarbours(const MapGrid& grid, const SymmetryGroup& group,
                                       const LandMasses& masses, std::span<const Point> homes,
                                       std::size_t least_open, std::uint32_t seed,
                                       std::span<const std::uint8_t> survey,
                                       std::span<const std::uint8_t> heights,
                                       std::span<std::uint8_t> first,
                                       std::span<const std::uint8_t> second) {
  const HarbourTest test(grid, survey, heights, first, second);
  if (!test.HasSea()) return {};
  std::vector<HarbourCandidate> candidates;
  for (std::size_t v = 0; v < grid.size(); ++v) {
    const std::uint32_t mass = masses.mass_of[v];
    if (mass == LandMasses::kNoMass) continue;
    if (masses.open[mass] < least_open && !IsHomeMass(grid, masses, homes, mass)) continue;
    if (!group.IsCanonical(v)) continue;
    const auto images = ImagesOf(group, v);
    if (!std::all_of(images.begin(), images.end(), [&](std::size_t u) { return test.Allows(u); })) {
      continue;
    }
    candidates.push_back({mass, Mix(seed ^ (std::uint64_t{v} << 24)), v});
  }
  std::sort(candidates.begin(), candidates.end());
  std::vector<std::size_t> harbours;
  std::size_t placed_on_mass = 0;
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    const HarbourCandidate& c = candidates[i];
    if (i > 0 && candidates[i - 1].mass != c.mass) placed_on_mass = 0;
    const std::size_t quota = std::min(kMostHarbours, 1 + masses.open[c.mass] / kOpenPerHarbour);
    if (placed_on_mass >= quota) continue;
    // Apart from every harbour so far, and from its own images (by symmetry, its images
    // then lie as far from every harbour).
    const Point p = grid.PointOf(c.v);
    const auto images = ImagesOf(group, c.v);
    const auto far = [&](std::size_t h) {
      return grid.Distance(p, grid.PointOf(h)) >= kHarbourSpacing;
    };
    if (!std::all_of(harbours.begin(), harbours.end(), far) ||
        !std::all_of(images.begin() + 1, images.end(), far)) {
      continue;
    }
    harbours.insert(harbours.end(), images.begin(), images.end());
    ++placed_on_mass;
  }
  for (const std::size_t h : harbours)
    first[h] = static_cast<std::uint8_t>(first[h] | kHarbourFlag);
  return harbours;
}

}  // namespace plandrix::generate
