// Scripts that end early: long sessions that visit every tool and prompt are cut at every
// line end and inside lines, and the real program runs on each prefix. Every run must end
// on its own with status 0 and the farewell last, and write only whole files that the
// full script writes too.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "core/map_layout.h"
#include "support/run_program.h"
#include "support/test_maps.h"
#include "transform/test_bitmaps.h"

namespace plandrix {
namespace {

using testing::Files;

const std::string kFarewell = "Hopefully everything went better than expected!\n";

Files SweepFiles() {
  auto map = testing::MakeBlankMap(16, 12);
  // Terrain of every class, so that every placement rule is met.
  testing::FillBlock(map, 2, [](std::size_t x, std::size_t y) {
    return static_cast<std::uint8_t>((x * 7 + y * 3) % 24);
  });
  testing::FillBlock(map, 3, [](std::size_t x, std::size_t y) {
    return static_cast<std::uint8_t>((x + y * 5) % 20);
  });
  return {
      {"a.swd", map},
      {"p.bmp", testing::Make4BitBmp(16, 12,
                                     [](std::size_t x, std::size_t y) {
                                       return static_cast<std::uint8_t>((x + y) % 16);
                                     })},
      // Steep steps, so that the height-map help is offered.
      {"h.bmp", testing::Make8BitBmp(16, 12,
                                     [](std::size_t x, std::size_t y) {
                                       return static_cast<std::uint8_t>(((x + y) % 3) * 120);
                                     })},
  };
}

// Every cut of the script: at each line end and after the first character of each line.
std::vector<std::string> Prefixes(const std::string& script) {
  std::set<std::size_t> cuts = {0, script.size()};
  for (std::size_t i = 0; i < script.size(); ++i) {
    if (script[i] == '\n') {
      cuts.insert(i);      // before the line end: the last reply has no line end
      cuts.insert(i + 1);  // after it
      if (i + 2 < script.size()) cuts.insert(i + 2);  // inside the next line
    }
  }
  std::vector<std::string> prefixes;
  for (std::size_t cut : cuts) prefixes.push_back(script.substr(0, cut));
  return prefixes;
}

void Sweep(const std::string& script) {
  const Files files = SweepFiles();
  const auto full = testing::RunProgram(script, files);
  ASSERT_EQ(full.exit_status, 0);
  testing::RunOptions options;
  options.timeout_seconds = 10;
  for (const std::string& prefix : Prefixes(script)) {
    const auto run = testing::RunProgram(prefix, files, options);
    ASSERT_EQ(run.exit_status, 0) << "input: [" << prefix << "]";
    ASSERT_GE(run.output.size(), kFarewell.size()) << "input: [" << prefix << "]";
    EXPECT_EQ(run.output.substr(run.output.size() - kFarewell.size()), kFarewell)
        << "input: [" << prefix << "]";
    for (const auto& [name, bytes] : run.written) {
      auto whole = full.written.find(name);
      ASSERT_NE(whole, full.written.end()) << name << " after [" << prefix << "]";
      // A whole map: as long as its stated size needs, ending in the final 0xFF. (Sizes
      // may differ from the full run's: a cut reply can type another map size.)
      ASSERT_TRUE(MapImageIsComplete(bytes)) << name << " after [" << prefix << "]";
      EXPECT_EQ(bytes[MapLength(MapWidth(bytes), MapHeight(bytes)) - 1], 0xFF)
          << name << " after [" << prefix << "]";
    }
  }
}

TEST(EndOfInputSweep, EditingTools) {
  Sweep(
      "1\na.swd\n17\n3\n2\n5\n9\n20\n1 3\n1\n0\n1\n"  // object editor
      "5\na.swd\n30\n62\n0\n"                         // set heights
      "3\na.swd\n1\n2\n3\n7\n0\n"                     // mirror and rotate
      "0\n");
}

TEST(EndOfInputSweep, RandomTools) {
  Sweep(
      "6\na.swd\n1\n5\n12345679\n1\n1\n1\n1\n1\n"  // random objects, own seed asked twice
      "7\na.swd\n87654321\n"                       // random heights
      "8\n30\n20\n0\n"                             // random map
      "10\na.swd\n"                                // resources
      "0\n");
}

TEST(EndOfInputSweep, BitmapToolsAndSmallOptions) {
  Sweep(
      "2\np.bmp\n"                  // terrain from a bitmap
      "9\na.swd\nh.bmp\n1\n1\n2\n"  // height map: black offset, help once, then refused
      "9\n0\nh.bmp\n"               // aborted map prompt still asks for the bitmap
      "11\n12\n4\nmissing.swd\n0\n");
}

}  // namespace
}  // namespace plandrix
