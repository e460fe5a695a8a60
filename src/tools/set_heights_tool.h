// Main menu option 5: one height for every vertex, chosen from the height menu.
#pragma once

#include <ostream>

#include "console/console.h"

namespace plandrix {

// The 17 lines of the height menu.
void PrintHeightMenu(std::ostream& out);

// Main menu option 5: sets every height of a map to one value, as often as wanted, and
// saves the map once when the user closes the tool.
void SetHeightsTool(Console& console);

}  // namespace plandrix
