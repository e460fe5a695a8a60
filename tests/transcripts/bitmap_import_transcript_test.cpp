// Whole dialogues of the bitmap conversion (option 2) and the height-map import (option 9).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/map_layout.h"
#include "support/run_program.h"
#include "support/test_maps.h"
#include "transform/test_bitmaps.h"

namespace plandrix {
namespace {

using testing::Files;
using testing::Make4BitBmp;
using testing::Make8BitBmp;
using testing::MakeBlankMap;
using testing::MenuText;
using testing::QuitText;
using testing::RunProgram;

const std::string kBmpPrompt = "Please enter the BMP-Filename (.bmp) or 0 to abort.\nFilename: ";
const std::string kMapPrompt =
    "Please enter the Map-Filename (.swd/.wld) or 0 to abort.\nFilename: ";
const std::string kLoaded = "Map has been loaded!\n";
const std::string kAborted = "Loading file has been aborted!\n";
const std::string kTooShort = "ERROR: BMP file is too short for its size!\n";
const std::string kLargeMap =
    "\nWarning: This is a large map!\nSome functions maybe need some time!\nPlease be "
    "patient...\n";
const std::string kHeightBanner = "Let's add some Heightmaps...\n";
const std::string kBlack =
    "Are you using black (0x00) as default height(10)? (1 = yes, else = no)\n";

std::string Saved(const std::string& name) {
  return "\nMap has been saved!\nName:" + name + "\n\n";
}

// The menu, one tool run with the given output, the menu again and the farewell.
std::string Session(const std::string& tool_output) {
  return MenuText() + "\n" + tool_output + QuitText();
}

// A 2 x 2 picture: top row colours 3 and 7, bottom row 10 and 14, stored bottom-up.
std::vector<std::uint8_t> TwoByTwoBitmap() {
  auto bitmap = testing::BmpHeader(2, 2, 4, 118);
  bitmap.insert(bitmap.end(), {0xAE, 0, 0, 0, 0x37, 0, 0, 0});
  return bitmap;
}

TEST(BmpSwdTranscript, OneColourOfAnyWidthPaintsEveryTriangle) {
  // Odd widths are read with their real row length: no band of blank terrain.
  for (const auto& [width, height] : {std::pair<std::size_t, std::size_t>{33, 20}, {31, 7}}) {
    const auto bitmap = Make4BitBmp(width, height, [](std::size_t, std::size_t) { return 2; });
    const auto result = RunProgram("2\npic.bmp\n0\n", {{"pic.bmp", bitmap}});
    auto expected = MakeBlankMap(width, height);
    testing::FillBlock(expected, kTerrainBlock1, [](std::size_t, std::size_t) { return 8; });
    testing::FillBlock(expected, kTerrainBlock2, [](std::size_t, std::size_t) { return 8; });
    EXPECT_EQ(result.output, Session(kBmpPrompt + kLoaded + Saved("nTavik.wld"))) << width;
    EXPECT_EQ(result.written.at("nTavik.wld"), expected) << width;
  }
}

TEST(BmpSwdTranscript, ConvertsAndSavesTavik) {
  const auto result = RunProgram("2\npic.bmp\n0\n", {{"pic.bmp", TwoByTwoBitmap()}});
  EXPECT_EQ(result.exit_status, 0);
  EXPECT_EQ(result.output, Session(kBmpPrompt + kLoaded + Saved("nTavik.wld")));
  // (1, 0) paints texture 1 first, then (1, 1) paints 15 over the triangles they share;
  // (0, 0) and (0, 1) paint nothing of their own.
  auto expected = MakeBlankMap(2, 2);
  const std::vector<std::uint8_t> first = {5, 15, 15, 15};
  const std::vector<std::uint8_t> second = {1, 15, 15, 15};
  for (std::size_t i = 0; i < 4; ++i) {
    expected[BlockDataOffset(2, 4) + i] = first[i];
    expected[BlockDataOffset(3, 4) + i] = second[i];
  }
  ASSERT_EQ(expected.size(), 14u * 2 * 2 + 2577);
  EXPECT_EQ(result.written, (Files{{"nTavik.wld", expected}}));
}

TEST(BmpSwdTranscript, LargePictureWarnsAndEmptyPictureGivesBlankMap) {
  const auto large =
      RunProgram("2\nwide.bmp\n0\n",
                 {{"wide.bmp", Make4BitBmp(256, 2, [](auto, auto) { return std::uint8_t{13}; })}});
  EXPECT_EQ(large.output, Session(kBmpPrompt + kLoaded + kLargeMap + Saved("nTavik.wld")));
  EXPECT_EQ(large.written, (Files{{"nTavik.wld", MakeBlankMap(256, 2)}}));

  const auto empty =
      RunProgram("2\nnone.bmp\n0\n", {{"none.bmp", testing::BmpHeader(0, 7, 4, 118)}});
  EXPECT_EQ(empty.output, Session(kBmpPrompt + kLoaded + Saved("nTavik.wld")));
  ASSERT_EQ(empty.written.count("nTavik.wld"), 1u);
  EXPECT_EQ(empty.written.at("nTavik.wld").size(), 2577u);
  EXPECT_EQ(empty.written, (Files{{"nTavik.wld", MakeBlankMap(0, 7)}}));
}

TEST(BmpSwdTranscript, AbortedOrShortBitmapWritesNothing) {
  const auto aborted = RunProgram("2\n0\n0\n", {{"pic.bmp", TwoByTwoBitmap()}});
  EXPECT_EQ(aborted.output, Session(kBmpPrompt + kAborted));
  EXPECT_TRUE(aborted.written.empty());

  auto one_short = TwoByTwoBitmap();
  one_short.pop_back();
  auto huge = testing::BmpHeader(65535, 65535, 4, 118);
  huge.resize(24);
  for (const auto& bitmap :
       {one_short, std::vector<std::uint8_t>(23, 0), huge, std::vector<std::uint8_t>{}}) {
    const auto result = RunProgram("2\npic.bmp\n0\n", {{"pic.bmp", bitmap}});
    EXPECT_EQ(result.output, Session(kBmpPrompt + kLoaded + kTooShort)) << bitmap.size();
    EXPECT_TRUE(result.written.empty()) << bitmap.size();
  }
}

TEST(BmpSwdTranscript, BitmapCalledLikeTheOutputIsNotOverwritten) {
  const auto result = RunProgram("2\nnTavik.wld\n0\n", {{"nTavik.wld", TwoByTwoBitmap()}});
  EXPECT_EQ(result.output,
            Session(kBmpPrompt + kLoaded + "\nERROR: Unable to save File: nTavik.wld\n\n"));
  EXPECT_TRUE(result.written.empty());
}

TEST(BmpSwdTranscript, MapTooLargeForMemoryIsReported) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer needs more address space than the limit leaves";
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
  GTEST_SKIP() << "the address sanitizer needs more address space than the limit leaves";
#endif
#endif
  // 4096 x 2048 needs a map of 117 MB; the address space is held to about 80 MB.
  auto bitmap = testing::BmpHeader(4096, 2048, 4, 118);
  bitmap.resize(118 + 2048 * 2048, 0x77);
  testing::RunOptions options;
  options.prelude = "ulimit -v 80000";
  const auto result = RunProgram("2\nbig.bmp\n0\n", {{"big.bmp", bitmap}}, options);
  EXPECT_EQ(result.output,
            Session(kBmpPrompt + kLoaded + "ERROR: Not enough memory for this map!\n"));
  EXPECT_TRUE(result.written.empty());
}

// An 8-bit bitmap whose pixels are all value.
std::vector<std::uint8_t> Grey(std::size_t width, std::size_t height, std::uint8_t value) {
  return Make8BitBmp(width, height, [=](auto, auto) { return value; });
}

TEST(ApplyHeightMapTranscript, OddSizesWarnButFittingBitmapIsApplied) {
  const auto result = RunProgram("9\nm.swd\nh.bmp\n0\n0\n",
                                 {{"m.swd", MakeBlankMap(65, 64)}, {"h.bmp", Grey(65, 64, 48)}});
  EXPECT_EQ(result.exit_status, 0);
  EXPECT_EQ(result.output,
            Session(kHeightBanner + kMapPrompt + kLoaded + kBmpPrompt + kLoaded +
                    "Warning, your BMP Sizes are not even or 0!\nBMP to SWD will stop now!\n" +
                    " 65\n 64\n 1078\n" + kBlack + Saved("nm.swd")));
  auto expected = MakeBlankMap(65, 64);
  testing::FillBlock(expected, 1, [](auto, auto) { return std::uint8_t{12}; });
  EXPECT_EQ(result.written, (Files{{"nm.swd", expected}}));
}

TEST(ApplyHeightMapTranscript, AcceptedHelpRestartsBeforeSaving) {
  const auto bitmap = Make8BitBmp(4, 2, [](std::size_t x, std::size_t y) {
    return static_cast<std::uint8_t>(y == 0 && x == 1 ? 28 : 0);
  });
  const auto result =
      RunProgram("9\nm.swd\nh.bmp\n0\n1\n0\n", {{"m.swd", MakeBlankMap(4, 2)}, {"h.bmp", bitmap}});
  EXPECT_EQ(result.output,
            Session(kHeightBanner + kMapPrompt + kLoaded + kBmpPrompt + kLoaded +
                    " 4\n 2\n 1078\n" + kBlack +
                    "Warning: Extreme heights detected\nRow: 0\nID: 1\nDifference: 7\n"
                    "Maybe I could help you, should I? (1 = yes, else = no)\n"
                    "I would also restart the task for you.\n"
                    "(Your heightmap has extreme heights which are not working in SettlersII)\n" +
                    Saved("nm.swd")));
  auto expected = MakeBlankMap(4, 2);
  testing::FillBlock(expected, 1, [](std::size_t x, std::size_t y) {
    return static_cast<std::uint8_t>(y == 0 && x == 1 ? 5 : 0);
  });
  EXPECT_EQ(result.written, (Files{{"nm.swd", expected}}));
}

TEST(ApplyHeightMapTranscript, SizesThatDoNotFitWriteNothing) {
  const auto result = RunProgram("9\nm.swd\nh.bmp\n0\n",
                                 {{"m.swd", MakeBlankMap(64, 64)}, {"h.bmp", Grey(64, 32, 0)}});
  EXPECT_EQ(result.output, Session(kHeightBanner + kMapPrompt + kLoaded + kBmpPrompt + kLoaded +
                                   "ERROR: Mapheight and BMP size do not fit!\n"));
  EXPECT_TRUE(result.written.empty());
}

TEST(ApplyHeightMapTranscript, NoMapStillAsksForTheBitmap) {
  const Files files = {{"m.swd", MakeBlankMap(4, 4)}, {"h.bmp", Grey(4, 4, 0)}};
  const auto aborted = RunProgram("9\n0\nh.bmp\n0\n", files);
  EXPECT_EQ(aborted.output, Session(kHeightBanner + kMapPrompt + kAborted + kBmpPrompt + kLoaded));
  EXPECT_TRUE(aborted.written.empty());

  auto short_map = MakeBlankMap(4, 4);
  short_map.pop_back();
  const auto refused =
      RunProgram("9\nm.swd\nh.bmp\n0\n", {{"m.swd", short_map}, {"h.bmp", Grey(4, 4, 0)}});
  EXPECT_EQ(refused.output,
            Session(kHeightBanner + kMapPrompt + kLoaded +
                    "ERROR: Mapfile is too short for its size!\n" + kBmpPrompt + kLoaded));
  EXPECT_TRUE(refused.written.empty());

  const auto no_bitmap = RunProgram("9\nm.swd\n0\n0\n", files);
  EXPECT_EQ(no_bitmap.output,
            Session(kHeightBanner + kMapPrompt + kLoaded + kBmpPrompt + kAborted));
  EXPECT_TRUE(no_bitmap.written.empty());
}

TEST(ApplyHeightMapTranscript, ShortBitmapIsRefused) {
  // States 64 x 64 but holds fewer than 4096 bytes in all.
  auto fewer_than_n = testing::BmpHeader(64, 64, 8, 1078);
  fewer_than_n.resize(4095, 40);
  const auto result = RunProgram("9\nm.swd\nh.bmp\n0\n",
                                 {{"m.swd", MakeBlankMap(64, 64)}, {"h.bmp", fewer_than_n}});
  EXPECT_EQ(result.output,
            Session(kHeightBanner + kMapPrompt + kLoaded + kBmpPrompt + kLoaded + kTooShort));
  EXPECT_TRUE(result.written.empty());

  // Too short even for its width and height.
  const auto tiny =
      RunProgram("9\nm.swd\nh.bmp\n0\n",
                 {{"m.swd", MakeBlankMap(4, 4)}, {"h.bmp", std::vector<std::uint8_t>(23, 0)}});
  EXPECT_EQ(tiny.output,
            Session(kHeightBanner + kMapPrompt + kLoaded + kBmpPrompt + kLoaded + kTooShort));
  EXPECT_TRUE(tiny.written.empty());
}

TEST(ApplyHeightMapTranscript, BitmapAndMapCannotBeTheOutput) {
  // The bitmap is the very file that the save of m.swd would write.
  const auto result = RunProgram("9\nm.swd\nnm.swd\n0\n0\n",
                                 {{"m.swd", MakeBlankMap(2, 2)}, {"nm.swd", Grey(2, 2, 40)}});
  EXPECT_EQ(result.output,
            Session(kHeightBanner + kMapPrompt + kLoaded + kBmpPrompt + kLoaded +
                    " 2\n 2\n 1078\n" + kBlack + "\nERROR: Unable to save File: nm.swd\n\n"));
  EXPECT_TRUE(result.written.empty());
}

}  // namespace
}  // namespace plandrix
