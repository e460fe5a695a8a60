#include "transform/set_heights.h"

#include <algorithm>

#include "core/map_layout.h"

namespace plandrix {

void SetAllHeights(std::span<std::uint8_t> image, std::size_t width, std::size_t height,
                   std::uint8_t value) {
  if (!HoldsMap(image, width, height)) return;
  const auto heights = Block(image, kHeightBlock, width * height);
  std::fill(heights.begin(), heights.end(), value);
}

}  // namespace plandrix
