#pragma once

#include "console/console.h"
#include "random/random_source.h"

namespace plandrix {

// Main menu option 8: generates nGen.wld from a width, a height and a seed.
void RandomMapTool(Console& console, ProgramState& state);

}  // namespace plandrix
