// Setting every height: only the data of the height block changes.
#include "transform/set_heights.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "core/map_layout.h"
#include "support/test_maps.h"

namespace plandrix {
namespace {

using testing::MakeBlankMap;

TEST(SetAllHeights, FillsTheHeightBlockAndNothingElse) {
  std::mt19937 random(3);
  std::uniform_int_distribution<int> byte(0, 255);
  for (auto [width, height] : {std::pair{7u, 5u}, std::pair{1u, 1u}, std::pair{0u, 4u}}) {
    auto image = MakeBlankMap(width, height);
    for (std::size_t i = kHeaderSize; i < image.size(); ++i) {
      image[i] = static_cast<std::uint8_t>(byte(random));
    }
    const auto before = image;
    SetAllHeights(image, width, height, 0x3C);
    const std::size_t n = width * height;
    const std::size_t first = BlockDataOffset(1, n);
    for (std::size_t i = 0; i < image.size(); ++i) {
      if (i >= first && i < first + n) {
        ASSERT_EQ(image[i], 0x3C) << i;
      } else {
        ASSERT_EQ(image[i], before[i]) << i;  // the header of block 2 included
      }
    }
  }
}

TEST(SetAllHeights, ShortImageIsLeftAlone) {
  auto image = MakeBlankMap(4, 4);
  image.pop_back();
  const auto before = image;
  SetAllHeights(image, 4, 4, 0);
  EXPECT_EQ(image, before);
}

}  // namespace
}  // namespace plandrix
