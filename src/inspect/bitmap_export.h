// A map's heights and terrain as bitmaps that the menu program's importers read back:
// heights as an 8-bit grey bitmap for the height-map tool, terrain as a 4-bit bitmap for
// the bitmap conversion.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

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

// The colour number of every vertex, chosen so that the bitmap conversion paints as many
// triangles as it can as the map has them, and what that conversion will give back.
struct TerrainColours {
  std::vector<std::uint8_t> colours;  // W x H, row 0 first
  std::size_t triangles = 0;          // 2 x W x H
  std::size_t surviving = 0;          // triangles the conversion gives back exactly
  std::size_t inexpressible = 0;      // triangles that no choice of colours can give back
  std::vector<std::uint8_t> inexpressible_codes;  // their distinct bytes, in order
};

// Chooses the colours (see the rule in bitmap_export.cpp). The image holds its map.
TerrainColours ChooseTerrainColours(std::span<const std::uint8_t> image);

// A 4-bit bitmap of W x H from colour numbers (W x H, row 0 first), with a palette in the
// colours of the terrain each number paints. Rows bottom-up, ceil(W / 8) x 4 bytes each,
// the left pixel of a byte in its high four bits. Empty when the file would exceed 4 GiB.
std::vector<std::uint8_t> Write4BitBitmap(std::span<const std::uint8_t> colours, std::size_t width,
                                          std::size_t height);

// The palette entry (red, green, blue) of colour number c in Write4BitBitmap.
std::array<std::uint8_t, 3> TerrainPaletteColour(std::uint8_t colour);

}  // namespace plandrix::inspect
