#include "random/random_heights.h"

namespace plandrix {

// Not built yet: the main menu answers this option like any unknown number.
void RandomHeightsTool(Console& console, ProgramState& state) {
  (void)state;
  console.out << "Error: not an option\n";
}

}  // namespace plandrix
