// Whole dialogues of the mirror tool, run on the real program.
#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>

#include "core/map_layout.h"
#include "support/run_program.h"
#include "support/test_maps.h"
#include "transform/mirror.h"

namespace plandrix {
namespace {

using testing::MakeBlankMap;
using testing::MenuText;
using testing::QuitText;
using testing::RunProgram;

const std::string kIntro =
    "\nMirror Map tool still under construction\n"
    "Please enter the Map-Filename (.swd/.wld) or 0 to abort.\n"
    "Filename: ";
const std::string kLoaded = "Map has been loaded!\n";
const std::string kSubmenu =
    "You can mirror maps in X and Y direction.\n"
    "-----------------------------------------\n"
    "00 - Close Program\n"
    "01 - Mirror Y-Axis\n"
    "02 - Mirror X-Axis\n"
    "03 - Rotate Map 180\n"
    "What do you want to do:";
const std::string kMirrorY =
    "\nMap is mirrored in Y direction\nMap has been fully Y-Axis mirrored!\n\n";
const std::string kMirrorX =
    "Mirroring X is now under construction\n\nMap is mirrored in X direction\n"
    "Map has been fully X-Axis mirrored!\n\n";
const std::string kRotate = "Rotating Map 180\n";
const std::string kLeave = "Leaving Tool\n\nMap has been saved!\nName:nm.swd\n\n";

// A 7 x 6 map of random bytes after its header.
std::vector<std::uint8_t> RandomMap() {
  auto map = MakeBlankMap(7, 6);
  std::mt19937 random(99);
  std::uniform_int_distribution<int> byte(0, 255);
  for (std::size_t i = kHeaderSize; i < map.size(); ++i) {
    map[i] = static_cast<std::uint8_t>(byte(random));
  }
  return map;
}

TEST(MirrorTranscript, MirrorTwiceEqualsOnceAndUnknownChoices) {
  const auto map = RandomMap();
  const auto run = RunProgram("3\nm.swd\n1\n5\nabc\n1\n0\n0\n", {{"m.swd", map}});
  EXPECT_EQ(run.output, MenuText() + kIntro + kLoaded + kSubmenu + kMirrorY + kSubmenu +
                            "Not an option\n" + kSubmenu + "Not an option\n" + kSubmenu + kMirrorY +
                            kSubmenu + kLeave + QuitText());
  auto expected = map;
  std::ostringstream ignored;
  MirrorY(expected, 7, 6, ignored);
  EXPECT_EQ(run.written, (testing::Files{{"nm.swd", expected}}));
}

TEST(MirrorTranscript, RotationAfterMirrorsTakesTheStoredTerrain) {
  const auto map = RandomMap();
  const auto run = RunProgram("3\nm.swd\n1\n2\n3\n3\n0\n0\n", {{"m.swd", map}});
  EXPECT_EQ(run.output, MenuText() + kIntro + kLoaded + kSubmenu + kMirrorY + kSubmenu + kMirrorX +
                            kSubmenu + kRotate + kSubmenu + kRotate + kSubmenu + kLeave +
                            QuitText());
  auto expected = map;
  std::ostringstream ignored;
  MirrorY(expected, 7, 6, ignored);
  MirrorX(expected, 7, 6, ignored);
  Rotate180(expected, map, 7, 6);
  EXPECT_EQ(run.written, (testing::Files{{"nm.swd", expected}}));
}

TEST(MirrorTranscript, LeavingAtOnceOrAtEndOfInputSavesTheMapUnchanged) {
  const auto map = RandomMap();
  for (const std::string input : {"3\nm.swd\n0\n0\n", "3\nm.swd\n"}) {
    const auto run = RunProgram(input, {{"m.swd", map}});
    EXPECT_EQ(run.output, MenuText() + kIntro + kLoaded + kSubmenu + kLeave + QuitText());
    EXPECT_EQ(run.written, (testing::Files{{"nm.swd", map}}));
  }
}

TEST(MirrorTranscript, AbortedOrShortMapEndsTheToolWithoutWriting) {
  const auto aborted = RunProgram("3\n0\n0\n");
  EXPECT_EQ(aborted.output, MenuText() + kIntro + "Loading file has been aborted!\n" + QuitText());
  EXPECT_TRUE(aborted.files.empty());
  auto short_map = RandomMap();
  short_map.pop_back();
  const auto refused = RunProgram("3\ns.swd\n0\n", {{"s.swd", short_map}});
  EXPECT_EQ(refused.output, MenuText() + kIntro + kLoaded +
                                "ERROR: Mapfile is too short for its size!\n" + QuitText());
  EXPECT_TRUE(refused.written.empty());
}

}  // namespace
}  // namespace plandrix
