// Whole dialogues of main menu options 6 (random objects) and 10 (random resources).
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "core/map_layout.h"
#include "random/objects_animals.h"
#include "random/random_source.h"
#include "random/resources.h"
#include "random/trees_granite.h"
#include "support/run_program.h"
#include "support/test_maps.h"

namespace plandrix {
namespace {

using testing::At;
using testing::Files;
using testing::FillBlock;
using testing::MakeBlankMap;
using testing::MenuText;
using testing::QuitText;
using testing::RunProgram;

constexpr char kMapPrompt[] =
    "Please enter the Map-Filename (.swd/.wld) or 0 to abort.\nFilename: ";
constexpr char kSeedPrompt[] =
    "Please enter a 8 digit random Number! or 0 to abort and use default.\nNumber:\n";
constexpr std::array<const char*, 5> kPassQuestions = {
    "Place Trees? (1 = yes, else = no)\n", "Place Objects? (1 = yes, else = no)\n",
    "Place Granite? (1 = yes, else = no)\n", "Place Animals? (1 = yes, else = no)\n",
    "Place Resources? (1 = yes, else = no)\n"};

// 24 x 20: bands of every terrain class, a lake with shores, one unlisted code.
std::vector<std::uint8_t> MixedMap(std::size_t width = 24, std::size_t height = 20) {
  auto image = MakeBlankMap(width, height);
  const auto code = [](std::size_t x, std::size_t y) -> std::uint8_t {
    if (x >= 8 && x < 16 && y >= 6 && y < 14) return (x + y) % 3 == 0 ? 6 : 5;  // lake
    constexpr std::array<std::uint8_t, 10> kBands = {0, 1, 3, 8, 18, 14, 34, 2, 16, 9};
    return kBands[(x / 3 + y / 4) % kBands.size()];
  };
  FillBlock(image, 2, code);
  FillBlock(image, 3, code);
  At(image, 2, 1, 1) = 200;  // unlisted: warned whenever a pass looks at it
  return image;
}

std::string SaveReport(const std::string& name) {
  return "\nMap has been saved!\nName:" + name + "\n\n";
}

// What one option-6 run prints after the map prompt, and the map it writes, computed
// in-process with the operations on the given state.
struct ToolRun {
  std::vector<std::uint8_t> image;
  std::string text;
};

ToolRun ExpectedObjectsRun(std::vector<std::uint8_t> image, ProgramState& state,
                           const std::array<bool, 5>& passes) {
  std::ostringstream out;
  const std::size_t width = MapWidth(image);
  const std::size_t height = MapHeight(image);
  const std::uint32_t seed = state.shared_seed;
  for (std::size_t pass = 0; pass < 5; ++pass) {
    out << kPassQuestions[pass];
    if (!passes[pass]) continue;
    switch (pass) {
      case 0:
        PlaceTrees(image, width, height, state.random, seed, out);
        break;
      case 1:
        PlaceObjects(image, width, height, state.random, seed, out);
        break;
      case 2:
        PlaceGranite(image, width, height, state.random, seed, out);
        break;
      case 3:
        PlaceAnimals(image, width, height, state.random, seed, out);
        break;
      default:
        PlaceResources(image, width, height);
        break;
    }
  }
  return {image, out.str()};
}

std::string ObjectsDialogue(const std::string& name, const std::string& seed_part,
                            const ToolRun& run) {
  return MenuText() + "\n" + kMapPrompt + "Map has been loaded!\n" +
         "Use own userseed? (1 = yes, else = no)\n" + seed_part + run.text + SaveReport("n" + name);
}

constexpr std::array<bool, 5> kAllPasses = {true, true, true, true, true};

TEST(RandomObjectsTranscript, AllFivePassesOnAFreshStartAreReproducible) {
  const auto map = MixedMap();
  ProgramState state;
  ASSERT_EQ(state.shared_seed, 1234678u);
  const ToolRun expected = ExpectedObjectsRun(map, state, kAllPasses);
  const std::string input = "6\nmap.wld\n2\n1\n1\n1\n1\n1\n0\n";
  const auto first = RunProgram(input, {{"map.wld", map}});
  const auto second = RunProgram(input, {{"map.wld", map}});
  EXPECT_EQ(first.output, ObjectsDialogue("map.wld", "", expected) + QuitText());
  EXPECT_EQ(first.exit_status, 0);
  EXPECT_EQ(first.written, (Files{{"nmap.wld", expected.image}}));
  EXPECT_EQ(second.output, first.output);
  EXPECT_EQ(second.written, first.written);
  // Every pass left its mark: trees and granite in block 6, animals, resources.
  auto result = expected.image;
  int trees = 0, objects = 0, granite = 0, animals = 0, resources = 0;
  for (std::size_t y = 0; y < 20; ++y) {
    for (std::size_t x = 0; x < 24; ++x) {
      const int type = At(result, 6, x, y);
      trees += type >= 196 && type <= 198;
      objects += type == 200;
      granite += type == 204;
      animals += At(result, 7, x, y) != 0;
      resources += At(result, 12, x, y) != 0;
    }
  }
  EXPECT_GT(trees, 0);
  EXPECT_GT(objects, 0);
  EXPECT_GT(granite, 0);
  EXPECT_GT(animals, 0);
  EXPECT_GT(resources, 0);
  // The unlisted code at (1, 1) is reported by every pass that looks at it.
  EXPECT_NE(first.output.find("Block2,Position:25\nInformation: C8\n"), std::string::npos);
}

TEST(RandomObjectsTranscript, AllNoWritesTheInputUnchanged) {
  const auto map = MixedMap();
  const auto run = RunProgram("6\nmap.wld\n0\n0\n0\n0\n0\n0\n0\n", {{"map.wld", map}});
  ProgramState state;
  const ToolRun expected = ExpectedObjectsRun(map, state, {});
  EXPECT_EQ(run.output, ObjectsDialogue("map.wld", "", expected) + QuitText());
  EXPECT_EQ(run.written, (Files{{"nmap.wld", map}}));
}

TEST(RandomObjectsTranscript, ASecondRunContinuesTheSequence) {
  const auto map = MixedMap();
  ProgramState state;
  const ToolRun first = ExpectedObjectsRun(map, state, kAllPasses);
  const ToolRun second = ExpectedObjectsRun(map, state, kAllPasses);
  ASSERT_NE(first.image, second.image);
  const auto run = RunProgram("6\na.wld\n0\n1\n1\n1\n1\n1\n6\nb.wld\n0\n1\n1\n1\n1\n1\n0\n",
                              {{"a.wld", map}, {"b.wld", map}});
  EXPECT_EQ(run.output, ObjectsDialogue("a.wld", "", first) + ObjectsDialogue("b.wld", "", second) +
                            QuitText());
  EXPECT_EQ(run.written, (Files{{"na.wld", first.image}, {"nb.wld", second.image}}));
}

TEST(RandomObjectsTranscript, AnOwnSeedCountsOnlyBeforeTheFirstDraw) {
  const auto map = MixedMap();
  ProgramState state;
  state.shared_seed = 20000000;
  const ToolRun seeded = ExpectedObjectsRun(map, state, {true, false, false, false, false});
  // The second run types another seed, but the source runs on from the first run.
  state.shared_seed = 30000000;
  const ToolRun continued = ExpectedObjectsRun(map, state, {true, false, false, false, false});
  const auto run = RunProgram(
      "6\na.wld\n1\n20000000\n1\n0\n0\n0\n0\n6\nb.wld\n1\n5\n30000000\n1\n0\n0\n0\n0\n0\n",
      {{"a.wld", map}, {"b.wld", map}});
  EXPECT_EQ(run.output,
            ObjectsDialogue("a.wld", kSeedPrompt, seeded) +
                ObjectsDialogue("b.wld", std::string(kSeedPrompt) + kSeedPrompt, continued) +
                QuitText());
  EXPECT_EQ(run.written, (Files{{"na.wld", seeded.image}, {"nb.wld", continued.image}}));
  ProgramState start_seed;
  EXPECT_NE(ExpectedObjectsRun(map, start_seed, {true, false, false, false, false}).image,
            seeded.image);
}

TEST(RandomObjectsTranscript, RepliesThatAreNotOneMeanNoAndEndOfInputSaves) {
  const auto map = MixedMap();
  ProgramState state;
  const ToolRun expected = ExpectedObjectsRun(map, state, {false, false, false, true, false});
  // Seed: letters; trees 2; objects -1; granite beyond 32 bits; animals "1x"; then the
  // input ends: resources no, the map is saved, the menu reads the end as 0.
  const auto run = RunProgram("6\nmap.wld\nabc\n2\n-1\n99999999999\n1x\n", {{"map.wld", map}});
  EXPECT_EQ(run.output, ObjectsDialogue("map.wld", "", expected) + QuitText());
  EXPECT_EQ(run.written, (Files{{"nmap.wld", expected.image}}));
}

TEST(RandomObjectsTranscript, AbortedAndRefusedMapsAskNothing) {
  auto short_map = MixedMap();
  short_map.pop_back();
  for (const char* option : {"6", "10"}) {
    const std::string banner = std::string(option) == "10"
                                   ? "10 - Random-Resources-Tool(WIP)\n"
                                     "This Tool will add some random resources to your map\n"
                                   : "";
    auto run = RunProgram(std::string(option) + "\n0\n4\n0\n");
    EXPECT_EQ(run.output, MenuText() + "\n" + banner + kMapPrompt +
                              "Loading file has been aborted!\n" + MenuText() +
                              "\nSWD to BMP tool still under construction\n" + QuitText())
        << option;
    EXPECT_TRUE(run.written.empty());
    // A map too short for its size: refused, and the next line goes to the menu.
    run = RunProgram(std::string(option) + "\nshort.wld\n4\n0\n", {{"short.wld", short_map}});
    const std::string expected = MenuText() + "\n" + banner + kMapPrompt +
                                 "Map has been loaded!\n" +
                                 "ERROR: Mapfile is too short for its size!\n" + MenuText() +
                                 "\nSWD to BMP tool still under construction\n" + QuitText();
    EXPECT_EQ(run.output, expected) << option;
    EXPECT_TRUE(run.written.empty());
  }
}

TEST(RandomResourcesTranscript, FillsBlock12AndSaves) {
  const auto map = MixedMap();
  auto expected = map;
  PlaceResources(expected, 24, 20);
  ASSERT_NE(expected, map);
  const std::string dialogue = MenuText() + "\n" +
                               "10 - Random-Resources-Tool(WIP)\n"
                               "This Tool will add some random resources to your map\n" +
                               kMapPrompt + "Map has been loaded!\n" + SaveReport("nmap.wld");
  auto run = RunProgram("10\nmap.wld\n0\n", {{"map.wld", map}});
  EXPECT_EQ(run.output, dialogue + QuitText());
  EXPECT_EQ(run.written, (Files{{"nmap.wld", expected}}));
  // Only block 12 changed.
  for (std::size_t i = 0; i < map.size(); ++i) {
    const std::size_t block12 = BlockDataOffset(12, 480);
    if (i >= block12 && i < block12 + 480) continue;
    ASSERT_EQ(expected[i], map[i]) << i;
  }
  // The tool draws nothing: a random objects run afterwards is as on a fresh start.
  ProgramState state;
  const ToolRun fresh = ExpectedObjectsRun(map, state, {true, false, false, false, false});
  run = RunProgram("10\nmap.wld\n6\nmap.wld\n0\n1\n0\n0\n0\n0\n0\n", {{"map.wld", map}});
  EXPECT_EQ(run.output, dialogue + ObjectsDialogue("map.wld", "", fresh) + QuitText());
  EXPECT_EQ(run.written, (Files{{"nmap.wld", fresh.image}}));
}

TEST(RandomResourcesTranscript, LargeMapsAreWarnedAbout) {
  const auto map = MixedMap(256, 3);
  auto expected = map;
  PlaceResources(expected, 256, 3);
  const auto run = RunProgram("10\nwide.wld\n0\n", {{"wide.wld", map}});
  EXPECT_EQ(run.output, MenuText() + "\n" +
                            "10 - Random-Resources-Tool(WIP)\n"
                            "This Tool will add some random resources to your map\n" +
                            kMapPrompt + "Map has been loaded!\n" +
                            "\nWarning: This is a large map!\nSome functions maybe need some "
                            "time!\nPlease be patient...\n" +
                            SaveReport("nwide.wld") + QuitText());
  EXPECT_EQ(run.written, (Files{{"nwide.wld", expected}}));
}

}  // namespace
}  // namespace plandrix
