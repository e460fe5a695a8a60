#include "tools/height_map_tool.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "core/map_layout.h"
#include "support/test_maps.h"
#include "transform/test_bitmaps.h"

namespace plandrix {
namespace {

using testing::Make8BitBmp;
using testing::MakeBlankMap;

constexpr const char* kBlack =
    "Are you using black (0x00) as default height(10)? (1 = yes, else = no)\n";
constexpr const char* kHelp = "Maybe I could help you, should I? (1 = yes, else = no)\n";
constexpr const char* kRestart =
    "I would also restart the task for you.\n"
    "(Your heightmap has extreme heights which are not working in SettlersII)\n";
constexpr const char* kCut = "Warning: Changed height information!\n";

std::string Extreme(std::size_t row, std::size_t id, int difference) {
  return "Warning: Extreme heights detected\nRow: " + std::to_string(row) +
         "\nID: " + std::to_string(id) + "\nDifference: " + std::to_string(difference) + "\n";
}

std::string Problems(int count) {
  return "You got 99 Problems, but the Converter found " + std::to_string(count) +
         ". Get your shit together!\n";
}

struct Applied {
  bool result = false;
  std::string output;
  std::vector<std::uint8_t> image;
  std::vector<std::uint8_t> heights;
};

// Applies bitmap to a blank map of width x height with the typed answers.
Applied Apply(std::size_t width, std::size_t height, const std::vector<std::uint8_t>& bitmap,
              const std::string& answers) {
  std::istringstream in(answers);
  std::ostringstream out;
  Console console{in, out};
  Applied applied;
  applied.image = MakeBlankMap(width, height);
  applied.result = ApplyHeightMap(console, applied.image, bitmap);
  applied.output = out.str();
  const auto heights = Block(std::span<const std::uint8_t>(applied.image), 1, width * height);
  applied.heights.assign(heights.begin(), heights.end());
  return applied;
}

// An 8-bit bitmap of one row.
std::vector<std::uint8_t> Row(const std::vector<std::uint8_t>& pixels) {
  return Make8BitBmp(pixels.size(), 1, [&](std::size_t x, std::size_t) { return pixels[x]; });
}

std::string Opening(std::size_t width, std::size_t height, std::size_t start) {
  return " " + std::to_string(width) + "\n " + std::to_string(height) + "\n " +
         std::to_string(start) + "\n" + kBlack;
}

TEST(ApplyHeightMap, StepOfSixWarnsAndStepOfFiveDoesNot) {
  const auto warned = Apply(2, 1, Row({40, 64}), "0\n0\n");
  EXPECT_TRUE(warned.result);
  EXPECT_EQ(warned.output, Opening(2, 1, 1078) + Extreme(0, 1, 6) + kHelp + Problems(1));
  EXPECT_EQ(warned.heights, (std::vector<std::uint8_t>{10, 16}));

  const auto quiet = Apply(2, 1, Row({40, 60}), "0\n");
  EXPECT_EQ(quiet.output, Opening(2, 1, 1078));
  EXPECT_EQ(quiet.heights, (std::vector<std::uint8_t>{10, 15}));

  // Downward steps count the same; -5 is fine.
  EXPECT_EQ(Apply(2, 1, Row({60, 40}), "0\n").output, Opening(2, 1, 1078));
  EXPECT_EQ(Apply(2, 1, Row({64, 40}), "0\n0\n").output,
            Opening(2, 1, 1078) + Extreme(0, 1, -6) + kHelp + Problems(1));
}

TEST(ApplyHeightMap, BlackQuestionAddsTen) {
  const auto black = Apply(2, 1, Row({0, 8}), "1\n");
  EXPECT_EQ(black.output, Opening(2, 1, 1078));
  EXPECT_EQ(black.heights, (std::vector<std::uint8_t>{10, 12}));
  // Any other answer, and the end of input, mean no.
  EXPECT_EQ(Apply(2, 1, Row({0, 8}), "2\n").heights, (std::vector<std::uint8_t>{0, 2}));
  EXPECT_EQ(Apply(2, 1, Row({0, 8}), "").heights, (std::vector<std::uint8_t>{0, 2}));
}

TEST(ApplyHeightMap, WhiteIsCutToSixtyTwo) {
  const auto with_offset = Apply(1, 1, Row({255}), "1\n");
  EXPECT_EQ(with_offset.output, Opening(1, 1, 1078) + kCut);
  EXPECT_EQ(with_offset.heights, std::vector<std::uint8_t>{62});
  const auto without = Apply(1, 1, Row({255}), "0\n");
  EXPECT_EQ(without.output, Opening(1, 1, 1078) + kCut);
  EXPECT_EQ(without.heights, std::vector<std::uint8_t>{62});
  // 248 / 4 = 62 stays without a word.
  EXPECT_EQ(Apply(1, 1, Row({248}), "0\n").output, Opening(1, 1, 1078));
}

TEST(ApplyHeightMap, AcceptedHelpRestartsWithALargerDivisor) {
  // Divisor 4: 0, 7 is a step at ID 1. Divisor 5: 0, 5, 0, 12 has a step at ID 3 only.
  const auto applied = Apply(4, 1, Row({0, 28, 0, 60}), "0\n1\n0\n");
  EXPECT_EQ(applied.output, Opening(4, 1, 1078) + Extreme(0, 1, 7) + kHelp + kRestart +
                                Extreme(0, 3, 12) + kHelp + Problems(1));
  EXPECT_EQ(applied.heights, (std::vector<std::uint8_t>{0, 5, 0, 12}));

  // Help can be taken again and again; the offset stays, the black question is not asked
  // again. Divisor 6: 10, 14, 10, 20 (step 10 at ID 3); divisor 7: 10, 14, 10, 18 (8) ...
  const auto again = Apply(4, 1, Row({0, 28, 0, 60}), "1\n1\n1\n0\n");
  EXPECT_EQ(again.output, Opening(4, 1, 1078) + Extreme(0, 1, 7) + kHelp + kRestart +
                              Extreme(0, 3, 12) + kHelp + kRestart + Extreme(0, 3, 10) + kHelp +
                              Problems(1));
  EXPECT_EQ(again.heights, (std::vector<std::uint8_t>{10, 14, 10, 20}));
}

TEST(ApplyHeightMap, RestartComparesTheFirstPixelWithItsOwnHeight) {
  // Divisor 4: 63 (cut to 62), 50 warns at ID 1. Divisor 5: the first pixel is 51,
  // compared with 51 and not with the 62 of the first pass, so the next warning is again
  // at ID 1.
  const auto applied = Apply(2, 1, Row({255, 200}), "0\n1\n0\n");
  EXPECT_EQ(applied.output, Opening(2, 1, 1078) + kCut + Extreme(0, 1, -12) + kHelp + kRestart +
                                Extreme(0, 1, -11) + kHelp + Problems(1));
  EXPECT_EQ(applied.heights, (std::vector<std::uint8_t>{51, 40}));
}

TEST(ApplyHeightMap, RefusedHelpCountsEveryLaterStep) {
  // Across the row end too: the last pixel of row 0 is compared with the first of row 1.
  const auto bitmap = Make8BitBmp(
      2, 2, [](std::size_t x, std::size_t) { return static_cast<std::uint8_t>(x == 1 ? 40 : 0); });
  const auto applied = Apply(2, 2, bitmap, "0\n0\n");
  EXPECT_EQ(applied.output, Opening(2, 2, 1078) + Extreme(0, 1, 10) + kHelp + Extreme(1, 0, -10) +
                                Extreme(1, 1, 10) + Problems(3));
  EXPECT_EQ(applied.heights, (std::vector<std::uint8_t>{0, 10, 0, 10}));
}

TEST(ApplyHeightMap, ThreeStepsAfterRefusal) {
  const auto applied = Apply(4, 1, Row({0, 40, 0, 40}), "0\n2\n");
  EXPECT_EQ(applied.output, Opening(4, 1, 1078) + Extreme(0, 1, 10) + kHelp + Extreme(0, 2, -10) +
                                Extreme(0, 3, 10) + Problems(3));
  EXPECT_EQ(applied.heights, (std::vector<std::uint8_t>{0, 10, 0, 10}));
}

TEST(ApplyHeightMap, RowsAreTheLastBytesBottomUpWithoutPadding) {
  // Width 6 stored with 2 bytes of padding per row: the last 12 bytes are the end of the
  // bottom row, its padding, the top row's first four pixels... read as two rows of 6.
  const std::vector<std::uint8_t> top = {40, 44, 48, 52, 56, 60};
  const std::vector<std::uint8_t> bottom = {44, 48, 52, 56, 60, 64};
  const auto bitmap = Make8BitBmp(
      6, 2, [&](std::size_t x, std::size_t y) { return (y == 0 ? top : bottom)[x]; }, 2, 56);
  ASSERT_EQ(bitmap.size(), 1078u + 16);
  const auto applied = Apply(6, 2, bitmap, "0\n");
  EXPECT_EQ(applied.output, Opening(6, 2, 1082));
  // Map row 0 is the last stored row: 48 52 56 60 (top) and the padding 56 56.
  // Map row 1: 60 64 (bottom), 56 56 (padding), 40 44 (top).
  EXPECT_EQ(applied.heights,
            (std::vector<std::uint8_t>{12, 13, 14, 15, 14, 14, 15, 16, 14, 14, 10, 11}));
}

TEST(ApplyHeightMap, ShortBitmapIsRefusedAndNothingWritten) {
  const std::vector<std::uint8_t> bitmap(15, 200);
  const auto applied = Apply(4, 4, bitmap, "0\n");
  EXPECT_FALSE(applied.result);
  EXPECT_EQ(applied.output, "ERROR: BMP file is too short for its size!\n");
  EXPECT_EQ(applied.image, MakeBlankMap(4, 4));

  // Exactly N bytes is enough: the pixels start at 0.
  const auto exact = Apply(4, 4, std::vector<std::uint8_t>(16, 40), "0\n");
  EXPECT_TRUE(exact.result);
  EXPECT_EQ(exact.output, Opening(4, 4, 0));
  EXPECT_EQ(exact.heights, std::vector<std::uint8_t>(16, 10));
}

TEST(ApplyHeightMap, EmptyMapAsksAndWritesNothing) {
  const auto applied = Apply(0, 5, std::vector<std::uint8_t>(3, 0), "1\n");
  EXPECT_TRUE(applied.result);
  EXPECT_EQ(applied.output, Opening(0, 5, 3));
  EXPECT_EQ(applied.image, MakeBlankMap(0, 5));
}

TEST(ApplyHeightMap, IncompleteImageIsLeftAlone) {
  std::istringstream in("1\n");
  std::ostringstream out;
  Console console{in, out};
  auto image = MakeBlankMap(4, 4);
  image.pop_back();
  const auto before = image;
  EXPECT_FALSE(ApplyHeightMap(console, image, std::vector<std::uint8_t>(100, 0)));
  EXPECT_EQ(image, before);
  EXPECT_EQ(out.str(), "");
}

}  // namespace
}  // namespace plandrix
