// Random heights on an arbitrary map image: the input is a seed, then the map image.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/map_layout.h"
#include "random/random_heights.h"
#include "random/random_source.h"
#include "support/fuzz_support.h"

namespace {

using plandrix::fuzz::Bytes;

Bytes Input(std::uint32_t seed, const Bytes& image) {
  Bytes bytes;
  plandrix::fuzz::PutU32(bytes, seed);
  plandrix::fuzz::PutAll(bytes, image);
  return bytes;
}

const std::vector<Bytes>& Seeds() {
  using plandrix::fuzz::SeedMap;
  static const std::vector<Bytes> seeds = {
      Input(12345678, SeedMap(16, 12, 1)),
      Input(1, SeedMap(9, 7, 2)),
      Input(99999999, SeedMap(1, 1, 3)),
      Input(0, SeedMap(30, 2, 4)),
  };
  return seeds;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  plandrix::fuzz::WriteSeedsIfAsked("random_heights", Seeds);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  plandrix::fuzz::ByteReader reader(data, size);
  const std::uint32_t seed = reader.U32();
  const auto rest = reader.Rest();
  // The loading step: a map shorter than its stated size is refused.
  auto loaded = plandrix::fuzz::LoadMapImage(rest);
  if (!loaded) return 0;
  Bytes& image = loaded->image;
  const Bytes& before = loaded->stored;
  const std::size_t width = loaded->width;
  const std::size_t height = loaded->height;

  // As the tool does: restart from the seed and throw that number away.
  plandrix::RandomSource source;
  (void)plandrix::RandomNumber(source, seed, 1);
  // The same pass drawing one number at a time, which the faster one must match.
  Bytes reference_image = image;
  plandrix::RandomSource reference = source;
  plandrix::RandomizeHeights(image, width, height, source, seed);
  plandrix::RandomizeHeightsWith(reference_image, width, height,
                                 [&] { return plandrix::RandomNumber(reference, seed, 0); });
  plandrix::fuzz::Expect(image == reference_image);
  plandrix::fuzz::Expect(source.engine == reference.engine);
  plandrix::fuzz::ExpectOnlyBlocksChanged(before, image, width, height, {plandrix::kHeightBlock});
  const std::size_t n = width * height;
  const auto heights =
      plandrix::Block(std::span<const std::uint8_t>(image), plandrix::kHeightBlock, n);
  plandrix::fuzz::Expect(std::all_of(heights.begin(), heights.end(), [](std::uint8_t value) {
    return value >= 10 && value <= 13;
  }));
  return 0;
}
