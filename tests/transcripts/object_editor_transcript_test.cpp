// Whole dialogues of the object editor, run on the real program.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "core/map_layout.h"
#include "support/run_program.h"
#include "support/test_maps.h"

namespace plandrix {
namespace {

using testing::At;
using testing::MakeBlankMap;
using testing::MenuText;
using testing::QuitText;
using testing::RunProgram;

const std::string kLoaded =
    "Please enter the Map-Filename (.swd/.wld) or 0 to abort.\n"
    "Filename: Map has been loaded!\n";

const std::string kEditorMenu =
    "Taviks Object Editor Menu\n"
    "-------------------------\n"
    "00 - Back to the Main Menu\n"
    "01 - Save the map to 'new-[Mapname]'\n"
    "02 - add Waterstone\n"
    "03 - add Small stone\n"
    "04 - add Big stone\n"
    "05 - add Bush\n"
    "06 - add blue Bush\n"
    "07 - add flat Bush\n"
    "08 - add Snowman\n"
    "09 - add sunken Ship\n"
    "10 - add closed Gate\n"
    "11 - add opened Gate\n"
    "12 - add small Tent\n"
    "13 - add Guardhouse\n"
    "14 - add Watchtower\n"
    "15 - add Fortress\n"
    "16 - add voodoo doll\n"
    "17 - view mapsize\n"
    "Option: \n";

const std::string kX = "Enter the X-coordinate: ";
const std::string kY = "Enter the Y-coordinate: ";
const std::string kPlaced = "Object has been placed!\n\n";
const std::string kLeave = "Tool will be closed\nSave file again (1-Yes/Other-No): ";
const std::string kSavedM = "\nMap has been saved!\nName:nm.swd\n\n";

// The menu, option 1 and the map prompt up to the loaded line.
std::string Start() { return MenuText() + "\n" + kLoaded; }

TEST(ObjectEditorTranscript, MapSizeOfTheTestMap) {
  const auto run = RunProgram("12\n1\nntest.wld\n17\n0\n2\n0\n");
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_EQ(run.output, MenuText() + "\nNothing here!\n\nMap has been saved!\nName:ntest.wld\n\n" +
                            Start() + kEditorMenu +
                            "Mapwidth: 32\nMapheight: 32\nBuffer: 16913\n\n" + kEditorMenu +
                            kLeave + QuitText());
  EXPECT_EQ(run.written.size(), 1u);
  EXPECT_EQ(run.written.count("ntest.wld"), 1u);
}

TEST(ObjectEditorTranscript, BoundsOfASixtyFourByThirtyTwoMapAndSaveOnLeaving) {
  const auto map = MakeBlankMap(64, 32);
  const auto run = RunProgram("1\nm.swd\n3\n64\n63\n32\n31\n0\n1\n0\n", {{"m.swd", map}});
  EXPECT_EQ(run.output, Start() + kEditorMenu + kX + kX + kY + kY + kPlaced + kEditorMenu + kLeave +
                            kSavedM + QuitText());
  auto expected = map;
  At(expected, 5, 63, 31) = 35;
  At(expected, 6, 63, 31) = 200;
  EXPECT_EQ(run.written, (testing::Files{{"nm.swd", expected}}));
}

TEST(ObjectEditorTranscript, EveryObjectWithItsIndexAndLines) {
  // Option o goes to column o - 2 of row 1; both coordinates typed on one line.
  constexpr std::array<std::uint8_t, 15> kIndices = {11, 35, 36, 40, 41, 42, 43, 21,
                                                     22, 23, 44, 45, 46, 47, 48};
  const auto map = MakeBlankMap(16, 2);
  std::string input = "1\nm.swd\n";
  std::string expected_output = Start() + kEditorMenu;
  for (int option = 2; option <= 16; ++option) {
    input += std::to_string(option) + "\n" + std::to_string(option - 2) + " 1\n";
    expected_output += kX + kY + kPlaced;
    if (option == 9) expected_output += "I'm a pirate without a ship!\n";
    if (option == 11) expected_output += "Yarrr, the gate is open!\n";
    expected_output += kEditorMenu;
  }
  input += "1\n0\n2\n0\n";
  expected_output += kSavedM + kEditorMenu + kLeave + QuitText();
  const auto run = RunProgram(input, {{"m.swd", map}});
  EXPECT_EQ(run.output, expected_output);
  auto expected = map;
  for (std::size_t i = 0; i < kIndices.size(); ++i) {
    At(expected, 5, i, 1) = kIndices[i];
    At(expected, 6, i, 1) = 200;
  }
  EXPECT_EQ(run.written, (testing::Files{{"nm.swd", expected}}));
}

TEST(ObjectEditorTranscript, UnknownOptionsAndLeavingWithoutSaving) {
  const auto map = MakeBlankMap(8, 8);
  const auto run = RunProgram("1\nm.swd\n18\n-3\n3\n1 1\n0\n2\n0\n", {{"m.swd", map}});
  EXPECT_EQ(run.output, Start() + kEditorMenu + "Error: not an option\n\n" + kEditorMenu +
                            "Error: not an option\n\n" + kEditorMenu + kX + kY + kPlaced +
                            kEditorMenu + kLeave + QuitText());
  EXPECT_TRUE(run.written.empty());
}

TEST(ObjectEditorTranscript, LettersAtACoordinateAreDroppedWithTheirLine) {
  const auto map = MakeBlankMap(8, 8);
  const auto run = RunProgram("1\nm.swd\n5\nab 4\n5\n6\n0\n1\n0\n", {{"m.swd", map}});
  EXPECT_EQ(run.output, Start() + kEditorMenu + kX + kX + kY + kPlaced + kEditorMenu + kLeave +
                            kSavedM + QuitText());
  auto expected = map;
  At(expected, 5, 5, 6) = 40;
  At(expected, 6, 5, 6) = 200;
  EXPECT_EQ(run.written, (testing::Files{{"nm.swd", expected}}));
}

TEST(ObjectEditorTranscript, SavingTwiceKeepsTheNewerContent) {
  const auto map = MakeBlankMap(8, 8);
  // The leaving question answered with letters saves nothing and drops the line.
  const auto run = RunProgram("1\nm.swd\n3\n1 1\n1\n4\n2 2\n1\n0\nyes 1\n0\n", {{"m.swd", map}});
  EXPECT_EQ(run.output, Start() + kEditorMenu + kX + kY + kPlaced + kEditorMenu + kSavedM +
                            kEditorMenu + kX + kY + kPlaced + kEditorMenu + kSavedM + kEditorMenu +
                            kLeave + QuitText());
  auto expected = map;
  At(expected, 5, 1, 1) = 35;
  At(expected, 6, 1, 1) = 200;
  At(expected, 5, 2, 2) = 36;
  At(expected, 6, 2, 2) = 200;
  EXPECT_EQ(run.written, (testing::Files{{"nm.swd", expected}}));
}

TEST(ObjectEditorTranscript, EndOfInputDuringAPlacementWritesNothing) {
  const auto map = MakeBlankMap(8, 8);
  const auto run = RunProgram("1\nm.swd\n3\n5\n", {{"m.swd", map}});
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_EQ(run.output, Start() + kEditorMenu + kX + kY + kEditorMenu + kLeave + QuitText());
  EXPECT_TRUE(run.written.empty());
}

TEST(ObjectEditorTranscript, MapWithoutVerticesAsksNoCoordinates) {
  const auto map = MakeBlankMap(0, 5);
  const auto run = RunProgram("1\nz.swd\n3\n17\n0\n1\n0\n", {{"z.swd", map}});
  EXPECT_EQ(run.output, Start() + kEditorMenu +
                            "Something seems to be wrong, check the Mapsize with Option '17'!\n" +
                            kEditorMenu + "Mapwidth: 0\nMapheight: 5\nBuffer: 2577\n\n" +
                            kEditorMenu + kLeave + "\nMap has been saved!\nName:nz.swd\n\n" +
                            QuitText());
  EXPECT_EQ(run.written, (testing::Files{{"nz.swd", map}}));
}

TEST(ObjectEditorTranscript, AbortedAndShortMapsEndTheTool) {
  auto map = MakeBlankMap(8, 8);
  map.pop_back();
  const auto aborted = RunProgram("1\n0\n0\n");
  EXPECT_EQ(aborted.output, MenuText() +
                                "\nPlease enter the Map-Filename (.swd/.wld) or 0 to abort.\n"
                                "Filename: Loading file has been aborted!\n" +
                                QuitText());
  const auto short_map = RunProgram("1\ns.swd\n0\n", {{"s.swd", map}});
  EXPECT_EQ(short_map.output, Start() + "ERROR: Mapfile is too short for its size!\n" + QuitText());
  EXPECT_TRUE(short_map.written.empty());
}

}  // namespace
}  // namespace plandrix
