// Height-map import on an arbitrary map image and bitmap, with the answers to its
// questions taken from the input as the typed input. The input is a choice byte, the
// answers and the bitmap (each preceded by its 16-bit length), then the map image.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "console/console.h"
#include "core/map_layout.h"
#include "support/fuzz_support.h"
#include "tools/height_map_tool.h"
#include "transform/bitmap_terrain.h"

namespace {

using plandrix::fuzz::Bytes;

// With this bit, the import runs even when the bitmap's stated size differs from the
// map's, which the tool would refuse first.
constexpr std::uint8_t kSkipSizeChecks = 1;

Bytes Input(std::uint8_t choice, std::string_view answers, const Bytes& bitmap,
            const Bytes& image) {
  Bytes bytes;
  plandrix::fuzz::PutU8(bytes, choice);
  plandrix::fuzz::PutSized(
      bytes, std::span(reinterpret_cast<const std::uint8_t*>(answers.data()), answers.size()));
  plandrix::fuzz::PutSized(bytes, bitmap);
  plandrix::fuzz::PutAll(bytes, image);
  return bytes;
}

const std::vector<Bytes>& Seeds() {
  using plandrix::fuzz::Seed8BitBitmap;
  using plandrix::fuzz::SeedMap;
  static const std::vector<Bytes> seeds = {
      Input(0, "1\n1\n1\n0\n", Seed8BitBitmap(8, 6, 1), SeedMap(8, 6, 1)),
      Input(0, "0\n1\n", Seed8BitBitmap(16, 12, 2), SeedMap(16, 12, 2)),
      Input(0, "1\n", Seed8BitBitmap(1, 1, 3), SeedMap(1, 1, 3)),
      Input(1, "x\n-5\n99999999999\n1\n", Seed8BitBitmap(9, 4, 4), SeedMap(5, 7, 4)),
      Input(1, "", Seed8BitBitmap(2, 2, 5), SeedMap(8, 8, 5)),
  };
  return seeds;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  plandrix::fuzz::WriteSeedsIfAsked("height_map", Seeds);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  plandrix::fuzz::ByteReader reader(data, size);
  const std::uint8_t choice = reader.U8();
  const auto answers = reader.TakeSized();
  const auto bitmap = reader.TakeSized();
  const auto rest = reader.Rest();
  // The loading step: a map shorter than its stated size is refused.
  auto loaded = plandrix::fuzz::LoadMapImage(rest);
  if (!loaded) return 0;
  Bytes& image = loaded->image;
  const Bytes& before = loaded->stored;
  const std::size_t width = loaded->width;
  const std::size_t height = loaded->height;

  std::istringstream in(std::string(answers.begin(), answers.end()));
  std::ostringstream out;
  plandrix::Console console{in, out};
  // The tool's checks before the import: the size fields, and the sizes must agree.
  if ((choice & kSkipSizeChecks) == 0) {
    if (bitmap.size() < plandrix::kBmpSizeFieldsEnd) return 0;
    const std::size_t bmp_width = plandrix::BitmapWidth(bitmap);
    const std::size_t bmp_height = plandrix::BitmapHeight(bitmap);
    plandrix::CheckBmpSize(out, bmp_width, bmp_height);
    if (!plandrix::CheckMapFitsBmp(out, width, bmp_width, height, bmp_height)) return 0;
  }
  const bool applied = plandrix::ApplyHeightMap(console, image, bitmap);
  if (!applied) {
    plandrix::fuzz::Expect(image == before);
    return 0;
  }
  plandrix::fuzz::ExpectOnlyBlocksChanged(before, image, width, height, {plandrix::kHeightBlock});
  const auto heights =
      plandrix::Block(std::span<const std::uint8_t>(image), plandrix::kHeightBlock, width * height);
  plandrix::fuzz::Expect(
      std::all_of(heights.begin(), heights.end(), [](std::uint8_t value) { return value <= 62; }));
  return 0;
}
