// Maps for tests, built by our own code: a blank map of W x H with chosen bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "core/blank_map.h"
#include "core/map_layout.h"

namespace plandrix::testing {

// A blank map of width x height (every byte as CreateBlankMap writes it).
inline std::vector<std::uint8_t> MakeBlankMap(std::size_t width, std::size_t height) {
  std::vector<std::uint8_t> image(MapLength(width, height));
  CreateBlankMap(image, width, height);
  return image;
}

// Sets every byte of block k to what fill(x, y) gives.
inline void FillBlock(std::vector<std::uint8_t>& image, int block,
                      const std::function<std::uint8_t(std::size_t, std::size_t)>& fill) {
  const std::size_t width = MapWidth(image);
  const std::size_t height = MapHeight(image);
  auto data = Block(std::span<std::uint8_t>(image), block, width * height);
  for (std::size_t y = 0; y < height; ++y) {
    for (std::size_t x = 0; x < width; ++x) data[y * width + x] = fill(x, y);
  }
}

// The byte of vertex (x, y) in block k.
inline std::uint8_t& At(std::vector<std::uint8_t>& image, int block, std::size_t x, std::size_t y) {
  const std::size_t width = MapWidth(image);
  const std::size_t n = width * MapHeight(image);
  return image[BlockDataOffset(block, n) + y * width + x];
}

inline std::string AsString(const std::vector<std::uint8_t>& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

inline std::vector<std::uint8_t> AsBytes(const std::string& text) {
  return std::vector<std::uint8_t>(text.begin(), text.end());
}

}  // namespace plandrix::testing
