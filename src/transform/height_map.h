// Applying an 8-bit bitmap as the heights of a map (main menu option 9).
#pragma once

#include <cstdint>
#include <span>

#include "console/console.h"

namespace plandrix {

// Writes block 1 of image from the last W x H bytes of bitmap (one byte per pixel, rows of
// exactly W bytes, stored bottom-up): height = pixel / divisor + offset, cut to 62. Asks
// whether black stands for height 10, reports every step of more than 5 between
// consecutive heights, and offers to raise the divisor and start over; ends with the
// number of steps left. Returns false, with the refusal printed and nothing written, when
// the bitmap holds fewer than W x H bytes; false without a word when image is shorter than
// the map it states.
bool ApplyHeightMap(Console& console, std::span<std::uint8_t> image,
                    std::span<const std::uint8_t> bitmap);

// Main menu option 9: applies an 8-bit bitmap as the heights of a map.
void ApplyHeightMapTool(Console& console);

}  // namespace plandrix
