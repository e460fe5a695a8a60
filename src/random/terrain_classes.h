// How placement sees the terrain: the class of one texture code, and the class of the
// six triangles around a vertex.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <span>

namespace plandrix {

// TerrainClass of the block-2 code of vertex `index` (0 to n - 1). An unlisted code
// prints the three warning lines on out and gives 17.
std::uint8_t GetTerrainClass(std::span<const std::uint8_t> image, std::size_t n,
                             std::size_t index, std::ostream& out);

// Vertex class 0 to 3 of vertex (x, y): the common triangle class of its six triangles,
// 0 when they differ. Reads only bytes of blocks 2 and 3.
int GetVertexClass(std::span<const std::uint8_t> image, std::size_t width, std::size_t height,
                   std::size_t x, std::size_t y);

}  // namespace plandrix
