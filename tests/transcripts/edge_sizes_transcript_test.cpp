// Sizes at the edges of what a map file can state, run through the real program.
#include <gtest/gtest.h>

#include <string>

#include "core/map_layout.h"
#include "support/run_program.h"
#include "support/test_maps.h"

namespace plandrix {
namespace {

using testing::MakeBlankMap;
using testing::QuitText;
using testing::RunProgram;

const std::string kSaved = "\nMap has been saved!\nName:nGen.wld\n\n";

TEST(EdgeSizesTranscript, OneVertexWideOrHighRandomMaps) {
  for (auto [w, h] : {std::pair{1, 65535}, std::pair{65535, 1}}) {
    const std::string script = "8\n" + std::to_string(w) + "\n" + std::to_string(h) + "\n0\n0\n";
    const auto run = RunProgram(script);
    EXPECT_EQ(run.exit_status, 0) << w << " x " << h;
    ASSERT_EQ(run.written.size(), 1u) << w << " x " << h;
    const auto& map = run.written.at("nGen.wld");
    ASSERT_EQ(map.size(), MapLength(static_cast<std::size_t>(w), static_cast<std::size_t>(h)));
    EXPECT_EQ(MapWidth(map), static_cast<std::size_t>(w));
    EXPECT_EQ(MapHeight(map), static_cast<std::size_t>(h));
    EXPECT_EQ(map.back(), 0xFF);
    // No region fits into a map one vertex wide or high: the terrain stays blank.
    const std::size_t n = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
    for (int block : {2, 3}) {
      for (std::uint8_t code : Block(std::span<const std::uint8_t>(map), block, n)) {
        ASSERT_EQ(code, 5);
      }
    }
    EXPECT_NE(run.output.find(kSaved), std::string::npos);
    EXPECT_EQ(run.output.substr(run.output.size() - QuitText().size()), QuitText());
  }
}

TEST(EdgeSizesTranscript, HeaderStatingTheLargestSizeOverAShortFileIsRefused) {
  auto map = MakeBlankMap(4, 4);
  map[2348] = map[2349] = map[2350] = map[2351] = 0xFF;  // 65535 x 65535
  // Every tool that loads a map refuses it and writes nothing.
  for (const char* script : {"10\nbig.swd\n0\n", "1\nbig.swd\n0\n", "6\nbig.swd\n0\n",
                             "7\nbig.swd\n0\n", "5\nbig.swd\n0\n0\n", "3\nbig.swd\n0\n"}) {
    const auto run = RunProgram(script, {{"big.swd", map}});
    EXPECT_EQ(run.exit_status, 0) << script;
    EXPECT_NE(run.output.find("Map has been loaded!\nERROR: Mapfile is too short for its size!\n"),
              std::string::npos)
        << script;
    EXPECT_EQ(run.output.find("Map has been saved!"), std::string::npos) << script;
    EXPECT_TRUE(run.written.empty()) << script;
  }
}

}  // namespace
}  // namespace plandrix
