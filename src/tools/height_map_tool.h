// Main menu option 9: an 8-bit bitmap as the heights of a map.
#pragma once

#include <cstdint>
#include <span>

#include "console/console.h"

namespace plandrix {

// ApplyHeightMap with its two questions asked on the console: each prints its question
// and a line end and reads a number, of which only 1 means yes.
bool ApplyHeightMap(Console& console, std::span<std::uint8_t> image,
                    std::span<const std::uint8_t> bitmap);

// Main menu option 9: applies an 8-bit bitmap as the heights of a map.
void ApplyHeightMapTool(Console& console);

}  // namespace plandrix
