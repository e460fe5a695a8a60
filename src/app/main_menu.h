#pragma once

#include "console/console.h"
#include "random/random_source.h"

namespace plandrix {

// Runs the main menu until option 0 (or the end of input) and prints the farewell line.
void RunMainMenu(Console& console, ProgramState& state);

// Option 11: the information screen.
void ShowInformation(std::ostream& out);

// Option 12: writes the blank 32 x 32 map ntest.wld.
void WriteTestMap(std::ostream& out);

}  // namespace plandrix
