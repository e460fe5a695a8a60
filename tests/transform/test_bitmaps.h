// Bitmaps for tests, built byte by byte: a 4-bit picture for the terrain conversion and an
// 8-bit grey picture for the height map.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace plandrix::testing {

inline void PutLittleEndian(std::vector<std::uint8_t>& bytes, std::size_t offset,
                            std::uint32_t value, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i) {
    bytes[offset + i] = static_cast<std::uint8_t>((value >> (8 * i)) & 0xFF);
  }
}

// File header and information header of a bitmap whose pixels start at pixel_offset
// (the palette between them is left zero).
inline std::vector<std::uint8_t> BmpHeader(std::uint32_t width, std::uint32_t height,
                                           std::uint16_t bits, std::size_t pixel_offset) {
  std::vector<std::uint8_t> bytes(pixel_offset);
  bytes[0] = 'B';
  bytes[1] = 'M';
  PutLittleEndian(bytes, 10, static_cast<std::uint32_t>(pixel_offset), 4);
  PutLittleEndian(bytes, 14, 40, 4);
  PutLittleEndian(bytes, 18, width, 4);
  PutLittleEndian(bytes, 22, height, 4);
  PutLittleEndian(bytes, 26, 1, 2);
  PutLittleEndian(bytes, 28, bits, 2);
  return bytes;
}

inline void FinishFileSize(std::vector<std::uint8_t>& bytes) {
  PutLittleEndian(bytes, 2, static_cast<std::uint32_t>(bytes.size()), 4);
}

// A 4-bit bitmap of width x height whose pixel (x, y) (y = 0 is the top row) has colour
// colour(x, y). Rows are stored bottom-up from offset 118, two pixels a byte (the left
// pixel in the high four bits; an odd width's last pixel alone in the high four bits of
// the row's last pixel byte), each row padded to ceil(W / 8) x 4 bytes.
inline std::vector<std::uint8_t> Make4BitBmp(
    std::size_t width, std::size_t height,
    const std::function<std::uint8_t(std::size_t, std::size_t)>& colour) {
  std::vector<std::uint8_t> bytes =
      BmpHeader(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height), 4, 118);
  const std::size_t pixel_bytes = (width + 1) / 2;
  const std::size_t padding = (width + 7) / 8 * 4 - pixel_bytes;
  for (std::size_t stored = 0; stored < height; ++stored) {
    const std::size_t y = height - 1 - stored;
    for (std::size_t pair = 0; pair < pixel_bytes; ++pair) {
      const std::uint8_t right = 2 * pair + 1 < width ? colour(2 * pair + 1, y) & 0x0F : 0;
      bytes.push_back(static_cast<std::uint8_t>((colour(2 * pair, y) << 4) | right));
    }
    bytes.insert(bytes.end(), padding, std::uint8_t{0});
  }
  FinishFileSize(bytes);
  return bytes;
}

// An 8-bit bitmap of width x height with a 256-entry palette: pixel (x, y) (y = 0 is the
// top row) is pixel(x, y). Rows are stored bottom-up, each followed by row_padding bytes
// of value padding_value.
inline std::vector<std::uint8_t> Make8BitBmp(
    std::size_t width, std::size_t height,
    const std::function<std::uint8_t(std::size_t, std::size_t)>& pixel, std::size_t row_padding = 0,
    std::uint8_t padding_value = 0) {
  std::vector<std::uint8_t> bytes =
      BmpHeader(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height), 8, 1078);
  for (std::size_t stored = 0; stored < height; ++stored) {
    const std::size_t y = height - 1 - stored;
    for (std::size_t x = 0; x < width; ++x) bytes.push_back(pixel(x, y));
    bytes.insert(bytes.end(), row_padding, padding_value);
  }
  FinishFileSize(bytes);
  return bytes;
}

}  // namespace plandrix::testing
