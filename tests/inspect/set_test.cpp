// set: the header bytes it writes, and what it refuses before reading the map.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/map_format.h"
#include "core/terrain.h"
#include "inspect/map_tool_runner.h"
#include "support/test_maps.h"

namespace plandrix {
namespace {

using testing::RunMapTool;
using testing::TempFolder;
using Bytes = std::vector<std::uint8_t>;

TEST(SetCommand, WritesTheFieldsAndNothingElse) {
  Bytes map = testing::MakeBlankMap(8, 6);
  map[kLandscapeOffset] = 1;
  testing::At(map, kTerrainBlock1, 3, 3) = kWastelandLava;  // wasteland only
  TempFolder folder;
  folder.Write("m.wld", map);
  const auto run = RunMapTool(folder, "set m.wld --title Tiny --author Ann --landscape greenland");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "nm.wld: title 'Tiny', author 'Ann', landscape greenland\n");
  EXPECT_EQ(run.err,
            "plandrix-map: set: warning: terrain codes that greenland does not define: 17 (1 "
            "triangle); the game refuses such a map\n");
  Bytes expected = map;
  // Each text field is 20 bytes: the text, then zeros (the old "GeneratedWorld" is gone).
  const std::string title = std::string("Tiny") + std::string(16, '\0');
  const std::string author = std::string("Ann") + std::string(17, '\0');
  std::copy(title.begin(), title.end(), expected.begin() + 10);
  std::copy(author.begin(), author.end(), expected.begin() + 36);
  expected[34] = 0;
  EXPECT_EQ(folder.ReadAll().at("nm.wld"), expected);
}

TEST(SetCommand, RefusesBadFieldsBeforeReading) {
  const struct {
    std::string args;
    std::string message;
  } cases[] = {
      {"m.wld", "give --title, --author or --landscape"},
      {"m.wld --title 12345678901234567890", "has 20 characters; it holds at most 19"},
      {"missing.wld --title é", "the title may hold only printable ASCII characters"},
      {"m.wld --landscape winterworld", "--landscape takes greenland, wasteland or winter"},
      {"m.wld --title ok -o m.wld", "m.wld is the input map"},
  };
  for (const auto& c : cases) {
    TempFolder folder;
    folder.Write("m.wld", testing::MakeBlankMap(8, 6));
    const auto run = RunMapTool(folder, "set " + c.args);
    EXPECT_NE(run.status, 0) << c.args;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << c.args << ": " << run.err;
    EXPECT_EQ(folder.ReadAll().size(), 1u) << c.args;
  }
  // Nineteen characters fit.
  TempFolder folder;
  folder.Write("m.wld", testing::MakeBlankMap(8, 6));
  EXPECT_EQ(RunMapTool(folder, "set m.wld --title 1234567890123456789").status, 0);
}

}  // namespace
}  // namespace plandrix
