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

// The same three operations written out a byte at a time, as the plain statement of where
// each byte goes; the tool's own versions move whole words and must agree with these.
class PlainMirror {
 public:
  PlainMirror(std::span<std::uint8_t> image, std::size_t width, std::size_t height)
      : image_(image), width_(width), height_(height), n_(width * height) {}

  void MirrorY() {
    const std::size_t half = width_ / 2;
    for (int block :
         {plandrix::kHeightBlock, plandrix::kTerrainBlock1, plandrix::kObjectIndexBlock,
          plandrix::kObjectTypeBlock, plandrix::kAnimalBlock, plandrix::kResourceBlock}) {
      for (std::size_t y = 0; y < height_; ++y) {
        if (y % 2 == 1) {
          for (std::size_t x = 0; x < half; ++x) At(block, width_ - 1 - x, y) = At(block, x, y);
        } else {
          for (std::size_t x = 1; x < half; ++x) At(block, width_ - x, y) = At(block, x, y);
        }
      }
    }
    for (std::size_t y = 0; y < height_; ++y) {
      if (y % 2 == 0) {
        for (std::size_t x = 0; x < half; ++x) {
          At(plandrix::kTerrainBlock2, width_ - 1 - x, y) = At(plandrix::kTerrainBlock2, x, y);
        }
      } else {
        // The second triangle of column x goes to W - 2 - x, sources left of the middle.
        for (std::size_t x = 0; 2 * x + 2 < width_; ++x) {
          At(plandrix::kTerrainBlock2, width_ - 2 - x, y) = At(plandrix::kTerrainBlock2, x, y);
        }
      }
    }
  }

  void MirrorX() {
    if (width_ == 0) return;
    const std::size_t half = height_ / 2;
    for (int block :
         {plandrix::kHeightBlock, plandrix::kObjectIndexBlock, plandrix::kObjectTypeBlock,
          plandrix::kAnimalBlock, plandrix::kResourceBlock}) {
      for (std::size_t y = 1; y < half; ++y) {
        for (std::size_t x = 0; x < width_; ++x) At(block, x, height_ - y) = At(block, x, y);
      }
    }
    for (std::size_t y = 1; y < half; ++y) {
      const std::size_t target = height_ - 1 - y;
      for (std::size_t x = 0; x < width_; ++x) {
        if (y % 2 == 1) {
          At(plandrix::kTerrainBlock2, x, target) = At(plandrix::kTerrainBlock1, x, y);
          if (x + 1 < width_) {
            At(plandrix::kTerrainBlock1, x + 1, target) = At(plandrix::kTerrainBlock2, x, y);
          }
        } else {
          if (x + 1 < width_) {
            At(plandrix::kTerrainBlock2, x, target) = At(plandrix::kTerrainBlock1, x + 1, y);
          }
          At(plandrix::kTerrainBlock1, x, target) = At(plandrix::kTerrainBlock2, x, y);
        }
      }
    }
  }

  void Rotate180(std::span<const std::uint8_t> source) {
    const auto first = plandrix::Block(source, plandrix::kTerrainBlock1, n_);
    const auto second = plandrix::Block(source, plandrix::kTerrainBlock2, n_);
    for (std::size_t k = 1; k < n_; ++k) {
      plandrix::Block(image_, plandrix::kTerrainBlock1, n_)[k] = second[n_ - k];
      plandrix::Block(image_, plandrix::kTerrainBlock2, n_)[k] = first[n_ - k];
    }
  }

 private:
  std::uint8_t& At(int block, std::size_t x, std::size_t y) {
    return plandrix::Block(image_, block, n_)[plandrix::VertexIndex(x, y, width_)];
  }

  std::span<std::uint8_t> image_;
  std::size_t width_;
  std::size_t height_;
  std::size_t n_;
};

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

  Bytes plain_image = image;
  PlainMirror plain(plain_image, width, height);
  std::ostringstream out;
  for (std::uint8_t operation : operations) {
    switch (operation % 3) {
      case 1:
        plandrix::MirrorY(image, width, height, out);
        plain.MirrorY();
        break;
      case 2:
        plandrix::MirrorX(image, width, height, out);
        plain.MirrorX();
        break;
      default:
        plandrix::Rotate180(image, stored, width, height);
        plain.Rotate180(stored);
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
