#include "transform/mirror.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "core/map_layout.h"

namespace plandrix {
namespace {

// Every per-vertex block that follows the vertex itself when a map is mirrored. The two
// terrain layers are handled apart: their triangles sit half a vertex off the vertex.
constexpr std::array<int, 5> kVertexBlocks = {kHeightBlock, kObjectIndexBlock, kObjectTypeBlock,
                                              kAnimalBlock, kResourceBlock};
// Left to right, the first terrain layer moves with the vertex as well.
constexpr std::array<int, 6> kVertexBlocksWithFirstTerrain = {kHeightBlock,      kTerrainBlock1,
                                                              kObjectIndexBlock, kObjectTypeBlock,
                                                              kAnimalBlock,      kResourceBlock};

// Row r of a block's data.
std::span<std::uint8_t> Row(std::span<std::uint8_t> block, std::size_t r, std::size_t width) {
  return block.subspan(VertexIndex(0, r, width), width);
}

// The byte order of a 64-bit word turned round; compilers make this one instruction.
constexpr std::uint64_t ReverseBytes(std::uint64_t word) {
  word = ((word & 0x00FF00FF00FF00FFull) << 8) | ((word >> 8) & 0x00FF00FF00FF00FFull);
  word = ((word & 0x0000FFFF0000FFFFull) << 16) | ((word >> 16) & 0x0000FFFF0000FFFFull);
  return (word << 32) | (word >> 32);
}

// Writes the bytes of from, last first, to the start of to; the two must not overlap.
// Whole rows of large maps pass through here, so it moves eight bytes at a time: a word
// read from the end of from, its bytes turned round, is the next word of to.
void CopyReversed(std::span<const std::uint8_t> from, std::span<std::uint8_t> to) {
  const std::size_t count = from.size();
  to = to.first(count);
  constexpr std::size_t kWord = sizeof(std::uint64_t);
  std::size_t i = 0;
  for (; i + kWord <= count; i += kWord) {
    std::uint64_t word = 0;
    std::memcpy(&word, from.subspan(count - i - kWord, kWord).data(), kWord);
    word = ReverseBytes(word);
    std::memcpy(to.subspan(i, kWord).data(), &word, kWord);
  }
  for (; i < count; ++i) to[i] = from[count - 1 - i];
}

// row[size - 1 - j] = row[j] for j below count: the first count bytes, reversed, end the
// row. The caller keeps count at most half the row, so source and target never overlap.
void MirrorOntoEnd(std::span<std::uint8_t> row, std::size_t count) {
  CopyReversed(row.first(count), row.last(count));
}

}  // namespace

void MirrorY(std::span<std::uint8_t> image, std::size_t width, std::size_t height,
             std::ostream& out) {
  if (HoldsMap(image, width, height)) {
    const std::size_t n = width * height;
    const std::size_t half = width / 2;
    for (int block : kVertexBlocksWithFirstTerrain) {
      const auto data = Block(image, block, n);
      for (std::size_t r = 0; r < height; ++r) {
        const auto row = Row(data, r, width);
        if (r % 2 == 1) {
          MirrorOntoEnd(row, half);
        } else if (half > 1) {
          // Even rows shift by one: column j goes to W - j, so column 0 would land just
          // past the row and is not copied.
          MirrorOntoEnd(row.subspan(1), half - 1);
        }
      }
    }
    const auto second = Block(image, kTerrainBlock2, n);
    for (std::size_t r = 0; r < height; ++r) {
      const auto row = Row(second, r, width);
      if (r % 2 == 0) {
        MirrorOntoEnd(row, half);
      } else if (half > 0) {
        // Odd rows: the second triangle of column j goes to W - 2 - j, so the row's last
        // byte keeps its value. With W even the last copy lands on its own source.
        const std::size_t count = (width % 2 == 0) ? half - 1 : half;
        MirrorOntoEnd(row.first(width - 1), count);
      }
    }
  }
  out << "Map has been fully Y-Axis mirrored!\n\n";
}

void Rotate180(std::span<std::uint8_t> image, std::span<const std::uint8_t> source,
               std::size_t width, std::size_t height) {
  if (!HoldsMap(image, width, height) || !HoldsMap(source, width, height)) {
    return;
  }
  const std::size_t n = width * height;
  if (n == 0) return;
  // Position k of a layer goes to N - k; position 0 would land past the layer and is
  // not copied.
  CopyReversed(Block(source, kTerrainBlock2, n).subspan(1),
               Block(image, kTerrainBlock1, n).subspan(1));
  CopyReversed(Block(source, kTerrainBlock1, n).subspan(1),
               Block(image, kTerrainBlock2, n).subspan(1));
}

namespace {

// One byte of a block, by column and row, for the byte-by-byte versions.
class VertexBytes {
 public:
  VertexBytes(std::span<std::uint8_t> image, std::size_t width, std::size_t height)
      : image_(image), width_(width), n_(width * height) {}
  std::uint8_t& operator()(int block, std::size_t x, std::size_t y) {
    return Block(image_, block, n_)[VertexIndex(x, y, width_)];
  }

 private:
  std::span<std::uint8_t> image_;
  std::size_t width_;
  std::size_t n_;
};

}  // namespace

void MirrorYByteByByte(std::span<std::uint8_t> image, std::size_t width, std::size_t height) {
  if (!HoldsMap(image, width, height)) return;
  VertexBytes at(image, width, height);
  const std::size_t half = width / 2;
  for (int block : kVertexBlocksWithFirstTerrain) {
    for (std::size_t y = 0; y < height; ++y) {
      if (y % 2 == 1) {
        for (std::size_t x = 0; x < half; ++x) at(block, width - 1 - x, y) = at(block, x, y);
      } else {
        for (std::size_t x = 1; x < half; ++x) at(block, width - x, y) = at(block, x, y);
      }
    }
  }
  for (std::size_t y = 0; y < height; ++y) {
    if (y % 2 == 0) {
      for (std::size_t x = 0; x < half; ++x) {
        at(kTerrainBlock2, width - 1 - x, y) = at(kTerrainBlock2, x, y);
      }
    } else {
      // The second triangle of column x goes to W - 2 - x, sources left of the middle.
      for (std::size_t x = 0; 2 * x + 2 < width; ++x) {
        at(kTerrainBlock2, width - 2 - x, y) = at(kTerrainBlock2, x, y);
      }
    }
  }
}

void MirrorXByteByByte(std::span<std::uint8_t> image, std::size_t width, std::size_t height) {
  if (!HoldsMap(image, width, height) || width == 0) return;
  VertexBytes at(image, width, height);
  const std::size_t half = height / 2;
  for (int block : kVertexBlocks) {
    for (std::size_t y = 1; y < half; ++y) {
      for (std::size_t x = 0; x < width; ++x) at(block, x, height - y) = at(block, x, y);
    }
  }
  for (std::size_t y = 1; y < half; ++y) {
    const std::size_t target = height - 1 - y;
    for (std::size_t x = 0; x < width; ++x) {
      if (y % 2 == 1) {
        at(kTerrainBlock2, x, target) = at(kTerrainBlock1, x, y);
        if (x + 1 < width) at(kTerrainBlock1, x + 1, target) = at(kTerrainBlock2, x, y);
      } else {
        if (x + 1 < width) at(kTerrainBlock2, x, target) = at(kTerrainBlock1, x + 1, y);
        at(kTerrainBlock1, x, target) = at(kTerrainBlock2, x, y);
      }
    }
  }
}

void Rotate180ByteByByte(std::span<std::uint8_t> image, std::span<const std::uint8_t> source,
                         std::size_t width, std::size_t height) {
  if (!HoldsMap(image, width, height) || !HoldsMap(source, width, height)) {
    return;
  }
  const std::size_t n = width * height;
  const auto first = Block(source, kTerrainBlock1, n);
  const auto second = Block(source, kTerrainBlock2, n);
  for (std::size_t k = 1; k < n; ++k) {
    Block(image, kTerrainBlock1, n)[k] = second[n - k];
    Block(image, kTerrainBlock2, n)[k] = first[n - k];
  }
}

void MirrorX(std::span<std::uint8_t> image, std::size_t width, std::size_t height,
             std::ostream& out) {
  MirrorXByteByByte(image, width, height);
  out << "Map has been fully X-Axis mirrored!\n\n";
}

}  // namespace plandrix
