#include "random/terrain_classes.h"

namespace plandrix {

// Placeholder until the terrain tables are built.
std::uint8_t GetTerrainClass(std::span<const std::uint8_t>, std::size_t, std::size_t,
                             std::ostream&) {
  return 17;
}

int GetVertexClass(std::span<const std::uint8_t>, std::size_t, std::size_t, std::size_t,
                   std::size_t) {
  return 0;
}

}  // namespace plandrix
