#pragma once

#include "console/console.h"

namespace plandrix {

// Main menu option 2: turns a 4-bit bitmap into the terrain of nTavik.wld.
void BmpSwdTool(Console& console);

}  // namespace plandrix
