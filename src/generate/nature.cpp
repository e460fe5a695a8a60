#include "generate/nature.h"

#include <algorithm>
#include <array>

#include "generate/survey.h"
#include "random/twister.h"

namespace plandrix::generate {
namespace {

// Ore veins: a noise of cells this wide picks the kind by its value (granite lowest, then
// coal, iron, gold: about 15 : 40 : 36 : 9 of the mountain vertices), a finer one the
// amount, which rises from nothing between veins to 7 in their hearts.
constexpr std::size_t kOreKindCell = 16;
constexpr std::size_t kOreAmountCell = 7;
struct OreBand {
  std::int32_t below;  // kind noise under this
  std::uint8_t base;
};
constexpr std::array<OreBand, 4> kOreBands = {
    {{-2180, kGraniteBase}, {260, kCoalBase}, {2690, kIronBase}, {INT32_MAX, kGoldBase}}};
constexpr std::int32_t kOreAmountMiddle = 4;
// Fish: water vertices this many steps from the shore or nearer.
constexpr std::size_t kFishReach = 2;

// Forests: where a noise of cells kForestCell rises above kForestStart, trees grow denser
// up to kForestDensity (of 4096 draws); single trees stand elsewhere at kScatterDensity.
constexpr std::size_t kForestCell = 30;
constexpr std::int32_t kForestStart = 200;
constexpr std::int32_t kForestRise = 900;
constexpr std::int32_t kForestDensity = 2900;
constexpr std::int32_t kScatterDensity = 40;
constexpr std::size_t kTreeKindCell = 44;
// Granite: small groups where a fine noise is high, near the mountains (the foot of a
// range and a little beyond) and, rarer, anywhere on open land.
constexpr std::size_t kGraniteCell = 6;
constexpr std::int32_t kGraniteNearStart = 1300;
constexpr std::int32_t kGraniteFarStart = 2500;
constexpr std::int32_t kGraniteDensity = 2300;
// Animals per 4096 vertices where they may be.
constexpr std::int32_t kLandAnimalDensity = 45;
constexpr std::int32_t kDuckDensity = 90;
constexpr std::size_t kDuckReach = 3;
constexpr std::array<std::uint8_t, 5> kLandAnimals = {kRabbit, kFox, kStag, kDeer, kSheep};

// Tree kinds as the game numbers them (0 pine, 1 birch, 2 oak, 3 and 4 palms, 6 cypress,
// 7 cherry, 8 fir; 5, the pineapple, gives no wood), by landscape: the forests' kinds in
// the order a slow noise walks through them, and the kind of dry ground.
struct TreeKinds {
  std::array<std::uint8_t, 5> forest;
  std::uint8_t dry;
};
constexpr std::array<TreeKinds, kLandscapeCount> kTreeKinds = {{
    {{8, 0, 1, 2, 7}, 3},  // greenland: fir, pine, birch, oak, cherry; palms on dry land
    {{6, 3, 4, 0, 2}, 4},  // wasteland: cypress, palms, pine, oak
    {{8, 0, 8, 1, 2}, 0},  // winter: fir, pine, birch, oak (and cherry never on dry land)
}};
// A tree's object index: the kind's quarter of the index byte, plus a growth stage.
constexpr std::array<std::uint8_t, 4> kTreeIndexBase = {0x30, 0x70, 0xB0, 0xF0};

// Draws of a vertex for each purpose, 0 to 4095.
enum class Draw : std::uint64_t {
  kOre = 1,
  kTree,
  kTreeStage,
  kGranite,
  kGraniteSize,
  kAnimal,
  kKind
};
std::int32_t DrawOf(std::uint32_t seed, std::size_t v, Draw purpose) {
  const std::uint64_t key =
      (std::uint64_t{seed} << 32) ^ (static_cast<std::uint64_t>(purpose) << 56) ^ v;
  return static_cast<std::int32_t>(Mix(key) >> 52);
}

// Water vertices within reach steps of one that is not.
std::vector<std::uint8_t> NearShore(const MapGrid& grid, std::span<const std::uint8_t> survey,
                                    std::size_t reach) {
  const std::size_t n = grid.size();
  std::vector<std::uint8_t> near(n);
  for (std::size_t v = 0; v < n; ++v) near[v] = (survey[v] & kAllWater) == 0 ? 1 : 0;
  std::vector<std::uint8_t> grown(n);
  for (std::size_t step = 0; step < reach; ++step) {
    for (std::size_t v = 0; v < n; ++v) {
      grown[v] = near[v];
      if (near[v] != 0) continue;
      for (const std::size_t u : grid.Neighbours(grid.PointOf(v))) grown[v] |= near[u];
    }
    near.swap(grown);
  }
  for (std::size_t v = 0; v < n; ++v) {
    near[v] = static_cast<std::uint8_t>((survey[v] & kAllWater) != 0 && near[v] != 0);
  }
  return near;
}

std::uint8_t OreAt(const Noise& kinds, const Noise& amounts, const Phases& phases, Point p,
                   std::int32_t draw) {
  const std::uint32_t px = phases.X(p.x, p.y);
  const std::uint32_t py = phases.Y(p.y);
  const std::int32_t kind = SampleNoise(kinds, px, py);
  const std::int32_t rich = SampleNoise(amounts, px, py);
  const std::int32_t amount =
      Clamp(kOreAmountMiddle + (rich * 7 + (draw - 2048)) / kOne, 0, kMostOreAmount);
  if (amount == 0) return 0;
  std::size_t band = 0;
  while (kind >= kOreBands[band].below) ++band;
  return static_cast<std::uint8_t>(kOreBands[band].base + amount);
}

}  // namespace

std::vector<std::uint8_t> ReserveAround(const MapGrid& grid, std::span<const std::size_t> centres,
                                        std::size_t radius) {
  std::vector<std::uint8_t> reserved(grid.size());
  std::vector<std::size_t> ring;
  std::vector<std::size_t> next;
  for (const std::size_t centre : centres) {
    reserved[centre] = 1;
    ring.assign(1, centre);
    for (std::size_t step = 0; step < radius; ++step) {
      next.clear();
      for (const std::size_t v : ring) {
        for (const std::size_t u : grid.Neighbours(grid.PointOf(v))) {
          if (reserved[u] == 0) {
            reserved[u] = 1;
            next.push_back(u);
          }
        }
      }
      ring.swap(next);
    }
  }
  return reserved;
}

void PlaceResources(const MapGrid& grid, std::span<const std::uint8_t> survey, const Phases& phases,
                    const Relief& relief, std::uint32_t seed, const MapBlocks& blocks) {
  Twister twister(seed);
  const Noise kinds = MakeNoise(twister(), grid.width(), grid.height(), kOreKindCell, 2);
  const Noise amounts = MakeNoise(twister(), grid.width(), grid.height(), kOreAmountCell, 1);
  const std::vector<std::uint8_t> fish = NearShore(grid, survey, kFishReach);
  for (std::size_t v = 0; v < grid.size(); ++v) {
    if (relief.bands[v] >= Band::kMountain) {
      blocks.resources[v] =
          OreAt(kinds, amounts, phases, grid.PointOf(v), DrawOf(seed, v, Draw::kOre));
      continue;
    }
    if (fish[v] != 0) {
      blocks.resources[v] = kFishResource;
      continue;
    }
    const bool ground_water = (survey[v] & (kAllWater | kAllHumid)) == kAllHumid;
    blocks.resources[v] = ground_water ? kWaterResource : 0;
  }
}

}  // namespace plandrix::generate

namespace plandrix::generate {
namespace {

void PutTree(const MapBlocks& blocks, std::size_t v, std::uint8_t kind, std::int32_t stage) {
  blocks.object_type[v] = static_cast<std::uint8_t>(kFirstTreeType + kind / 4);
  blocks.object_index[v] = static_cast<std::uint8_t>(kTreeIndexBase[kind % 4] + stage % 8);
}

// The chance (of 4096) of a tree at a place of the forest noise.
std::int32_t TreeChance(std::int32_t forest) {
  const std::int32_t density = Clamp((forest - kForestStart) * kOne / kForestRise, 0, kOne);
  return std::max(kScatterDensity, (density * kForestDensity) >> kOneBits);
}

struct ObjectNoises {
  Noise forest, kinds, granite;
};

// A tree or a granite pile at an open, dry, unreserved vertex, or nothing.
void PlaceObjectAt(const ObjectNoises& noises, Landscape landscape, const Phases& phases,
                   const Relief& relief, std::uint32_t seed, Point p, std::size_t v,
                   const MapBlocks& blocks) {
  const std::uint32_t px = phases.X(p.x, p.y);
  const std::uint32_t py = phases.Y(p.y);
  // The vertex's own draws first: most vertices need no noise sampled.
  const bool near_range = relief.mountain[v] > 0;
  if (DrawOf(seed, v, Draw::kGranite) < kGraniteDensity &&
      SampleNoise(noises.granite, px, py) > (near_range ? kGraniteNearStart : kGraniteFarStart)) {
    const std::int32_t size = DrawOf(seed, v, Draw::kGraniteSize);
    blocks.object_type[v] = static_cast<std::uint8_t>(kFirstGraniteType + (size & 1));
    blocks.object_index[v] = static_cast<std::uint8_t>(1 + (size >> 1) % kMostGraniteSize);
    return;
  }
  const TreeKinds& kinds = kTreeKinds[static_cast<std::size_t>(landscape)];
  const std::int32_t tree_draw = DrawOf(seed, v, Draw::kTree);
  if (relief.bands[v] == Band::kFoothill ||
      (tree_draw >= kScatterDensity &&
       (tree_draw >= kForestDensity ||
        tree_draw >= TreeChance(SampleNoise(noises.forest, px, py))))) {
    return;
  }
  const std::int32_t pick = Clamp(SampleNoise(noises.kinds, px, py) + kOne / 2, 0, kOne - 1) +
                            (DrawOf(seed, v, Draw::kKind) >> 4) - 128;
  const std::size_t slot =
      static_cast<std::size_t>(Clamp(pick, 0, kOne - 1)) * kinds.forest.size() / kOne;
  const bool dry = relief.moisture[v] < -kOne / 6 && relief.bands[v] == Band::kCoast;
  PutTree(blocks, v, dry ? kinds.dry : kinds.forest[slot], DrawOf(seed, v, Draw::kTreeStage));
}

}  // namespace

void PlaceObjects(const MapGrid& grid, Landscape landscape, std::span<const std::uint8_t> survey,
                  const Phases& phases, const Relief& relief,
                  std::span<const std::uint8_t> reserved, std::uint32_t seed,
                  const MapBlocks& blocks) {
  Twister twister(seed);
  const ObjectNoises noises{MakeNoise(twister(), grid.width(), grid.height(), kForestCell, 3),
                            MakeNoise(twister(), grid.width(), grid.height(), kTreeKindCell, 1),
                            MakeNoise(twister(), grid.width(), grid.height(), kGraniteCell, 1)};
  for (std::size_t v = 0; v < grid.size(); ++v) {
    if (reserved[v] != 0 || relief.bands[v] < Band::kCoast || relief.bands[v] > Band::kFoothill) {
      continue;
    }
    // Vital ground all around: buildable land, no water, mountain or danger.
    if ((survey[v] & kAllVital) == 0) continue;
    PlaceObjectAt(noises, landscape, phases, relief, seed, grid.PointOf(v), v, blocks);
  }
}

void PlaceAnimals(const MapGrid& grid, std::span<const std::uint8_t> survey, std::uint32_t seed,
                  const MapBlocks& blocks) {
  const std::vector<std::uint8_t> ducks = NearShore(grid, survey, kDuckReach);
  for (std::size_t v = 0; v < grid.size(); ++v) {
    const std::int32_t draw = DrawOf(seed, v, Draw::kAnimal);
    if (ducks[v] != 0) {
      if (draw < kDuckDensity) blocks.animals[v] = kDuck;
      continue;
    }
    if (draw >= kLandAnimalDensity || blocks.object_type[v] != 0) continue;
    if ((survey[v] & kAllAnimalGround) != 0) {
      blocks.animals[v] = kLandAnimals[static_cast<std::size_t>(draw) % kLandAnimals.size()];
    }
  }
}

}  // namespace plandrix::generate
