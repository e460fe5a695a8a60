#include "random/trees_granite.h"

namespace plandrix {

// Placeholders until the passes are built.
void PlaceTrees(std::span<std::uint8_t>, std::size_t, std::size_t, RandomSource&, std::uint32_t,
                std::ostream&) {}
void PlaceGranite(std::span<std::uint8_t>, std::size_t, std::size_t, RandomSource&,
                  std::uint32_t, std::ostream&) {}

}  // namespace plandrix
