// Main menu option 6: the random placement passes that the user chooses.
#pragma once

#include "console/console.h"
#include "random/random_source.h"

namespace plandrix {

// Main menu option 6: runs the chosen random placement passes on a map.
void RandomObjectsTool(Console& console, ProgramState& state);

}  // namespace plandrix
