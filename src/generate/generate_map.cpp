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

std::optional<Candidate> Try(const World& world, const Ground& ground,
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

GeneratedMap GenerateMap(const MapOptions& options) {
  GeneratedMap result;
  World world = GenerateWorld(options.world);
  if (world.image.empty()) {
    result.problem = IsValidWorld(options.world) ? "not enough memory for the map"
                                                 : "the options describe no map";
    return result;
  }
  const Ground ground = ReadGround(world.image);
  // Where no castle site has a mine site as near as asked, twice as far, then any.
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
  if (!best) {
    result.problem = "no room for " + std::to_string(options.world.players) +
                     " headquarters on castle sites with a mine site within " +
                     std::to_string(options.mountain_steps) + " steps";
    return result;
  }
  // A symmetric map is fair as it stands; any other is made so.
  const SymmetryGroup symmetry(ground.grid, options.world.symmetry, options.world.players);
  if (symmetry.parts() == 1 || options.world.players % symmetry.parts() != 0) {
    EqualizeHomes(best->image, options.world.seed);
    if (auto report = MeasureBalance(best->image)) best->report = std::move(*report);
  }
  WriteHeaderText(best->image, kTitleOffset, options.title);
  FillGameLayers(best->image);
  result.image = std::move(best->image);
  result.headquarters = std::move(best->headquarters);
  result.fairness = best->report.fairness;
  result.reachable = Reachable(best->report);
  result.try_kept = best->try_index;
  for (const PlayerBalance& player : best->report.players) {
    result.farthest_mine = std::max(result.farthest_mine, player.mountain_distance.value_or(0));
  }
  return result;
}

}  // namespace plandrix::generate
