#include "random/objects_animals.h"

namespace plandrix {

// Not built yet: the main menu answers this option like any unknown number.
void RandomObjectsTool(Console& console, ProgramState& state) {
  (void)state;
  console.out << "Error: not an option\n";
}

}  // namespace plandrix
