#include "transform/place_object.h"

#include "core/map_layout.h"

namespace plandrix {
namespace {

// Writes value at offset when the image reaches that far; says whether it did.
bool WriteInsideImage(std::span<std::uint8_t> image, std::size_t offset, std::uint8_t value) {
  if (offset >= image.size()) return false;
  image[offset] = value;
  return true;
}

}  // namespace

int PlaceObject(std::span<std::uint8_t> image, std::size_t width, std::size_t height, std::size_t x,
                std::size_t y, std::uint8_t object_index) {
  if (x >= width || y >= height) return 2;
  const std::size_t n = width * height;
  const std::size_t vertex = VertexIndex(x, y, width);
  int refused = 0;
  if (!WriteInsideImage(image, BlockDataOffset(kObjectIndexBlock, n) + vertex, object_index)) {
    ++refused;
  }
  if (!WriteInsideImage(image, BlockDataOffset(kObjectTypeBlock, n) + vertex, kPlacedObjectType)) {
    ++refused;
  }
  return refused;
}

}  // namespace plandrix
