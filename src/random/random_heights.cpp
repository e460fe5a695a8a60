#include "random/random_heights.h"

#include <array>

namespace plandrix {

void RandomizeHeights(std::span<std::uint8_t> image, std::size_t width, std::size_t height,
                      RandomSource& source, std::uint32_t seed) {
  RandomizeHeightsWith(image, width, height, [&] { return RandomNumber(source, seed, 0); });
}

}  // namespace plandrix
