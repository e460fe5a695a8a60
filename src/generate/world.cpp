#include "generate/world.h"

#include <algorithm>

#include "core/blank_map.h"
#include "core/map_format.h"
#include "generate/islands.h"
#include "generate/nature.h"
#include "generate/noise.h"
#include "generate/paint.h"
#include "generate/relief.h"
#include "generate/survey.h"
#include "random/twister.h"

namespace plandrix::generate {
namespace {

constexpr std::size_t kSmallestSide = 32;
// An islands world whose home islands fall short (too small, joined, no harbour) is shaped
// again from the next seeds, up to this many times in all.
constexpr std::size_t kMostShapings = 4;
// No tree or stone this near a harbour: its castle ground and the flag place.
constexpr std::size_t kHarbourClearance = 3;

struct Seeds {
  std::uint32_t homes, relief, harbours, resources, objects, animals;
};

Seeds DrawSeeds(Twister& twister) {
  Seeds seeds{};
  for (std::uint32_t* seed : {&seeds.homes, &seeds.relief, &seeds.harbours, &seeds.resources,
                              &seeds.objects, &seeds.animals}) {
    *seed = twister();
  }
  return seeds;
}

// Whether every home island is large enough, on a land mass of its own, with a harbour.
bool HomesHold(const MapGrid& grid, const LandMasses& masses, std::span<const Point> homes,
               std::span<const std::size_t> harbours) {
  const std::size_t least = LeastHomeOpen(grid.size());
  std::vector<std::uint32_t> seen;
  for (const Point home : homes) {
    const std::uint32_t mass = masses.mass_of[grid.Index(home)];
    if (mass == LandMasses::kNoMass || masses.open[mass] < least) return false;
    if (std::find(seen.begin(), seen.end(), mass) != seen.end()) return false;
    seen.push_back(mass);
    const bool harboured = std::any_of(harbours.begin(), harbours.end(),
                                       [&](std::size_t h) { return masses.mass_of[h] == mass; });
    if (!harboured) return false;
  }
  return true;
}

// The home islands' vertices: the open vertex nearest each middle (a range may cover the
// middle), in the canonical part, and its images part by part.
std::vector<Point> HomeVertices(const MapGrid& grid, const SymmetryGroup& group,
                                std::span<const std::uint8_t> survey, const HomeChoice& homes) {
  std::vector<std::size_t> moved;
  const auto reach = static_cast<std::size_t>(homes.islands.radius >> kOneBits);
  for (const std::size_t middle : homes.middles) {
    moved.push_back(NearestOpen(grid, survey, middle, reach));
  }
  std::vector<Point> vertices;
  for (const Turn turn : group.turns()) {
    for (const std::size_t v : moved) vertices.push_back(grid.PointOf(group.MapVertex(turn, v)));
  }
  return vertices;
}

struct Shape {
  Relief relief;
  std::vector<std::uint8_t> survey;
  std::vector<std::size_t> harbours;
  std::vector<Point> homes;
  Seeds seeds;
};

// Heights, terrain and harbours; for islands, again from new seeds while the home islands
// fall short.
Shape ShapeWorld(const WorldOptions& o, const SymmetryGroup& group, const Phases& phases,
                 const MapBlocks& blocks) {
  const MapGrid grid(o.width, o.height);
  Twister twister(o.seed);
  Shape shape;
  for (std::size_t attempt = 0; attempt < kMostShapings; ++attempt) {
    shape.seeds = DrawSeeds(twister);
    HomeChoice homes;
    if (o.style == Style::kIslands) {
      homes = ChooseHomes(grid, group, phases, o.players, shape.seeds.homes);
    }
    shape.relief = ShapeRelief(o, group, phases, homes.islands, shape.seeds.relief, blocks.heights);
    PaintTerrain(grid, o.landscape, shape.relief, blocks.heights, blocks.first, blocks.second);
    CopyParts(group, blocks);
    shape.survey = SurveyVertices(grid, o.landscape, blocks.first, blocks.second);
    shape.homes = HomeVertices(grid, group, shape.survey, homes);
    if (o.style == Style::kLand) return shape;
    const LandMasses masses = FindLandMasses(grid, shape.survey, blocks.first, blocks.second);
    const std::size_t least = LeastHomeOpen(grid.size());
    shape.harbours = PlaceHarbours(grid, group, masses, shape.homes, least, shape.seeds.harbours,
                                   shape.survey, blocks.heights, blocks.first, blocks.second);
    if (o.style == Style::kMixed || HomesHold(grid, masses, shape.homes, shape.harbours)) break;
  }
  return shape;
}

}  // namespace

bool IsValidWorld(const WorldOptions& o) {
  const auto side_ok = [](std::size_t side) {
    return side >= kSmallestSide && side <= kLargestPlayedSide;
  };
  return side_ok(o.width) && side_ok(o.height) && o.height % 2 == 0 && o.players >= 1 &&
         o.players <= kMostPlayers && static_cast<std::size_t>(o.landscape) < kLandscapeCount &&
         o.style <= Style::kMixed && o.symmetry <= Symmetry::kRotate;
}

World GenerateWorld(const WorldOptions& options) {
  World world;
  if (!IsValidWorld(options)) return world;
  auto image = LargeBuffer::Allocate(MapLength(options.width, options.height));
  if (!image) return world;
  world.image = std::move(*image);
  CreateBlankMap(world.image, options.width, options.height);
  world.image[kLandscapeOffset] = static_cast<std::uint8_t>(options.landscape);
  const MapBlocks blocks = *BlocksOf(world.image, options.width, options.height);
  const MapGrid grid(options.width, options.height);
  const SymmetryGroup group(grid, options.symmetry, options.players);
  const Phases phases(options.width, options.height);
  Shape shape = ShapeWorld(options, group, phases, blocks);
  PlaceResources(grid, shape.survey, phases, shape.relief, shape.seeds.resources, blocks);
  const auto reserved = ReserveAround(grid, shape.harbours, kHarbourClearance);
  PlaceObjects(grid, options.landscape, shape.survey, phases, shape.relief, reserved,
               shape.seeds.objects, blocks);
  PlaceAnimals(grid, shape.survey, shape.seeds.animals, blocks);
  CopyParts(group, blocks);
  world.homes = std::move(shape.homes);
  return world;
}

}  // namespace plandrix::generate
