// Placing one object: the coordinate questions and the two bytes written.
#include "tools/object_edit_tool.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "core/map_layout.h"
#include "support/test_maps.h"

namespace plandrix {
namespace {

using testing::At;
using testing::MakeBlankMap;

struct Placement {
  bool placed;
  std::string output;
  std::string rest;  // what the input still holds afterwards
};

Placement Place(std::vector<std::uint8_t>& image, const std::string& input,
                std::uint8_t object = 35) {
  std::istringstream in(input);
  std::ostringstream out;
  Console console{in, out};
  const bool placed = PlaceObjectAt(console, image, MapWidth(image), MapHeight(image), object);
  in.clear();
  std::string rest((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return {placed, out.str(), rest};
}

const std::string kX = "Enter the X-coordinate: ";
const std::string kY = "Enter the Y-coordinate: ";
const std::string kPlaced = "Object has been placed!\n\n";

TEST(PlaceObjectAt, WritesIndexAndTypeAtTheVertexOnly) {
  auto image = MakeBlankMap(10, 8);
  const auto before = image;
  const auto result = Place(image, "1\n2\n");
  EXPECT_TRUE(result.placed);
  EXPECT_EQ(result.output, kX + kY + kPlaced);
  const std::size_t b5 = BlockDataOffset(5, 80);
  const std::size_t b6 = BlockDataOffset(6, 80);
  EXPECT_EQ(b5, 2432u + 4 * 80);
  EXPECT_EQ(b6, 2448u + 5 * 80);
  for (std::size_t i = 0; i < image.size(); ++i) {
    if (i == b5 + 21) {
      EXPECT_EQ(image[i], 35);
    } else if (i == b6 + 21) {
      EXPECT_EQ(image[i], 200);
    } else {
      ASSERT_EQ(image[i], before[i]) << i;
    }
  }
}

TEST(PlaceObjectAt, CoordinatesMustLieInsideTheMap) {
  auto image = MakeBlankMap(64, 32);
  const auto result = Place(image, "64\n63\n32\n31\n");
  EXPECT_EQ(result.output, kX + kX + kY + kY + kPlaced);
  EXPECT_EQ(At(image, 5, 63, 31), 35);
  EXPECT_EQ(At(image, 6, 63, 31), 200);
}

TEST(PlaceObjectAt, NegativeAndHugeRepliesAreAskedAgain) {
  auto image = MakeBlankMap(8, 8);
  // -1 and 4294967296 do not fit; 4294967295 fits in 32 bits but is no column.
  const auto result = Place(image, "-1\n4294967296\n99999999999999999999999\n4294967295\n-0\n+3\n");
  EXPECT_EQ(result.output, kX + kX + kX + kX + kX + kY + kPlaced);
  EXPECT_EQ(At(image, 5, 0, 3), 35);
}

TEST(PlaceObjectAt, ReadsTheNumberAloneAndLeavesTheRestOfTheLine) {
  auto image = MakeBlankMap(8, 8);
  const auto result = Place(image, "4 5 6\n");
  EXPECT_EQ(result.output, kX + kY + kPlaced);
  EXPECT_EQ(At(image, 5, 4, 5), 35);
  EXPECT_EQ(result.rest, " 6\n");
}

TEST(PlaceObjectAt, ReplyWithoutNumberDropsItsLine) {
  auto image = MakeBlankMap(8, 8);
  // "abc 5" is thrown away whole, "-x" too; then 2 and 3 are read.
  const auto result = Place(image, "abc 5\n-x 7\n2\n3\n");
  EXPECT_EQ(result.output, kX + kX + kX + kY + kPlaced);
  EXPECT_EQ(At(image, 5, 2, 3), 35);
  EXPECT_EQ(At(image, 5, 5, 0), 0);
}

TEST(PlaceObjectAt, EndOfInputAbandonsWithNothingWritten) {
  for (const std::string input : {"", "3\n", "3\n9\n", "abc\n", "3 -"}) {
    auto image = MakeBlankMap(8, 8);
    const auto before = image;
    const auto result = Place(image, input);
    EXPECT_FALSE(result.placed) << input;
    EXPECT_EQ(result.output.find("Object has been placed!"), std::string::npos) << input;
    EXPECT_EQ(image, before) << input;
  }
}

TEST(PlaceObjectAt, EmptyMapReportsItsSizeOnceAndAsksNothing) {
  for (auto [width, height] : {std::pair{0u, 5u}, std::pair{5u, 0u}, std::pair{0u, 0u}}) {
    auto image = MakeBlankMap(width, height);
    const auto before = image;
    const auto result = Place(image, "0\n0\n");
    EXPECT_FALSE(result.placed);
    EXPECT_EQ(result.output, "Something seems to be wrong, check the Mapsize with Option '17'!\n");
    EXPECT_EQ(result.rest, "0\n0\n");
    EXPECT_EQ(image, before);
  }
}

TEST(PlaceObjectAt, PositionsBeyondTheImageAreRefusedOneByOne) {
  // An image cut inside block 6: the object index fits, the type does not.
  auto image = MakeBlankMap(4, 4);
  image.resize(BlockDataOffset(6, 16) + 5);
  const auto result = Place(image, "3\n3\n", 40);
  EXPECT_TRUE(result.placed);
  EXPECT_EQ(
      result.output,
      kX + kY + "Something seems to be wrong, check the Mapsize with Option '17'!\n" + kPlaced);
  EXPECT_EQ(image[BlockDataOffset(5, 16) + 15], 40);
  // Cut before block 5: both writes are refused.
  image.resize(BlockDataOffset(5, 16));
  const auto both = Place(image, "0\n0\n", 40);
  EXPECT_EQ(both.output,
            kX + kY + "Something seems to be wrong, check the Mapsize with Option '17'!\n" +
                "Something seems to be wrong, check the Mapsize with Option '17'!\n" + kPlaced);
}

TEST(PlaceObjectAt, SecondObjectAtTheSameVertexWins) {
  auto image = MakeBlankMap(8, 8);
  Place(image, "2 2\n", 11);
  Place(image, "2 2\n", 48);
  EXPECT_EQ(At(image, 5, 2, 2), 48);
  EXPECT_EQ(At(image, 6, 2, 2), 200);
}

}  // namespace
}  // namespace plandrix
