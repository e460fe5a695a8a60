#include "core/bitmap_format.h"

#include <limits>

#include "core/map_layout.h"

namespace plandrix {
namespace {

// Pixels per metre stated in the header (72 dots per inch); viewers only show it.
constexpr std::uint32_t kPixelsPerMetre = 2835;

}  // namespace

std::vector<std::uint8_t> BitmapFrame(std::size_t width, std::size_t height, std::uint16_t bits,
                                      std::size_t row_bytes) {
  const std::size_t palette_entries = std::size_t{1} << bits;
  const std::size_t pixel_offset = kBmpPaletteOffset + 4 * palette_entries;
  constexpr std::size_t kLargest = std::numeric_limits<std::uint32_t>::max();
  if (height != 0 && row_bytes > (kLargest - pixel_offset) / height) return {};
  const std::size_t pixel_bytes = row_bytes * height;
  std::vector<std::uint8_t> bytes(pixel_offset + pixel_bytes, 0);
  bytes[0] = 'B';
  bytes[1] = 'M';
  WriteU32(bytes, 2, bytes.size());
  WriteU32(bytes, 10, pixel_offset);
  WriteU32(bytes, 14, kBmpInfoHeaderSize);
  WriteU32(bytes, kBmpWidthOffset, width);
  WriteU32(bytes, kBmpHeightOffset, height);  // positive: rows bottom-up
  WriteU16(bytes, 26, 1);                     // one plane
  WriteU16(bytes, 28, bits);
  WriteU32(bytes, 30, 0);  // no compression
  WriteU32(bytes, 34, pixel_bytes);
  WriteU32(bytes, 38, kPixelsPerMetre);
  WriteU32(bytes, 42, kPixelsPerMetre);
  WriteU32(bytes, 46, palette_entries);
  return bytes;
}

void PutPaletteEntry(std::vector<std::uint8_t>& bytes, std::size_t entry,
                     const std::array<std::uint8_t, 3>& rgb) {
  const std::size_t at = kBmpPaletteOffset + 4 * entry;
  bytes[at] = rgb[2];  // stored blue, green, red, 0
  bytes[at + 1] = rgb[1];
  bytes[at + 2] = rgb[0];
}

}  // namespace plandrix
