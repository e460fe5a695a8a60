// Facts of the map format that the game itself holds and plandrix-map looks at: the
// terrain codes each landscape knows, their names and picture colours, the resource
// ranges, and where the players and their headquarters are written.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace plandrix::facts {

// Header fields beyond those the menu program reads.
inline constexpr std::size_t kSignatureOffset = 0;
inline constexpr std::string_view kSignature = "WORLD_V1.0";
inline constexpr std::size_t kHeaderWidthOffset = 30;  // copies of W and H for the game
inline constexpr std::size_t kHeaderHeightOffset = 32;
inline constexpr std::size_t kLandscapeOffset = 34;
inline constexpr std::size_t kPlayerCountOffset = 35;
// Player p's headquarters position (u16 each), p from 0 to kMostPlayers - 1; an unused
// slot holds 0xFFFF.
inline constexpr std::size_t kHeadquartersXOffset = 56;
inline constexpr std::size_t kHeadquartersYOffset = 70;
inline constexpr std::size_t kMostPlayers = 7;
inline constexpr std::uint16_t kUnusedSlot = 0xFFFF;
inline constexpr std::size_t kHeaderMarkOffset = 2342;
inline constexpr std::uint16_t kHeaderMark = 10001;
inline constexpr std::uint16_t kBlockMark = 10000;
inline constexpr std::uint8_t kEndMark = 0xFF;

// The landscape byte at offset 34.
enum class Landscape : std::uint8_t { kGreenland = 0, kWasteland = 1, kWinterWorld = 2 };
inline constexpr std::array<std::string_view, 3> kLandscapeNames = {"greenland", "wasteland",
                                                                    "winter world"};

// The game's heights go from 0 to this.
inline constexpr std::uint8_t kHighestHeight = 60;

// Object types (block 6).
inline constexpr std::uint8_t kHeadquartersType = 0x80;  // object index = player number
inline constexpr std::uint8_t kFirstTreeType = 196;
inline constexpr std::uint8_t kLastTreeType = 198;
inline constexpr std::uint8_t kFirstGraniteType = 204;
inline constexpr std::uint8_t kLastGraniteType = 205;

// A terrain byte's low six bits are its code; 0x40 marks a harbour place.
inline constexpr std::uint8_t kTerrainCodeMask = 0x3F;
inline constexpr std::uint8_t kHarbourFlag = 0x40;

struct TerrainFact {
  std::string_view name;  // empty: no landscape knows the code
  std::array<std::uint8_t, 3> rgb;
  bool wasteland_only;
};

// By code (the low six bits of a terrain byte).
inline constexpr std::array<TerrainFact, 64> kTerrainFacts = [] {
  std::array<TerrainFact, 64> facts{};
  facts.fill({"", {255, 0, 255}, false});  // unknown codes are drawn magenta
  facts[0] = {"savannah", {176, 166, 82}, false};
  facts[1] = {"mountain 1", {136, 118, 98}, false};
  facts[2] = {"snow", {244, 246, 250}, false};
  facts[3] = {"swamp", {104, 112, 52}, false};
  facts[4] = {"desert 1", {222, 202, 140}, false};
  facts[5] = {"water", {38, 88, 196}, false};
  facts[6] = {"shallow water", {78, 136, 214}, false};
  facts[7] = {"desert 2", {208, 184, 118}, false};
  facts[8] = {"meadow 1", {82, 158, 58}, false};
  facts[9] = {"meadow 2", {62, 138, 48}, false};
  facts[10] = {"meadow 3", {104, 174, 70}, false};
  facts[11] = {"mountain 2", {126, 108, 90}, false};
  facts[12] = {"mountain 3", {116, 100, 84}, false};
  facts[13] = {"mountain 4", {106, 92, 78}, false};
  facts[14] = {"steppe", {184, 172, 102}, false};
  facts[15] = {"flower meadow", {122, 178, 82}, false};
  facts[16] = {"lava", {204, 52, 22}, false};
  facts[17] = {"wasteland 17", {92, 88, 84}, true};
  facts[18] = {"mountain meadow", {112, 148, 82}, false};
  facts[19] = {"reef water", {58, 108, 168}, false};
  facts[20] = {"lava 2", {212, 72, 30}, false};
  facts[21] = {"lava 3", {190, 42, 20}, false};
  facts[22] = {"lava 4", {178, 30, 12}, false};
  facts[34] = {"flat mountain", {150, 134, 114}, false};
  return facts;
}();

inline constexpr std::uint8_t TerrainCode(std::uint8_t terrain_byte) {
  return terrain_byte & kTerrainCodeMask;
}

// Whether the game of the given landscape byte knows the terrain byte's code. A landscape
// byte beyond 2 is taken as greenland for this purpose.
inline constexpr bool IsKnownTerrain(std::uint8_t terrain_byte, std::uint8_t landscape) {
  const TerrainFact& fact = kTerrainFacts[TerrainCode(terrain_byte)];
  if (fact.name.empty()) return false;
  return !fact.wasteland_only || landscape == static_cast<std::uint8_t>(Landscape::kWasteland);
}

// Resource kinds of block 12.
enum class ResourceKind : std::uint8_t { kNothing, kWater, kCoal, kIron, kGold, kGranite, kFish };
inline constexpr std::array<std::string_view, 7> kResourceNames = {
    "nothing", "water", "coal", "iron", "gold", "granite", "fish"};

// The kind of a resource byte, or nothing for a byte outside every range.
inline constexpr std::optional<ResourceKind> ResourceKindOf(std::uint8_t resource) {
  if (resource == 0) return ResourceKind::kNothing;
  if (resource == 0x20 || resource == 0x21) return ResourceKind::kWater;
  if (resource >= 0x81 && resource <= 0x8F) return ResourceKind::kFish;
  // 0x41-0x47 coal, 0x49-0x4F iron, 0x51-0x57 gold, 0x59-0x5F granite: the low three bits
  // are the amount and may not be 0.
  if (resource >= 0x40 && resource <= 0x5F && (resource & 7) != 0) {
    constexpr std::array<ResourceKind, 4> kMined = {ResourceKind::kCoal, ResourceKind::kIron,
                                                    ResourceKind::kGold, ResourceKind::kGranite};
    return kMined[(resource - 0x40) >> 3];
  }
  return std::nullopt;
}

}  // namespace plandrix::facts
