#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace plandrix {

// Fills block 12 from the vertex class of every vertex; draws nothing, prints nothing.
void PlaceResources(std::span<std::uint8_t> image, std::size_t width, std::size_t height);

// The same pass as it reads: GetVertexClass of every vertex in turn. PlaceResources must
// agree with it; the tests and the benchmarks hold the two side by side.
void PlaceResourcesVertexByVertex(std::span<std::uint8_t> image, std::size_t width,
                                  std::size_t height);

}  // namespace plandrix
