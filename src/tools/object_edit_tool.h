// The object editor (main menu option 1): single objects placed at typed coordinates.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "console/console.h"

namespace plandrix {

// Asks for the X and then the Y coordinate until each lies inside the map, then writes
// object_index and the placed-object type there (PlaceObject), and prints "Object has been
// placed!". Each of the two writes is refused with a message when its position lies
// beyond the image. Returns false, with nothing written and no closing line, when the
// input ended before both coordinates were read, or when the map has no vertices (then
// the size message is printed once).
bool PlaceObjectAt(Console& console, std::span<std::uint8_t> image, std::size_t width,
                   std::size_t height, std::uint8_t object_index);

// Main menu option 1: loads a map, places objects on it, shows its size and saves it on
// request and on leaving.
void ObjectEditTool(Console& console);

}  // namespace plandrix
