// Main menu option 10: resources from the terrain of a map.
#pragma once

#include "console/console.h"

namespace plandrix {

// Main menu option 10: fills the resource block of a map from its terrain.
void RandomResourcesTool(Console& console);

}  // namespace plandrix
