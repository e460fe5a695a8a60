#include "inspect/map_stats.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "core/map_format.h"
#include "core/map_layout.h"
#include "core/terrain.h"
#include "inspect/map_report.h"
#include "support/test_maps.h"

namespace plandrix {
namespace {

using testing::At;

TEST(MapStats, CountsEveryKindOnACraftedMap) {
  std::vector<std::uint8_t> image = testing::MakeBlankMap(4, 3);  // 24 triangles of water
  image[kLandscapeOffset] = 2;
  image[kPlayerCountOffset] = 1;
  image[kTitleOffset + 2] = 1;  // "Ge\x01eratedWorld": a byte no terminal should get
  At(image, kHeightBlock, 1, 1) = 3;
  At(image, kHeightBlock, 2, 2) = 44;
  At(image, kTerrainBlock1, 0, 0) = 8;
  At(image, kTerrainBlock2, 3, 2) = kHarbourFlag | 8;  // counted by its code
  At(image, kTerrainBlock2, 0, 1) = 34;
  const std::uint8_t types[] = {196, 198, 204, 205, 0x80, 1, 200, 197};
  for (std::uint8_t x = 0; x < 8; ++x) At(image, kObjectTypeBlock, x % 4, x / 4) = types[x];
  At(image, kAnimalBlock, 3, 2) = 5;
  At(image, kAnimalBlock, 0, 2) = 1;
  At(image, kAnimalBlock, 1, 0) = 0xFF;  // no animal for the game
  At(image, kAnimalBlock, 2, 0) = 7;     // skipped by the game
  const std::uint8_t resources[] = {0x21, 0x20, 0x43, 0x4A, 0x57, 0x59, 0x81, 0x48, 0x40};
  for (std::uint8_t x = 0; x < 9; ++x) At(image, kResourceBlock, x % 4, x / 4) = resources[x];

  const auto stats = CountMap(image);
  ASSERT_TRUE(stats);
  EXPECT_EQ(StatsJson(*stats),
            "{\"title\":\"Ge\\u0001eratedWorld\",\"author\":\"Tavikone and "
            "Tool\",\"width\":4,\"height\":3,\"landscape\":2,\"players\":1,\"height_min\":3,"
            "\"height_max\":44,\"terrain\":{\"5\":21,\"8\":2,\"34\":1},\"trees\":3,\"granite\":2,"
            "\"objects\":2,\"headquarters\":1,\"marks\":[{\"player\":0,\"x\":0,\"y\":1}],"
            "\"animals\":2,\"resources\":{\"water\":2,\"coal\":1,"
            "\"iron\":1,\"gold\":1,\"granite\":1,\"fish\":1}}");
  EXPECT_EQ(stats->unknown_resources, 2U);
  std::ostringstream text;
  PrintStats(text, *stats);
  EXPECT_EQ(text.str(),
            "title         Ge\\x01eratedWorld\n"
            "author        Tavikone and Tool\n"
            "width         4\n"
            "height        3\n"
            "landscape     winter world (2)\n"
            "players       1\n"
            "heights       3 to 44\n"
            "terrain       triangles of each code\n"
            "   5 water                       21\n"
            "   8 tundra 1                     2\n"
            "  34 flat mountain                1\n"
            "trees         3\n"
            "granite       2\n"
            "objects       2\n"
            "headquarters  1\n"
            "  player 0    0,1\n"
            "animals       2\n"
            "resources     water 2, coal 1, iron 1, gold 1, granite 1, fish 1, unknown 2\n");
}

TEST(MapStats, RefusesWhatIsNoWholeMap) {
  std::vector<std::uint8_t> image = testing::MakeBlankMap(4, 3);
  image.pop_back();
  EXPECT_FALSE(CountMap(image));
  EXPECT_FALSE(CountMap({}));
  const auto empty = CountMap(testing::MakeBlankMap(0, 0));
  ASSERT_TRUE(empty);
  EXPECT_EQ(empty->height_min, 0);
  EXPECT_EQ(empty->height_max, 0);
}

TEST(MapReport, JsonStringsAreValidForAnyName) {
  const struct {
    std::string text;
    std::string json;
  } cases[] = {
      {"a.swd", "\"a.swd\""},
      {"q\"b\\", "\"q\\\"b\\\\\""},
      {"tab\tnl\n", "\"tab\\u0009nl\\u000a\""},
      {"h\xC3\xA4t", "\"h\xC3\xA4t\""},  // UTF-8 stays as it is
      {"bad\xFF\xC3", "\"bad\\u00ff\\u00c3\""},
  };
  for (const auto& c : cases) EXPECT_EQ(JsonString(c.text), c.json) << c.text;
}

}  // namespace
}  // namespace plandrix
