// Main menu option 7: random heights from the terrain of a map.
#pragma once

#include "console/console.h"
#include "random/random_source.h"

namespace plandrix {

// Main menu option 7: gives every vertex a random height from its terrain.
void RandomHeightsTool(Console& console, ProgramState& state);

}  // namespace plandrix
