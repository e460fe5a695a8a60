#include "random/trees_granite.h"

namespace plandrix {

void PlaceTrees(std::span<std::uint8_t> image, std::size_t width, std::size_t height,
                RandomSource& source, std::uint32_t seed, std::ostream& out) {
  PlaceTreesWith(
      image, width, height, [&] { return RandomNumber(source, seed, 0); }, out);
}

void PlaceGranite(std::span<std::uint8_t> image, std::size_t width, std::size_t height,
                  RandomSource& source, std::uint32_t seed, std::ostream& out) {
  PlaceGraniteWith(
      image, width, height, [&] { return RandomNumber(source, seed, 0); }, out);
}

}  // namespace plandrix
