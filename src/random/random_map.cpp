#include "random/random_map.h"

namespace plandrix {

// Not built yet: the main menu answers this option like any unknown number.
void RandomMapTool(Console& console, ProgramState& state) {
  (void)state;
  console.out << "Error: not an option\n";
}

}  // namespace plandrix
