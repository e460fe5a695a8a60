#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace plandrix {

// Turns image, which must be exactly MapLength(width, height) bytes long, into an empty
// map: height 10 everywhere, terrain code 5 in both terrain layers, 7 in block 10, no
// objects, animals or resources. Width and height are written as their low 16 bits.
void CreateBlankMap(std::span<std::uint8_t> image, std::size_t width, std::size_t height);

}  // namespace plandrix
