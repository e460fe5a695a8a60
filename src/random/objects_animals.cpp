#include "random/objects_animals.h"

namespace plandrix {

// Placeholders until the passes are built.
void PlaceObjects(std::span<std::uint8_t>, std::size_t, std::size_t, RandomSource&,
                  std::uint32_t, std::ostream&) {}
void PlaceAnimals(std::span<std::uint8_t>, std::size_t, std::size_t, RandomSource&,
                  std::uint32_t, std::ostream&) {}

// Not built yet: the main menu answers this option like any unknown number.
void RandomObjectsTool(Console& console, ProgramState& state) {
  (void)state;
  console.out << "Error: not an option\n";
}

}  // namespace plandrix
