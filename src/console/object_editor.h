#pragma once

#include "console/console.h"

namespace plandrix {

// Main menu option 1: places single objects at typed coordinates.
void ObjectEditTool(Console& console);

}  // namespace plandrix
