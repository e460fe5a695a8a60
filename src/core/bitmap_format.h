// The fields of an uncompressed Windows bitmap (.bmp) that the programs read and write:
// the bitmap conversion and the height-map import read only the width and height fields
// and the pixels; plandrix-map writes whole files in this format.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace plandrix {

// A 14-byte file header, then a 40-byte information header, then the palette of
// 2^bits entries of 4 bytes (blue, green, red, 0), then the pixel rows, bottom-up.
inline constexpr std::size_t kBmpFileHeaderSize = 14;
inline constexpr std::size_t kBmpInfoHeaderSize = 40;
inline constexpr std::size_t kBmpPaletteOffset = kBmpFileHeaderSize + kBmpInfoHeaderSize;
// The low 16 bits of the 32-bit width and height fields.
inline constexpr std::size_t kBmpWidthOffset = 18;
inline constexpr std::size_t kBmpHeightOffset = 22;
// A bitmap needs this many bytes before its width and height can be read.
inline constexpr std::size_t kBmpSizeFieldsEnd = 24;
// Where the pixels of a 4-bit bitmap begin: after 16 palette entries.
inline constexpr std::size_t kBmp4BitPixelOffset = kBmpPaletteOffset + 4 * 16;

// The file header, information header and a zero palette of an uncompressed bitmap of
// width x height with bits per pixel (4 or 8) and stored rows of row_bytes; the pixel
// bytes are left 0. Empty when the file would exceed 4 GiB.
std::vector<std::uint8_t> BitmapFrame(std::size_t width, std::size_t height, std::uint16_t bits,
                                      std::size_t row_bytes);

// Sets palette entry entry of a frame to rgb.
void PutPaletteEntry(std::vector<std::uint8_t>& bytes, std::size_t entry,
                     const std::array<std::uint8_t, 3>& rgb);

}  // namespace plandrix
