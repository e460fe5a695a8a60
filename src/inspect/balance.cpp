#include "inspect/balance.h"

#include <algorithm>
#include <limits>
#include <numeric>

#include "core/map_format.h"
#include "core/map_layout.h"

namespace plandrix {
namespace {

using Q = BuildingQuality;

bool IsWalkable(const VertexFacts& facts, std::size_t v) {
  return (facts.walk[v] & kWalkableVertex) != 0;
}

std::uint32_t PackPoint(Point p) { return static_cast<std::uint32_t>(p.x | (p.y << 16)); }
Point UnpackPoint(std::uint32_t packed) { return {packed & 0xFFFFU, packed >> 16}; }

std::optional<MapLayers> LayersOfImage(std::span<const std::uint8_t> image) {
  if (!MapImageIsComplete(image)) return std::nullopt;
  const Landscape landscape = LandscapeOf(image[kLandscapeOffset]).value_or(Landscape::kGreenland);
  return LayersOf(image, landscape);
}

// ---- The walk from the headquarters ----

// The walk of walking.h (WalkFrom) from the players' headquarters, start s being
// players[s], its answer written per vertex at once: a map-sized walk needs no list of
// 12-byte records beside it.
struct HomeWalk {
  LayerVector<std::uint8_t> start;   // per vertex: kNoStart where not reached
  LayerVector<std::uint32_t> steps;  // per vertex: kUnlimitedSteps where not reached
  // The vertices reached (PackPoint) in the order reached: steps never decrease along it,
  // and for equal steps the starts do not either (see WalkFrom).
  LayerVector<std::uint32_t> order;
};

// The most vertices a walk of radius steps from count starts can reach: 3r(r + 1) + 1
// each, and never more than the map. Reserved at once, so that the order never moves.
std::size_t MostReached(std::size_t count, std::uint32_t radius, std::size_t vertices) {
  if (radius >= 0xFFFF) return vertices;
  const std::size_t r = radius;
  return std::min(vertices, count * (3 * r * (r + 1) + 1));
}

// Calls meet(s, t, steps) for each edge that can be walked along between a vertex of
// start s and one of start t, steps being those of the walk that leads from the one
// start along it to the other. The edge is met when the later of its ends is taken from
// the queue: the other end, reached already, lies in another region.
template <typename Meet>
HomeWalk WalkFromHeadquarters(const MapGrid& grid, const VertexFacts& facts,
                              std::span<const PlayerStart> players, std::uint32_t radius,
                              Meet&& meet) {
  HomeWalk walk{LayerVector<std::uint8_t>(grid.size(), kNoStart),
                LayerVector<std::uint32_t>(grid.size(), kUnlimitedSteps),
                {}};
  walk.order.reserve(MostReached(players.size(), radius, grid.size()));
  for (std::size_t s = 0; s < players.size(); ++s) {
    const Point at = players[s].at;
    if (at.x >= grid.width() || at.y >= grid.height()) continue;
    const std::size_t v = grid.Index(at);
    if (walk.start[v] != kNoStart) continue;
    walk.start[v] = static_cast<std::uint8_t>(s);
    walk.steps[v] = 0;
    walk.order.push_back(PackPoint(at));
  }
  for (std::size_t head = 0; head < walk.order.size(); ++head) {
    const Point p = UnpackPoint(walk.order[head]);
    const std::size_t v = grid.Index(p);
    const std::uint8_t edges = facts.walk[v];
    if (walk.steps[v] >= radius || (edges & kWalkableVertex) == 0) continue;
    const std::array<Point, 6> near = grid.NeighbourPoints(p);
    for (std::size_t i = 0; i < near.size(); ++i) {
      const std::size_t u = grid.Index(near[i]);
      if (((edges >> i) & 1U) == 0 || !IsWalkable(facts, u)) continue;
      if (walk.start[u] == kNoStart) {
        walk.start[u] = walk.start[v];
        walk.steps[u] = walk.steps[v] + 1;
        walk.order.push_back(PackPoint(near[i]));
      } else if (walk.start[u] != walk.start[v]) {
        meet(walk.start[v], walk.start[u], std::uint64_t{walk.steps[v]} + 1 + walk.steps[u]);
      }
    }
  }
  return walk;
}

// ---- Homes ----

struct HomeMap {
  LayerVector<std::uint8_t> owner;  // per vertex: the player, kNoHome elsewhere
  std::size_t walked = 0;           // the first vertices of the walk's order, within radius
  std::vector<std::size_t> joined;  // vertices that cannot be walked on, joined to a home
};

// The first of the walk's vertices to have a vertex that cannot be walked on as its
// neighbour has the fewest steps, the lower player on a tie: it joins that home.
HomeMap MarkHomes(const MapGrid& grid, const VertexFacts& facts, const HomeWalk& walk,
                  std::span<const PlayerStart> players, std::uint32_t radius) {
  HomeMap homes{LayerVector<std::uint8_t>(grid.size(), kNoHome), 0, {}};
  for (; homes.walked < walk.order.size(); ++homes.walked) {
    const Point p = UnpackPoint(walk.order[homes.walked]);
    const std::size_t v = grid.Index(p);
    if (walk.steps[v] > radius) break;
    const std::uint8_t player = players[walk.start[v]].player;
    homes.owner[v] = player;
    if (walk.steps[v] == radius || !IsWalkable(facts, v)) continue;
    for (const Point q : grid.NeighbourPoints(p)) {
      const std::size_t u = grid.Index(q);
      if (IsWalkable(facts, u) || walk.start[u] != kNoStart || homes.owner[u] != kNoHome) continue;
      homes.owner[u] = player;
      homes.joined.push_back(u);
    }
  }
  return homes;
}

// ---- Amounts ----

// What a resource byte adds to a home: to which measure, and how much.
struct ResourceShare {
  Measure measure = Measure::kArea;  // kArea: nothing
  std::uint8_t amount = 0;
};

constexpr std::array<ResourceShare, 256> kResourceShares = [] {
  std::array<ResourceShare, 256> shares{};
  constexpr std::array<Measure, 7> kMeasureOfKind = {
      Measure::kArea, Measure::kWaterVertices, Measure::kCoal, Measure::kIron,
      Measure::kGold, Measure::kGranite,       Measure::kFish};
  for (std::size_t byte = 0; byte < shares.size(); ++byte) {
    const auto resource = static_cast<std::uint8_t>(byte);
    const auto kind = ResourceKindOf(resource);
    if (!kind) continue;
    const std::uint8_t ore = OreAmount(resource);
    shares[byte] = {kMeasureOfKind[static_cast<std::size_t>(*kind)],
                    static_cast<std::uint8_t>(ore != 0 ? ore : 1)};
  }
  return shares;
}();

// The site measure of each building quality, kArea for those not counted per home.
constexpr std::array<Measure, kQualityCount> kSiteMeasures = {
    Measure::kArea,  Measure::kArea,   Measure::kMine,   Measure::kHut,
    Measure::kHouse, Measure::kCastle, Measure::kHarbour};

// What the map holds besides the layers the quality reads.
struct Inputs {
  const MapGrid& grid;
  const MapLayers& layers;
  const VertexFacts& facts;
  std::span<const Q> quality;
  std::span<const std::uint8_t> resources;
};

std::array<std::size_t, kMostPlayers> SlotsOf(std::span<const PlayerBalance> players) {
  std::array<std::size_t, kMostPlayers> slot_of{};
  for (std::size_t slot = 0; slot < players.size(); ++slot) slot_of[players[slot].player] = slot;
  return slot_of;
}

void AddObjectAndResource(const Inputs& in, std::size_t v,
                          std::array<std::uint64_t, kMeasureCount>& amounts) {
  const VertexObject object = in.facts.objects[v];
  if (object == VertexObject::kTree) ++amounts[static_cast<std::size_t>(Measure::kTrees)];
  if (object == VertexObject::kGranite) {
    amounts[static_cast<std::size_t>(Measure::kStones)] += in.layers.object_index[v];
  }
  const ResourceShare share = kResourceShares[in.resources[v]];
  if (share.measure != Measure::kArea) {
    amounts[static_cast<std::size_t>(share.measure)] += share.amount;
  }
}

void CountHomes(const Inputs& in, const HomeWalk& walk, const HomeMap& homes,
                std::vector<PlayerBalance>& players) {
  const auto slot_of = SlotsOf(players);
  for (std::size_t i = 0; i < homes.walked; ++i) {
    const std::size_t v = in.grid.Index(UnpackPoint(walk.order[i]));
    auto& amounts = players[slot_of[homes.owner[v]]].amounts;
    ++amounts[static_cast<std::size_t>(Measure::kArea)];
    const Measure site = kSiteMeasures[static_cast<std::size_t>(in.quality[v])];
    if (site != Measure::kArea) ++amounts[static_cast<std::size_t>(site)];
    AddObjectAndResource(in, v, amounts);
  }
  for (const std::size_t v : homes.joined) {
    AddObjectAndResource(in, v, players[slot_of[homes.owner[v]]].amounts);
  }
}

// ---- Mountains ----

// A walk from one headquarters to the nearest mine site that gives up after looking at
// budget vertices: found, none can be walked to, or not known.
struct MineSearch {
  enum Outcome : std::uint8_t { kFound, kNone, kGaveUp } outcome = kGaveUp;
  std::uint32_t steps = 0;
};

// seen holds a bit per vertex, all clear, and is left so; queue is room to work in.
MineSearch SearchMineNear(const Inputs& in, std::size_t start, std::size_t budget,
                          LayerVector<std::uint64_t>& seen, std::vector<std::uint32_t>& queue) {
  const auto mark = [&seen](std::size_t v) { seen[v / 64] |= std::uint64_t{1} << (v % 64); };
  const auto marked = [&seen](std::size_t v) { return ((seen[v / 64] >> (v % 64)) & 1U) != 0; };
  if (in.quality[start] == Q::kMine) return {MineSearch::kFound, 0};
  MineSearch result{MineSearch::kNone, 0};
  queue.assign(1, PackPoint(in.grid.PointOf(start)));
  mark(start);
  std::size_t head = 0;
  for (std::uint32_t steps = 1; head < queue.size() && result.outcome == MineSearch::kNone;
       ++steps) {
    if (queue.size() > budget) result.outcome = MineSearch::kGaveUp;
    for (const std::size_t end = queue.size(); head < end && result.outcome == MineSearch::kNone;
         ++head) {
      const Point p = UnpackPoint(queue[head]);
      const std::uint8_t edges = in.facts.walk[in.grid.Index(p)];
      if ((edges & kWalkableVertex) == 0) continue;
      const std::array<Point, 6> near = in.grid.NeighbourPoints(p);
      for (std::size_t i = 0; i < near.size(); ++i) {
        const std::size_t u = in.grid.Index(near[i]);
        if (((edges >> i) & 1U) == 0 || !IsWalkable(in.facts, u) || marked(u)) continue;
        mark(u);
        queue.push_back(PackPoint(near[i]));
        if (in.quality[u] == Q::kMine) result = {MineSearch::kFound, steps};
      }
    }
  }
  for (const std::uint32_t packed : queue) {
    const std::size_t v = in.grid.Index(UnpackPoint(packed));
    seen[v / 64] &= ~(std::uint64_t{1} << (v % 64));
  }
  return result;
}

// The steps to the nearest mine site of each headquarters not yet measured (open): one
// walk from every mine site at once, level by level, until it has reached all of them or
// has nowhere left to go (edges can be walked both ways).
void WalkFromAllMines(const Inputs& in, std::vector<bool> open,
                      std::vector<PlayerBalance>& players) {
  LayerVector<std::uint64_t> seen((in.grid.size() + 63) / 64, 0);
  LayerVector<std::uint32_t> queue;
  for (std::size_t v = 0; v < in.quality.size(); ++v) {
    if (in.quality[v] != Q::kMine) continue;
    seen[v / 64] |= std::uint64_t{1} << (v % 64);
    queue.push_back(PackPoint(in.grid.PointOf(v)));
  }
  std::size_t head = 0;
  for (std::uint32_t steps = 0; head < queue.size(); ++steps) {
    const std::size_t end = queue.size();
    for (; head < end; ++head) {
      const Point p = UnpackPoint(queue[head]);
      const std::uint8_t edges = in.facts.walk[in.grid.Index(p)];
      const std::array<Point, 6> near = in.grid.NeighbourPoints(p);
      for (std::size_t i = 0; i < near.size(); ++i) {
        const std::size_t u = in.grid.Index(near[i]);
        if (((edges >> i) & 1U) == 0 || !IsWalkable(in.facts, u)) continue;
        if (((seen[u / 64] >> (u % 64)) & 1U) != 0) continue;
        seen[u / 64] |= std::uint64_t{1} << (u % 64);
        queue.push_back(PackPoint(near[i]));
      }
    }
    bool any_open = false;
    for (std::size_t slot = 0; slot < players.size(); ++slot) {
      const std::size_t v = in.grid.Index(players[slot].at);
      if (open[slot] && ((seen[v / 64] >> (v % 64)) & 1U) != 0) {
        players[slot].mountain_distance = steps + 1;
        open[slot] = false;
      }
      any_open = any_open || open[slot];
    }
    if (!any_open) return;
  }
}

// Most headquarters have a mine site near them: a walk of their own finds it after a few
// thousand vertices. Only those it does not settle wait for a walk over the whole map.
constexpr std::size_t kNearMineBudget = std::size_t{1} << 16;

void MeasureMountainDistances(const Inputs& in, std::vector<PlayerBalance>& players) {
  LayerVector<std::uint64_t> seen((in.grid.size() + 63) / 64, 0);
  std::vector<std::uint32_t> queue;
  std::vector<bool> open(players.size(), false);
  bool any_open = false;
  for (std::size_t slot = 0; slot < players.size(); ++slot) {
    const std::size_t start = in.grid.Index(players[slot].at);
    const MineSearch search = SearchMineNear(in, start, kNearMineBudget, seen, queue);
    if (search.outcome == MineSearch::kFound) players[slot].mountain_distance = search.steps;
    open[slot] = search.outcome == MineSearch::kGaveUp;
    any_open = any_open || open[slot];
  }
  if (any_open) WalkFromAllMines(in, std::move(open), players);
}

// ---- Between players ----

// Players by their place in the list (slots), joined when they can walk to each other.
struct Reach {
  std::array<std::size_t, kMostPlayers> group{};
  Reach() { std::iota(group.begin(), group.end(), std::size_t{0}); }
  std::size_t Find(std::size_t slot) const {
    while (group[slot] != slot) slot = group[slot];
    return slot;
  }
  void Join(std::size_t a, std::size_t b) { group[Find(a)] = Find(b); }
};

// The seas a harbour site of each home sails on (kSmallestHarbourSea points or more).
std::vector<std::vector<std::uint32_t>> HomeSeas(const Inputs& in, const HomeWalk& walk,
                                                 const HomeMap& homes,
                                                 std::span<const PlayerBalance> players) {
  std::vector<std::vector<std::uint32_t>> seas_of(players.size());
  const auto slot_of = SlotsOf(players);
  std::optional<Seas> seas;
  for (std::size_t i = 0; i < homes.walked; ++i) {
    const std::size_t v = in.grid.Index(UnpackPoint(walk.order[i]));
    if (in.quality[v] != Q::kHarbour) continue;
    if (!seas) seas = FindSeas(in.facts.around, in.grid.width(), in.grid.height());
    auto& found = seas_of[slot_of[homes.owner[v]]];
    for (const std::uint32_t sea :
         HarbourSeas(in.facts.around, *seas, in.grid.width(), in.grid.height(), v)) {
      if (std::find(found.begin(), found.end(), sea) == found.end()) found.push_back(sea);
    }
  }
  return seas_of;
}

std::vector<UnreachablePair> FindUnreachable(const Inputs& in, const HomeWalk& walk,
                                             const HomeMap& homes,
                                             std::span<const PlayerBalance> players,
                                             const Reach& reach) {
  std::vector<UnreachablePair> pairs;
  for (std::size_t a = 0; a < players.size(); ++a) {
    for (std::size_t b = a + 1; b < players.size(); ++b) {
      if (reach.Find(a) != reach.Find(b)) {
        pairs.push_back({players[a].player, players[b].player, false});
      }
    }
  }
  if (pairs.empty()) return pairs;
  const auto seas_of = HomeSeas(in, walk, homes, players);
  const auto slot_of = SlotsOf(players);
  for (UnreachablePair& pair : pairs) {
    const auto& first = seas_of[slot_of[pair.first]];
    const auto& second = seas_of[slot_of[pair.second]];
    pair.shared_sea = std::any_of(first.begin(), first.end(), [&second](std::uint32_t sea) {
      return std::find(second.begin(), second.end(), sea) != second.end();
    });
  }
  return pairs;
}

std::uint64_t FairnessAmount(const PlayerBalance& player, std::size_t measure) {
  if (measure == kCastleHouse) {
    return player.Amount(Measure::kCastle) + player.Amount(Measure::kHouse);
  }
  return player.amounts[measure];
}

}  // namespace

std::vector<PlayerStart> FindPlayerStarts(std::span<const std::uint8_t> image) {
  if (!MapImageIsComplete(image)) return {};
  const MapGrid grid(MapWidth(image), MapHeight(image));
  const auto index = Block(image, kObjectIndexBlock, grid.size());
  const auto type = Block(image, kObjectTypeBlock, grid.size());
  const std::size_t count = std::min<std::size_t>(image[kPlayerCountOffset], kMostPlayers);
  std::array<std::optional<std::size_t>, kMostPlayers> last;
  for (std::size_t v = 0; v < grid.size(); ++v) {
    if (type[v] == kHeadquartersType && index[v] < count) last[index[v]] = v;
  }
  std::vector<PlayerStart> starts;
  for (std::size_t p = 0; p < count; ++p) {
    if (last[p]) starts.push_back({static_cast<std::uint8_t>(p), grid.PointOf(*last[p])});
  }
  return starts;
}

LayerVector<std::uint8_t> FindHomes(const MapLayers& layers, const VertexFacts& facts,
                                    std::span<const PlayerStart> players, std::uint32_t radius) {
  if (!HoldsLayers(layers)) return {};
  const MapGrid grid(layers.width, layers.height);
  if (facts.walk.size() != grid.size() || players.size() > kMostPlayers) return {};
  const HomeWalk walk =
      WalkFromHeadquarters(grid, facts, players, radius, [](std::size_t, std::size_t, auto) {});
  return MarkHomes(grid, facts, walk, players, radius).owner;
}

std::optional<Fairness> JudgeFairness(std::span<const PlayerBalance> players) {
  if (players.size() < 2) return std::nullopt;
  Fairness fairness;
  for (std::size_t m = 0; m < kFairnessCount; ++m) {
    Ratio& ratio = fairness.ratios[m];
    ratio.weakest = FairnessAmount(players.front(), m);
    for (const PlayerBalance& player : players) {
      ratio.weakest = std::min(ratio.weakest, FairnessAmount(player, m));
      ratio.strongest = std::max(ratio.strongest, FairnessAmount(player, m));
    }
  }
  fairness.weakest = kOverallMeasures.front();
  for (const std::size_t m : kOverallMeasures) {
    if (IsBelow(fairness.ratios[m], fairness.ratios[fairness.weakest])) fairness.weakest = m;
  }
  fairness.overall = fairness.ratios[fairness.weakest];
  return fairness;
}

std::optional<BalanceReport> MeasureBalance(std::span<const std::uint8_t> image,
                                            std::uint32_t radius) {
  const auto layers = LayersOfImage(image);
  if (!layers) return std::nullopt;
  const MapGrid grid(layers->width, layers->height);
  const VertexFacts facts = ReadVertexFacts(*layers);
  const LayerVector<Q> quality = ComputeBuildingQuality(*layers, facts);
  BalanceReport report;
  report.radius = radius;
  for (const Q q : quality) ++report.sites[static_cast<std::size_t>(q)];
  const std::vector<PlayerStart> starts = FindPlayerStarts(image);
  for (const PlayerStart& start : starts) {
    PlayerBalance& player = report.players.emplace_back();
    player.player = start.player;
    player.at = start.at;
  }
  Reach reach;
  std::array<std::uint64_t, kMostPlayers> nearest;
  nearest.fill(std::numeric_limits<std::uint64_t>::max());
  const auto meet = [&](std::size_t s, std::size_t t, std::uint64_t steps) {
    nearest[s] = std::min(nearest[s], steps);
    nearest[t] = std::min(nearest[t], steps);
    reach.Join(s, t);
  };
  // With another player to reach, the walk goes as far as the ground does.
  const HomeWalk walk =
      WalkFromHeadquarters(grid, facts, starts, starts.size() < 2 ? radius : kUnlimitedSteps, meet);
  // The shortest walk between two headquarters is shorter than the map has vertices: the
  // least of the sums fits in 32 bits.
  for (std::size_t slot = 0; slot < starts.size(); ++slot) {
    if (nearest[slot] <= kUnlimitedSteps) {
      report.players[slot].nearest = static_cast<std::uint32_t>(nearest[slot]);
    }
  }
  const HomeMap homes = MarkHomes(grid, facts, walk, starts, radius);
  const Inputs in{grid, *layers, facts, quality, Block(image, kResourceBlock, grid.size())};
  CountHomes(in, walk, homes, report.players);
  MeasureMountainDistances(in, report.players);
  report.unreachable = FindUnreachable(in, walk, homes, report.players, reach);
  report.fairness = JudgeFairness(report.players);
  return report;
}

}  // namespace plandrix
