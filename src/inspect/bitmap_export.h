// A map's heights and terrain as bitmaps that the menu program's importers read back:
// heights as an 8-bit grey bitmap for the height-map tool, terrain as a 4-bit bitmap for
// the bitmap conversion.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/terrain.h"
#include "inspect/terrain_colours.h"

namespace plandrix::inspect {

struct Vertex {
  std::size_t x = 0;
  std::size_t y = 0;
};

// A grey pixel is 4 x the height, so heights up to 63 fit a byte; the height-map tool
// divides by 4 and cuts what comes out above 62.
inline constexpr std::uint8_t kHighestExportedHeight = 63;
inline constexpr std::uint8_t kHighestImportedHeight = 62;

// The first vertex in row order whose height is above limit. The image holds its map.
std::optional<Vertex> FindHeightAbove(std::span<const std::uint8_t> image, std::uint8_t limit);

// An 8-bit bitmap of W x H with a 256-entry grey palette whose pixel is 4 x the vertex's
// height (heights above 63 must have been refused; they would wrap). Rows bottom-up,
// each padded to a multiple of 4 bytes. Empty when the file would exceed 4 GiB.
std::vector<std::uint8_t> ExportHeights(std::span<const std::uint8_t> image);

// A 4-bit bitmap of W x H from colour numbers (W x H, row 0 first, as ChooseTerrainColours
// gives them), with the palette of TerrainPaletteColour. Rows bottom-up, ceil(W / 8) x 4 bytes
// each, the left pixel of a byte in its high four bits. Empty when the file would exceed 4 GiB.
std::vector<std::uint8_t> Write4BitBitmap(std::span<const std::uint8_t> colours, std::size_t width,
                                          std::size_t height);

// The palette entry (red, green, blue) of colour number c in Write4BitBitmap.
std::array<std::uint8_t, 3> TerrainPaletteColour(std::uint8_t colour);

// Triangles whose terrain byte was `were` in the map and is `as` after the conversion.
struct TerrainChange {
  std::uint8_t were = 0;
  std::uint8_t as = 0;
  std::size_t count = 0;
};

// What the menu program's bitmap conversion makes of a bitmap, next to the map.
struct ConversionCheck {
  std::size_t triangles = 0;                    // 2 x W x H
  std::size_t same = 0;                         // triangles whose byte comes back as it was
  std::vector<TerrainChange> changes;           // the others, most first, then by bytes
  std::size_t unpaintable = 0;                  // of them: a byte that no colour paints
  std::vector<std::uint8_t> unpaintable_bytes;  // those bytes, in increasing order
  std::size_t unreached = 0;  // of them: another byte, where no vertex paints (kept water)
};

// Runs the conversion (TranslateBMPNumbertoTexture and GetCurrentTexture on a blank map
// of the map's size) on the bitmap bytes and compares its terrain with the map's.
// Nothing when the bitmap is not one of the map's size or memory cannot hold the
// converted map.
std::optional<ConversionCheck> CheckConversion(std::span<const std::uint8_t> image,
                                               std::span<const std::uint8_t> bitmap);

// The lines after the first of export-terrain's closing message: which triangles come
// back different, and how many of them cannot come back whatever the colours, named in
// the landscape. Empty when every triangle comes back.
std::string DescribeChanges(const ConversionCheck& check, Landscape landscape);

}  // namespace plandrix::inspect
