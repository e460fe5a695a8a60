#include "core/blank_map.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "core/map_layout.h"
#include "support/test_maps.h"

namespace plandrix {
namespace {

using testing::MakeBlankMap;

TEST(BlankMap, ThirtyTwoSquareHasEveryByteInPlace) {
  const auto image = MakeBlankMap(32, 32);
  ASSERT_EQ(image.size(), 16913u);
  EXPECT_EQ(std::string(image.begin(), image.begin() + 10), "WORLD_V1.0");
  EXPECT_EQ(std::string(image.begin() + 10, image.begin() + 24), "GeneratedWorld");
  EXPECT_EQ(std::string(image.begin() + 36, image.begin() + 53), "Tavikone and Tool");
  EXPECT_EQ(image[30], 32);
  EXPECT_EQ(image[31], 0);
  EXPECT_EQ(image[32], 32);
  EXPECT_EQ(image[2342], 0x11);  // 10001 = 0x2711
  EXPECT_EQ(image[2343], 0x27);
  EXPECT_EQ(MapWidth(image), 32u);
  EXPECT_EQ(MapHeight(image), 32u);
  EXPECT_EQ(image.back(), 0xFF);

  const std::array<std::uint8_t, 16> block_header = {0x10, 0x27, 0, 0, 0, 0, 0x20, 0,
                                                     0x20, 0,    1, 0, 0, 4, 0,    0};
  const std::array<std::uint8_t, 14> fill = {10, 5, 5, 0, 0, 0, 0, 0, 0, 7, 0, 0, 0, 0};
  for (int block = 1; block <= 14; ++block) {
    const std::size_t header = 2352 + static_cast<std::size_t>(block - 1) * (1024 + 16);
    for (std::size_t i = 0; i < 16; ++i) {
      EXPECT_EQ(image[header + i], block_header[i]) << "block " << block << " byte " << i;
    }
    for (std::size_t i = 0; i < 1024; ++i) {
      ASSERT_EQ(image[header + 16 + i], fill[static_cast<std::size_t>(block - 1)])
          << "block " << block << " vertex " << i;
    }
  }
  // Every byte that the layout does not name is zero.
  for (std::size_t i = 53; i < 2342; ++i) ASSERT_EQ(image[i], 0) << i;
  for (std::size_t i = 2344; i < 2348; ++i) EXPECT_EQ(image[i], 0) << i;
  for (std::size_t i = 24; i < 30; ++i) EXPECT_EQ(image[i], 0) << i;
}

TEST(BlankMap, WidthAndHeightAreLittleEndianInBothPlaces) {
  const auto image = MakeBlankMap(300, 2);
  EXPECT_EQ(image.size(), 14u * 600 + 2577);
  EXPECT_EQ(image[30], 0x2C);
  EXPECT_EQ(image[31], 0x01);
  EXPECT_EQ(image[2348], 0x2C);
  EXPECT_EQ(image[2349], 0x01);
  EXPECT_EQ(image[32], 0x02);
  EXPECT_EQ(image[33], 0x00);
  EXPECT_EQ(image[2350], 0x02);
  EXPECT_EQ(image[2351], 0x00);
}

TEST(BlankMap, ZeroSizedMapHoldsOnlyHeadersAndFinalByte) {
  for (auto [w, h] : {std::pair{0, 0}, std::pair{0, 7}, std::pair{9, 0}}) {
    const auto image = MakeBlankMap(static_cast<std::size_t>(w), static_cast<std::size_t>(h));
    ASSERT_EQ(image.size(), 2577u);
    for (int block = 0; block < 14; ++block) {
      const std::size_t header = 2352 + static_cast<std::size_t>(block) * 16;
      EXPECT_EQ(image[header], 0x10);
      EXPECT_EQ(image[header + 1], 0x27);
      EXPECT_EQ(image[header + 6], w);
      EXPECT_EQ(image[header + 8], h);
      EXPECT_EQ(image[header + 10], 1);
      EXPECT_EQ(image[header + 12], 0);
    }
    EXPECT_EQ(image.back(), 0xFF);
  }
}

TEST(MapLayout, OffsetsFollowWidthAndHeight) {
  EXPECT_EQ(MapLength(32, 32), 16913u);
  EXPECT_EQ(BlockDataOffset(1, 1024), 2368u);
  EXPECT_EQ(BlockDataOffset(2, 1024), 2368u + 1024 + 16);
  EXPECT_EQ(BlockDataOffset(12, 100), 2544u + 11 * 100);
  EXPECT_EQ(VertexIndex(3, 2, 10), 23u);
  // The largest map needs more than 32 bits.
  EXPECT_EQ(MapLength(65535, 65535), 14ull * 65535 * 65535 + 2577);
  EXPECT_GT(BlockDataOffset(14, 65535ull * 65535), 0xFFFFFFFFull);
}

TEST(MapLayout, StatedSizeComesFromTheSecondCopy) {
  auto image = MakeBlankMap(32, 32);
  image[30] = 64;  // the header copy is never read
  EXPECT_EQ(MapWidth(image), 32u);
  EXPECT_TRUE(MapImageIsComplete(image));
  image.pop_back();
  EXPECT_FALSE(MapImageIsComplete(image));
  EXPECT_FALSE(MapImageIsComplete(std::vector<std::uint8_t>(2351)));
}

}  // namespace
}  // namespace plandrix
