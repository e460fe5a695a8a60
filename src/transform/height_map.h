#pragma once

#include "console/console.h"

namespace plandrix {

// Main menu option 9: applies an 8-bit bitmap as the heights of a map.
void ApplyHeightMapTool(Console& console);

}  // namespace plandrix
