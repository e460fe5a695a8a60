#include "random/terrain_classes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iomanip>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "core/map_layout.h"
#include "support/test_maps.h"

namespace plandrix {
namespace {

using testing::At;
using testing::FillBlock;
using testing::MakeBlankMap;

// The classes written out by hand, independently of the program's tables.
// -1 stands for "unlisted: 17 after a warning".
int ExpectedTerrainClass(int code) {
  switch (code) {
    case 0:
    case 4:
    case 7:
    case 14:
      return 0;
    case 1:
    case 11:
    case 12:
    case 13:
    case 34:
      return 1;
    case 2:
      return 2;
    case 3:
      return 3;
    case 5:
    case 6:
    case 19:
      return 5;
    case 8:
    case 9:
    case 10:
    case 15:
      return 8;
    case 16:
    case 20:
    case 21:
    case 22:
      return 16;
    case 18:
      return 18;
    case 64:
    case 72:
    case 73:
    case 74:
    case 78:
    case 79:
    case 82:
    case 98:
      return 17;
    default:
      return -1;
  }
}

int ExpectedTriangleClass(int code) {
  switch (code) {
    case 5:
    case 6:
    case 19:
      return 1;
    case 0:
    case 8:
    case 9:
    case 10:
    case 14:
    case 15:
    case 18:
      return 2;
    case 1:
    case 11:
    case 12:
    case 13:
    case 34:
      return 3;
    default:
      return 0;
  }
}

std::string Warning(std::size_t index, int code) {
  std::ostringstream text;
  text << "Warning: Some map information couldn't be read!\nBlock2,Position:" << index
       << "\nInformation: " << std::uppercase << std::hex << code << '\n';
  return text.str();
}

TEST(TerrainClass, EveryCodeHasItsClassAndOnlyUnlistedCodesWarn) {
  // 16 x 16 vertices: vertex i holds code i in block 2.
  auto image = MakeBlankMap(16, 16);
  FillBlock(image, 2,
            [](std::size_t x, std::size_t y) { return static_cast<std::uint8_t>(y * 16 + x); });
  for (int code = 0; code < 256; ++code) {
    std::ostringstream out;
    const std::uint8_t got = GetTerrainClass(image, 256, static_cast<std::size_t>(code), out);
    const int expected = ExpectedTerrainClass(code);
    EXPECT_EQ(got, expected < 0 ? 17 : expected) << "code " << code;
    EXPECT_EQ(out.str(), expected < 0 ? Warning(static_cast<std::size_t>(code), code) : "")
        << "code " << code;
  }
}

TEST(TerrainClass, WarningLinesAreExactAndRepeatEveryLook) {
  auto image = MakeBlankMap(300, 2);  // n = 600: positions beyond 255 and 511
  const std::size_t n = 600;
  Block(std::span<std::uint8_t>(image), 2, n)[517] = 0xAB;
  Block(std::span<std::uint8_t>(image), 2, n)[3] = 17;
  std::ostringstream out;
  out << std::hex;  // the caller's formatting must not leak into the position
  EXPECT_EQ(GetTerrainClass(image, n, 517, out), 17);
  EXPECT_EQ(GetTerrainClass(image, n, 517, out), 17);
  EXPECT_EQ(GetTerrainClass(image, n, 3, out), 17);
  EXPECT_EQ(out.str(),
            "Warning: Some map information couldn't be read!\nBlock2,Position:517\n"
            "Information: AB\n"
            "Warning: Some map information couldn't be read!\nBlock2,Position:517\n"
            "Information: AB\n"
            "Warning: Some map information couldn't be read!\nBlock2,Position:3\n"
            "Information: 11\n");
  // Reads block 2 only: the same index in block 3 does not matter.
  std::ostringstream quiet;
  Block(std::span<std::uint8_t>(image), 3, n)[4] = 200;
  EXPECT_EQ(GetTerrainClass(image, n, 4, quiet), 5);
  EXPECT_EQ(quiet.str(), "");
}

// GetVertexClass ---------------------------------------------------------------------

TEST(VertexClass, EveryCodeHasItsTriangleClass) {
  for (int code = 0; code < 256; ++code) {
    auto image = MakeBlankMap(5, 5);
    const auto value = static_cast<std::uint8_t>(code);
    FillBlock(image, 2, [&](std::size_t, std::size_t) { return value; });
    FillBlock(image, 3, [&](std::size_t, std::size_t) { return value; });
    EXPECT_EQ(GetVertexClass(image, 5, 5, 2, 2), ExpectedTriangleClass(code)) << code;
    EXPECT_EQ(GetVertexClass(image, 5, 5, 2, 1), ExpectedTriangleClass(code)) << code;
  }
}

TEST(VertexClass, MixedWaterCodesCountAsOneClassAndOneLandTriangleBreaksIt) {
  auto image = MakeBlankMap(5, 5);
  // Vertex (2, 2), even row: T2(1,1), T2(2,1), T2(2,2), T3(1,1), T3(1,2), T3(2,2).
  At(image, 2, 1, 1) = 5;
  At(image, 2, 2, 1) = 6;
  At(image, 2, 2, 2) = 19;
  At(image, 3, 1, 1) = 5;
  At(image, 3, 1, 2) = 5;
  At(image, 3, 2, 2) = 6;
  EXPECT_EQ(GetVertexClass(image, 5, 5, 2, 2), 1);
  At(image, 3, 1, 2) = 1;
  EXPECT_EQ(GetVertexClass(image, 5, 5, 2, 2), 0);
}

TEST(VertexClass, CodesFourSevenAndEighteen) {
  auto image = MakeBlankMap(5, 5);
  FillBlock(image, 2, [](std::size_t, std::size_t) { return std::uint8_t{4}; });
  FillBlock(image, 3, [](std::size_t, std::size_t) { return std::uint8_t{7}; });
  EXPECT_EQ(GetVertexClass(image, 5, 5, 2, 2), 0);  // terrain class 0, triangle class 0
  FillBlock(image, 2, [](std::size_t, std::size_t) { return std::uint8_t{18}; });
  FillBlock(image, 3, [](std::size_t, std::size_t) { return std::uint8_t{0}; });
  EXPECT_EQ(GetVertexClass(image, 5, 5, 2, 2), 2);
  FillBlock(image, 3, [](std::size_t, std::size_t) { return std::uint8_t{14}; });
  EXPECT_EQ(GetVertexClass(image, 5, 5, 2, 2), 2);
}

using Triangle = std::tuple<int, std::size_t, std::size_t>;  // block, x, y

// Finds the triangles that a vertex reads by turning one triangle at a time from water
// into land on an all-water map and watching the vertex class drop to 0.
std::set<Triangle> ReadSet(std::size_t width, std::size_t height, std::size_t x, std::size_t y) {
  auto image = MakeBlankMap(width, height);  // codes 5 everywhere: water
  std::set<Triangle> read;
  EXPECT_EQ(GetVertexClass(image, width, height, x, y), 1);
  for (int block : {2, 3}) {
    for (std::size_t ty = 0; ty < height; ++ty) {
      for (std::size_t tx = 0; tx < width; ++tx) {
        At(image, block, tx, ty) = 1;
        if (GetVertexClass(image, width, height, x, y) == 0) read.insert({block, tx, ty});
        At(image, block, tx, ty) = 5;
      }
    }
  }
  return read;
}

TEST(VertexClass, EvenAndOddRowNeighbourhoods) {
  // Even row, inner vertex.
  EXPECT_EQ(ReadSet(5, 5, 2, 2),
            (std::set<Triangle>{{2, 1, 1}, {2, 2, 1}, {2, 2, 2}, {3, 1, 1}, {3, 1, 2}, {3, 2, 2}}));
  // Odd row, inner vertex: the row above is met one column further right.
  EXPECT_EQ(ReadSet(5, 5, 2, 1),
            (std::set<Triangle>{{2, 3, 0}, {2, 2, 0}, {2, 2, 1}, {3, 2, 0}, {3, 2, 1}, {3, 1, 1}}));
  EXPECT_EQ(ReadSet(5, 6, 1, 3),
            (std::set<Triangle>{{2, 2, 2}, {2, 1, 2}, {2, 1, 3}, {3, 1, 2}, {3, 1, 3}, {3, 0, 3}}));
}

TEST(VertexClass, RowZeroTakesTheLastRowAbove) {
  EXPECT_EQ(ReadSet(5, 5, 2, 0),
            (std::set<Triangle>{{2, 1, 4}, {2, 2, 4}, {2, 2, 0}, {3, 1, 4}, {3, 1, 0}, {3, 2, 0}}));
  EXPECT_EQ(ReadSet(5, 4, 4, 0),
            (std::set<Triangle>{{2, 3, 3}, {2, 4, 3}, {2, 4, 0}, {3, 3, 3}, {3, 3, 0}, {3, 4, 0}}));
}

TEST(VertexClass, EdgeColumns) {
  // Last column of an inner odd row: the set of its left neighbour.
  EXPECT_EQ(ReadSet(5, 5, 4, 1), ReadSet(5, 5, 3, 1));
  EXPECT_EQ(ReadSet(5, 5, 4, 1),
            (std::set<Triangle>{{2, 4, 0}, {2, 3, 0}, {2, 3, 1}, {3, 3, 0}, {3, 3, 1}, {3, 2, 1}}));
  // Last column of the last row when it is odd: the step right lands on (0, y).
  EXPECT_EQ(ReadSet(5, 4, 4, 3),
            (std::set<Triangle>{{2, 0, 3}, {2, 4, 2}, {2, 4, 3}, {3, 4, 2}, {3, 4, 3}, {3, 3, 3}}));
  EXPECT_EQ(ReadSet(5, 4, 2, 3),
            (std::set<Triangle>{{2, 3, 2}, {2, 2, 2}, {2, 2, 3}, {3, 2, 2}, {3, 2, 3}, {3, 1, 3}}));
  // Column 0 of an even row wraps to the last column of the same rows.
  const std::set<Triangle> even_start = {{2, 0, 1}, {2, 4, 1}, {2, 0, 2},
                                         {3, 4, 1}, {3, 0, 2}, {3, 4, 2}};
  EXPECT_EQ(ReadSet(5, 6, 0, 2), even_start);
  // Column 0 of an inner odd row from row 3 on: the set of the vertex above it.
  EXPECT_EQ(ReadSet(5, 6, 0, 3), even_start);
  // Column 0 of the last row when it is even.
  EXPECT_EQ(ReadSet(5, 5, 0, 4),
            (std::set<Triangle>{{2, 0, 3}, {2, 4, 3}, {2, 0, 4}, {3, 4, 3}, {3, 0, 4}, {3, 4, 4}}));
  // Last column of an even row, the last row included.
  EXPECT_EQ(ReadSet(5, 5, 4, 4),
            (std::set<Triangle>{{2, 3, 3}, {2, 4, 3}, {2, 4, 4}, {3, 3, 3}, {3, 3, 4}, {3, 4, 4}}));
  EXPECT_EQ(ReadSet(5, 5, 4, 2),
            (std::set<Triangle>{{2, 3, 1}, {2, 4, 1}, {2, 4, 2}, {3, 3, 1}, {3, 3, 2}, {3, 4, 2}}));
}

TEST(VertexClass, LeftOutVerticesAndSmallMapsHaveClassZero) {
  const auto all_water_class = [](std::size_t width, std::size_t height, std::size_t x,
                                  std::size_t y) {
    const auto image = MakeBlankMap(width, height);
    return GetVertexClass(image, width, height, x, y);
  };
  EXPECT_EQ(all_water_class(5, 5, 0, 0), 0);
  EXPECT_EQ(all_water_class(5, 5, 0, 1), 0);
  EXPECT_EQ(all_water_class(5, 4, 0, 3), 0);  // last row odd, column 0
  EXPECT_EQ(all_water_class(5, 6, 0, 5), 0);
  for (std::size_t x = 1; x <= 3; ++x) EXPECT_EQ(all_water_class(5, 5, x, 4), 0);  // even last
  // Everything else of a 5 x 5 water map is class 1.
  int water = 0;
  const auto image = MakeBlankMap(5, 5);
  for (std::size_t y = 0; y < 5; ++y) {
    for (std::size_t x = 0; x < 5; ++x) water += GetVertexClass(image, 5, 5, x, y) == 1;
  }
  EXPECT_EQ(water, 25 - 5);
  // Fewer than three rows or columns: class 0 everywhere.
  for (std::size_t width = 1; width <= 4; ++width) {
    for (std::size_t height = 1; height <= 4; ++height) {
      if (width >= 3 && height >= 3) continue;
      for (std::size_t y = 0; y < height; ++y) {
        for (std::size_t x = 0; x < width; ++x) {
          EXPECT_EQ(all_water_class(width, height, x, y), 0) << width << "x" << height;
        }
      }
    }
  }
}

TEST(VertexClass, EveryTriangleReadLiesInsideTheTerrainBlocks) {
  for (std::size_t width = 0; width <= 7; ++width) {
    for (std::size_t height = 0; height <= 7; ++height) {
      const std::size_t n = width * height;
      for (std::size_t y = 0; y < height; ++y) {
        for (std::size_t x = 0; x < width; ++x) {
          const auto triangles = FindVertexTriangles(width, height, x, y);
          if (!triangles) continue;
          for (std::size_t index : triangles->first) ASSERT_LT(index, n);
          for (std::size_t index : triangles->second) ASSERT_LT(index, n);
        }
      }
    }
  }
}

}  // namespace
}  // namespace plandrix
