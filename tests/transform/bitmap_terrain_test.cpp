#include "transform/bitmap_terrain.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <set>
#include <sstream>
#include <tuple>
#include <vector>

#include "core/map_layout.h"
#include "support/test_maps.h"
#include "transform/test_bitmaps.h"

namespace plandrix {
namespace {

using testing::Make4BitBmp;
using testing::MakeBlankMap;

// Code of each colour number, written out independently of the program's table.
constexpr std::array<std::uint8_t, 16> kCode = {17, 37, 8, 14, 36, 35, 3,  1,
                                                18, 16, 0, 4,  5,  17, 15, 2};

// The walk in its plain form: 16 steps, each a full scan calling SetVertexTexture.
void WalkStepByStep(std::span<std::uint8_t> image, std::span<const std::uint8_t> codes,
                    std::size_t width, std::size_t height) {
  GetCurrentTextureStepByStep(image, codes, width, height);
}

std::vector<std::uint8_t> Translate(const std::vector<std::uint8_t>& bitmap) {
  const std::size_t width = BitmapWidth(bitmap);
  const std::size_t height = BitmapHeight(bitmap);
  std::vector<std::uint8_t> codes(width * height, 0xEE);
  EXPECT_TRUE(TranslateBMPNumbertoTexture(bitmap, codes, width, height, BmpRowPadding(width)));
  return codes;
}

// The map that the tool builds from a bitmap.
std::vector<std::uint8_t> Convert(const std::vector<std::uint8_t>& bitmap) {
  const std::size_t width = BitmapWidth(bitmap);
  const std::size_t height = BitmapHeight(bitmap);
  auto image = MakeBlankMap(width, height);
  GetCurrentTexture(image, Translate(bitmap), width, height);
  return image;
}

// (block, row, column) of every terrain byte that differs from the blank map.
using Position = std::tuple<int, std::size_t, std::size_t>;
std::set<Position> ChangedTriangles(const std::vector<std::uint8_t>& image, std::size_t width,
                                    std::size_t height) {
  const auto blank = MakeBlankMap(width, height);
  std::set<Position> changed;
  for (int block : {2, 3}) {
    const std::size_t start = BlockDataOffset(block, width * height);
    for (std::size_t i = 0; i < width * height; ++i) {
      if (image[start + i] != blank[start + i]) changed.emplace(block, i / width, i % width);
    }
  }
  return changed;
}

std::set<Position> Painted(std::size_t x, std::size_t y, std::size_t width, std::size_t height) {
  auto image = MakeBlankMap(width, height);
  SetVertexTexture(x, y, image, 99, width, height);
  return ChangedTriangles(image, width, height);
}

std::uint8_t Terrain(std::vector<std::uint8_t>& image, int block, std::size_t x, std::size_t y) {
  return testing::At(image, block, x, y);
}

TEST(BmpSizes, RowPaddingAndChecks) {
  // Stored rows are ceil(W / 8) x 4 bytes: (W + 1) / 2 pixel bytes and the padding.
  constexpr std::array<std::array<std::size_t, 3>, 10> kRows = {{{1, 4, 3},
                                                                 {2, 4, 3},
                                                                 {3, 4, 2},
                                                                 {4, 4, 2},
                                                                 {6, 4, 1},
                                                                 {7, 4, 0},
                                                                 {8, 4, 0},
                                                                 {9, 8, 3},
                                                                 {10, 8, 3},
                                                                 {33, 20, 3}}};
  for (const auto& [width, row_bytes, padding] : kRows) {
    EXPECT_EQ(BmpRowBytes(width), row_bytes) << width;
    EXPECT_EQ(BmpRowPadding(width), padding) << width;
  }

  std::ostringstream out;
  EXPECT_TRUE(CheckBmpSize(out, 2, 64));
  EXPECT_EQ(out.str(), "");
  for (auto [w, h] : {std::pair<std::size_t, std::size_t>{0, 2}, {2, 0}, {3, 2}, {2, 65}}) {
    std::ostringstream warned;
    EXPECT_FALSE(CheckBmpSize(warned, w, h));
    EXPECT_EQ(warned.str(),
              "Warning, your BMP Sizes are not even or 0!\nBMP to SWD will stop now!\n");
  }
  std::ostringstream fits;
  EXPECT_TRUE(CheckMapFitsBmp(fits, 64, 64, 32, 32));
  EXPECT_EQ(fits.str(), "");
  std::ostringstream both;
  EXPECT_FALSE(CheckMapFitsBmp(both, 64, 62, 32, 30));
  EXPECT_EQ(both.str(), "ERROR: Mapwidth and BMP size do not fit!\n");
  std::ostringstream height;
  EXPECT_FALSE(CheckMapFitsBmp(height, 64, 64, 64, 32));
  EXPECT_EQ(height.str(), "ERROR: Mapheight and BMP size do not fit!\n");
}

TEST(BmpSizes, FileMustHoldEveryStoredRow) {
  auto bitmap = Make4BitBmp(6, 3, [](auto, auto) { return std::uint8_t{1}; });
  ASSERT_EQ(bitmap.size(), 118u + 3 * 4);
  EXPECT_TRUE(BmpHoldsItsPixels(bitmap));
  bitmap.pop_back();
  EXPECT_FALSE(BmpHoldsItsPixels(bitmap));
  std::vector<std::uint8_t> codes(18);
  EXPECT_FALSE(TranslateBMPNumbertoTexture(bitmap, codes, 6, 3, 1));
  EXPECT_EQ(codes, std::vector<std::uint8_t>(18, 0));

  // The size fields themselves, and a huge stated size in a tiny file.
  EXPECT_FALSE(BmpHoldsItsPixels(std::vector<std::uint8_t>(23, 0)));
  auto huge = testing::BmpHeader(65535, 65535, 4, 118);
  EXPECT_FALSE(BmpHoldsItsPixels(huge));
  // No pixels needed: the header alone is enough.
  EXPECT_TRUE(BmpHoldsItsPixels(testing::BmpHeader(0, 40, 4, 118)));
  EXPECT_TRUE(BmpHoldsItsPixels(testing::BmpHeader(40, 0, 4, 118)));
}

TEST(TranslateBMPNumbertoTexture, TwoByTwoRowsStartAt118And122) {
  auto bitmap = testing::BmpHeader(2, 2, 4, 118);
  bitmap.insert(bitmap.end(), {0x23, 0xFF, 0xFF, 0xFF, 0x45, 0xFF, 0xFF, 0xFF});
  // Map row 0 from offset 122 (colours 4, 5), row 1 from offset 118 (colours 2, 3).
  EXPECT_EQ(Translate(bitmap), (std::vector<std::uint8_t>{36, 35, 8, 14}));
}

TEST(TranslateBMPNumbertoTexture, EightByTwoHasNoPaddingAndSixWideHasOneByte) {
  auto bitmap = testing::BmpHeader(8, 2, 4, 118);
  bitmap.insert(bitmap.end(), {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF});
  std::vector<std::uint8_t> expected;
  for (int colour : {8, 9, 10, 11, 12, 13, 14, 15, 0, 1, 2, 3, 4, 5, 6, 7}) {
    expected.push_back(kCode[static_cast<std::size_t>(colour)]);
  }
  EXPECT_EQ(Translate(bitmap), expected);

  auto six = testing::BmpHeader(6, 2, 4, 118);
  six.insert(six.end(), {0x12, 0x34, 0x56, 0x00, 0x9A, 0xBC, 0xDE, 0x00});
  expected.clear();
  for (int colour : {9, 10, 11, 12, 13, 14, 1, 2, 3, 4, 5, 6}) {
    expected.push_back(kCode[static_cast<std::size_t>(colour)]);
  }
  EXPECT_EQ(Translate(six), expected);
}

TEST(TranslateBMPNumbertoTexture, HighNibbleIsTheLeftPixelOfTheTopRow) {
  auto bitmap = testing::BmpHeader(2, 2, 4, 118);
  bitmap.insert(bitmap.end(), {0x00, 0, 0, 0, 0x1C, 0, 0, 0});
  const auto codes = Translate(bitmap);
  EXPECT_EQ(codes[0], 37);
  EXPECT_EQ(codes[1], 5);
}

TEST(TranslateBMPNumbertoTexture, OddWidthTakesTheLastPixelFromTheHighFourBits) {
  // Width 5: rows of 4 bytes, three of them pixels, the last pixel in the high four bits.
  auto bitmap = testing::BmpHeader(5, 2, 4, 118);
  bitmap.insert(bitmap.end(), {0x12, 0x34, 0x5F, 0x00, 0xF9, 0xF9, 0x26, 0x00});
  EXPECT_TRUE(BmpHoldsItsPixels(bitmap));
  EXPECT_EQ(Translate(bitmap), (std::vector<std::uint8_t>{2, 16, 2, 16, 8, 37, 8, 14, 36, 35}));
  // One byte short of the last row is too short.
  bitmap.pop_back();
  EXPECT_FALSE(BmpHoldsItsPixels(bitmap));
}

TEST(SetVertexTexture, EvenHeightPlaces) {
  // 4 x 4: rows 1 and 3 odd, row 3 the last.
  EXPECT_EQ(Painted(0, 0, 4, 4), std::set<Position>{});
  EXPECT_EQ(Painted(2, 0, 4, 4),
            (std::set<Position>{{2, 3, 1}, {2, 3, 2}, {2, 0, 2}, {3, 3, 1}, {3, 0, 1}, {3, 0, 2}}));
  EXPECT_EQ(Painted(0, 2, 4, 4),
            (std::set<Position>{{2, 1, 3}, {2, 1, 0}, {2, 2, 0}, {3, 1, 3}, {3, 2, 3}, {3, 2, 0}}));
  EXPECT_EQ(Painted(3, 2, 4, 4),
            (std::set<Position>{{2, 1, 2}, {2, 1, 3}, {2, 2, 3}, {3, 1, 2}, {3, 2, 2}, {3, 2, 3}}));
  EXPECT_EQ(Painted(0, 1, 4, 4),
            (std::set<Position>{{2, 3, 3}, {2, 3, 0}, {2, 0, 0}, {3, 3, 3}, {3, 0, 3}, {3, 0, 0}}));
  EXPECT_EQ(Painted(1, 1, 4, 4),
            (std::set<Position>{{2, 0, 1}, {2, 0, 2}, {2, 1, 1}, {3, 0, 1}, {3, 1, 0}, {3, 1, 1}}));
  // The last column of an odd row paints the shape of its left neighbour.
  EXPECT_EQ(Painted(3, 1, 4, 4), Painted(2, 1, 4, 4));
  EXPECT_EQ(Painted(0, 3, 4, 4), std::set<Position>{});
  // T2[2][4] is the next position of the layer, T2[3][0].
  EXPECT_EQ(Painted(3, 3, 4, 4),
            (std::set<Position>{{2, 2, 3}, {2, 3, 0}, {2, 3, 3}, {3, 2, 3}, {3, 3, 2}, {3, 3, 3}}));
}

TEST(SetVertexTexture, OddHeightPlaces) {
  // 4 x 5: row 3 odd in the middle, row 4 the last and even.
  EXPECT_EQ(Painted(0, 3, 4, 5),
            (std::set<Position>{{2, 1, 3}, {2, 1, 0}, {2, 2, 0}, {3, 1, 3}, {3, 2, 3}, {3, 2, 0}}));
  EXPECT_EQ(Painted(0, 4, 4, 5),
            (std::set<Position>{{2, 3, 3}, {2, 3, 0}, {2, 4, 0}, {3, 3, 3}, {3, 4, 3}, {3, 4, 0}}));
  EXPECT_EQ(Painted(1, 4, 4, 5), std::set<Position>{});
  EXPECT_EQ(Painted(2, 4, 4, 5), std::set<Position>{});
  EXPECT_EQ(Painted(3, 4, 4, 5),
            (std::set<Position>{{2, 3, 2}, {2, 3, 3}, {2, 4, 3}, {3, 3, 2}, {3, 4, 2}, {3, 4, 3}}));
}

TEST(SetVertexTexture, NarrowAndFlatMaps) {
  // W = 2: column -1 of O(0, 1) in the second layer is the last triangle of row 0.
  EXPECT_EQ(Painted(1, 1, 2, 4),
            (std::set<Position>{{2, 0, 0}, {2, 0, 1}, {2, 1, 0}, {3, 0, 0}, {3, 0, 1}, {3, 1, 0}}));
  // One row: row -1 is row 0 itself.
  EXPECT_EQ(Painted(1, 0, 3, 1), (std::set<Position>{{2, 0, 0}, {2, 0, 1}, {3, 0, 0}, {3, 0, 1}}));
  // One column: every wrap lands in column 0.
  EXPECT_EQ(Painted(0, 1, 1, 3), (std::set<Position>{{2, 2, 0}, {2, 0, 0}, {3, 2, 0}, {3, 0, 0}}));
  EXPECT_EQ(Painted(0, 0, 1, 1), std::set<Position>{});
  // A vertex outside the map, or an image too short for the map, paints nothing.
  EXPECT_EQ(Painted(4, 0, 4, 4), std::set<Position>{});
  EXPECT_EQ(Painted(0, 4, 4, 4), std::set<Position>{});
  std::vector<std::uint8_t> short_image(MapLength(4, 4) - 1, 0);
  SetVertexTexture(2, 2, short_image, 99, 4, 4);
  EXPECT_EQ(std::count(short_image.begin(), short_image.end(), 99), 0);
}

TEST(GetCurrentTexture, UnpaintedColoursLeaveTheBlankTerrain) {
  for (std::uint8_t colour : {std::uint8_t{0}, std::uint8_t{13}}) {
    const auto bitmap = Make4BitBmp(8, 6, [&](auto, auto) { return colour; });
    EXPECT_EQ(Convert(bitmap), MakeBlankMap(8, 6));
  }
}

TEST(GetCurrentTexture, LaterStepWinsSharedTriangles) {
  // (1, 1) and (2, 1) in an odd row share T2[0][2] and T3[1][1].
  for (bool swapped : {false, true}) {
    const auto bitmap = Make4BitBmp(4, 4, [&](std::size_t x, std::size_t y) -> std::uint8_t {
      if (y != 1 || (x != 1 && x != 2)) return 0;
      return (x == 1) != swapped ? 8 : 12;
    });
    auto image = Convert(bitmap);
    EXPECT_EQ(Terrain(image, 2, 2, 0), 5) << swapped;  // colour 12 (step 14) over 8 (step 4)
    EXPECT_EQ(Terrain(image, 3, 1, 1), 5) << swapped;
    EXPECT_EQ(Terrain(image, 2, 1, 0), swapped ? 5 : 18) << swapped;  // painted by one only
  }
  for (bool swapped : {false, true}) {
    const auto bitmap = Make4BitBmp(4, 4, [&](std::size_t x, std::size_t y) -> std::uint8_t {
      if (y != 1 || (x != 1 && x != 2)) return 0;
      return (x == 1) != swapped ? 1 : 9;
    });
    auto image = Convert(bitmap);
    EXPECT_EQ(Terrain(image, 2, 2, 0), 16);
    EXPECT_EQ(Terrain(image, 3, 1, 1), 16);
  }
}

TEST(GetCurrentTexture, VerticesThatPaintNothingOfTheirOwn) {
  // Only the vertex under test has a painting colour; nothing changes.
  const auto only = [](std::size_t width, std::size_t height, std::size_t vx, std::size_t vy) {
    return Convert(Make4BitBmp(width, height, [=](std::size_t x, std::size_t y) {
      return static_cast<std::uint8_t>(x == vx && y == vy ? 7 : 0);
    }));
  };
  EXPECT_EQ(only(4, 4, 0, 0), MakeBlankMap(4, 4));
  EXPECT_EQ(only(4, 4, 0, 3), MakeBlankMap(4, 4));  // H even: column 0 of the last row
  EXPECT_EQ(only(6, 5, 1, 4), MakeBlankMap(6, 5));  // H odd: the middle of the last row
  EXPECT_EQ(only(6, 5, 4, 4), MakeBlankMap(6, 5));
  EXPECT_NE(only(6, 5, 0, 4), MakeBlankMap(6, 5));
  EXPECT_NE(only(6, 5, 5, 4), MakeBlankMap(6, 5));
}

TEST(GetCurrentTexture, ShortInputsChangeNothing) {
  auto image = MakeBlankMap(4, 4);
  const std::vector<std::uint8_t> codes(15, 16);
  GetCurrentTexture(image, codes, 4, 4);
  EXPECT_EQ(image, MakeBlankMap(4, 4));
  std::vector<std::uint8_t> short_image(MapLength(4, 4) - 1, 0);
  GetCurrentTexture(short_image, std::vector<std::uint8_t>(16, 16), 4, 4);
  EXPECT_EQ(short_image, std::vector<std::uint8_t>(MapLength(4, 4) - 1, 0));
}

// Many small random pictures, every size from 0 to 12 each way: the walk gives exactly
// what the 16 step-by-step scans give, on any prior terrain, and a converted map differs
// from the blank map only inside blocks 2 and 3.
TEST(GetCurrentTexture, RandomMapsMatchTheStepByStepWalk) {
  std::mt19937 random(20140809);
  for (std::size_t height = 0; height <= 12; ++height) {
    for (std::size_t width = 0; width <= 12; ++width) {
      for (int trial = 0; trial < 6; ++trial) {
        // Few colours make large patches; many make every border contested.
        const std::uint8_t colours = trial % 2 == 0 ? 3 : 16;
        std::vector<std::uint8_t> palette(colours);
        for (auto& colour : palette) colour = static_cast<std::uint8_t>(random() % 16);
        const auto bitmap =
            Make4BitBmp(width, height, [&](auto, auto) { return palette[random() % colours]; });
        const auto codes = Translate(bitmap);
        const auto blank = MakeBlankMap(width, height);

        auto fast = blank;
        GetCurrentTexture(fast, codes, width, height);
        auto stepwise = blank;
        WalkStepByStep(stepwise, codes, width, height);
        ASSERT_EQ(fast, stepwise) << width << " x " << height << " trial " << trial;

        const std::size_t n = width * height;
        const auto in_terrain = [&](std::size_t i) {
          return (i >= BlockDataOffset(2, n) && i < BlockDataOffset(2, n) + n) ||
                 (i >= BlockDataOffset(3, n) && i < BlockDataOffset(3, n) + n);
        };
        for (std::size_t i = 0; i < fast.size(); ++i) {
          if (in_terrain(i)) continue;
          ASSERT_EQ(fast[i], blank[i]) << width << " x " << height << " byte " << i;
        }

        // On terrain that is not blank, unpainted triangles keep what they had.
        auto noisy = blank;
        for (std::size_t i = 0; i < noisy.size(); ++i) {
          if (in_terrain(i)) noisy[i] = static_cast<std::uint8_t>(random());
        }
        auto noisy_stepwise = noisy;
        GetCurrentTexture(noisy, codes, width, height);
        WalkStepByStep(noisy_stepwise, codes, width, height);
        ASSERT_EQ(noisy, noisy_stepwise) << width << " x " << height << " trial " << trial;
      }
    }
  }
}

// Any byte in the code array, not only the ones the translation gives.
TEST(GetCurrentTexture, ArbitraryCodesMatchTheStepByStepWalk) {
  std::mt19937 random(7);
  for (std::size_t height = 1; height <= 9; ++height) {
    for (std::size_t width = 1; width <= 9; ++width) {
      std::vector<std::uint8_t> codes(width * height);
      for (auto& code : codes) code = static_cast<std::uint8_t>(random() % 40);
      auto fast = MakeBlankMap(width, height);
      auto stepwise = fast;
      GetCurrentTexture(fast, codes, width, height);
      WalkStepByStep(stepwise, codes, width, height);
      ASSERT_EQ(fast, stepwise) << width << " x " << height;
    }
  }
}

}  // namespace
}  // namespace plandrix
