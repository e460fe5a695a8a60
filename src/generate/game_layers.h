// The two layers that the game works out itself but the original game reads from the file:
// the building quality of every vertex (block 9) and the shading of the ground (block 13).
#pragma once

#include <cstdint>
#include <span>

namespace plandrix::generate {

// Shading by the heights around a vertex: 64 + 9 A - 3 B - 6 C - 9 D, held to 0..128, with
// A, B, C and D the rise to the north-east neighbour, to the vertex two steps west, to the
// west neighbour and to the vertex two steps west-south-west (west, then south-west).
std::uint8_t ShadingAt(std::span<const std::uint8_t> heights, std::size_t width, std::size_t height,
                       std::size_t x, std::size_t y);

// Fills blocks 9 and 13 of a whole map image from its heights, terrain and objects
// (headquarters marks count as no object, as the game reads a fresh map).
void FillGameLayers(std::span<std::uint8_t> image);

}  // namespace plandrix::generate
