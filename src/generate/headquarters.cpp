#include "generate/headquarters.h"

#include <algorithm>
#include <array>
#include <limits>

#include "core/map_format.h"
#include "core/map_layout.h"
#include "core/terrain.h"

namespace plandrix::generate {
namespace {

constexpr std::uint16_t kFarSteps = std::numeric_limits<std::uint16_t>::max();
// At most this many sites are compared when spreading the players; more are sampled.
constexpr std::size_t kMostCompared = 6000;
// On island worlds a headquarters stands at most this many steps from a harbour site, so
// that its home holds it.
constexpr std::uint16_t kHarbourReach = 16;
// The granite piles of the kit are of this size (stones a quarry takes from each).
constexpr std::uint8_t kKitGraniteSize = 5;

bool Walkable(const GroundFacts& ground, std::size_t v) {
  return (ground.facts.walk[v] & kWalkableVertex) != 0;
}

// Calls visit(u) for every vertex one walkable step from the walkable vertex v.
template <class Visit>
void ForEachWalkStep(const GroundFacts& ground, std::size_t v, Visit&& visit) {
  const std::uint8_t walk = ground.facts.walk[v];
  const auto near = ground.grid.Neighbours(ground.grid.PointOf(v));
  for (std::size_t d = 0; d < near.size(); ++d) {
    if ((walk & (1U << d)) != 0 && Walkable(ground, near[d])) visit(near[d]);
  }
}

void FindMasses(GroundFacts& ground) {
  const std::size_t n = ground.grid.size();
  ground.mass_of.assign(n, kNoMass);
  std::vector<std::size_t> queue;
  for (std::size_t start = 0; start < n; ++start) {
    if (!Walkable(ground, start) || ground.mass_of[start] != kNoMass) continue;
    const auto mass = static_cast<std::uint32_t>(ground.mass_sizes.size());
    queue.assign(1, start);
    ground.mass_of[start] = mass;
    for (std::size_t head = 0; head < queue.size(); ++head) {
      ForEachWalkStep(ground, queue[head], [&](std::size_t u) {
        if (ground.mass_of[u] != kNoMass) return;
        ground.mass_of[u] = mass;
        queue.push_back(u);
      });
    }
    ground.mass_sizes.push_back(queue.size());
  }
}

// Walking steps from every vertex to the nearest mine site: one walk from all at once.
void FindMineSteps(GroundFacts& ground) {
  const std::size_t n = ground.grid.size();
  ground.mine_steps.assign(n, kFarSteps);
  std::vector<std::size_t> queue;
  for (std::size_t v = 0; v < n; ++v) {
    if (ground.quality[v] == BuildingQuality::kMine && Walkable(ground, v)) {
      ground.mine_steps[v] = 0;
      queue.push_back(v);
    }
  }
  for (std::size_t head = 0; head < queue.size(); ++head) {
    const std::size_t v = queue[head];
    if (ground.mine_steps[v] + 1 >= kFarSteps) break;
    ForEachWalkStep(ground, v, [&](std::size_t u) {
      if (ground.mine_steps[u] != kFarSteps) return;
      ground.mine_steps[u] = static_cast<std::uint16_t>(ground.mine_steps[v] + 1);
      queue.push_back(u);
    });
  }
}

// Whether a danger triangle touches a vertex within two steps of v.
bool DangerNear(const GroundFacts& ground, std::size_t v) {
  const MapGrid& grid = ground.grid;
  for (const std::size_t u : grid.Neighbours(grid.PointOf(v))) {
    for (const std::size_t w : grid.Neighbours(grid.PointOf(u))) {
      if ((ground.facts.around[w] & kAnyDanger) != 0) return true;
    }
  }
  return false;
}

// The vertices within steps of centre (by the grid, not by walking), with their steps.
std::vector<std::pair<std::size_t, std::size_t>> Within(const MapGrid& grid, std::size_t centre,
                                                        std::size_t steps) {
  std::vector<std::pair<std::size_t, std::size_t>> found = {{centre, 0}};
  std::vector<std::size_t> seen = {centre};
  for (std::size_t head = 0; head < found.size(); ++head) {
    const auto [v, d] = found[head];
    if (d == steps) continue;
    for (const std::size_t u : grid.Neighbours(grid.PointOf(v))) {
      if (std::find(seen.begin(), seen.end(), u) != seen.end()) continue;
      seen.push_back(u);
      found.emplace_back(u, d + 1);
    }
  }
  return found;
}

// The land mass of a home: of its vertex, or of the nearest walkable one (the home's
// middle may hold a granite pile or a tree).
std::uint32_t MassOfHome(const GroundFacts& ground, Point home) {
  for (const auto& [v, steps] : Within(ground.grid, ground.grid.Index(home), 4)) {
    if (ground.mass_of[v] != kNoMass) return ground.mass_of[v];
  }
  return kNoMass;
}

}  // namespace

GroundFacts ReadGround(std::span<const std::uint8_t> image) {
  GroundFacts ground;
  if (!MapImageIsComplete(image)) return ground;
  const auto landscape = LandscapeOf(image[kLandscapeOffset]).value_or(Landscape::kGreenland);
  const auto layers = LayersOf(image, landscape);
  if (!layers) return ground;
  ground.grid = MapGrid(layers->width, layers->height);
  ground.facts = ReadVertexFacts(*layers);
  ground.quality = ComputeBuildingQuality(*layers, ground.facts);
  FindMasses(ground);
  FindMineSteps(ground);
  return ground;
}

namespace {

// Walking steps from every vertex to the nearest harbour site of its own land, capped.
std::vector<std::uint16_t> HarbourSteps(const GroundFacts& ground) {
  std::vector<std::uint16_t> steps(ground.grid.size(), kFarSteps);
  std::vector<std::size_t> queue;
  for (std::size_t v = 0; v < ground.grid.size(); ++v) {
    if (ground.quality[v] == BuildingQuality::kHarbour) {
      steps[v] = 0;
      queue.push_back(v);
    }
  }
  for (std::size_t head = 0; head < queue.size(); ++head) {
    const std::size_t v = queue[head];
    if (steps[v] >= kHarbourReach || !Walkable(ground, v)) continue;
    ForEachWalkStep(ground, v, [&](std::size_t u) {
      if (steps[u] != kFarSteps) return;
      steps[u] = static_cast<std::uint16_t>(steps[v] + 1);
      queue.push_back(u);
    });
  }
  return steps;
}

}  // namespace

std::vector<std::size_t> HeadquartersSites(const GroundFacts& ground, std::span<const Point> homes,
                                           std::uint32_t mountain_steps) {
  std::vector<std::uint32_t> masses;
  for (const Point home : homes) masses.push_back(MassOfHome(ground, home));
  if (homes.empty() && !ground.mass_sizes.empty()) {
    const auto largest = std::max_element(ground.mass_sizes.begin(), ground.mass_sizes.end());
    masses.push_back(static_cast<std::uint32_t>(largest - ground.mass_sizes.begin()));
  }
  // On island worlds a home holds a harbour site, for ships to join it to the others.
  const std::vector<std::uint16_t> harbour_steps =
      homes.empty() ? std::vector<std::uint16_t>() : HarbourSteps(ground);
  std::vector<std::size_t> sites;
  for (std::size_t v = 0; v < ground.grid.size(); ++v) {
    const BuildingQuality q = ground.quality[v];
    if (q != BuildingQuality::kCastle && q != BuildingQuality::kHarbour) continue;
    if (!homes.empty() && harbour_steps[v] > kHarbourReach) continue;
    if (std::find(masses.begin(), masses.end(), ground.mass_of[v]) == masses.end()) continue;
    if (ground.mine_steps[v] > mountain_steps || DangerNear(ground, v)) continue;
    sites.push_back(v);
  }
  return sites;
}

namespace {

// A group of positions that go together: a site and its images on a symmetric world.
std::vector<std::size_t> GroupOf(const SymmetryGroup& symmetry, bool symmetric, std::size_t v) {
  if (!symmetric) return {v};
  std::vector<std::size_t> group;
  for (const Turn turn : symmetry.turns()) group.push_back(symmetry.MapVertex(turn, v));
  return group;
}

// The smallest distance of group to chosen and within itself.
std::size_t Spread(const MapGrid& grid, std::span<const std::size_t> group,
                   std::span<const std::size_t> chosen) {
  std::size_t nearest = std::numeric_limits<std::size_t>::max();
  for (std::size_t i = 0; i < group.size(); ++i) {
    const Point a = grid.PointOf(group[i]);
    for (const std::size_t c : chosen)
      nearest = std::min(nearest, grid.Distance(a, grid.PointOf(c)));
    for (std::size_t j = i + 1; j < group.size(); ++j) {
      nearest = std::min(nearest, grid.Distance(a, grid.PointOf(group[j])));
    }
  }
  return nearest;
}

// Farthest-point choice of groups among candidates: the first from the start-th
// candidate, each next the one whose group lies farthest from all chosen.
std::vector<std::size_t> SpreadGroups(const MapGrid& grid, std::span<const std::size_t> candidates,
                                      const SymmetryGroup& symmetry, bool symmetric,
                                      std::size_t groups, std::size_t start) {
  std::vector<std::size_t> chosen;
  if (candidates.empty()) return chosen;
  const auto first = GroupOf(symmetry, symmetric, candidates[start % candidates.size()]);
  chosen.insert(chosen.end(), first.begin(), first.end());
  for (std::size_t g = 1; g < groups; ++g) {
    std::size_t best = candidates.size();
    std::size_t best_spread = 0;
    for (std::size_t i = 0; i < candidates.size(); ++i) {
      const auto group = GroupOf(symmetry, symmetric, candidates[i]);
      const std::size_t spread = Spread(grid, group, chosen);
      if (spread > best_spread) {
        best = i;
        best_spread = spread;
      }
    }
    if (best == candidates.size()) return {};
    const auto group = GroupOf(symmetry, symmetric, candidates[best]);
    chosen.insert(chosen.end(), group.begin(), group.end());
  }
  return chosen;
}

}  // namespace

namespace {

// One group per home island, each on its own island: the site of that island whose group
// lies farthest from those chosen, the first island's from the try-th site.
std::vector<std::size_t> SpreadOverIslands(const GroundFacts& ground,
                                           std::span<const std::size_t> candidates,
                                           std::span<const Point> homes,
                                           const SymmetryGroup& symmetry, bool symmetric,
                                           std::size_t groups, std::size_t start) {
  std::vector<std::size_t> chosen;
  for (std::size_t g = 0; g < groups && g < homes.size(); ++g) {
    const std::uint32_t mass = MassOfHome(ground, homes[g]);
    std::vector<std::size_t> island;
    for (const std::size_t v : candidates) {
      if (ground.mass_of[v] == mass) island.push_back(v);
    }
    if (mass == kNoMass || island.empty()) return {};
    std::size_t best = island[start % island.size()];
    if (g > 0) {
      std::size_t best_spread = 0;
      for (const std::size_t v : island) {
        const std::size_t spread = Spread(ground.grid, GroupOf(symmetry, symmetric, v), chosen);
        if (spread > best_spread) {
          best = v;
          best_spread = spread;
        }
      }
    }
    const auto group = GroupOf(symmetry, symmetric, best);
    chosen.insert(chosen.end(), group.begin(), group.end());
  }
  return chosen;
}

}  // namespace

std::vector<Point> PlaceHeadquarters(const GroundFacts& ground, std::span<const std::size_t> sites,
                                     const WorldOptions& options, std::span<const Point> homes,
                                     std::size_t try_index) {
  const SymmetryGroup symmetry(ground.grid, options.symmetry, options.players);
  const bool symmetric = symmetry.parts() > 1 && options.players % symmetry.parts() == 0;
  const std::size_t groups = symmetric ? options.players / symmetry.parts() : options.players;
  // Candidates: sites of the first part on a symmetric world, sampled on a large one.
  std::vector<std::size_t> candidates;
  for (const std::size_t v : sites) {
    if (!symmetric || symmetry.IsCanonical(v)) candidates.push_back(v);
  }
  const std::size_t stride = candidates.size() / kMostCompared + 1;
  std::vector<std::size_t> sampled;
  for (std::size_t i = 0; i < candidates.size(); i += stride) sampled.push_back(candidates[i]);
  // Each try starts from another site, spread over the list.
  const std::size_t start = (try_index * 2654435761U) % std::max<std::size_t>(1, sampled.size());
  const std::vector<std::size_t> chosen =
      homes.empty()
          ? SpreadGroups(ground.grid, sampled, symmetry, symmetric, groups, start)
          : SpreadOverIslands(ground, sampled, homes, symmetry, symmetric, groups, try_index);
  std::vector<Point> positions;
  if (chosen.size() != options.players) return positions;
  // Headquarters closer than this would share their first territories.
  if (Spread(ground.grid, chosen, {}) < 2 * kTerritorySteps) return positions;
  for (const std::size_t v : chosen) positions.push_back(ground.grid.PointOf(v));
  return positions;
}

namespace {

// The trees a generated landscape grows for wood.
constexpr std::array<TreeSpecies, 4> kGreenlandTrees = {TreeSpecies::kPine, TreeSpecies::kBirch,
                                                        TreeSpecies::kOak, TreeSpecies::kFir};
constexpr std::array<TreeSpecies, 4> kWastelandTrees = {TreeSpecies::kCypress, TreeSpecies::kPalm1,
                                                        TreeSpecies::kPine, TreeSpecies::kOak};
constexpr std::array<TreeSpecies, 4> kWinterTrees = {TreeSpecies::kFir, TreeSpecies::kPine,
                                                     TreeSpecies::kBirch, TreeSpecies::kCherry};

TreeSpecies KitTree(Landscape landscape, std::size_t n) {
  switch (landscape) {
    case Landscape::kWasteland:
      return kWastelandTrees[n % 4];
    case Landscape::kWinter:
      return kWinterTrees[n % 4];
    case Landscape::kGreenland:
      break;
  }
  return kGreenlandTrees[n % 4];
}

// Writes an object at v, and at every image of v on a symmetric world.
struct Editor {
  MapBlocks blocks;
  const SymmetryGroup& symmetry;
  bool symmetric;

  void Put(std::size_t v, std::uint8_t index, std::uint8_t type) const {
    for (const std::size_t u : GroupOf(symmetry, symmetric, v)) {
      blocks.object_index[u] = index;
      blocks.object_type[u] = type;
    }
  }
};

// Clears the trees and granite near the headquarters at h; plants the kit around it.
// Where the kit may go, best first: free vertices of the ring beyond the clearing with
// buildable land all round (not shallow water), none beside a harbour site; those that
// spoil no castle site come first, the outer ring before the inner.
std::vector<std::size_t> KitSpots(const GroundFacts& ground,
                                  std::span<const std::pair<std::size_t, std::size_t>> near) {
  std::vector<std::pair<int, std::size_t>> ranked;
  for (const auto& [v, steps] : near) {
    if (steps <= kClearSteps || ground.facts.objects[v] != VertexObject::kNone) continue;
    const std::uint8_t around = ground.facts.around[v];
    if ((around & (kAnyDanger | kNotAllBuildable)) != 0 || (around & kNotAllWaterKind) == 0) {
      continue;
    }
    const auto next = ground.grid.Neighbours(ground.grid.PointOf(v));
    const bool by_harbour = ground.quality[v] == BuildingQuality::kHarbour ||
                            std::any_of(next.begin(), next.end(), [&](std::size_t u) {
                              return ground.quality[u] == BuildingQuality::kHarbour;
                            });
    if (by_harbour) continue;
    const bool spoils = ground.quality[v] == BuildingQuality::kCastle;
    ranked.emplace_back((spoils ? 100 : 0) - static_cast<int>(steps), v);
  }
  std::stable_sort(ranked.begin(), ranked.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::size_t> spots;
  for (const auto& [rank, v] : ranked) spots.push_back(v);
  return spots;
}

// Clears the trees and granite near the headquarters at h; plants the kit around it.
bool PrepareOne(const Editor& editor, const GroundFacts& ground, std::size_t h, Landscape landscape,
                std::uint32_t seed) {
  const auto near = Within(ground.grid, h, kTerritorySteps);
  std::size_t trees = 0;
  std::size_t granite = 0;
  for (const auto& [v, steps] : near) {
    const VertexObject object = ground.facts.objects[v];
    if (steps <= kClearSteps) {
      if (IsTree(object) || object == VertexObject::kGranite) editor.Put(v, 0, 0);
      continue;
    }
    trees += object == VertexObject::kTree ? 1 : 0;
    granite += object == VertexObject::kGranite ? 1 : 0;
  }
  std::vector<std::size_t> spots = KitSpots(ground, near);
  // The first spots in a seeded order among the best: a clump somewhere in the ring.
  const std::size_t best = std::min<std::size_t>(spots.size(), 3 * (kKitTrees + kKitGranite));
  if (best > 0) {
    const std::size_t from = (seed ^ static_cast<std::uint32_t>(h * 2654435761U)) % best;
    std::rotate(spots.begin(), spots.begin() + static_cast<std::ptrdiff_t>(from),
                spots.begin() + static_cast<std::ptrdiff_t>(best));
  }
  std::size_t next = 0;
  for (; granite < kKitGranite && next < spots.size(); ++granite) {
    editor.Put(spots[next++], kKitGraniteSize, kFirstGraniteType);
  }
  for (std::size_t planted = 0; trees < kKitTrees && next < spots.size(); ++trees, ++planted) {
    const TreeBytes tree = TreeBytesOf(KitTree(landscape, planted));
    editor.Put(spots[next++], static_cast<std::uint8_t>(tree.index + planted % 8), tree.type);
  }
  return trees >= kKitTrees && granite >= kKitGranite;
}

}  // namespace

bool PrepareTerritories(std::span<std::uint8_t> image, const GroundFacts& ground,
                        std::span<const Point> headquarters, const SymmetryGroup& symmetry,
                        std::uint32_t seed) {
  const auto blocks = BlocksOf(image, ground.grid.width(), ground.grid.height());
  if (!blocks) return false;
  const bool symmetric = symmetry.parts() > 1 && headquarters.size() % symmetry.parts() == 0;
  const Editor editor{*blocks, symmetry, symmetric};
  const auto landscape = LandscapeOf(image[kLandscapeOffset]).value_or(Landscape::kGreenland);
  // On a symmetric world the headquarters come in groups of a site and its images: the
  // first of each group stands for all, its changes go to every image.
  const std::size_t step = symmetric ? symmetry.parts() : 1;
  for (std::size_t p = 0; p < headquarters.size(); p += step) {
    if (!PrepareOne(editor, ground, ground.grid.Index(headquarters[p]), landscape, seed)) {
      return false;
    }
  }
  return true;
}

}  // namespace plandrix::generate
