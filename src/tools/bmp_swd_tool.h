// Main menu option 2: the terrain of a new map from a 16-colour bitmap.
#pragma once

#include "console/console.h"

namespace plandrix {

// Main menu option 2: turns a 4-bit bitmap into the terrain of nTavik.wld.
void BmpSwdTool(Console& console);

}  // namespace plandrix
