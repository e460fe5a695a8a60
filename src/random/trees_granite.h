#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <span>

#include "random/random_source.h"

namespace plandrix {

// Scatters trees into blocks 5 and 6 by terrain class; prints its closing line on out.
// Every draw is RandomNumber(source, seed, 0).
void PlaceTrees(std::span<std::uint8_t> image, std::size_t width, std::size_t height,
                RandomSource& source, std::uint32_t seed, std::ostream& out);

// Drops small granite clusters anywhere but on water; prints its closing line on out.
void PlaceGranite(std::span<std::uint8_t> image, std::size_t width, std::size_t height,
                  RandomSource& source, std::uint32_t seed, std::ostream& out);

}  // namespace plandrix
