// One object placed at one vertex (the object editor, main menu option 1).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "core/map_format.h"

namespace plandrix {

// The object type that every placed object gets, whatever the object.
inline constexpr std::uint8_t kPlacedObjectType = kDecorationType;

// Writes object_index into the object block and kPlacedObjectType into the type block at
// vertex (x, y) of the width x height map. The image need not be complete, so each of the
// two bytes is written only when it lies inside the image. Returns how many of the two
// were not written (0 to 2); a vertex outside the map writes neither.
int PlaceObject(std::span<std::uint8_t> image, std::size_t width, std::size_t height, std::size_t x,
                std::size_t y, std::uint8_t object_index);

}  // namespace plandrix
