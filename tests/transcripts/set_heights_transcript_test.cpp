// Whole dialogues of the set-heights tool, run on the real program.
#include <gtest/gtest.h>

#include <string>

#include "core/map_layout.h"
#include "support/run_program.h"
#include "support/test_maps.h"

namespace plandrix {
namespace {

using testing::FillBlock;
using testing::MakeBlankMap;
using testing::MenuText;
using testing::QuitText;
using testing::RunProgram;

const std::string kIntro =
    "\nChange heights tool still under construction\n"
    "Please enter the Map-Filename (.swd/.wld) or 0 to abort.\n"
    "Filename: ";
const std::string kLoaded = "Map has been loaded!\n";
const std::string kHeightMenu =
    "Which height do you want to set?\n"
    "(Use any option ranging from 1 - 61)\n"
    "--------------------------------\n"
    "00 - Close Tool\n"
    "01 - height -10 (0x00)\n"
    "02...10\n"
    "11 - height -00 (0x0A)\n"
    "12...19\n"
    "21 - height +10 (0x14)\n"
    "22...29\n"
    "31 - height +20 (0x1E)\n"
    "32...39\n"
    "41 - height +30 (0x28)\n"
    "42...49\n"
    "51 - height +40 (0x32)\n"
    "52...59\n"
    "61 - height +50 (0x3C)\n";
const std::string kAsk = "Which height do you want:";
const std::string kSaved = "\nMap has been saved!\nName:nm.swd\n\n";

// A 9 x 7 map whose blocks all hold a pattern, so that a stray write shows.
std::vector<std::uint8_t> PatternMap() {
  auto map = MakeBlankMap(9, 7);
  for (int k = 1; k <= 14; ++k) {
    FillBlock(map, k, [k](std::size_t x, std::size_t y) {
      return static_cast<std::uint8_t>(static_cast<std::size_t>(k) * 17 + x * 3 + y * 5);
    });
  }
  return map;
}

std::vector<std::uint8_t> WithHeights(std::vector<std::uint8_t> map, std::uint8_t value) {
  FillBlock(map, 1, [value](std::size_t, std::size_t) { return value; });
  return map;
}

TEST(SetHeightsTranscript, OneChoiceFillsTheHeightBlock) {
  const auto map = PatternMap();
  for (auto [option, value] : {std::pair{61, 0x3C}, std::pair{1, 0x00}, std::pair{11, 0x0A}}) {
    const auto run =
        RunProgram("5\nm.swd\n" + std::to_string(option) + "\n0\n0\n", {{"m.swd", map}});
    EXPECT_EQ(run.output, MenuText() + kIntro + kLoaded + kHeightMenu + kAsk + kHeightMenu + kAsk +
                              kSaved + QuitText())
        << option;
    // Everything but the data of block 1, the header of block 2 included, as loaded.
    EXPECT_EQ(run.written,
              (testing::Files{{"nm.swd", WithHeights(map, static_cast<std::uint8_t>(value))}}))
        << option;
  }
}

TEST(SetHeightsTranscript, AnswersOutsideTheMenuAreAskedAgainWithoutTheMenu) {
  const auto map = PatternMap();
  const auto run = RunProgram("5\nm.swd\n62\n-1\nabc\n99999999999\n0\n0\n", {{"m.swd", map}});
  EXPECT_EQ(run.output, MenuText() + kIntro + kLoaded + kHeightMenu + kAsk + kAsk + kAsk + kAsk +
                            kAsk + kSaved + QuitText());
  EXPECT_EQ(run.written, (testing::Files{{"nm.swd", map}}));
}

TEST(SetHeightsTranscript, OnlyTheLastHeightCounts) {
  const auto map = PatternMap();
  const auto run = RunProgram("5\nm.swd\n5\n30\n0\n0\n", {{"m.swd", map}});
  EXPECT_EQ(run.output, MenuText() + kIntro + kLoaded + kHeightMenu + kAsk + kHeightMenu + kAsk +
                            kHeightMenu + kAsk + kSaved + QuitText());
  EXPECT_EQ(run.written, (testing::Files{{"nm.swd", WithHeights(map, 29)}}));
}

TEST(SetHeightsTranscript, EndOfInputClosesAndSaves) {
  const auto map = PatternMap();
  const auto run = RunProgram("5\nm.swd\n20", {{"m.swd", map}});
  EXPECT_EQ(run.output, MenuText() + kIntro + kLoaded + kHeightMenu + kAsk + kHeightMenu + kAsk +
                            kSaved + QuitText());
  EXPECT_EQ(run.written, (testing::Files{{"nm.swd", WithHeights(map, 19)}}));
}

TEST(SetHeightsTranscript, LargeMapIsWarnedAbout) {
  const auto map = MakeBlankMap(256, 1);
  const auto run = RunProgram("5\nm.swd\n0\n0\n", {{"m.swd", map}});
  EXPECT_EQ(run.output, MenuText() + kIntro + kLoaded +
                            "\nWarning: This is a large map!\n"
                            "Some functions maybe need some time!\n"
                            "Please be patient...\n" +
                            kHeightMenu + kAsk + kSaved + QuitText());
  EXPECT_EQ(run.written, (testing::Files{{"nm.swd", map}}));
}

TEST(SetHeightsTranscript, WithoutAMapTheMenuStillRunsAndNothingIsWritten) {
  auto short_map = PatternMap();
  short_map.pop_back();
  const auto aborted = RunProgram("5\n0\n7\n0\n0\n");
  EXPECT_EQ(aborted.output, MenuText() + kIntro + "Loading file has been aborted!\n" + kHeightMenu +
                                kAsk + kHeightMenu + kAsk + QuitText());
  EXPECT_TRUE(aborted.files.empty());
  const auto refused = RunProgram("5\ns.swd\n7\n0\n0\n", {{"s.swd", short_map}});
  EXPECT_EQ(refused.output, MenuText() + kIntro + kLoaded +
                                "ERROR: Mapfile is too short for its size!\n" + kHeightMenu + kAsk +
                                kHeightMenu + kAsk + QuitText());
  EXPECT_TRUE(refused.written.empty());
}

}  // namespace
}  // namespace plandrix
