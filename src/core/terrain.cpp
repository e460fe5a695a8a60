#include "core/terrain.h"

namespace plandrix {
namespace {

using Table = std::array<TerrainFacts, 64>;
using G = Ground;
using K = TerrainKind;

// The rows every landscape shares, in the greenland names and colours; each landscape's
// table starts from these and names its own.
constexpr Table Greenland() {
  Table t{};
  t[kSavannah] = {"savannah", G::kBuildable, K::kLandKind, 60, {176, 166, 82}};
  t[kMountain1] = {"mountain 1", G::kMine, K::kMountainKind, 0, {136, 118, 98}};
  t[kSnow] = {"snow", G::kDanger, K::kSnowKind, 0, {244, 246, 250}};
  t[kSwamp] = {"swamp", G::kNothing, K::kLandKind, 100, {104, 112, 52}};
  t[kDesert1] = {"desert 1", G::kWalkable, K::kLandKind, 0, {222, 202, 140}};
  t[kWater] = {"water", G::kNothing, K::kWaterKind, 100, {38, 88, 196}};
  t[kShallowWater] = {"shallow water", G::kBuildable, K::kWaterKind, 100, {78, 136, 214}};
  t[kDesert2] = {"desert 2", G::kWalkable, K::kLandKind, 0, {208, 184, 118}};
  t[kMeadow1] = {"meadow 1", G::kBuildable, K::kLandKind, 95, {82, 158, 58}};
  t[kMeadow2] = {"meadow 2", G::kBuildable, K::kLandKind, 100, {62, 138, 48}};
  t[kMeadow3] = {"meadow 3", G::kBuildable, K::kLandKind, 100, {104, 174, 70}};
  t[kMountain2] = {"mountain 2", G::kMine, K::kMountainKind, 0, {126, 108, 90}};
  t[kMountain3] = {"mountain 3", G::kMine, K::kMountainKind, 0, {116, 100, 84}};
  t[kMountain4] = {"mountain 4", G::kMine, K::kMountainKind, 0, {106, 92, 78}};
  t[kSteppe] = {"steppe", G::kBuildable, K::kLandKind, 30, {184, 172, 102}};
  t[kFlowerMeadow] = {"flower meadow", G::kBuildable, K::kLandKind, 100, {122, 178, 82}};
  t[kLava] = {"lava", G::kDanger, K::kLavaKind, 0, {204, 52, 22}};
  t[kMountainMeadow] = {"mountain meadow", G::kBuildable, K::kMountainKind, 100, {112, 148, 82}};
  t[kReefWater] = {"reef water", G::kNothing, K::kWaterKind, 100, {58, 108, 168}};
  t[kLava2] = {"lava 2", G::kDanger, K::kLavaKind, 0, {212, 72, 30}};
  t[kLava3] = {"lava 3", G::kDanger, K::kLavaKind, 0, {190, 42, 20}};
  t[kLava4] = {"lava 4", G::kDanger, K::kLavaKind, 0, {178, 30, 12}};
  t[kFlatMountain] = {"flat mountain", G::kBuildable, K::kMountainKind, 0, {150, 134, 114}};
  return t;
}

constexpr Table Wasteland() {
  Table t = Greenland();
  t[kSavannah] = {"dark steppe", G::kBuildable, K::kLandKind, 60, {128, 108, 66}};
  t[kSnow] = {"lava with few stones", G::kDanger, K::kLavaKind, 0, {170, 70, 40}};
  t[kSwamp] = {"lava with many stones", G::kNothing, K::kLavaKind, 0, {140, 64, 44}};
  t[kDesert1] = {"wasteland 1", G::kWalkable, K::kLandKind, 0, {168, 150, 120}};
  t[kWater] = {"moor", G::kNothing, K::kWaterKind, 100, {70, 74, 60}};
  t[kShallowWater] = {"shallow moor", G::kBuildable, K::kWaterKind, 100, {98, 100, 78}};
  t[kDesert2] = {"wasteland 2", G::kWalkable, K::kLandKind, 0, {154, 136, 108}};
  t[kMeadow1] = {"pasture 1", G::kBuildable, K::kLandKind, 95, {120, 130, 64}};
  t[kMeadow2] = {"pasture 2", G::kBuildable, K::kLandKind, 100, {104, 116, 56}};
  t[kMeadow3] = {"pasture 3", G::kBuildable, K::kLandKind, 100, {136, 144, 76}};
  t[kSteppe] = {"light steppe", G::kBuildable, K::kLandKind, 30, {170, 150, 96}};
  t[kFlowerMeadow] = {"flower pasture", G::kBuildable, K::kLandKind, 100, {146, 140, 84}};
  t[kWastelandLava] = {"lava 5", G::kDanger, K::kLavaKind, 0, {196, 60, 26}};
  t[kMountainMeadow] = {"alpine pasture", G::kBuildable, K::kMountainKind, 0, {126, 120, 80}};
  t[kReefWater] = {"reef moor", G::kNothing, K::kWaterKind, 100, {84, 84, 66}};
  return t;
}

constexpr Table Winter() {
  Table t = Greenland();
  t[kSavannah] = {"taiga", G::kBuildable, K::kLandKind, 60, {86, 112, 84}};
  t[kMountain1].colour = {140, 140, 150};
  t[kMountain2].colour = {128, 128, 140};
  t[kMountain3].colour = {118, 118, 130};
  t[kMountain4].colour = {106, 106, 120};
  t[kSnow] = {"ice floe", G::kDanger, K::kSnowKind, 0, {206, 226, 240}};
  t[kSwamp] = {"ice floes on water", G::kNothing, K::kWaterKind, 100, {150, 184, 214}};
  t[kDesert1] = {"ice 1", G::kWalkable, K::kLandKind, 0, {222, 232, 240}};
  t[kWater] = {"water", G::kNothing, K::kWaterKind, 100, {36, 74, 150}};
  t[kShallowWater] = {"shallow water", G::kBuildable, K::kWaterKind, 100, {76, 120, 180}};
  t[kDesert2] = {"ice 2", G::kWalkable, K::kLandKind, 0, {210, 222, 234}};
  t[kMeadow1] = {"tundra 1", G::kBuildable, K::kLandKind, 95, {150, 164, 138}};
  t[kMeadow2] = {"tundra 2", G::kBuildable, K::kLandKind, 100, {134, 150, 124}};
  t[kMeadow3] = {"tundra 3", G::kBuildable, K::kLandKind, 100, {166, 178, 152}};
  t[kSteppe] = {"tundra 4", G::kBuildable, K::kLandKind, 30, {176, 170, 140}};
  t[kFlowerMeadow] = {"tundra with flowers", G::kBuildable, K::kLandKind, 100, {172, 160, 170}};
  t[kMountainMeadow] = {"snow", G::kBuildable, K::kSnowKind, 0, {236, 240, 246}};
  t[kFlatMountain].colour = {156, 156, 164};
  return t;
}

constexpr std::array<Table, kLandscapeCount> kTables = {Greenland(), Wasteland(), Winter()};

// What a triangle allows does not depend on the landscape: the greenland column, with
// wasteland's 0x11 (danger) added so that a stray 0x11 elsewhere still reads as lava.
constexpr std::array<Ground, 64> kGroundOfCode = [] {
  std::array<Ground, 64> grounds{};
  for (std::size_t code = 0; code < grounds.size(); ++code) {
    grounds[code] = kTables[0][code].name.empty() ? Ground::kNothing : kTables[0][code].ground;
  }
  grounds[kWastelandLava] = Ground::kDanger;
  return grounds;
}();

// The three tables agree on what each code allows (checked once, at compile time).
constexpr bool GroundsAgree() {
  for (const Table& table : kTables) {
    for (std::size_t code = 0; code < table.size(); ++code) {
      if (!table[code].name.empty() && table[code].ground != kGroundOfCode[code]) return false;
    }
  }
  return true;
}
static_assert(GroundsAgree());
static_assert(kTables[0][kWastelandLava].name.empty() && kTables[2][kWastelandLava].name.empty());

}  // namespace

const TerrainFacts& TerrainOf(Landscape landscape, std::uint8_t terrain_byte) {
  return kTables[static_cast<std::size_t>(landscape)][TerrainCode(terrain_byte)];
}

bool IsDefinedTerrain(Landscape landscape, std::uint8_t terrain_byte) {
  return !TerrainOf(landscape, terrain_byte).name.empty();
}

Ground GroundOf(std::uint8_t terrain_byte) { return kGroundOfCode[TerrainCode(terrain_byte)]; }

bool IsWaterKind(Landscape landscape, std::uint8_t terrain_byte) {
  const TerrainFacts& facts = TerrainOf(landscape, terrain_byte);
  return !facts.name.empty() && facts.kind == TerrainKind::kWaterKind;
}

bool IsVital(Landscape landscape, std::uint8_t terrain_byte) {
  const TerrainFacts& facts = TerrainOf(landscape, terrain_byte);
  return !facts.name.empty() && facts.kind == TerrainKind::kLandKind &&
         facts.ground == Ground::kBuildable;
}

bool IsAnimalGround(Landscape landscape, std::uint8_t terrain_byte) {
  const TerrainFacts& facts = TerrainOf(landscape, terrain_byte);
  return !facts.name.empty() && facts.ground == Ground::kBuildable &&
         (facts.kind == TerrainKind::kLandKind || facts.kind == TerrainKind::kMountainKind);
}

}  // namespace plandrix
