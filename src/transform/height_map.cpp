#include "transform/height_map.h"

namespace plandrix {

// Not built yet: the main menu answers this option like any unknown number.
void ApplyHeightMapTool(Console& console) {
  console.out << "Error: not an option\n";
}

}  // namespace plandrix
