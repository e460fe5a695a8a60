#include "generate/equalize.h"

#include <algorithm>
#include <array>
#include <functional>
#include <optional>
#include <vector>

#include "core/map_format.h"
#include "core/map_grid.h"
#include "core/map_layout.h"
#include "core/terrain.h"
#include "generate/headquarters.h"
#include "inspect/balance.h"
#include "inspect/building_quality.h"

namespace plandrix::generate {
namespace {

// Passes over the homes before they stand as they are.
constexpr int kPasses = 4;
// Ore in the ratio coal : iron : gold : granite, of each home's budget.
constexpr std::array<std::uint8_t, 4> kOreBases = {kCoalBase, kIronBase, kGoldBase, kGraniteBase};
constexpr std::array<std::uint64_t, 4> kOreShares = {40, 35, 10, 15};

struct Map {
  Ratio aim;  // the fairness the homes are brought to
  MapGrid grid{0, 0};
  Landscape landscape = Landscape::kGreenland;
  MapBlocks blocks;
  std::vector<PlayerStart> players;
  LayerVector<std::uint8_t> home;    // the player whose home a vertex lies in, or kNoHome
  std::vector<std::size_t> members;  // the vertices that lie in a home, in row order
  std::vector<std::uint32_t> steps;  // steps from the vertex to its home's headquarters
  VertexFacts facts;
  LayerVector<BuildingQuality> quality;

  MapLayers Layers() const {
    return {grid.width(), grid.height(), landscape,           blocks.heights,
            blocks.first, blocks.second, blocks.object_index, blocks.object_type};
  }
  void Look() {
    facts = ReadVertexFacts(Layers());
    quality = ComputeBuildingQuality(Layers(), facts);
  }
  // Whether v may change: in a home, farther than nearer steps from its headquarters (by
  // default outside the first territory, which holds the starting kit).
  bool Changeable(std::size_t v, std::size_t nearer = kTerritorySteps) const {
    return home[v] != kNoHome && steps[v] > nearer;
  }
};

std::optional<Map> ReadMap(std::span<std::uint8_t> image, Ratio aim) {
  if (!MapImageIsComplete(image)) return std::nullopt;
  Map map;
  map.aim = aim;
  map.grid = MapGrid(MapWidth(image), MapHeight(image));
  map.landscape = LandscapeOf(image[kLandscapeOffset]).value_or(Landscape::kGreenland);
  map.blocks = *BlocksOf(image, map.grid.width(), map.grid.height());
  map.players = FindPlayerStarts(image);
  if (map.players.size() < 2) return std::nullopt;
  map.Look();
  map.home = FindHomes(map.Layers(), map.facts, map.players, kDefaultHomeRadius);
  map.steps.assign(map.grid.size(), 0);
  for (std::size_t v = 0; v < map.grid.size(); ++v) {
    const std::uint8_t p = map.home[v];
    if (p == kNoHome) continue;
    map.members.push_back(v);
    const auto owner = std::find_if(map.players.begin(), map.players.end(),
                                    [p](const PlayerStart& s) { return s.player == p; });
    map.steps[v] = static_cast<std::uint32_t>(map.grid.Distance(map.grid.PointOf(v), owner->at));
  }
  return map;
}

// The players' index in map.players of each home byte.
std::size_t IndexOf(const Map& map, std::uint8_t player) {
  for (std::size_t i = 0; i < map.players.size(); ++i) {
    if (map.players[i].player == player) return i;
  }
  return map.players.size();
}

// Per home (in the order of map.players), how many vertices pass counted.
std::vector<std::uint64_t> CountPerHome(const Map& map,
                                        const std::function<std::uint64_t(std::size_t)>& count) {
  std::vector<std::uint64_t> counts(map.players.size());
  for (const std::size_t v : map.members) {
    const std::size_t i = IndexOf(map, map.home[v]);
    if (i < counts.size()) counts[i] += count(v);
  }
  return counts;
}

// The three corners of a triangle: first(v) = v, its south-west and south-east
// neighbours; second(v) = v, its south-east and east neighbours.
std::array<std::size_t, 3> Corners(const MapGrid& grid, Triangle t) {
  const auto near = grid.Neighbours(grid.PointOf(t.vertex));
  return t.second ? std::array<std::size_t, 3>{t.vertex, near[4], near[3]}
                  : std::array<std::size_t, 3>{t.vertex, near[5], near[4]};
}

std::uint8_t& TriangleByte(Map& map, Triangle t) {
  return t.second ? map.blocks.second[t.vertex] : map.blocks.first[t.vertex];
}

// Brings the sites that counted counts down towards the weakest home by painting, in each
// stronger home, triangles that paintable picks with code, outermost first, and looking
// again after each round.
// A painted triangle changes only the six triangles of its three corners, and so only
// whether they are counted sites: each counted corner becomes a flag. So the excess of
// each stronger home is painted away exactly, outermost triangles first, in one pass; a
// second look catches what the heights or a neighbour's flag place made otherwise. Within
// the first territory no more is painted than leaves keep counted sites there.
struct Lowering {
  std::function<bool(BuildingQuality)> counted;
  std::function<bool(std::uint8_t)> paintable;
  std::uint8_t code = 0;
  std::size_t nearer = 0;  // corners at most this many steps away are never painted
  std::uint64_t keep = 0;  // counted sites that stay within the first territory
};

// The triangles of home i that may be painted, outermost (by their nearest corner) first.
std::vector<std::pair<std::uint32_t, Triangle>> Paintable(Map& map, std::size_t i,
                                                          const Lowering& lowering) {
  std::vector<std::pair<std::uint32_t, Triangle>> candidates;
  for (const std::size_t v : map.members) {
    if (map.home[v] != map.players[i].player) continue;
    for (const bool second : {false, true}) {
      const Triangle t{v, second};
      if (!lowering.paintable(TriangleByte(map, t))) continue;
      std::uint32_t nearest = 0xFFFFFFFF;
      bool own = true;
      for (const std::size_t c : Corners(map.grid, t)) {
        // A harbour site keeps its ground: ships join the homes through it.
        own = own && map.Changeable(c, lowering.nearer) && map.home[c] == map.players[i].player &&
              map.quality[c] != BuildingQuality::kHarbour;
        nearest = std::min(nearest, map.steps[c]);
      }
      if (own) candidates.emplace_back(nearest, t);
    }
  }
  std::stable_sort(candidates.begin(), candidates.end(),
                   [](const auto& a, const auto& b) { return a.first > b.first; });
  return candidates;
}

bool LowerHome(Map& map, std::size_t i, std::uint64_t excess, const Lowering& lowering,
               std::vector<std::uint8_t>& taken) {
  // Counted sites within the first territory beyond the headquarters' own ground (which
  // its buildings take): those the kit keeps.
  const auto in_territory = [&](std::size_t v) {
    return map.steps[v] > 2 && map.steps[v] <= kTerritorySteps;
  };
  std::uint64_t inside = 0;
  for (const std::size_t v : map.members) {
    inside +=
        map.home[v] == map.players[i].player && in_territory(v) && lowering.counted(map.quality[v])
            ? 1
            : 0;
  }
  // One patch, grown from the home's outermost paintable triangle, so that the change
  // reads as a stretch of other ground rather than as stripes.
  auto candidates = Paintable(map, i, lowering);
  if (candidates.empty()) return false;
  // The first territory comes last, outermost first as the list stands.
  const Point seed = map.grid.PointOf(candidates.front().second.vertex);
  const auto outer =
      std::stable_partition(candidates.begin(), candidates.end(),
                            [&](const auto& c) { return c.first > kTerritorySteps; });
  std::stable_sort(candidates.begin(), outer, [&](const auto& a, const auto& b) {
    return map.grid.Distance(seed, map.grid.PointOf(a.second.vertex)) <
           map.grid.Distance(seed, map.grid.PointOf(b.second.vertex));
  });
  bool painted = false;
  for (const auto& [nearest, triangle] : candidates) {
    if (excess == 0) break;
    std::uint64_t gain = 0;
    std::uint64_t gain_inside = 0;
    const auto corners = Corners(map.grid, triangle);
    for (const std::size_t c : corners) {
      const bool site = lowering.counted(map.quality[c]) && taken[c] == 0;
      gain += site ? 1 : 0;
      gain_inside += site && in_territory(c) ? 1 : 0;
    }
    if (gain == 0 || gain > excess || inside < lowering.keep + gain_inside) continue;
    for (const std::size_t c : corners) taken[c] = 1;
    TriangleByte(map, triangle) = lowering.code;
    excess -= gain;
    inside -= gain_inside;
    painted = true;
  }
  return painted;
}

void LowerSites(Map& map, const Lowering& lowering) {
  for (int round = 0; round < 2; ++round) {
    const auto counts = CountPerHome(
        map, [&](std::size_t v) { return lowering.counted(map.quality[v]) ? 1U : 0U; });
    const std::uint64_t weakest = *std::min_element(counts.begin(), counts.end());
    // A home is brought down to at most the weakest over the aim.
    const std::uint64_t limit = weakest * map.aim.strongest / map.aim.weakest;
    std::vector<std::uint8_t> taken(map.grid.size());
    bool painted = false;
    for (std::size_t i = 0; i < counts.size(); ++i) {
      if (counts[i] > limit)
        painted = LowerHome(map, i, counts[i] - limit, lowering, taken) || painted;
    }
    if (!painted) return;
    map.Look();
  }
}

// Raises the mine sites of the homes below target: a vertex of high ground in the home,
// outside the first territory, with buildable land all round, gets mountain on all six
// triangles, from the highest ground down; its neighbours become flags or mines.
// The vertices of home i where mountain may rise: outside the first territory, buildable
// land all round, nothing on them, no harbour site beside them.
std::vector<std::size_t> Hills(const Map& map, std::size_t i) {
  std::vector<std::size_t> hills;
  for (const std::size_t v : map.members) {
    if (map.home[v] != map.players[i].player || !map.Changeable(v)) continue;
    if ((map.facts.around[v] & (kAnyDanger | kNotAllBuildable)) != 0) continue;
    if (map.facts.objects[v] != VertexObject::kNone) continue;
    const auto near = map.grid.Neighbours(map.grid.PointOf(v));
    if (std::any_of(near.begin(), near.end(),
                    [&](std::size_t u) { return map.quality[u] == BuildingQuality::kHarbour; })) {
      continue;
    }
    hills.push_back(v);
  }
  return hills;
}

// Raises the mine sites of the homes below target: mountain on all six triangles of the
// vertices of a patch grown from the home's highest free ground, one vertex for each site
// wanted (the patch's edge comes short, so a few rounds look again).
void RaiseMines(Map& map, std::uint64_t target) {
  for (int round = 0; round < 3; ++round) {
    const auto counts = CountPerHome(
        map, [&](std::size_t v) { return map.quality[v] == BuildingQuality::kMine ? 1U : 0U; });
    bool painted = false;
    for (std::size_t i = 0; i < counts.size(); ++i) {
      if (counts[i] >= target) continue;
      std::vector<std::size_t> hills = Hills(map, i);
      if (hills.empty()) continue;
      const auto top =
          std::max_element(hills.begin(), hills.end(), [&](std::size_t a, std::size_t b) {
            return map.blocks.heights[a] < map.blocks.heights[b];
          });
      const Point seed = map.grid.PointOf(*top);
      std::stable_sort(hills.begin(), hills.end(), [&](std::size_t a, std::size_t b) {
        return map.grid.Distance(seed, map.grid.PointOf(a)) <
               map.grid.Distance(seed, map.grid.PointOf(b));
      });
      for (std::size_t k = 0; k < hills.size() && k < target - counts[i]; ++k) {
        for (const Triangle t : map.grid.TrianglesAround(map.grid.PointOf(hills[k]))) {
          TriangleByte(map, t) = kMountain1;
        }
        painted = true;
      }
    }
    if (!painted) return;
    map.Look();
  }
}

bool IsLarge(BuildingQuality q) {
  return q == BuildingQuality::kCastle || q == BuildingQuality::kHouse;
}

// The homes' mine sites to a middle count (at least kFewestMines): the poorer ones raised,
// the richer ones lowered. The mine sites nearest a headquarters, within the clearing,
// stay: they are the mine within reach that every player was given.
constexpr std::uint64_t kFewestMines = 12;

void EqualizeMines(Map& map) {
  auto counts = CountPerHome(
      map, [&](std::size_t v) { return map.quality[v] == BuildingQuality::kMine ? 1U : 0U; });
  std::sort(counts.begin(), counts.end());
  RaiseMines(map, std::max(counts[counts.size() / 2], kFewestMines));
  LowerSites(map,
             {[](BuildingQuality q) { return q == BuildingQuality::kMine; },
              [](std::uint8_t byte) { return IsMineable(byte); }, kMountainMeadow, kClearSteps, 0});
}

// Large sites may go within the first territory too, beyond the two steps the
// headquarters' own buildings take, while the territory keeps the kit's and two more.
void LowerLargeSites(Map& map) {
  LowerSites(map, {IsLarge, [](std::uint8_t byte) { return IsBuildable(byte); }, kDesert1, 2,
                   kKitLargeSites + 2});
}

}  // namespace

namespace {

bool IsWoodTree(const Map& map, std::size_t v) {
  return map.facts.objects[v] == VertexObject::kTree;
}

// Where a tree may grow without spoiling a large site: a walkable vertex with nothing on
// it and buildable land all round, whose quality and neighbours' are below house.
bool Plantable(const Map& map, std::size_t v) {
  if (!map.Changeable(v) || map.facts.objects[v] != VertexObject::kNone) return false;
  const std::uint8_t around = map.facts.around[v];
  if ((around & (kAnyDanger | kNotAllBuildable)) != 0 || (around & kNotAllWaterKind) == 0) {
    return false;
  }
  if (IsLarge(map.quality[v]) || map.quality[v] == BuildingQuality::kHarbour) return false;
  for (const std::size_t u : map.grid.Neighbours(map.grid.PointOf(v))) {
    if (IsLarge(map.quality[u]) || map.quality[u] == BuildingQuality::kHarbour ||
        map.quality[u] == BuildingQuality::kMine) {
      return false;
    }
  }
  return true;
}

// Vertices of home i that pass, outermost first.
std::vector<std::size_t> Outermost(const Map& map, std::size_t i,
                                   const std::function<bool(std::size_t)>& pass) {
  std::vector<std::size_t> found;
  for (const std::size_t v : map.members) {
    if (map.home[v] == map.players[i].player && pass(v)) found.push_back(v);
  }
  std::stable_sort(found.begin(), found.end(),
                   [&](std::size_t a, std::size_t b) { return map.steps[a] > map.steps[b]; });
  return found;
}

// The same number of trees that give wood in every home: as many as the poorest home
// can hold, felled from the richer ones from the outside in.
void EqualizeTrees(Map& map, std::uint32_t seed) {
  const auto trees = CountPerHome(map, [&](std::size_t v) { return IsWoodTree(map, v) ? 1U : 0U; });
  const auto room = CountPerHome(map, [&](std::size_t v) { return Plantable(map, v) ? 1U : 0U; });
  std::uint64_t target = *std::max_element(trees.begin(), trees.end());
  for (std::size_t i = 0; i < trees.size(); ++i) target = std::min(target, trees[i] + room[i]);
  for (std::size_t i = 0; i < trees.size(); ++i) {
    if (trees[i] > target) {
      auto felled = Outermost(map, i, [&](std::size_t v) {
        return IsWoodTree(map, v) && map.Changeable(v, kClearSteps);
      });
      for (std::size_t k = 0; k < felled.size() && k < trees[i] - target; ++k) {
        map.blocks.object_index[felled[k]] = 0;
        map.blocks.object_type[felled[k]] = 0;
      }
    } else if (trees[i] < target) {
      const auto spots = Outermost(map, i, [&](std::size_t v) { return Plantable(map, v); });
      for (std::size_t k = 0; k < spots.size() && k < target - trees[i]; ++k) {
        const TreeBytes tree = TreeBytesOf(k % 3 == 0 ? TreeSpecies::kFir : TreeSpecies::kPine);
        map.blocks.object_index[spots[k]] = static_cast<std::uint8_t>(tree.index + (seed + k) % 8);
        map.blocks.object_type[spots[k]] = tree.type;
      }
    }
  }
  map.Look();
}

}  // namespace

namespace {

bool IsGranite(const Map& map, std::size_t v) {
  return map.facts.objects[v] == VertexObject::kGranite;
}

// The same stones in every home: as many as the home of the fewest piles holds with piles
// of 6 stones, its piles and the others' shared out evenly, surplus piles taken away from
// the outside in.
void EqualizeStones(Map& map) {
  const auto piles = CountPerHome(map, [&](std::size_t v) { return IsGranite(map, v) ? 1U : 0U; });
  const std::uint64_t target = kMostGraniteSize * *std::min_element(piles.begin(), piles.end());
  for (std::size_t i = 0; i < piles.size(); ++i) {
    auto own = Outermost(map, i, [&](std::size_t v) { return IsGranite(map, v); });
    // Piles beyond one stone each are taken away, outermost first; the kit's piles, in the
    // first territory, come last, and the target (6 stones a pile of the poorest home,
    // which holds the kit's two) always keeps them.
    std::size_t first_kept = 0;
    while (own.size() - first_kept > target && map.Changeable(own[first_kept], kClearSteps)) {
      map.blocks.object_index[own[first_kept]] = 0;
      map.blocks.object_type[own[first_kept]] = 0;
      ++first_kept;
    }
    const std::size_t kept = own.size() - first_kept;
    if (kept == 0) continue;
    for (std::size_t k = 0; k < kept; ++k) {
      const std::uint64_t stones = target / kept + (k < target % kept ? 1 : 0);
      map.blocks.object_index[own[first_kept + k]] =
          static_cast<std::uint8_t>(std::clamp<std::uint64_t>(stones, 1, kMostGraniteSize));
      map.blocks.object_type[own[first_kept + k]] = kFirstGraniteType;
    }
  }
  map.Look();
}

// The same ore in every home: the poorest home's mountain vertices at three quarters of
// their largest amount, shared out as coal, iron, gold and granite in clusters of a few
// vertices; every other ore byte of a home cleared.
void EqualizeOre(Map& map, std::uint32_t seed) {
  const auto ore_ground = [&](std::size_t v) { return (map.facts.around[v] & kNotAllMine) == 0; };
  const auto ground = CountPerHome(map, [&](std::size_t v) { return ore_ground(v) ? 1U : 0U; });
  const std::uint64_t budget =
      kMostOreAmount * *std::min_element(ground.begin(), ground.end()) * 3 / 4;
  std::array<std::uint64_t, 4> shares{};
  std::uint64_t given = 0;
  for (std::size_t k = 0; k < shares.size(); ++k) {
    shares[k] = budget * kOreShares[k] / 100;
    given += shares[k];
  }
  shares[0] += budget - given;
  for (std::size_t i = 0; i < map.players.size(); ++i) {
    auto cells = Outermost(map, i, [](std::size_t) { return true; });
    for (const std::size_t v : cells) {
      if (OreAmount(map.blocks.resources[v]) != 0) map.blocks.resources[v] = 0;
    }
    std::erase_if(cells, [&](std::size_t v) { return !ore_ground(v); });
    // Clusters: vertices of one 6 x 6 cell of the map follow each other.
    const auto cell = [&](std::size_t v) {
      const Point p = map.grid.PointOf(v);
      return (static_cast<std::uint32_t>(p.x / 6) * 73856093U) ^
             (static_cast<std::uint32_t>(p.y / 6) * 19349663U) ^ seed;
    };
    std::stable_sort(cells.begin(), cells.end(),
                     [&](std::size_t a, std::size_t b) { return cell(a) < cell(b); });
    std::size_t next = 0;
    for (std::size_t k = 0; k < shares.size(); ++k) {
      for (std::uint64_t left = shares[k]; left > 0 && next < cells.size(); ++next) {
        const std::uint64_t amount = std::min<std::uint64_t>(left, kMostOreAmount);
        map.blocks.resources[cells[next]] = static_cast<std::uint8_t>(kOreBases[k] + amount);
        left -= amount;
      }
    }
  }
}

}  // namespace

void EqualizeHomes(std::span<std::uint8_t> image, std::uint32_t seed, Ratio aim) {
  // Felled trees and taken granite open ways that were closed, so the homes move a little:
  // each pass looks at them again, until the map is fair enough or the passes run out.
  for (int pass = 0; pass < kPasses; ++pass) {
    auto map = ReadMap(image, aim);
    if (!map) return;
    // Mountains, trees and granite change the large sites around them: those come after.
    EqualizeMines(*map);
    EqualizeTrees(*map, seed);
    EqualizeStones(*map);
    LowerLargeSites(*map);
    EqualizeOre(*map, seed);
    const auto report = MeasureBalance(image);
    if (!report || !report->fairness || !IsBelow(report->fairness->overall, aim)) return;
  }
}

}  // namespace plandrix::generate
