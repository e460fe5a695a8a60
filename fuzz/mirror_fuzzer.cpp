// Mirroring and turning an arbitrary map image in any order, as the mirror tool allows:
// the input is a count, that many operation bytes (1 mirror Y, 2 mirror X, 3 rotate by
// their value modulo 3, 0 meaning rotate), then the map image.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <vector>

#include "core/map_layout.h"
#include "support/fuzz_support.h"
#include "transform/mirror.h"

namespace {

using plandrix::fuzz::Bytes;

constexpr std::size_t kMostOperations = 8;

Bytes Input(std::initializer_list<std::uint8_t> operations, const Bytes& image) {
  Bytes bytes;
  plandrix::fuzz::PutU8(bytes, static_cast<std::uint8_t>(operations.size()));
  for (std::uint8_t operation : operations) plandrix::fuzz::PutU8(bytes, operation);
  plandrix::fuzz::PutAll(bytes, image);
  return bytes;
}

const std::vector<Bytes>& Seeds() {
  using plandrix::fuzz::SeedMap;
  static const std::vector<Bytes> seeds = {
      Input({1, 2, 3}, SeedMap(16, 12, 1)),  Input({3, 3}, SeedMap(9, 7, 2)),
      Input({2, 1}, SeedMap(1, 1, 3)),       Input({1}, SeedMap(17, 3, 4)),
      Input({2, 3, 1, 3}, SeedMap(1, 9, 5)),
  };
  return seeds;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  plandrix::fuzz::WriteSeedsIfAsked("mirror", Seeds);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  plandrix::fuzz::ByteReader reader(data, size);
  std::size_t count = reader.U8() % (kMostOperations + 1);
  const auto operations = reader.Take(count);
  const auto rest = reader.Rest();
  // The loading step: a map shorter than its stated size is refused.
  auto loaded = plandrix::fuzz::LoadMapImage(rest);
  if (!loaded) return 0;
  Bytes& image = loaded->image;
  const Bytes& stored = loaded->stored;
  const std::size_t width = loaded->width;
  const std::size_t height = loaded->height;

  // Each operation also written out a byte at a time: the fast versions must agree.
  Bytes plain_image = image;
  std::ostringstream out;
  for (std::uint8_t operation : operations) {
    switch (operation % 3) {
      case 1:
        plandrix::MirrorY(image, width, height, out);
        plandrix::MirrorYByteByByte(plain_image, width, height);
        break;
      case 2:
        plandrix::MirrorX(image, width, height, out);
        plandrix::MirrorXByteByByte(plain_image, width, height);
        break;
      default:
        plandrix::Rotate180(image, stored, width, height);
        plandrix::Rotate180ByteByByte(plain_image, stored, width, height);
        break;
    }
  }
  plandrix::fuzz::Expect(image == plain_image);
  // The header, the block headers, the final byte and any bytes past the map stay; block 4
  // and blocks 8 to 11, 13 and 14 are never mirrored.
  plandrix::fuzz::ExpectOnlyBlocksChanged(
      stored, image, width, height,
      {plandrix::kHeightBlock, plandrix::kTerrainBlock1, plandrix::kTerrainBlock2,
       plandrix::kObjectIndexBlock, plandrix::kObjectTypeBlock, plandrix::kAnimalBlock,
       plandrix::kResourceBlock});
  return 0;
}
