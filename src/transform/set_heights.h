// Setting the height of every vertex of a map to one value (main menu option 5).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace plandrix {

// Sets all W x H bytes of the height block to value; nothing else of the image changes,
// not even the block header that follows the heights. An image shorter than a complete
// map of width x height is left as it is.
void SetAllHeights(std::span<std::uint8_t> image, std::size_t width, std::size_t height,
                   std::uint8_t value);

}  // namespace plandrix
