#pragma once

#include "console/console.h"
#include "random/random_source.h"

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <span>

namespace plandrix {

// Scatters decorative objects into blocks 5 and 6 by terrain class; prints its closing
// line on out. Every draw is RandomNumber(source, seed, 0).
void PlaceObjects(std::span<std::uint8_t> image, std::size_t width, std::size_t height,
                  RandomSource& source, std::uint32_t seed, std::ostream& out);

// Scatters animals into block 7 by terrain class; prints its closing line on out.
void PlaceAnimals(std::span<std::uint8_t> image, std::size_t width, std::size_t height,
                  RandomSource& source, std::uint32_t seed, std::ostream& out);

// Main menu option 6: runs the chosen random placement passes on a map.
void RandomObjectsTool(Console& console, ProgramState& state);

}  // namespace plandrix
