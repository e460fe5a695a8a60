// Bitmap to terrain on an arbitrary bitmap, by the tool's own steps: the size check
// against the pixel bytes, a blank map of the bitmap's size, the translation of the
// pixels and the painting of the terrain. The painted terrain is compared with the plain
// walk over the codes that the painting stands for. The input is a choice byte, a width,
// a height and a row padding for a second translation of the same bytes, a vertex to
// paint once more, then the bitmap itself.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/blank_map.h"
#include "core/map_layout.h"
#include "support/fuzz_support.h"
#include "transform/bitmap_terrain.h"

namespace {

using plandrix::fuzz::Bytes;

// With this bit, the same bytes are also translated with the width, height and padding
// of the input, and one more vertex (inside the map or not) is painted.
constexpr std::uint8_t kAlsoArbitrary = 1;
// With this bit, the painting also runs on codes taken straight from the bitmap's bytes.
constexpr std::uint8_t kRawCodes = 2;

Bytes Input(std::uint8_t choice, std::uint16_t width, std::uint16_t height, std::uint8_t padding,
            std::uint16_t x, std::uint16_t y, const Bytes& bitmap) {
  Bytes bytes;
  plandrix::fuzz::PutU8(bytes, choice);
  plandrix::fuzz::PutU16(bytes, width);
  plandrix::fuzz::PutU16(bytes, height);
  plandrix::fuzz::PutU8(bytes, padding);
  plandrix::fuzz::PutU16(bytes, x);
  plandrix::fuzz::PutU16(bytes, y);
  plandrix::fuzz::PutAll(bytes, bitmap);
  return bytes;
}

const std::vector<Bytes>& Seeds() {
  using plandrix::fuzz::Seed4BitBitmap;
  static const std::vector<Bytes> seeds = {
      Input(0, 0, 0, 0, 0, 0, Seed4BitBitmap(16, 12, 1)),
      Input(1, 7, 5, 0, 6, 4, Seed4BitBitmap(8, 6, 2)),
      Input(0, 0, 0, 0, 0, 0, Seed4BitBitmap(2, 2, 3)),
      Input(1, 3, 9, 3, 1, 1, Seed4BitBitmap(7, 9, 4)),
      Input(2, 0, 0, 0, 0, 0, Seed4BitBitmap(30, 3, 5)),
      Input(3, 1, 1, 1, 0, 0, Seed4BitBitmap(1, 1, 6)),
  };
  return seeds;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  plandrix::fuzz::WriteSeedsIfAsked("bitmap_terrain", Seeds);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  plandrix::fuzz::ByteReader reader(data, size);
  const std::uint8_t choice = reader.U8();
  const std::size_t other_width = reader.U16();
  const std::size_t other_height = reader.U16();
  const std::size_t other_padding = reader.U8();
  const std::size_t extra_x = reader.U16();
  const std::size_t extra_y = reader.U16();
  const auto bitmap = reader.Rest();

  if (!plandrix::BmpHoldsItsPixels(bitmap)) return 0;
  const std::size_t width = plandrix::BitmapWidth(bitmap);
  const std::size_t height = plandrix::BitmapHeight(bitmap);
  const std::size_t length = plandrix::MapLength(width, height);
  if (length > plandrix::fuzz::kMaxImageBytes) return 0;
  Bytes image(length);
  Bytes codes(width * height);
  plandrix::CreateBlankMap(image, width, height);
  const Bytes blank = image;
  plandrix::TranslateBMPNumbertoTexture(bitmap, codes, width, height,
                                        plandrix::BmpRowPadding(width));
  plandrix::GetCurrentTexture(image, codes, width, height);

  plandrix::fuzz::ExpectOnlyBlocksChanged(blank, image, width, height,
                                          {plandrix::kTerrainBlock1, plandrix::kTerrainBlock2});
  Bytes walked = blank;
  plandrix::GetCurrentTextureStepByStep(walked, codes, width, height);
  plandrix::fuzz::Expect(walked == image);

  if ((choice & kRawCodes) != 0) {
    // Any byte as a code: those outside the walk paint nothing.
    Bytes raw_codes(codes.size());
    for (std::size_t i = 0; i < raw_codes.size(); ++i) raw_codes[i] = bitmap[i % bitmap.size()];
    Bytes raw_image = blank;
    plandrix::GetCurrentTexture(raw_image, raw_codes, width, height);
    Bytes raw_walked = blank;
    plandrix::GetCurrentTextureStepByStep(raw_walked, raw_codes, width, height);
    plandrix::fuzz::Expect(raw_image == raw_walked);
  }
  if ((choice & kAlsoArbitrary) != 0) {
    // Any size and padding: a bitmap or code array too short for them is refused whole.
    Bytes other_codes(codes.size(), 0xEE);
    const bool translated = plandrix::TranslateBMPNumbertoTexture(bitmap, other_codes, other_width,
                                                                  other_height, other_padding);
    if (!translated) plandrix::fuzz::Expect(other_codes == Bytes(codes.size(), 0xEE));
    const Bytes before = image;
    plandrix::SetVertexTexture(extra_x, extra_y, image, 99, width, height);
    plandrix::fuzz::ExpectOnlyBlocksChanged(before, image, width, height,
                                            {plandrix::kTerrainBlock1, plandrix::kTerrainBlock2});
  }
  return 0;
}
