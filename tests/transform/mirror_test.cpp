// Mirror and rotate operations, byte for byte, and a property check over many random maps
// against the program's byte-by-byte versions, which address every byte by row and column.
#include "transform/mirror.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <random>
#include <sstream>
#include <vector>

#include "core/map_layout.h"
#include "support/test_maps.h"

namespace plandrix {
namespace {

using testing::At;
using testing::FillBlock;
using testing::MakeBlankMap;
using Image = std::vector<std::uint8_t>;

constexpr int kVertexLikeBlocks[] = {1, 2, 5, 6, 7, 12};
constexpr int kUntouchedBlocks[] = {4, 8, 9, 10, 11, 13, 14};

// A map whose every byte after the width and height is random.
Image RandomMap(std::size_t width, std::size_t height, std::mt19937& random) {
  Image image = MakeBlankMap(width, height);
  std::uniform_int_distribution<int> byte(0, 255);
  for (auto& b : image) b = static_cast<std::uint8_t>(byte(random));
  WriteU16(image, kWidthOffset, width);
  WriteU16(image, kHeightOffset, height);
  return image;
}

// The byte-by-byte versions of the program, on a copy.
Image ModelMirrorY(Image image) {
  MirrorYByteByByte(image, MapWidth(image), MapHeight(image));
  return image;
}

Image ModelMirrorX(Image image) {
  MirrorXByteByByte(image, MapWidth(image), MapHeight(image));
  return image;
}

Image ModelRotate180(Image image, const Image& source) {
  Rotate180ByteByByte(image, source, MapWidth(image), MapHeight(image));
  return image;
}

std::vector<std::uint8_t> Row(Image& image, int block, std::size_t r) {
  std::vector<std::uint8_t> row;
  for (std::size_t x = 0; x < MapWidth(image); ++x) row.push_back(At(image, block, x, r));
  return row;
}

void SetRow(Image& image, int block, std::size_t r, const std::vector<std::uint8_t>& row) {
  for (std::size_t x = 0; x < row.size(); ++x) At(image, block, x, r) = row[x];
}

using Bytes = std::vector<std::uint8_t>;

TEST(MirrorY, FourWideRowsOfEveryBlock) {
  Image image = MakeBlankMap(4, 2);
  for (int k = 1; k <= 14; ++k) {
    SetRow(image, k, 0, {1, 2, 3, 4});
    SetRow(image, k, 1, {1, 2, 3, 4});
  }
  const Image before = image;
  std::ostringstream out;
  MirrorY(image, 4, 2, out);
  EXPECT_EQ(out.str(), "Map has been fully Y-Axis mirrored!\n\n");
  for (int k : kVertexLikeBlocks) {
    EXPECT_EQ(Row(image, k, 0), (Bytes{1, 2, 3, 2})) << "even row, block " << k;
    EXPECT_EQ(Row(image, k, 1), (Bytes{1, 2, 2, 1})) << "odd row, block " << k;
  }
  EXPECT_EQ(Row(image, 3, 0), (Bytes{1, 2, 2, 1}));
  EXPECT_EQ(Row(image, 3, 1), (Bytes{1, 2, 1, 4}));
  for (int k : kUntouchedBlocks) {
    EXPECT_EQ(Row(image, k, 0), (Bytes{1, 2, 3, 4})) << "block " << k;
    EXPECT_EQ(Row(image, k, 1), (Bytes{1, 2, 3, 4})) << "block " << k;
  }
  EXPECT_EQ(image, ModelMirrorY(before));
}

TEST(MirrorY, FiveWideRows) {
  Image image = MakeBlankMap(5, 2);
  for (int k = 1; k <= 3; ++k) {
    SetRow(image, k, 0, {1, 2, 3, 4, 5});
    SetRow(image, k, 1, {1, 2, 3, 4, 5});
  }
  std::ostringstream out;
  MirrorY(image, 5, 2, out);
  EXPECT_EQ(Row(image, 1, 0), (Bytes{1, 2, 3, 4, 2}));
  EXPECT_EQ(Row(image, 1, 1), (Bytes{1, 2, 3, 2, 1}));
  EXPECT_EQ(Row(image, 3, 0), (Bytes{1, 2, 3, 2, 1}));
  EXPECT_EQ(Row(image, 3, 1), (Bytes{1, 2, 2, 1, 5}));
}

TEST(MirrorY, NarrowMapsChangeNothingButStillReport) {
  std::mt19937 random(7);
  for (std::size_t width : {0u, 1u}) {
    Image image = RandomMap(width, 5, random);
    const Image before = image;
    std::ostringstream out;
    MirrorY(image, width, 5, out);
    EXPECT_EQ(image, before) << width;
    EXPECT_EQ(out.str(), "Map has been fully Y-Axis mirrored!\n\n");
  }
}

TEST(MirrorX, SixRowsCopyExactlyTheirTargetRows) {
  std::mt19937 random(11);
  Image image = RandomMap(3, 6, random);
  const Image before = image;
  Image old = before;
  std::ostringstream out;
  MirrorX(image, 3, 6, out);
  EXPECT_EQ(out.str(), "Map has been fully X-Axis mirrored!\n\n");
  for (int k : {1, 5, 6, 7, 12}) {
    EXPECT_EQ(Row(image, k, 5), Row(old, k, 1)) << k;
    EXPECT_EQ(Row(image, k, 4), Row(old, k, 2)) << k;
    for (std::size_t r : {0u, 1u, 2u, 3u}) EXPECT_EQ(Row(image, k, r), Row(old, k, r)) << k;
  }
  // Terrain row 1 (odd) to row 4, layers exchanged, the first layer one column right.
  EXPECT_EQ(Row(image, 3, 4), Row(old, 2, 1));
  EXPECT_EQ(Row(image, 2, 4), (Bytes{At(old, 2, 0, 4), At(old, 3, 0, 1), At(old, 3, 1, 1)}));
  // Terrain row 2 (even) to row 3, the second layer one column left.
  EXPECT_EQ(Row(image, 2, 3), Row(old, 3, 2));
  EXPECT_EQ(Row(image, 3, 3), (Bytes{At(old, 2, 1, 2), At(old, 2, 2, 2), At(old, 3, 2, 3)}));
  for (int k : {2, 3}) {
    for (std::size_t r : {0u, 1u, 2u, 5u}) EXPECT_EQ(Row(image, k, r), Row(old, k, r)) << k;
  }
  EXPECT_EQ(image, ModelMirrorX(before));
}

TEST(MirrorX, FewerThanFourRowsChangeNothingButStillReport) {
  std::mt19937 random(13);
  for (std::size_t height : {0u, 1u, 2u, 3u}) {
    Image image = RandomMap(4, height, random);
    const Image before = image;
    std::ostringstream out;
    MirrorX(image, 4, height, out);
    EXPECT_EQ(image, before) << height;
    EXPECT_EQ(out.str(), "Map has been fully X-Axis mirrored!\n\n");
  }
}

TEST(Rotate180, TwoByTwoTakesTheStoredLayersExchanged) {
  std::mt19937 random(17);
  const Image stored = RandomMap(2, 2, random);
  Image image = RandomMap(2, 2, random);  // what earlier operations left
  const Image before = image;
  Rotate180(image, stored, 2, 2);
  const std::size_t b2 = BlockDataOffset(2, 4);
  const std::size_t b3 = BlockDataOffset(3, 4);
  for (std::size_t k = 1; k <= 3; ++k) {
    EXPECT_EQ(image[b2 + 4 - k], stored[b3 + k]) << k;
    EXPECT_EQ(image[b3 + 4 - k], stored[b2 + k]) << k;
  }
  EXPECT_EQ(image[b2], before[b2]);
  EXPECT_EQ(image[b3], before[b3]);
  // Nothing outside the two layers' data changes.
  for (std::size_t i = 0; i < image.size(); ++i) {
    const bool in_layer = (i > b2 && i < b2 + 4) || (i > b3 && i < b3 + 4);
    if (!in_layer) {
      EXPECT_EQ(image[i], before[i]) << i;
    }
  }
}

TEST(Rotate180, MirroredBlocksKeepTheirValuesAndTerrainComesFromTheStoredFile) {
  std::mt19937 random(19);
  const Image stored = RandomMap(5, 6, random);
  Image image = stored;
  std::ostringstream out;
  MirrorY(image, 5, 6, out);
  MirrorX(image, 5, 6, out);
  const Image mirrored = image;
  Rotate180(image, stored, 5, 6);
  EXPECT_EQ(image, ModelRotate180(mirrored, stored));
  // The terrain is the stored file's, rotated; the mirrors never touch position 0.
  const Image rotated_only = ModelRotate180(stored, stored);
  const std::size_t n = 30;
  for (int k = 1; k <= 14; ++k) {
    const Image& expected = (k == 2 || k == 3) ? rotated_only : mirrored;
    for (std::size_t i = 0; i < n; ++i) {
      ASSERT_EQ(image[BlockDataOffset(k, n) + i], expected[BlockDataOffset(k, n) + i])
          << "block " << k << " position " << i;
    }
  }
  const Image copy = image;
  // A second rotation gives the same terrain.
  Rotate180(image, stored, 5, 6);
  EXPECT_EQ(image, copy);
}

TEST(MirrorOperations, ImagesShorterThanTheirSizeAreLeftAlone) {
  std::mt19937 random(23);
  Image image = RandomMap(6, 6, random);
  image.pop_back();
  const Image before = image;
  std::ostringstream out;
  MirrorY(image, 6, 6, out);
  MirrorX(image, 6, 6, out);
  Rotate180(image, before, 6, 6);
  EXPECT_EQ(image, before);
  Image whole = RandomMap(6, 6, random);
  const Image whole_before = whole;
  Rotate180(whole, before, 6, 6);  // the stored copy is too short
  EXPECT_EQ(whole, whole_before);
  MirrorY(whole, 70000, 1, out);  // no map is this wide
  EXPECT_EQ(whole, whole_before);
}

// Many small maps of random bytes: each operation gives exactly what the model gives,
// so no write leaves its row (mirrors) or its layer (rotation), and nothing else changes.
// Under the address sanitizer this also shows that nothing is touched past the image.
TEST(MirrorOperations, RandomSmallMapsMatchTheModelAndRepeatingChangesNothing) {
  std::mt19937 random(20240809);
  std::uniform_int_distribution<std::size_t> side(0, 9);
  for (int round = 0; round < 400; ++round) {
    const std::size_t width = side(random);
    const std::size_t height = side(random);
    const Image stored = RandomMap(width, height, random);
    std::ostringstream out;
    Image image = stored;
    MirrorY(image, width, height, out);
    ASSERT_EQ(image, ModelMirrorY(stored)) << width << " x " << height;
    const Image once = image;
    MirrorY(image, width, height, out);
    ASSERT_EQ(image, once) << width << " x " << height;

    image = stored;
    MirrorX(image, width, height, out);
    ASSERT_EQ(image, ModelMirrorX(stored)) << width << " x " << height;
    const Image x_once = image;
    MirrorX(image, width, height, out);
    ASSERT_EQ(image, x_once) << width << " x " << height;

    Image changed = RandomMap(width, height, random);
    const Image changed_before = changed;
    Rotate180(changed, stored, width, height);
    ASSERT_EQ(changed, ModelRotate180(changed_before, stored)) << width << " x " << height;

    // The untouched blocks hold their bytes through every operation.
    image = stored;
    MirrorY(image, width, height, out);
    MirrorX(image, width, height, out);
    Rotate180(image, stored, width, height);
    const std::size_t n = width * height;
    for (int k : kUntouchedBlocks) {
      for (std::size_t i = 0; i < n; ++i) {
        ASSERT_EQ(image[BlockDataOffset(k, n) + i], stored[BlockDataOffset(k, n) + i]);
      }
    }
  }
}

}  // namespace
}  // namespace plandrix
