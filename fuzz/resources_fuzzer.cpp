// Resource placement and the vertex classes it is built on, on an arbitrary map image:
// the input is a few coordinates to ask about, then the map image itself.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/map_layout.h"
#include "random/resources.h"
#include "random/terrain_classes.h"
#include "support/fuzz_support.h"

namespace {

using plandrix::fuzz::Bytes;

constexpr std::size_t kAskedVertices = 4;

Bytes Input(std::initializer_list<std::uint16_t> coordinates, const Bytes& image) {
  Bytes bytes;
  for (std::uint16_t value : coordinates) plandrix::fuzz::PutU16(bytes, value);
  plandrix::fuzz::PutAll(bytes, image);
  return bytes;
}

const std::vector<Bytes>& Seeds() {
  using plandrix::fuzz::SeedMap;
  static const std::vector<Bytes> seeds = {
      Input({0, 0, 3, 4, 15, 11, 16, 12}, SeedMap(16, 12, 1)),
      Input({1, 1, 2, 2, 8, 6, 65535, 0}, SeedMap(9, 7, 2)),
      Input({2, 2, 0, 2, 1, 1, 2, 0}, SeedMap(3, 3, 3)),
      Input({0, 0, 0, 0, 0, 0, 0, 0}, SeedMap(4, 1, 5)),
      Input({7, 5, 6, 5, 0, 5, 7, 4}, SeedMap(8, 6, 7)),
  };
  return seeds;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  plandrix::fuzz::WriteSeedsIfAsked("resources", Seeds);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  plandrix::fuzz::ByteReader reader(data, size);
  std::size_t asked[kAskedVertices][2];
  for (auto& vertex : asked) {
    vertex[0] = reader.U16();
    vertex[1] = reader.U16();
  }
  const auto rest = reader.Rest();
  // The loading step: a map shorter than its stated size is refused.
  auto loaded = plandrix::fuzz::LoadMapImage(rest);
  if (!loaded) return 0;
  Bytes& image = loaded->image;
  const Bytes& before = loaded->stored;
  const std::size_t width = loaded->width;
  const std::size_t height = loaded->height;

  // Any vertex, inside the map or not, has a class from 0 to 3.
  for (const auto& vertex : asked) {
    const int vertex_class = plandrix::GetVertexClass(image, width, height, vertex[0], vertex[1]);
    plandrix::fuzz::Expect(vertex_class >= 0 && vertex_class <= 3);
  }
  plandrix::PlaceResources(image, width, height);
  plandrix::fuzz::ExpectOnlyBlocksChanged(before, image, width, height, {plandrix::kResourceBlock});
  // The row version agrees with the pass as it reads, vertex by vertex.
  Bytes simple = before;
  plandrix::PlaceResourcesVertexByVertex(simple, width, height);
  plandrix::fuzz::Expect(image == simple);
  // Placing again from the same terrain gives the same resources.
  const Bytes once = image;
  plandrix::PlaceResources(image, width, height);
  plandrix::fuzz::Expect(image == once);
  return 0;
}
