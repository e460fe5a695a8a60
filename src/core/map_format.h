// The fields of a world map file beyond the offsets of the blocks (map_layout.h): the
// header's texts, players and marks, the 16-byte block header, the object, animal and
// resource bytes, the extra animal records after the blocks, and the file's structure as
// the game's loader reads it, block header by block header.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "core/large_buffer.h"
#include "core/map_layout.h"

namespace plandrix {

// ---- Header (offsets from the start of the file) ----
inline constexpr std::size_t kSignatureOffset = 0;
inline constexpr std::string_view kSignature = "WORLD_V1.0";
// Title and author: text ended by a zero byte inside a field of 20 bytes.
inline constexpr std::size_t kTitleOffset = 10;
inline constexpr std::size_t kAuthorOffset = 36;
inline constexpr std::size_t kTextFieldSize = 20;
inline constexpr std::size_t kMostTextCharacters = kTextFieldSize - 1;
// Copies of W and H for the game; the program reads the pair at 2348/2350.
inline constexpr std::size_t kHeaderWidthOffset = 30;
inline constexpr std::size_t kHeaderHeightOffset = 32;
inline constexpr std::size_t kLandscapeOffset = 34;
inline constexpr std::size_t kPlayerCountOffset = 35;
// Player p's headquarters position (u16 each) for p from 0 to kHeaderPlayerSlots - 1; an
// unused slot holds 0xFFFF. The game starts players from the marks in the object blocks.
inline constexpr std::size_t kHeadquartersXOffset = 56;
inline constexpr std::size_t kHeadquartersYOffset = 70;
inline constexpr std::size_t kHeaderPlayerSlots = 7;
inline constexpr std::uint16_t kUnusedSlot = 0xFFFF;
// The game plays at most this many players; the eighth has no header slot.
inline constexpr std::size_t kMostPlayers = 8;
inline constexpr std::size_t kHeaderMarkOffset = 2342;
inline constexpr std::uint16_t kHeaderMark = 10001;
// The game plays maps of at most this many vertices a side, with an even height.
inline constexpr std::size_t kLargestPlayedSide = 2048;

// The original game's heights go from 0 to this (the game plays higher ones).
inline constexpr std::uint8_t kHighestHeight = 60;

// ---- Block header (16 bytes before each block's data) ----
inline constexpr std::uint16_t kBlockMark = 10000;
inline constexpr std::size_t kBlockMarkField = 0;
inline constexpr std::size_t kBlockWidthField = 6;
inline constexpr std::size_t kBlockHeightField = 8;
// 1 for a block with data; 0 for a block that is absent, whose data is left out.
inline constexpr std::size_t kBlockMultiplierField = 10;
inline constexpr std::size_t kBlockLengthField = 12;

// The 16 bytes of a block header of a width x height map with its data present.
constexpr std::array<std::uint8_t, kBlockHeaderSize> BlockHeaderBytes(std::size_t width,
                                                                      std::size_t height) {
  std::array<std::uint8_t, kBlockHeaderSize> bytes{};
  const auto put = [&bytes](std::size_t at, std::uint64_t value, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
      bytes[at + i] = static_cast<std::uint8_t>((value >> (8 * i)) & 0xFF);
    }
  };
  put(kBlockMarkField, kBlockMark, 2);
  put(kBlockWidthField, width, 2);
  put(kBlockHeightField, height, 2);
  put(kBlockMultiplierField, 1, 2);
  put(kBlockLengthField, width * height, 4);
  return bytes;
}

// The blocks whose data the game reads; the others it recomputes or ignores.
inline constexpr std::array<int, 7> kBlocksTheGameReads = {1, 2, 3, 5, 6, 7, 12};
// Blocks the game's original fills with what it computes: building quality and shading.
inline constexpr int kQualityBlock = 9;
inline constexpr int kShadingBlock = 13;

// ---- After the blocks ----
// Extra animal records (an id byte, then x and y as u16) may stand before the final byte.
inline constexpr std::size_t kAnimalRecordSize = 5;
inline constexpr std::uint8_t kEndMark = 0xFF;

// ---- Terrain bytes (blocks 2 and 3) ----
// A terrain byte's low six bits are its code; 0x40 in the first block marks a harbour
// place; the game ignores both high bits otherwise.
inline constexpr std::uint8_t kTerrainCodeMask = 0x3F;
inline constexpr std::uint8_t kHarbourFlag = 0x40;
inline constexpr std::uint8_t TerrainCode(std::uint8_t terrain_byte) {
  return terrain_byte & kTerrainCodeMask;
}

// ---- Object types (block 6) and indexes (block 5) ----
inline constexpr std::uint8_t kHeadquartersType = 0x80;  // index: the player, 0 to 7
// Trees: types 0xC4 to 0xC6; the index's high two bits (with the type) give the kind of
// tree, its low nibble the growth stage (0 to 0xD; 0xE and 0xF give no tree). The index's
// high nibble is 3, 7, 0xB or 0xF (others give no tree).
inline constexpr std::uint8_t kFirstTreeType = 0xC4;
inline constexpr std::uint8_t kLastTreeType = 0xC6;
enum class TreeSpecies : std::uint8_t {
  kPine,
  kBirch,
  kOak,
  kPalm1,
  kPalm2,
  kPineapple,
  kCypress,
  kCherry,
  kFir
};
// The type byte and the index of a kind's first growth stage (add 0 to 7 for others).
struct TreeBytes {
  std::uint8_t index;
  std::uint8_t type;
};
constexpr TreeBytes TreeBytesOf(TreeSpecies kind) {
  const auto k = static_cast<std::uint8_t>(kind);
  return {static_cast<std::uint8_t>(0x30 + 0x40 * (k % 4)),
          static_cast<std::uint8_t>(kFirstTreeType + k / 4)};
}
// The kind of tree that a type and index give, or nothing.
constexpr std::optional<TreeSpecies> TreeSpeciesOf(std::uint8_t type, std::uint8_t index) {
  if (type < kFirstTreeType || type > kLastTreeType || (index & 0x30) != 0x30 ||
      (index & 0x0F) >= 0x0E) {
    return std::nullopt;
  }
  const int kind = 4 * (type - kFirstTreeType) + (index >> 6);
  if (kind > static_cast<int>(TreeSpecies::kFir)) return std::nullopt;
  return static_cast<TreeSpecies>(kind);
}
// Pineapples give no wood.
constexpr bool GivesWood(TreeSpecies kind) { return kind != TreeSpecies::kPineapple; }
// Decorations: index 0 to 0x35 (see IsPlainDecoration for which ones block their vertex).
inline constexpr std::uint8_t kDecorationType = 0xC8;
inline constexpr std::uint8_t kDecorationType2 = 0xC9;
// Granite piles: index 1 to 6, the stones they give.
inline constexpr std::uint8_t kFirstGraniteType = 0xCC;
inline constexpr std::uint8_t kLastGraniteType = 0xCD;
inline constexpr std::uint8_t kMostGraniteSize = 6;
// The castle ruin decoration puts blocking parts on its W, NW and NE neighbours.
inline constexpr std::uint8_t kCastleRuinIndex = 0x2F;

// ---- Animals (block 7 and the extra records) ----
inline constexpr std::uint8_t kNoAnimal = 0;
inline constexpr std::uint8_t kRabbit = 1;
inline constexpr std::uint8_t kFox = 2;
inline constexpr std::uint8_t kStag = 3;
inline constexpr std::uint8_t kDeer = 4;
inline constexpr std::uint8_t kDuck = 5;
inline constexpr std::uint8_t kSheep = 6;
// The game places an animal for these bytes only (0 and 0xFF mean none, others are skipped).
constexpr bool IsAnimal(std::uint8_t byte) { return byte >= kRabbit && byte <= kSheep; }

// ---- Resources (block 12) ----
enum class ResourceKind : std::uint8_t { kNothing, kWater, kCoal, kIron, kGold, kGranite, kFish };
inline constexpr std::array<std::string_view, 7> kResourceNames = {
    "nothing", "water", "coal", "iron", "gold", "granite", "fish"};
// Mined kinds: the base byte plus the amount 1 to 7.
inline constexpr std::uint8_t kCoalBase = 0x40;
inline constexpr std::uint8_t kIronBase = 0x48;
inline constexpr std::uint8_t kGoldBase = 0x50;
inline constexpr std::uint8_t kGraniteBase = 0x58;
inline constexpr std::uint8_t kMostOreAmount = 7;
inline constexpr std::uint8_t kWaterResource = 0x21;
inline constexpr std::uint8_t kFishResource = 0x87;

// The kind of a resource byte, or nothing for a byte outside every range.
constexpr std::optional<ResourceKind> ResourceKindOf(std::uint8_t resource) {
  if (resource == 0) return ResourceKind::kNothing;
  if (resource == 0x20 || resource == kWaterResource) return ResourceKind::kWater;
  if (resource >= 0x81 && resource <= 0x8F) return ResourceKind::kFish;
  // 0x41-0x47 coal, 0x49-0x4F iron, 0x51-0x57 gold, 0x59-0x5F granite: the low three bits
  // are the amount and may not be 0.
  if (resource >= kCoalBase && resource <= kGraniteBase + kMostOreAmount && (resource & 7) != 0) {
    constexpr std::array<ResourceKind, 4> kMined = {ResourceKind::kCoal, ResourceKind::kIron,
                                                    ResourceKind::kGold, ResourceKind::kGranite};
    return kMined[(resource - kCoalBase) >> 3];
  }
  return std::nullopt;
}

// The amount of a mined resource byte (1 to 7), 0 for any other byte.
constexpr std::uint8_t OreAmount(std::uint8_t resource) {
  const auto kind = ResourceKindOf(resource);
  const bool mined = kind == ResourceKind::kCoal || kind == ResourceKind::kIron ||
                     kind == ResourceKind::kGold || kind == ResourceKind::kGranite;
  return mined ? static_cast<std::uint8_t>(resource & 7) : 0;
}

// ---- Header texts ----
// The text of a 20-byte field (title or author): its bytes up to the first zero byte.
std::string_view HeaderText(std::span<const std::uint8_t> header, std::size_t offset);

// Whether text may stand in a title or author field: at most 19 characters, each printable
// ASCII (the game shows the field in its own character set, where only these agree).
bool IsValidHeaderText(std::string_view text);

// Writes text (IsValidHeaderText) into the field at offset, filling the rest with zeros.
void WriteHeaderText(std::span<std::uint8_t> header, std::size_t offset, std::string_view text);

// ---- The file as the game's loader reads it ----
// The header, then 14 blocks each read from its own 16-byte header (a block whose
// multiplier is 0 is absent and has no data), then extra animal records up to the final
// 0xFF; bytes after it are ignored.
struct BlockPlace {
  std::size_t header = 0;   // offset of the block header
  std::size_t data = 0;     // offset of the data (= header + 16)
  bool present = false;     // multiplier not 0: N data bytes follow
  std::uint16_t mark = 0;   // should be kBlockMark
  std::uint16_t width = 0;  // as the block header states them
  std::uint16_t height = 0;
  std::uint16_t multiplier = 0;
  std::uint32_t length = 0;
};

struct MapStructure {
  std::size_t width = 0;  // W and H at 2348/2350
  std::size_t height = 0;
  // How many blocks were read whole (header and, when present, data). Fewer than 14: the
  // file ends inside block blocks_read + 1.
  std::size_t blocks_read = 0;
  std::array<BlockPlace, kBlockCount> blocks{};
  std::size_t records = 0;              // extra animal records read before the end mark
  std::optional<std::size_t> end_mark;  // offset of the final 0xFF, none when missing
  std::size_t map_length = 0;           // up to and with the end mark (or the file's end)
};

// Reads the structure of the file's bytes. Nothing when they are shorter than the header.
// The stated size is never trusted: the walk stops where the bytes end, and a header that
// states a huge map over a short file costs nothing.
std::optional<MapStructure> ReadMapStructure(std::span<const std::uint8_t> file);

// Whether every block that the game reads is present and the walk reached the end mark:
// the blocks of MapBlocksOf can then be used.
bool IsComplete(const MapStructure& structure);

// The data of block k (1 to 14) of a complete structure, empty when the block is absent.
inline std::span<const std::uint8_t> BlockData(std::span<const std::uint8_t> file,
                                               const MapStructure& structure, int block) {
  const BlockPlace& place = structure.blocks[static_cast<std::size_t>(block - 1)];
  if (!place.present) return {};
  return file.subspan(place.data, structure.width * structure.height);
}
inline std::span<std::uint8_t> BlockData(std::span<std::uint8_t> file,
                                         const MapStructure& structure, int block) {
  const BlockPlace& place = structure.blocks[static_cast<std::size_t>(block - 1)];
  if (!place.present) return {};
  return file.subspan(place.data, structure.width * structure.height);
}

// Whether every block stands where map_layout.h puts it: all 14 read and present, no
// extra animal records, the end mark right after the last block.
bool HasStandardLayout(const MapStructure& structure);

// The map in the standard layout (map_layout.h) of a file whose 14 blocks could all be
// read: the header as it is, each block where MapLength puts it (an absent block's data
// zero, its header as a present one's), the end mark last. Empty when memory cannot hold
// it. Operations that address blocks by their standard offsets read this copy.
std::optional<LargeBuffer> StandardLayoutOf(std::span<const std::uint8_t> file,
                                            const MapStructure& structure);

// Copies the header and the data of the given (present) blocks of a standard-layout image
// back into the file they were made from, at the places the file's structure gives.
void CopyBackFromStandard(std::span<const std::uint8_t> standard, const MapStructure& structure,
                          std::span<const int> blocks, std::span<std::uint8_t> file);

}  // namespace plandrix
