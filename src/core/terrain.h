// The terrain as the game knows it: the landscape byte, the code of every terrain byte
// and what the game lets a player do on a triangle of that code, per landscape (greenland,
// wasteland, winter world), with the name and the picture colour of each code.
//
// What a triangle allows is the same code by code in the three landscapes; its kind
// (land, water, mountain, lava, snow), its humidity and its name differ. A code that a
// landscape does not define makes the game refuse the map (0x11 exists in wasteland only).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "core/map_format.h"

namespace plandrix {

using Rgb = std::array<std::uint8_t, 3>;

// The landscape byte at offset 34.
enum class Landscape : std::uint8_t { kGreenland = 0, kWasteland = 1, kWinter = 2 };
inline constexpr std::size_t kLandscapeCount = 3;
// As plandrix-map prints them, and the words its options take.
inline constexpr std::array<std::string_view, kLandscapeCount> kLandscapeNames = {
    "greenland", "wasteland", "winter world"};
inline constexpr std::array<std::string_view, kLandscapeCount> kLandscapeWords = {
    "greenland", "wasteland", "winter"};

// The landscape of a landscape byte; nothing for a byte the game refuses.
constexpr std::optional<Landscape> LandscapeOf(std::uint8_t byte) {
  if (byte >= kLandscapeCount) return std::nullopt;
  return static_cast<Landscape>(byte);
}

// Terrain codes, by their greenland names (the other landscapes name them in the tables).
inline constexpr std::uint8_t kSavannah = 0x00;
inline constexpr std::uint8_t kMountain1 = 0x01;
inline constexpr std::uint8_t kSnow = 0x02;  // lava in wasteland, ice floe in winter
inline constexpr std::uint8_t kSwamp = 0x03;
inline constexpr std::uint8_t kDesert1 = 0x04;
inline constexpr std::uint8_t kWater = 0x05;  // the only code ships sail on
inline constexpr std::uint8_t kShallowWater = 0x06;
inline constexpr std::uint8_t kDesert2 = 0x07;
inline constexpr std::uint8_t kMeadow1 = 0x08;
inline constexpr std::uint8_t kMeadow2 = 0x09;
inline constexpr std::uint8_t kMeadow3 = 0x0A;
inline constexpr std::uint8_t kMountain2 = 0x0B;
inline constexpr std::uint8_t kMountain3 = 0x0C;
inline constexpr std::uint8_t kMountain4 = 0x0D;
inline constexpr std::uint8_t kSteppe = 0x0E;
inline constexpr std::uint8_t kFlowerMeadow = 0x0F;
inline constexpr std::uint8_t kLava = 0x10;
inline constexpr std::uint8_t kWastelandLava = 0x11;   // wasteland only
inline constexpr std::uint8_t kMountainMeadow = 0x12;  // snow in winter
inline constexpr std::uint8_t kReefWater = 0x13;
inline constexpr std::uint8_t kLava2 = 0x14;
inline constexpr std::uint8_t kLava3 = 0x15;
inline constexpr std::uint8_t kLava4 = 0x16;
inline constexpr std::uint8_t kFlatMountain = 0x22;
inline constexpr std::array<std::uint8_t, 4> kMountainCodes = {kMountain1, kMountain2, kMountain3,
                                                               kMountain4};

// What the game lets a player do on a triangle, from most to least.
enum class Ground : std::uint8_t {
  kBuildable,  // castles and everything smaller; walkable
  kMine,       // mines; walkable
  kWalkable,   // flags and roads only
  kNothing,    // harmless, but no walking or building (water, swamp, reef)
  kDanger,     // nothing is built or walked on any vertex that touches it (lava, snow)
};

enum class TerrainKind : std::uint8_t {
  kLandKind,
  kWaterKind,
  kMountainKind,
  kLavaKind,
  kSnowKind
};

struct TerrainFacts {
  std::string_view name;  // empty: the landscape does not define the code
  Ground ground = Ground::kNothing;
  TerrainKind kind = TerrainKind::kLandKind;
  std::uint8_t humidity = 0;  // percent; ground water is 7 x the lowest around / 100
  Rgb colour{};               // in plandrix-map's pictures
};

// The facts of a terrain byte's code (its low six bits) in a landscape.
const TerrainFacts& TerrainOf(Landscape landscape, std::uint8_t terrain_byte);

// Whether the landscape defines the terrain byte's code.
bool IsDefinedTerrain(Landscape landscape, std::uint8_t terrain_byte);

// What a triangle of the byte's code allows; the same in every landscape. An undefined
// code allows nothing.
Ground GroundOf(std::uint8_t terrain_byte);

inline bool IsWalkable(std::uint8_t terrain_byte) {
  return GroundOf(terrain_byte) <= Ground::kWalkable;
}
inline bool IsBuildable(std::uint8_t terrain_byte) {
  return GroundOf(terrain_byte) == Ground::kBuildable;
}
inline bool IsMineable(std::uint8_t terrain_byte) {
  return GroundOf(terrain_byte) == Ground::kMine;
}
inline bool IsDanger(std::uint8_t terrain_byte) {
  return GroundOf(terrain_byte) == Ground::kDanger;
}
// Ships sail on water (code 5) only; shallow water and reefs stop them.
inline constexpr bool IsShippable(std::uint8_t terrain_byte) {
  return TerrainCode(terrain_byte) == kWater;
}
// Water kind: a harbour's coast test and where ducks swim.
bool IsWaterKind(Landscape landscape, std::uint8_t terrain_byte);
// Farms, foresters and vineyards need vital ground all around: buildable land.
bool IsVital(Landscape landscape, std::uint8_t terrain_byte);
// Land animals need buildable land or mountain ground.
bool IsAnimalGround(Landscape landscape, std::uint8_t terrain_byte);

}  // namespace plandrix
