#include "random/resources.h"

namespace plandrix {

// Placeholder until the pass is built.
void PlaceResources(std::span<std::uint8_t>, std::size_t, std::size_t) {}

// Not built yet: the main menu answers this option like any unknown number.
void RandomResourcesTool(Console& console) {
  console.out << "Error: not an option\n";
}

}  // namespace plandrix
