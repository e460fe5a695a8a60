#pragma once

#include "console/console.h"

namespace plandrix {

// Main menu option 5: sets every height of a map to one value.
void SetHeightsTool(Console& console);

}  // namespace plandrix
