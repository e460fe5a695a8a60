// Setting every height of an arbitrary map image: the input is the value, then the image.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/map_layout.h"
#include "support/fuzz_support.h"
#include "transform/set_heights.h"

namespace {

using plandrix::fuzz::Bytes;

Bytes Input(std::uint8_t value, const Bytes& image) {
  Bytes bytes;
  plandrix::fuzz::PutU8(bytes, value);
  plandrix::fuzz::PutAll(bytes, image);
  return bytes;
}

const std::vector<Bytes>& Seeds() {
  using plandrix::fuzz::SeedMap;
  static const std::vector<Bytes> seeds = {
      Input(0, SeedMap(16, 12, 1)),
      Input(15, SeedMap(7, 5, 2)),
      Input(255, SeedMap(1, 1, 3)),
      Input(9, SeedMap(0, 0, 4)),
  };
  return seeds;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  plandrix::fuzz::WriteSeedsIfAsked("set_heights", Seeds);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  plandrix::fuzz::ByteReader reader(data, size);
  const std::uint8_t value = reader.U8();
  const auto rest = reader.Rest();
  // The loading step: a map shorter than its stated size is refused.
  auto loaded = plandrix::fuzz::LoadMapImage(rest);
  if (!loaded) return 0;
  Bytes& image = loaded->image;
  const Bytes& before = loaded->stored;
  const std::size_t width = loaded->width;
  const std::size_t height = loaded->height;

  plandrix::SetAllHeights(image, width, height, value);
  plandrix::fuzz::ExpectOnlyBlocksChanged(before, image, width, height, {plandrix::kHeightBlock});
  const auto heights =
      plandrix::Block(std::span<const std::uint8_t>(image), plandrix::kHeightBlock, width * height);
  plandrix::fuzz::Expect(
      std::all_of(heights.begin(), heights.end(), [&](std::uint8_t got) { return got == value; }));
  return 0;
}
