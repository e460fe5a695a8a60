// Whole dialogues of the random heights tool (option 7) and the random map tool (option 8).
#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/file_prompt.h"
#include "core/map_layout.h"
#include "random/random_heights.h"
#include "random/random_map.h"
#include "support/run_program.h"
#include "support/test_maps.h"
#include "tools/random_map_tool.h"

#if defined(__SANITIZE_ADDRESS__)
#define PLANDRIX_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PLANDRIX_UNDER_ASAN 1
#endif
#endif

namespace plandrix {
namespace {

using testing::At;
using testing::FillBlock;
using testing::MakeBlankMap;
using testing::MenuText;
using testing::QuitText;
using testing::RunProgram;

const std::string kSeedPrompt =
    "Please enter a 8 digit random Number! or 0 to abort and use default.\nNumber:\n";
const std::string kSizePrompts = "- Mapsizes -\nPlease enter Mapwidth: Please enter Mapheight: ";
// The closing lines of the four drawing passes, in the order the generator runs them.
const std::string kPassLines =
    "You are now able to discover objects...\n"
    "You will need some woodcutters now...\n"
    "There are some rocks in your way...\n"
    "God invented live on your map...\n";
const std::string kLargeMapWarning =
    "\nWarning: This is a large map!\nSome functions maybe need some time!\n"
    "Please be patient...\n";

// What option 8 prints for a map that is made and saved (after the menu's empty line).
std::string GeneratorText(const std::string& warning = "") {
  return kSizePrompts + kSeedPrompt + warning + "\n" + kPassLines +
         "\nMap has been saved!\nName:nGen.wld\n\n";
}

// Blocks 2 and 3 as the generator paints them, worked out in this process.
std::vector<std::uint8_t> PaintedTerrain(std::int32_t width, std::int32_t height,
                                         std::uint32_t seed) {
  auto image = MakeBlankMap(static_cast<std::size_t>(width), static_cast<std::size_t>(height));
  const MapLayout layout = ComputeMapLayout(MapLayout{}, width, height);
  std::vector<std::uint32_t> kinds(static_cast<std::size_t>(layout.region_count));
  RandomSource source;
  (void)RandomNumber(source, seed, 1);
  AssignRegionKinds(kinds, layout, source, seed);
  for (std::int32_t r = 0; r < layout.region_rows; ++r) {
    for (std::int32_t c = 0; c < layout.region_columns; ++c) {
      PaintRegion(image, kinds, r, c, layout, source, seed);
    }
  }
  return image;
}

// Checks the parts of a generated map that do not depend on the placement passes: the
// header and block headers of a blank map, the painted terrain, the untouched blocks and
// heights of 10 on water and 10 to 13 elsewhere.
void ExpectGeneratedMap(const std::vector<std::uint8_t>& file, std::int32_t width,
                        std::int32_t height, std::uint32_t seed) {
  const auto w = static_cast<std::size_t>(width);
  const auto h = static_cast<std::size_t>(height);
  const std::size_t n = w * h;
  const auto painted = PaintedTerrain(width, height, seed);
  ASSERT_EQ(file.size(), MapLength(w, h));
  ASSERT_EQ(painted.size(), file.size());
  for (std::size_t i = 0; i < file.size(); ++i) {
    std::size_t block = 0;  // 0: a byte outside every block's data
    for (int k = 1; k <= 14; ++k) {
      if (i >= BlockDataOffset(k, n) && i < BlockDataOffset(k, n) + n) {
        block = static_cast<std::size_t>(k);
      }
    }
    // Blocks 1 (heights) and 5, 6, 7, 12 (placements) are the only ones that may differ.
    if (block == 1 || block == 5 || block == 6 || block == 7 || block == 12) continue;
    ASSERT_EQ(file[i], painted[i]) << "offset " << i << " block " << block;
  }
  auto map = file;
  for (std::size_t y = 0; y < h; ++y) {
    for (std::size_t x = 0; x < w; ++x) {
      const std::uint8_t first = At(map, 2, x, y);
      const std::uint8_t second = At(map, 3, x, y);
      const bool water = first == 5 || first == 6 || first == 19 ||
                         (kHeightRules[first] == HeightRule::kUndecided &&
                          (second == 5 || second == 6 || second == 19));
      const std::uint8_t height_byte = At(map, 1, x, y);
      if (water) {
        ASSERT_EQ(height_byte, 10) << x << "," << y;
      } else {
        ASSERT_TRUE(height_byte >= 10 && height_byte <= 13) << x << "," << y;
      }
    }
  }
}

// ---------------------------------------------------------------- option 8

TEST(RandomMapTranscript, GeneratesTheSameMapWhateverRanBefore) {
  const auto alone = RunProgram("8\n64\n64\n12345678\n0\n");
  EXPECT_EQ(alone.exit_status, 0);
  EXPECT_EQ(alone.output, MenuText() + "\n" + GeneratorText() + QuitText());
  ASSERT_EQ(alone.written.size(), 1u);
  const auto& map = alone.written.at("nGen.wld");
  ExpectGeneratedMap(map, 64, 64, 12345678);

  // Random heights first draws many numbers of another seed; the generator restarts.
  auto other = MakeBlankMap(40, 30);
  FillBlock(other, 2, [](std::size_t x, std::size_t) { return std::uint8_t(x % 2 ? 8 : 1); });
  const auto after_heights =
      RunProgram("7\na.wld\n22222222\n8\n64\n64\n12345678\n0\n", {{"a.wld", other}});
  EXPECT_EQ(after_heights.written.at("nGen.wld"), map);

  // Twice in one program run: the same dialogue and the same file again.
  const auto twice = RunProgram("8\n64\n64\n12345678\n8\n64\n64\n12345678\n0\n");
  EXPECT_EQ(twice.output,
            MenuText() + "\n" + GeneratorText() + MenuText() + "\n" + GeneratorText() + QuitText());
  EXPECT_EQ(twice.written.at("nGen.wld"), map);

  // Another seed gives another map; an old nGen.wld is replaced whole.
  const auto reseeded =
      RunProgram("8\n64\n64\n87654321\n0\n", {{"nGen.wld", std::vector<std::uint8_t>(9, 1)}});
  EXPECT_NE(reseeded.written.at("nGen.wld"), map);
  ExpectGeneratedMap(reseeded.written.at("nGen.wld"), 64, 64, 87654321);
}

TEST(RandomMapTranscript, OddSizesAndTheDefaultSeed) {
  // 0 at the seed prompt takes 12345678; 25 x 13 has two regions touching row 0 and the
  // last row through the triangles of row 0.
  const auto run = RunProgram("8\n25\n13\n0\n0\n");
  EXPECT_EQ(run.output, MenuText() + "\n" + GeneratorText() + QuitText());
  ExpectGeneratedMap(run.written.at("nGen.wld"), 25, 13, 12345678);
  EXPECT_EQ(run.written.at("nGen.wld"),
            RunProgram("8\n25\n13\n12345678\n0\n").written.at("nGen.wld"));
}

TEST(RandomMapTranscript, TwelveSquareHasNoRegionButIsPlacedAndSaved) {
  const auto run = RunProgram("8\n12\n12\n0\n0\n");
  EXPECT_EQ(run.output, MenuText() + "\n" + GeneratorText() + QuitText());
  ASSERT_EQ(run.written.size(), 1u);
  const auto& map = run.written.at("nGen.wld");
  // A blank map is all water: the terrain stays 5 and every height 10.
  ExpectGeneratedMap(map, 12, 12, 12345678);
  auto blank = MakeBlankMap(12, 12);
  const std::size_t n = 144;
  for (int block : {1, 2, 3}) {
    for (std::size_t i = 0; i < n; ++i) {
      ASSERT_EQ(map[BlockDataOffset(block, n) + i], blank[BlockDataOffset(block, n) + i]);
    }
  }
}

TEST(RandomMapTranscript, SmallestAndLargeMaps) {
  const auto one = RunProgram("8\n1\n1\n0\n0\n");
  EXPECT_EQ(one.output, MenuText() + "\n" + GeneratorText() + QuitText());
  ExpectGeneratedMap(one.written.at("nGen.wld"), 1, 1, 12345678);

  const auto wide = RunProgram("8\n256\n14\n0\n0\n");
  EXPECT_EQ(wide.output, MenuText() + "\n" + GeneratorText(kLargeMapWarning) + QuitText());
  ExpectGeneratedMap(wide.written.at("nGen.wld"), 256, 14, 12345678);

  const auto longest = RunProgram("8\n65535\n2\n0\n0\n");
  EXPECT_EQ(longest.output, MenuText() + "\n" + GeneratorText(kLargeMapWarning) + QuitText());
  EXPECT_EQ(longest.written.at("nGen.wld").size(), MapLength(65535, 2));
}

TEST(RandomMapTranscript, RefusesSizesOutsideOneTo65535BeforeTheSeed) {
  const std::string refusal =
      MenuText() + "\n" + kSizePrompts + std::string(kMapSizeMessage) + "\n" + QuitText();
  for (const char* input : {"8\n0\n12\n0\n", "8\n12\n0\n0\n", "8\n65536\n12\n0\n",
                            "8\n12\n65536\n0\n", "8\n-5\n12\n0\n", "8\nabc\n12\n0\n",
                            "8\n12\nx\n0\n", "8\n99999999999\n12\n0\n", "8\n12\n", "8\n"}) {
    const auto run = RunProgram(input);
    EXPECT_EQ(run.exit_status, 0) << input;
    EXPECT_EQ(run.output, refusal) << input;
    EXPECT_TRUE(run.files.empty()) << input;
  }
}

TEST(RandomMapTool, RefusalLeavesTheRandomSourceAndSharedSeedAlone) {
  for (const char* input : {"0\n5\n", "5\n70000\n", "-1\n-1\n"}) {
    std::istringstream in(input);
    std::ostringstream out;
    Console console{in, out};
    ProgramState state;
    RandomMapTool(console, state);
    EXPECT_FALSE(state.random.initialised) << input;
    EXPECT_EQ(state.shared_seed, kStartSeed) << input;
    EXPECT_EQ(out.str(), kSizePrompts + std::string(kMapSizeMessage) + "\n") << input;
  }
}

TEST(RandomMapTranscript, MapTooLargeForMemoryIsReported) {
  // The largest map needs 60 GB; the run gets far less.
  testing::RunOptions options;
#ifdef PLANDRIX_UNDER_ASAN
  // The sanitizer runtime reserves more address space than any limit would leave, so the
  // allocation is capped through its own options instead.
  options.prelude =
      "export ASAN_OPTIONS=\"${ASAN_OPTIONS:+$ASAN_OPTIONS:}allocator_may_return_null=1:"
      "max_allocation_size_mb=1024\"";
#else
  options.prelude = "ulimit -v 1048576";
#endif
  const auto run = RunProgram("8\n65535\n65535\n0\n0\n", {}, options);
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_EQ(run.output, MenuText() + "\n" + kSizePrompts + kSeedPrompt +
                            std::string(kNoMemoryMessage) + "\n" + QuitText());
  EXPECT_TRUE(run.files.empty());
}

// ---------------------------------------------------------------- option 7

const std::string kHeightsIntro =
    "Random set heights tool is still under construction\n"
    "Just works for all areas and not for water, there are no special heights "
    "(mountains,desert etc.)\n"
    "Please enter the Map-Filename (.swd/.wld) or 0 to abort.\nFilename: ";

// A 20 x 10 map with every kind of terrain rule and old heights up to 60.
std::vector<std::uint8_t> MixedTerrainMap() {
  auto image = MakeBlankMap(20, 10);
  FillBlock(image, 1, [](std::size_t x, std::size_t y) { return std::uint8_t((x * y) % 61); });
  FillBlock(image, 2, [](std::size_t x, std::size_t y) { return std::uint8_t((x + 3 * y) % 22); });
  FillBlock(image, 3, [](std::size_t x, std::size_t y) { return std::uint8_t((5 * x + y) % 21); });
  image.push_back(0xAB);  // bytes after the final 0xFF are carried through
  return image;
}

std::vector<std::uint8_t> ExpectedHeights(std::vector<std::uint8_t> image, std::uint32_t seed) {
  RandomSource source;
  (void)RandomNumber(source, seed, 1);
  RandomizeHeights(image, MapWidth(image), MapHeight(image), source, seed);
  return image;
}

TEST(RandomHeightsTranscript, GivesHeightsFromTheTerrainAndIsReproducible) {
  const auto input_map = MixedTerrainMap();
  const std::string one_run = kHeightsIntro + "Map has been loaded!\n" + kSeedPrompt +
                              "\nMap has been saved!\nName:na.wld\n\n";
  const auto run = RunProgram("7\na.wld\n12345678\n0\n", {{"a.wld", input_map}});
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_EQ(run.output, MenuText() + "\n" + one_run + QuitText());
  ASSERT_EQ(run.written.size(), 1u);
  const auto expected = ExpectedHeights(input_map, 12345678);
  EXPECT_EQ(run.written.at("na.wld"), expected);
  EXPECT_NE(expected, input_map);

  // Twice in one program run, and after a generated map: the restart makes it the same.
  const auto twice = RunProgram("8\n30\n30\n0\n7\na.wld\n12345678\n7\na.wld\n12345678\n0\n",
                                {{"a.wld", input_map}});
  EXPECT_EQ(twice.output, MenuText() + "\n" + GeneratorText() + MenuText() + "\n" + one_run +
                              MenuText() + "\n" + one_run + QuitText());
  EXPECT_EQ(twice.written.at("na.wld"), expected);

  // The default seed at 0; a bad seed is asked again.
  const auto defaulted = RunProgram("7\na.wld\n5\n0\n0\n", {{"a.wld", input_map}});
  EXPECT_EQ(defaulted.output, MenuText() + "\n" + kHeightsIntro + "Map has been loaded!\n" +
                                  "Please enter a 8 digit random Number! or 0 to abort and use "
                                  "default.\nNumber:\n" +
                                  kSeedPrompt + "\nMap has been saved!\nName:na.wld\n\n" +
                                  QuitText());
  EXPECT_EQ(defaulted.written.at("na.wld"), expected);
}

TEST(RandomHeightsTranscript, WarnsAboutLargeMapsBeforeTheSeed) {
  auto image = MakeBlankMap(300, 2);
  At(image, 2, 7, 1) = 1;
  const auto run = RunProgram("7\nbig.wld\n11112222\n0\n", {{"big.wld", image}});
  EXPECT_EQ(run.output, MenuText() + "\n" + kHeightsIntro + "Map has been loaded!\n" +
                            kLargeMapWarning + kSeedPrompt +
                            "\nMap has been saved!\nName:nbig.wld\n\n" + QuitText());
  EXPECT_EQ(run.written.at("nbig.wld"), ExpectedHeights(image, 11112222));
}

TEST(RandomHeightsTranscript, AbortedShortAndEmptyMaps) {
  const auto aborted = RunProgram("7\n0\n0\n");
  EXPECT_EQ(aborted.output,
            MenuText() + "\n" + kHeightsIntro + "Loading file has been aborted!\n" + QuitText());
  EXPECT_TRUE(aborted.files.empty());

  auto short_map = MakeBlankMap(10, 10);
  short_map.pop_back();
  const auto refused = RunProgram("7\ns.wld\n0\n", {{"s.wld", short_map}});
  EXPECT_EQ(refused.output, MenuText() + "\n" + kHeightsIntro + "Map has been loaded!\n" +
                                std::string(kTooShortMessage) + "\n" + QuitText());
  EXPECT_TRUE(refused.written.empty());

  // No vertices: the file is saved as it was.
  for (auto [width, height] : {std::pair<std::size_t, std::size_t>{0, 9}, {9, 0}}) {
    const auto empty_map = MakeBlankMap(width, height);
    const auto run = RunProgram("7\ne.wld\n0\n0\n", {{"e.wld", empty_map}});
    EXPECT_EQ(run.output, MenuText() + "\n" + kHeightsIntro + "Map has been loaded!\n" +
                              kSeedPrompt + "\nMap has been saved!\nName:ne.wld\n\n" + QuitText());
    EXPECT_EQ(run.written.at("ne.wld"), empty_map);
  }
}

}  // namespace
}  // namespace plandrix
