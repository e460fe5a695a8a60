#include "transform/bitmap_terrain.h"

namespace plandrix {

// Not built yet: the main menu answers this option like any unknown number.
void BmpSwdTool(Console& console) {
  console.out << "Error: not an option\n";
}

}  // namespace plandrix
