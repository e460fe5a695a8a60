// Main menu option 3: mirroring and turning a map.
#pragma once

#include "console/console.h"

namespace plandrix {

// Main menu option 3: applies the three operations in any order, then saves once.
void MirrorMapTool(Console& console);

}  // namespace plandrix
