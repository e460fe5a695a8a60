#include "inspect/map_check.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <string>

#include "core/map_layout.h"
#include "core/terrain.h"
#include "inspect/byte_counts.h"

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

// The header fields that need no block: signature, the copies of the size, landscape,
// players and the mark.
void CheckHeaderFields(std::span<const std::uint8_t> file, Findings& findings) {
  const auto signature = file.subspan(kSignatureOffset, kSignature.size());
  if (!std::equal(signature.begin(), signature.end(), kSignature.begin())) {
    const bool bitmap = file[0] == 'B' && file[1] == 'M';
    Add(findings, Severity::kError, "bad-signature",
        "the file does not begin with WORLD_V1.0" +
            std::string(bitmap ? " (it begins like a bitmap)" : ""));
  }
  if (ReadU16(file, kHeaderMarkOffset) != kHeaderMark) {
    Add(findings, Severity::kError, "bad-header-mark",
        "no 10001 at offset 2342 (found " + std::to_string(ReadU16(file, kHeaderMarkOffset)) + ")");
  }
  const std::size_t width = MapWidth(file);
  const std::size_t height = MapHeight(file);
  if (width == 0 || height == 0) {
    Add(findings, Severity::kError, "zero-size",
        "the map is " + std::to_string(width) + " x " + std::to_string(height) +
            ": a map without vertices");
  }
  const std::size_t copy_width = ReadU16(file, kHeaderWidthOffset);
  const std::size_t copy_height = ReadU16(file, kHeaderHeightOffset);
  if (copy_width != width || copy_height != height) {
    Add(findings, Severity::kWarning, "size-mismatch",
        "the size at offsets 30/32 is " + std::to_string(copy_width) + " x " +
            std::to_string(copy_height) + ", the size at 2348/2350 is " + std::to_string(width) +
            " x " + std::to_string(height));
  }
  const std::uint8_t landscape = file[kLandscapeOffset];
  if (!LandscapeOf(landscape)) {
    Add(findings, Severity::kWarning, "unknown-landscape",
        "landscape byte " + std::to_string(landscape) +
            " is none of 0 greenland, 1 wasteland, 2 winter world; checked as greenland");
  }
  const std::uint8_t players = file[kPlayerCountOffset];
  if (players == 0) {
    Add(findings, Severity::kWarning, "no-players",
        "the player count at offset 35 is 0: the game cannot start a match");
  } else if (players > kMostPlayers) {
    Add(findings, Severity::kWarning, "too-many-players",
        "the player count at offset 35 is " + std::to_string(players) + ", the game has at most " +
            std::to_string(kMostPlayers));
  }
}

void CheckBlockHeaders(std::span<const std::uint8_t> file, std::size_t width, std::size_t height,
                       Findings& findings) {
  const std::size_t n = width * height;
  std::array<std::uint8_t, kBlockHeaderSize> expected{};
  WriteU16(expected, 0, kBlockMark);
  WriteU16(expected, 6, width);
  WriteU16(expected, 8, height);
  WriteU16(expected, 10, 1);
  WriteU32(expected, 12, n);
  for (int block = 1; block <= static_cast<int>(kBlockCount); ++block) {
    const auto header = file.subspan(BlockHeaderOffset(block, n), kBlockHeaderSize);
    if (std::equal(header.begin(), header.end(), expected.begin())) continue;
    Add(findings, Severity::kError, "bad-block-header",
        "the header of block " + std::to_string(block) + " is not 10000, 0, " +
            std::to_string(width) + ", " + std::to_string(height) + ", 1, " + std::to_string(n));
  }
}

void CheckEnd(std::span<const std::uint8_t> file, std::size_t length, std::uint64_t trailing,
              Findings& findings) {
  if (file[length - 1] != kEndMark) {
    Add(findings, Severity::kError, "no-end-mark",
        "the byte at offset " + std::to_string(length - 1) + " is " + Hex(file[length - 1]) +
            ", not the final 0xFF: the game reads past the end");
  }
  if (file.size() - length + trailing > 0) {
    Add(findings, Severity::kWarning, "trailing-bytes",
        Plural(file.size() - length + trailing, "byte", "bytes") +
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

void CheckTerrain(std::span<const std::uint8_t> file, std::size_t n, Findings& findings) {
  const std::uint8_t landscape = file[kLandscapeOffset];
  ByteCounts codes{};
  for (const int block : {kTerrainBlock1, kTerrainBlock2}) {
    const ByteCounts counts = CountBytes(Block(file, block, n));
    for (std::size_t value = 0; value < counts.size(); ++value) {
      codes[TerrainCode(static_cast<std::uint8_t>(value))] += counts[value];
    }
  }
  const auto unknown = [landscape](std::uint8_t code) {
    return !IsDefinedTerrain(LandscapeOf(landscape).value_or(Landscape::kGreenland), code);
  };
  const std::string listed = ListCounts(codes, unknown, "triangle", "triangles", false);
  if (listed.empty()) return;
  const std::size_t name = LandscapeOf(landscape) ? landscape : 0;
  Add(findings, Severity::kError, "unknown-terrain",
      "terrain codes that " + std::string(kLandscapeNames[name]) + " does not know: " + listed);
}

void CheckHeights(std::span<const std::uint8_t> file, std::size_t n, Findings& findings) {
  const ByteCounts counts = CountBytes(Block(file, kHeightBlock, n));
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

void CheckHeadquarters(std::span<const std::uint8_t> file, std::size_t n, Findings& findings) {
  const std::size_t players = std::min<std::size_t>(file[kPlayerCountOffset], kMostPlayers);
  if (players == 0) return;
  std::array<bool, kMostPlayers> found{};
  const auto types = Block(file, kObjectTypeBlock, n);
  const auto indexes = Block(file, kObjectIndexBlock, n);
  for (std::size_t i = 0; i < n; ++i) {
    if (types[i] == kHeadquartersType && indexes[i] < found.size()) found[indexes[i]] = true;
  }
  for (std::size_t player = 0; player < players; ++player) {
    if (found[player]) continue;
    Add(findings, Severity::kWarning, "missing-headquarters",
        "player " + std::to_string(player) + " has no headquarters (no vertex with object type " +
            "0x80 and object index " + std::to_string(player) + ")");
  }
}

void CheckResources(std::span<const std::uint8_t> file, std::size_t n, Findings& findings) {
  const ByteCounts counts = CountBytes(Block(file, kResourceBlock, n));
  const auto unknown = [](std::uint8_t value) { return !ResourceKindOf(value); };
  const std::string listed = ListCounts(counts, unknown, "vertex", "vertices", true);
  if (listed.empty()) return;
  Add(findings, Severity::kWarning, "unknown-resource",
      "resource bytes outside every range: " + listed);
}

}  // namespace

std::vector<Finding> CheckMap(std::span<const std::uint8_t> file) { return CheckMap(file, 0); }

std::vector<Finding> CheckMap(std::span<const std::uint8_t> file, std::uint64_t trailing_bytes) {
  Findings findings;
  if (file.size() < kHeaderSize) {
    Add(findings, Severity::kError, "too-short",
        "the file is " + Plural(file.size(), "byte", "bytes") + " long, shorter than the " +
            std::to_string(kHeaderSize) + "-byte header of a map");
    return findings;
  }
  CheckHeaderFields(file, findings);
  const std::size_t width = MapWidth(file);
  const std::size_t height = MapHeight(file);
  const std::size_t length = MapLength(width, height);
  if (file.size() < length) {
    Add(findings, Severity::kError, "too-short",
        "the file is " + Plural(file.size(), "byte", "bytes") + " long, a map of " +
            std::to_string(width) + " x " + std::to_string(height) + " needs " +
            std::to_string(length));
  } else {
    const std::size_t n = width * height;
    CheckBlockHeaders(file, width, height, findings);
    CheckEnd(file, length, trailing_bytes, findings);
    CheckTerrain(file, n, findings);
    CheckHeights(file, n, findings);
    CheckHeadquarters(file, n, findings);
    CheckResources(file, n, findings);
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
