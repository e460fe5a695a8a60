#include "inspect/bitmap_export.h"

#include <algorithm>
#include <array>
#include <limits>
#include <new>
#include <string>

#include "core/bitmap_format.h"
#include "core/blank_map.h"
#include "core/large_buffer.h"
#include "core/map_layout.h"
#include "core/terrain.h"
#include "transform/bitmap_terrain.h"

namespace plandrix::inspect {
namespace {

// The palette of the terrain bitmap, by colour number: the terrain that the bitmap
// conversion paints with it (greenland's names; every landscape gets the same colours,
// since the conversion neither reads the palette nor knows the landscape). Where two
// numbers paint one terrain, the one that loses shared triangles is the lighter shade.
// Any two entries lie at least 25 apart in CIE 1976 L*a*b*, well above what an eye
// tells apart side by side (about 2), so that a painter picks the right one.
constexpr std::array<Rgb, 16> kTerrainPalette = {{
    {255, 0, 255},    // 0: nothing (kUnpaintedCode); written where no colour helps
    {255, 150, 100},  // 1: kLava, losing shared triangles to 9
    {40, 160, 30},    // 2: kMeadow1
    {190, 150, 95},   // 3: kSteppe
    {120, 190, 255},  // 4: kWater, losing shared triangles to 12
    {40, 110, 80},    // 5: kMountainMeadow, winning shared triangles from 8
    {75, 85, 20},     // 6: kSwamp
    {130, 120, 120},  // 7: kMountain1
    {120, 200, 160},  // 8: kMountainMeadow, losing shared triangles to 5
    {190, 20, 10},    // 9: kLava, winning shared triangles from 1
    {170, 150, 40},   // 10: kSavannah
    {245, 225, 140},  // 11: kDesert1
    {20, 50, 190},    // 12: kWater, winning shared triangles from 4
    {110, 30, 110},   // 13: nothing (kUnpaintedCode), like 0; the export never writes it
    {180, 230, 40},   // 14: kFlowerMeadow
    {255, 255, 255},  // 15: kSnow
}};

// How many changes and how many terrains a closing message names before it sums up.
constexpr std::size_t kMostChangesListed = 5;
constexpr std::size_t kMostTerrainsListed = 6;
// The bit of a terrain byte above the harbour flag, which no landscape gives a meaning.
constexpr std::uint8_t kTopTerrainBit = 0x80;

// How many triangles hold each pair of bytes (map, converted), counted in four lanes so
// that a long run of one pair does not wait on its own count.
std::vector<std::size_t> CountPairs(std::span<const std::uint8_t> image,
                                    std::span<const std::uint8_t> back, std::size_t n) {
  constexpr std::size_t kPairs = 256 * 256;
  constexpr std::size_t kLanes = 4;
  std::vector<std::size_t> lanes(kLanes * kPairs);
  for (const int block : {kTerrainBlock1, kTerrainBlock2}) {
    const std::uint8_t* were = Block(image, block, n).data();
    const std::uint8_t* as = Block(back, block, n).data();
    for (std::size_t i = 0; i < n; ++i) {
      ++lanes[(i % kLanes) * kPairs + (std::size_t{were[i]} << 8 | as[i])];
    }
  }
  for (std::size_t lane = 1; lane < kLanes; ++lane) {
    for (std::size_t pair = 0; pair < kPairs; ++pair) lanes[pair] += lanes[lane * kPairs + pair];
  }
  lanes.resize(kPairs);
  return lanes;
}

// Per terrain byte: whether a colour paints it, so that a triangle of it can come back.
std::array<bool, 256> PaintableBytes() {
  std::array<bool, 256> paintable{};
  for (std::uint8_t colour = 0; colour < 16; ++colour) {
    const ColourPaint paint = PaintOfColour(colour);
    if (paint.rank != 0) paintable[paint.texture] = true;
  }
  return paintable;
}

// The map's terrain next to the converted one, triangle by triangle.
ConversionCheck CompareTerrain(std::span<const std::uint8_t> image,
                               std::span<const std::uint8_t> back) {
  const std::size_t width = MapWidth(image);
  const std::size_t height = MapHeight(image);
  const std::size_t n = width * height;
  const std::array<bool, 256> paintable = PaintableBytes();
  ConversionCheck check;
  check.triangles = 2 * n;
  const std::vector<std::size_t> pairs = CountPairs(image, back, n);
  for (std::size_t pair = 0; pair < pairs.size(); ++pair) {
    const auto were = static_cast<std::uint8_t>(pair >> 8);
    const auto as = static_cast<std::uint8_t>(pair & 0xFF);
    if (pairs[pair] == 0) continue;
    if (were == as) {
      check.same += pairs[pair];
      continue;
    }
    check.changes.push_back({were, as, pairs[pair]});
    if (paintable[were]) continue;
    check.unpaintable += pairs[pair];
    if (check.unpaintable_bytes.empty() || check.unpaintable_bytes.back() != were) {
      check.unpaintable_bytes.push_back(were);
    }
  }
  std::stable_sort(
      check.changes.begin(), check.changes.end(),
      [](const TerrainChange& a, const TerrainChange& b) { return a.count > b.count; });
  // A triangle that no vertex paints keeps the blank map's water, whatever the colours.
  for (const std::size_t id : UnpaintedTriangles(width, height)) {
    const int block = id % 2 == 0 ? kTerrainBlock1 : kTerrainBlock2;
    const std::uint8_t were = Block(image, block, n)[id / 2];
    if (were != Block(back, block, n)[id / 2] && paintable[were]) ++check.unreached;
  }
  return check;
}

std::string TerrainName(Landscape landscape, std::uint8_t byte) {
  const std::string_view name = TerrainOf(landscape, byte).name;
  std::string text =
      name.empty() ? "unknown terrain " + std::to_string(TerrainCode(byte)) : std::string(name);
  if ((byte & kHarbourFlag) != 0) text += " with harbour";
  if ((byte & kTopTerrainBit) != 0) text += " (byte " + std::to_string(byte) + ")";
  return text;
}

std::string CountOf(std::size_t count, std::string_view one, std::string_view more) {
  return std::to_string(count) + " " + std::string(count == 1 ? one : more);
}

// "4 of them cannot come back whatever the colours: 3 of a terrain that no colour paints
// (mountain 2), 1 where no vertex paints".
std::string DescribeLost(const ConversionCheck& check, Landscape landscape) {
  std::string text = std::to_string(check.unpaintable + check.unreached) +
                     " of them cannot come back whatever the colours: ";
  if (check.unpaintable > 0) {
    text += std::to_string(check.unpaintable) + " of a terrain that no colour paints (";
    const auto& bytes = check.unpaintable_bytes;
    for (std::size_t i = 0; i < bytes.size() && i < kMostTerrainsListed; ++i) {
      text += (i == 0 ? "" : ", ") + TerrainName(landscape, bytes[i]);
    }
    if (bytes.size() > kMostTerrainsListed) {
      text += " and " + std::to_string(bytes.size() - kMostTerrainsListed) + " more";
    }
    text += ")";
  }
  if (check.unreached > 0) {
    text += (check.unpaintable > 0 ? ", " : "") + std::to_string(check.unreached) +
            " where no vertex paints";
  }
  return text + "\n";
}

}  // namespace

std::optional<Vertex> FindHeightAbove(std::span<const std::uint8_t> image, std::uint8_t limit) {
  const std::size_t width = MapWidth(image);
  const std::size_t n = width * MapHeight(image);
  const auto heights = Block(image, kHeightBlock, n);
  const auto found =
      std::find_if(heights.begin(), heights.end(), [&](std::uint8_t h) { return h > limit; });
  if (found == heights.end()) return std::nullopt;
  const auto index = static_cast<std::size_t>(found - heights.begin());
  return Vertex{index % width, index / width};
}

std::vector<std::uint8_t> ExportHeights(std::span<const std::uint8_t> image) {
  const std::size_t width = MapWidth(image);
  const std::size_t height = MapHeight(image);
  const std::size_t row_bytes = (width + 3) / 4 * 4;
  std::vector<std::uint8_t> bytes = BitmapFrame(width, height, 8, row_bytes);
  if (bytes.empty()) return bytes;
  for (std::size_t grey = 0; grey < 256; ++grey) {
    const auto level = static_cast<std::uint8_t>(grey);
    PutPaletteEntry(bytes, grey, {level, level, level});
  }
  const auto heights = Block(image, kHeightBlock, width * height);
  const std::size_t pixels = bytes.size() - row_bytes * height;
  for (std::size_t y = 0; y < height; ++y) {
    // Map row 0 is the top of the picture, stored last.
    const std::size_t stored = pixels + (height - 1 - y) * row_bytes;
    for (std::size_t x = 0; x < width; ++x) {
      bytes[stored + x] = static_cast<std::uint8_t>(4 * heights[VertexIndex(x, y, width)]);
    }
  }
  return bytes;
}

std::array<std::uint8_t, 3> TerrainPaletteColour(std::uint8_t colour) {
  return kTerrainPalette[colour & 0x0F];
}

std::vector<std::uint8_t> Write4BitBitmap(std::span<const std::uint8_t> colours, std::size_t width,
                                          std::size_t height) {
  const std::size_t row_bytes = (width + 7) / 8 * 4;
  if (colours.size() < width * height) return {};
  std::vector<std::uint8_t> bytes = BitmapFrame(width, height, 4, row_bytes);
  if (bytes.empty()) return bytes;
  for (std::uint8_t colour = 0; colour < 16; ++colour) {
    PutPaletteEntry(bytes, colour, TerrainPaletteColour(colour));
  }
  const std::size_t pixels = bytes.size() - row_bytes * height;
  for (std::size_t y = 0; y < height; ++y) {
    const std::size_t stored = pixels + (height - 1 - y) * row_bytes;
    for (std::size_t x = 0; x < width; ++x) {
      const auto colour = static_cast<std::uint8_t>(colours[VertexIndex(x, y, width)] & 0x0F);
      bytes[stored + x / 2] |= static_cast<std::uint8_t>(x % 2 == 0 ? colour << 4 : colour);
    }
  }
  return bytes;
}

std::optional<ConversionCheck> CheckConversion(std::span<const std::uint8_t> image,
                                               std::span<const std::uint8_t> bitmap) {
  const std::size_t width = MapWidth(image);
  const std::size_t height = MapHeight(image);
  // As the menu program's conversion reads it: the bitmap's own size, its pixels from
  // offset 118 in rows of ceil(W / 8) x 4 bytes, onto a new blank map.
  if (!BmpHoldsItsPixels(bitmap) || BitmapWidth(bitmap) != width ||
      BitmapHeight(bitmap) != height) {
    return std::nullopt;
  }
  // In the storage of the maps: on a large map, large pages save most of the cost of
  // touching the converted map the first time.
  std::optional<LargeBuffer> back = LargeBuffer::Allocate(MapLength(width, height));
  std::optional<LargeBuffer> codes = LargeBuffer::Allocate(width * height);
  if (!back || !codes) return std::nullopt;
  try {
    CreateBlankMap(*back, width, height);
    TranslateBMPNumbertoTexture(bitmap, *codes, width, height, BmpRowPadding(width));
    GetCurrentTexture(*back, *codes, width, height);
  } catch (const std::bad_alloc&) {  // the conversion's small work rows
    return std::nullopt;
  }
  return CompareTerrain(image, *back);
}

std::string DescribeChanges(const ConversionCheck& check, Landscape landscape) {
  const std::size_t different = check.triangles - check.same;
  if (different == 0) return {};
  std::string text = CountOf(different, "triangle comes", "triangles come") + " back different: ";
  std::size_t listed = 0;
  for (std::size_t i = 0; i < check.changes.size() && i < kMostChangesListed; ++i) {
    const TerrainChange& change = check.changes[i];
    text += (i == 0 ? "" : ", ") + std::to_string(change.count) + " as " +
            TerrainName(landscape, change.as) + " (were " + TerrainName(landscape, change.were) +
            ")";
    listed += change.count;
  }
  if (listed < different) text += ", and " + std::to_string(different - listed) + " more";
  text += "\n";
  if (check.unpaintable + check.unreached > 0) text += DescribeLost(check, landscape);
  return text;
}

}  // namespace plandrix::inspect
