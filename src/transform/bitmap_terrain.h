// Turning a 16-colour bitmap into the terrain of a new map (main menu option 2), and the
// bitmap helpers that the height-map import shares.
//
// Only a bitmap's width and height fields and its pixel bytes are used; the signature,
// bit depth, compression and palette are never looked at.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <span>
#include <string_view>

#include "core/bitmap_format.h"

namespace plandrix {

// The code that paints nothing (colours 0 and 13).
inline constexpr std::uint8_t kUnpaintedCode = 17;

inline constexpr std::string_view kBmpTooShortMessage =
    "ERROR: BMP file is too short for its size!";

// Width and height as the bitmap states them; the bitmap holds at least kBmpSizeFieldsEnd
// bytes.
std::size_t BitmapWidth(std::span<const std::uint8_t> bitmap);
std::size_t BitmapHeight(std::span<const std::uint8_t> bitmap);

// Bytes after the (W + 1) / 2 pixel bytes of a stored 4-bit row, which make the row
// ceil(W / 8) x 4 bytes long, a multiple of 4: 3, 2 or 1 for widths 2, 4 or 6 modulo 8,
// and for an odd width those of the next even width less one byte.
std::size_t BmpRowPadding(std::size_t width);

// Length of a stored 4-bit row of width pixels: ceil(W / 8) x 4 bytes.
std::size_t BmpRowBytes(std::size_t width);

// Whether a 4-bit bitmap holds its size fields and every stored row that its width and
// height need: 118 + H x BmpRowBytes(W) bytes.
bool BmpHoldsItsPixels(std::span<const std::uint8_t> bitmap);

// Yes when width and height are both even and above 0; otherwise prints the two warning
// lines and says no.
bool CheckBmpSize(std::ostream& out, std::size_t bmp_width, std::size_t bmp_height);

// Yes when the bitmap has the map's size; otherwise prints the line for the width, or
// else for the height, and says no.
bool CheckMapFitsBmp(std::ostream& out, std::size_t map_width, std::size_t bmp_width,
                     std::size_t map_height, std::size_t bmp_height);

// Fills codes (W x H, map row 0 = the top row of the picture) with the intermediate code
// of every 4-bit pixel; the stored rows are bottom-up from offset 118, each (W + 1) / 2
// pixel bytes and row_padding more. For an odd width the last pixel of a row is the high
// four bits of its last pixel byte. Returns false, and changes nothing, when the bitmap
// is too short for its rows or codes for W x H.
bool TranslateBMPNumbertoTexture(std::span<const std::uint8_t> bitmap,
                                 std::span<std::uint8_t> codes, std::size_t width,
                                 std::size_t height, std::size_t row_padding);

// Paints the triangles around vertex (x, y) in blocks 2 and 3 with texture. Positions
// outside the terrain layers are skipped; so is a vertex outside the map.
void SetVertexTexture(std::size_t x, std::size_t y, std::span<std::uint8_t> image,
                      std::uint8_t texture, std::size_t width, std::size_t height);

// Paints blocks 2 and 3 from the code array: the result is that of walking the 16 codes
// in their fixed order and calling SetVertexTexture for every vertex holding the current
// code, so a later code wins a shared triangle. Does nothing when image or codes are too
// short for W x H. Throws std::bad_alloc when its small work rows cannot be allocated.
void GetCurrentTexture(std::span<std::uint8_t> image, std::span<const std::uint8_t> codes,
                       std::size_t width, std::size_t height);

// What a colour number (0 to 15) paints: its texture, and its rank, 1 + the step of the
// walk that paints it, so that of two colours on a shared triangle the higher rank wins.
// Rank 0: the colour paints nothing (0 and 13).
struct ColourPaint {
  std::uint8_t texture;
  std::uint8_t rank;
};
ColourPaint PaintOfColour(std::uint8_t colour);

// One triangle of the terrain layers: kTerrainBlock1 or kTerrainBlock2 and its index.
struct TerrainTriangle {
  int block;
  std::size_t index;
  friend bool operator==(const TerrainTriangle&, const TerrainTriangle&) = default;
};

// The triangles that SetVertexTexture paints for vertex (x, y), each once; gives their
// number (0 to 6).
std::size_t TrianglesPaintedBy(std::size_t x, std::size_t y, std::size_t width, std::size_t height,
                               std::array<TerrainTriangle, 6>& triangles);

// The vertices (indexes y x W + x) whose SetVertexTexture paints the triangle, each once,
// in increasing order; gives their number. A triangle painted by nobody keeps the blank
// map's texture.
inline constexpr std::size_t kMostPainters = 12;
std::size_t PaintersOfTriangle(TerrainTriangle triangle, std::size_t width, std::size_t height,
                               std::array<std::size_t, kMostPainters>& painters);

// The same painting done as it reads: the 16 steps of the walk in turn, each a scan of
// the whole map calling SetVertexTexture. GetCurrentTexture must agree with it; the tests,
// the fuzzer and the benchmarks hold the two side by side.
void GetCurrentTextureStepByStep(std::span<std::uint8_t> image, std::span<const std::uint8_t> codes,
                                 std::size_t width, std::size_t height);

}  // namespace plandrix
