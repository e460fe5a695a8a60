#pragma once

#include "console/console.h"

namespace plandrix {

// Main menu option 3: mirrors a map and turns its terrain by 180 degrees.
void MirrorMapTool(Console& console);

}  // namespace plandrix
