#include "generate/generate_map.h"

#include <algorithm>

#include "core/map_format.h"
#include "core/map_layout.h"
#include "generate/equalize.h"
#include "generate/game_layers.h"
#include "inspect/players.h"

namespace plandrix::generate {
namespace {

// A mine site at any distance, when none is near enough.
constexpr std::uint32_t kAnyMountainSteps = 0xFFFF;
// The fairness the homes are brought to...
constexpr Ratio kAim = {95, 100};
constexpr Ratio kSymmetricAim = {99, 100};
// ...a generated map is fair when its overall fairness reaches this...
constexpr Ratio kLeastFairness = {9, 10};
// ...and its world is grown anew at most this many times until one is.
constexpr std::uint32_t kWorldAttempts = 4;

// Castle and house sites within the first territory of each headquarters, besides its own
// ground (the game's buildings change the quality within two steps of it).
bool TerritoriesHoldLargeSites(std::span<const std::uint8_t> image,
                               std::span<const Point> headquarters) {
  const auto landscape = LandscapeOf(image[kLandscapeOffset]).value_or(Landscape::kGreenland);
  const auto layers = LayersOf(image, landscape);
  if (!layers) return false;
  const auto quality = ComputeBuildingQuality(*layers);
  const MapGrid grid(layers->width, layers->height);
  for (const Point at : headquarters) {
    std::size_t large = 0;
    for (std::size_t dy = 0; dy <= 2 * kTerritorySteps; ++dy) {
      for (std::size_t dx = 0; dx <= 2 * kTerritorySteps; ++dx) {
        const Point p{(at.x + grid.width() * 4 + dx - kTerritorySteps) % grid.width(),
                      (at.y + grid.height() * 4 + dy - kTerritorySteps) % grid.height()};
        const std::size_t steps = grid.Distance(at, p);
        if (steps <= 2 || steps > kTerritorySteps) continue;
        const BuildingQuality q = quality[grid.Index(p)];
        large += q == BuildingQuality::kCastle || q == BuildingQuality::kHouse ||
                         q == BuildingQuality::kHarbour
                     ? 1
                     : 0;
      }
    }
    if (large < kKitLargeSites) return false;
  }
  return true;
}

// Whether every pair of players can reach each other: by walking, or on island worlds by
// ship between harbours on one sea.
bool Reachable(const BalanceReport& report) {
  return std::all_of(report.unreachable.begin(), report.unreachable.end(),
                     [](const UnreachablePair& pair) { return pair.shared_sea; });
}

struct Candidate {
  LargeBuffer image;
  std::vector<Point> headquarters;
  BalanceReport report;
  std::size_t try_index = 0;
};

// Whether a is a better map to make fair than b: reachable first, then the one whose
// homes' large sites differ least, since making them fair takes large sites from all but
// the poorest home.
bool Better(const Candidate& a, const Candidate& b) {
  if (Reachable(a.report) != Reachable(b.report)) return Reachable(a.report);
  if (!a.report.fairness || !b.report.fairness) return false;
  return IsBelow(b.report.fairness->ratios[kCastleHouse], a.report.fairness->ratios[kCastleHouse]);
}

std::optional<Candidate> Try(const World& world, const GroundFacts& ground,
                             std::span<const std::size_t> sites, const MapOptions& options,
                             std::size_t try_index) {
  std::vector<Point> positions =
      PlaceHeadquarters(ground, sites, options.world, world.homes, try_index);
  if (positions.empty()) return std::nullopt;
  auto image = LargeBuffer::Copy(world.image);
  if (!image) return std::nullopt;
  const SymmetryGroup symmetry(ground.grid, options.world.symmetry, options.world.players);
  if (!PrepareTerritories(*image, ground, positions, symmetry,
                          options.world.seed + static_cast<std::uint32_t>(try_index))) {
    return std::nullopt;
  }
  inspect::SetPlayers(*image, positions);
  if (!TerritoriesHoldLargeSites(*image, positions)) return std::nullopt;
  auto report = MeasureBalance(*image);
  if (!report) return std::nullopt;
  return Candidate{std::move(*image), std::move(positions), std::move(*report), try_index};
}

}  // namespace

namespace {

// The best placement on one world, made fair: where no castle site has a mine site as
// near as asked, twice as far, then any.
std::optional<Candidate> MakeFair(const World& world, const MapOptions& options) {
  const GroundFacts ground = ReadGround(world.image);
  std::optional<Candidate> best;
  for (const std::uint32_t reach :
       {options.mountain_steps, 2 * options.mountain_steps, kAnyMountainSteps}) {
    const std::vector<std::size_t> sites = HeadquartersSites(ground, world.homes, reach);
    for (std::size_t t = 0; t < std::max<std::size_t>(1, options.tries); ++t) {
      auto candidate = Try(world, ground, sites, options, t);
      if (candidate && (!best || Better(*candidate, *best))) best = std::move(candidate);
    }
    if (best) break;
  }
  if (!best) return best;
  // A symmetric map is nearly fair as it stands (the game's rules look at the south-east
  // and the west, which a mirror turns): it is brought to 0.99, any other to 0.95.
  const SymmetryGroup symmetry(ground.grid, options.world.symmetry, options.world.players);
  const bool symmetric = symmetry.parts() > 1 && options.world.players % symmetry.parts() == 0;
  EqualizeHomes(best->image, options.world.seed, symmetric ? kSymmetricAim : kAim);
  if (auto report = MeasureBalance(best->image)) best->report = std::move(*report);
  return best;
}

// Whether a map is as fair and open as a generated map must be.
bool GoodEnough(const Candidate& candidate) {
  const auto& fairness = candidate.report.fairness;
  return Reachable(candidate.report) && (!fairness || !IsBelow(fairness->overall, kLeastFairness));
}

// Of two finished maps, the one to keep: reachable first, then the fairer.
bool Fairer(const Candidate& a, const Candidate& b) {
  if (Reachable(a.report) != Reachable(b.report)) return Reachable(a.report);
  if (!a.report.fairness || !b.report.fairness) return false;
  return IsBelow(b.report.fairness->overall, a.report.fairness->overall);
}

}  // namespace

GeneratedMap GenerateMap(const MapOptions& options) {
  GeneratedMap result;
  if (!IsValidWorld(options.world)) {
    result.problem = "the options describe no map";
    return result;
  }
  // A world on which no placement comes out fair enough is grown again from a seed drawn
  // from the first, a few times, and the best kept: the same options, the same map.
  std::optional<Candidate> best;
  for (std::uint32_t attempt = 0; attempt < kWorldAttempts; ++attempt) {
    MapOptions grown = options;
    grown.world.seed = attempt == 0 ? options.world.seed
                                    : (options.world.seed ^ 0x9E3779B9U) * 2654435761U + attempt;
    World world = GenerateWorld(grown.world);
    if (world.image.empty()) {
      result.problem = "not enough memory for the map";
      return result;
    }
    auto candidate = MakeFair(world, grown);
    if (candidate && (!best || Fairer(*candidate, *best))) best = std::move(candidate);
    if (best && GoodEnough(*best)) break;
  }
  if (!best) {
    result.problem = "no room for " + std::to_string(options.world.players) +
                     " headquarters on castle sites, each in a home of its own";
    return result;
  }
  WriteHeaderText(best->image, kTitleOffset, options.title);
  FillGameLayers(best->image);
  result.image = std::move(best->image);
  result.headquarters = std::move(best->headquarters);
  result.fairness = best->report.fairness;
  result.reachable = Reachable(best->report);
  result.by_ship = result.reachable && !best->report.unreachable.empty();
  result.try_kept = best->try_index;
  for (const PlayerBalance& player : best->report.players) {
    result.farthest_mine = std::max(result.farthest_mine, player.mountain_distance.value_or(0));
  }
  return result;
}

}  // namespace plandrix::generate
