#include "inspect/map_check.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <string>

#include "core/map_format.h"
#include "core/terrain.h"
#include "inspect/byte_counts.h"
#include "inspect/map_check_parts.h"

namespace plandrix {
namespace {

using Findings = std::vector<Finding>;

void Add(Findings& findings, Severity severity, std::string_view code, std::string message) {
  findings.push_back({severity, code, std::move(message)});
}

std::string Hex(unsigned value) {
  constexpr std::string_view kDigits = "0123456789ABCDEF";
  std::string text = "0x";
  text += kDigits[(value >> 4) & 15];
  text += kDigits[value & 15];
  return text;
}

std::string Plural(std::uint64_t count, std::string_view one, std::string_view many) {
  return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

std::string Size(std::size_t width, std::size_t height) {
  return std::to_string(width) + " x " + std::to_string(height);
}

bool HasSignature(std::span<const std::uint8_t> file) {
  return file.size() >= kSignature.size() &&
         std::equal(kSignature.begin(), kSignature.end(), file.begin() + kSignatureOffset);
}

void CheckSize(std::span<const std::uint8_t> file, Findings& findings) {
  const std::size_t width = MapWidth(file);
  const std::size_t height = MapHeight(file);
  if (width == 0 || height == 0) {
    Add(findings, Severity::kError, "zero-size",
        "the map is " + Size(width, height) + ": a map without vertices");
  }
  if (height % 2 != 0) {
    Add(findings, Severity::kError, "odd-height",
        "the height " + std::to_string(height) + " is odd: the game loads only even heights");
  }
  if (width > kLargestPlayedSide || height > kLargestPlayedSide) {
    Add(findings, Severity::kError, "side-above-2048",
        "the map is " + Size(width, height) + ": the game loads at most 2048 a side");
  }
  const std::size_t copy_width = ReadU16(file, kHeaderWidthOffset);
  const std::size_t copy_height = ReadU16(file, kHeaderHeightOffset);
  if (copy_width != width || copy_height != height) {
    Add(findings, Severity::kWarning, "size-mismatch",
        "the size at offsets 30/32 is " + Size(copy_width, copy_height) +
            ", the size at 2348/2350 is " + Size(width, height));
  }
}

// The header fields that need no block: the mark, the size, landscape and players.
void CheckHeaderFields(std::span<const std::uint8_t> file, Findings& findings) {
  if (ReadU16(file, kHeaderMarkOffset) != kHeaderMark) {
    Add(findings, Severity::kError, "bad-header-mark",
        "no 10001 at offset 2342 (found " + std::to_string(ReadU16(file, kHeaderMarkOffset)) + ")");
  }
  CheckSize(file, findings);
  const std::uint8_t landscape = file[kLandscapeOffset];
  if (!LandscapeOf(landscape)) {
    Add(findings, Severity::kError, "unknown-landscape",
        "landscape byte " + std::to_string(landscape) +
            " is none of 0 greenland, 1 wasteland, 2 winter world: the game refuses the map");
  }
  const std::uint8_t players = file[kPlayerCountOffset];
  if (players == 0) {
    Add(findings, Severity::kError, "no-players",
        "the player count at offset 35 is 0: the game cannot start a match");
  } else if (players > kMostPlayers) {
    Add(findings, Severity::kError, "too-many-players",
        "the player count at offset 35 is " + std::to_string(players) +
            ", the game plays at most " + std::to_string(kMostPlayers));
  }
}

// Each block as the game's loader reads it: its mark, its size and length, whether it is
// there. Gives whether every block could be read.
bool CheckBlocks(std::span<const std::uint8_t> file, const MapStructure& structure,
                 Findings& findings) {
  const std::size_t n = structure.width * structure.height;
  for (std::size_t k = 0; k < structure.blocks_read; ++k) {
    const BlockPlace& place = structure.blocks[k];
    const int block = static_cast<int>(k) + 1;
    const bool sized =
        place.width == structure.width && place.height == structure.height && place.length == n;
    if (place.mark != kBlockMark || (place.present && !sized)) {
      Add(findings, Severity::kError, "bad-block-header",
          "the header of block " + std::to_string(block) + " is not 10000, 0, " +
              std::to_string(structure.width) + ", " + std::to_string(structure.height) + ", 1, " +
              std::to_string(n));
    }
    if (place.multiplier > 1) {
      Add(findings, Severity::kWarning, "odd-block-multiplier",
          "block " + std::to_string(block) + " has the multiplier " +
              std::to_string(place.multiplier) + "; the game reads it as 1");
    }
    const bool read = std::find(kBlocksTheGameReads.begin(), kBlocksTheGameReads.end(), block) !=
                      kBlocksTheGameReads.end();
    if (!place.present && read) {
      Add(findings, Severity::kError, "missing-layer",
          "block " + std::to_string(block) + " is marked absent (multiplier 0); the game needs it");
    }
  }
  if (structure.blocks_read == kBlockCount) return true;
  const std::size_t k = structure.blocks_read;
  Add(findings, Severity::kError, "too-short",
      "the file is " + Plural(file.size(), "byte", "bytes") + " long and ends inside block " +
          std::to_string(k + 1) + "; a map of " + Size(structure.width, structure.height) +
          " needs " + std::to_string(MapLength(structure.width, structure.height)));
  return false;
}

void CheckEnd(const MapStructure& structure, std::uint64_t file_size, Findings& findings) {
  if (!structure.end_mark) {
    Add(findings, Severity::kError, "no-end-mark",
        "the file ends without the final 0xFF after the blocks" +
            (structure.records > 0
                 ? " and " + Plural(structure.records, "animal record", "animal records")
                 : std::string()) +
            ": the game reads past the end");
    return;
  }
  if (file_size > structure.map_length) {
    Add(findings, Severity::kWarning, "trailing-bytes",
        Plural(file_size - structure.map_length, "byte", "bytes") +
            " after the final byte of the map (the game ignores them)");
  }
}

// "17 (12 triangles), 40 (3 triangles)" for every listed value with a count.
template <typename Listed>
std::string ListCounts(const ByteCounts& counts, Listed listed, std::string_view one,
                       std::string_view many, bool hex) {
  std::string text;
  for (std::size_t value = 0; value < counts.size(); ++value) {
    if (counts[value] == 0 || !listed(static_cast<std::uint8_t>(value))) continue;
    if (!text.empty()) text += ", ";
    text += hex ? Hex(static_cast<unsigned>(value)) : std::to_string(value);
    text += " (" + Plural(counts[value], one, many) + ")";
  }
  return text;
}

// The blocks of a map whose structure could be read whole; an absent block is empty.
struct Layers {
  std::span<const std::uint8_t> heights, first, second, index, type, resources;
};

void CheckTerrain(const Layers& layers, std::uint8_t landscape_byte, Findings& findings) {
  const Landscape landscape = LandscapeOf(landscape_byte).value_or(Landscape::kGreenland);
  ByteCounts codes{};
  for (const auto block : {layers.first, layers.second}) {
    const ByteCounts counts = CountBytes(block);
    for (std::size_t value = 0; value < counts.size(); ++value) {
      codes[TerrainCode(static_cast<std::uint8_t>(value))] += counts[value];
    }
  }
  const auto unknown = [landscape](std::uint8_t code) {
    return !IsDefinedTerrain(landscape, code);
  };
  const std::string listed = ListCounts(codes, unknown, "triangle", "triangles", false);
  if (listed.empty()) return;
  Add(findings, Severity::kError, "unknown-terrain",
      "terrain codes that " + std::string(kLandscapeNames[static_cast<std::size_t>(landscape)]) +
          " does not know: " + listed);
}

void CheckHeights(const Layers& layers, Findings& findings) {
  const ByteCounts counts = CountBytes(layers.heights);
  std::uint64_t above = 0;
  std::size_t highest = 0;
  for (std::size_t value = kHighestHeight + 1; value < counts.size(); ++value) {
    above += counts[value];
    if (counts[value] != 0) highest = value;
  }
  if (above == 0) return;
  Add(findings, Severity::kWarning, "height-above-60",
      Plural(above, "vertex is", "vertices are") + " higher than 60 (highest " +
          std::to_string(highest) + ")");
}

void CheckResources(const Layers& layers, Findings& findings) {
  const ByteCounts counts = CountBytes(layers.resources);
  const auto unknown = [](std::uint8_t value) { return !ResourceKindOf(value); };
  const std::string listed = ListCounts(counts, unknown, "vertex", "vertices", true);
  if (listed.empty()) return;
  Add(findings, Severity::kWarning, "unknown-resource",
      "resource bytes outside every range: " + listed);
}

}  // namespace

std::vector<Finding> CheckMap(std::span<const std::uint8_t> file, std::uint64_t bytes_not_read) {
  Findings findings;
  if (!HasSignature(file)) {
    const bool bitmap = file.size() >= 2 && file[0] == 'B' && file[1] == 'M';
    Add(findings, Severity::kError, "bad-signature",
        "not a SettlersII map: the file does not begin with WORLD_V1.0" +
            std::string(bitmap ? " (it begins like a bitmap)" : ""));
    return findings;
  }
  if (file.size() < kHeaderSize) {
    Add(findings, Severity::kError, "too-short",
        "the file is " + Plural(file.size(), "byte", "bytes") + " long, shorter than the " +
            std::to_string(kHeaderSize) + "-byte header of a map");
    return findings;
  }
  CheckHeaderFields(file, findings);
  const MapStructure structure = *ReadMapStructure(file);
  if (CheckBlocks(file, structure, findings)) {
    CheckEnd(structure, file.size() + bytes_not_read, findings);
    const Layers layers{
        BlockData(file, structure, kHeightBlock),     BlockData(file, structure, kTerrainBlock1),
        BlockData(file, structure, kTerrainBlock2),   BlockData(file, structure, kObjectIndexBlock),
        BlockData(file, structure, kObjectTypeBlock), BlockData(file, structure, kResourceBlock)};
    CheckTerrain(layers, file[kLandscapeOffset], findings);
    CheckHeights(layers, findings);
    CheckHeadquarters(file, structure, layers.index, layers.type, findings);
    const MapLayers quality_layers{
        structure.width,
        structure.height,
        LandscapeOf(file[kLandscapeOffset]).value_or(Landscape::kGreenland),
        layers.heights,
        layers.first,
        layers.second,
        layers.index,
        layers.type};
    CheckHarbours(file, structure, quality_layers, findings);
    CheckResources(layers, findings);
  }
  // Errors first: they are what a map maker must mend before anything else matters.
  std::stable_partition(findings.begin(), findings.end(), [](const Finding& finding) {
    return finding.severity == Severity::kError;
  });
  return findings;
}

bool HasError(std::span<const Finding> findings) {
  return std::any_of(findings.begin(), findings.end(),
                     [](const Finding& finding) { return finding.severity == Severity::kError; });
}

}  // namespace plandrix
