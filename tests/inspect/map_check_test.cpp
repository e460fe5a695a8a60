#include "inspect/map_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "core/map_layout.h"
#include "core/terrain.h"
#include "support/test_maps.h"

namespace plandrix {
namespace {

using testing::At;
using Image = std::vector<std::uint8_t>;

// A map the game takes without a word: 8 x 6, one player and that player's headquarters.
Image CleanMap() {
  Image image = testing::MakeBlankMap(8, 6);
  image[kPlayerCountOffset] = 1;
  At(image, kObjectTypeBlock, 2, 3) = kHeadquartersType;
  At(image, kObjectIndexBlock, 2, 3) = 0;
  return image;
}

std::vector<std::string> Codes(const std::vector<Finding>& findings) {
  std::vector<std::string> codes;
  for (const Finding& finding : findings) codes.emplace_back(finding.code);
  return codes;
}

struct Case {
  const char* name;
  std::function<void(Image&)> change;
  std::vector<std::string> codes;  // errors first, then warnings, in the order of the file
};

// One change of the clean map per finding.
std::vector<Case> Cases() {
  return {
      {"clean", [](Image&) {}, {}},
      {"shorter than the header", [](Image& m) { m.resize(100); }, {"too-short"}},
      {"one byte short", [](Image& m) { m.pop_back(); }, {"too-short"}},
      {"65535 x 65535 over a short file",
       [](Image& m) {
         WriteU16(m, kWidthOffset, 65535);
         WriteU16(m, kHeightOffset, 65535);
       },
       {"too-short", "size-mismatch"}},
      {"signature", [](Image& m) { m[3] = 'X'; }, {"bad-signature"}},
      {"header mark", [](Image& m) { WriteU16(m, kHeaderMarkOffset, 10000); }, {"bad-header-mark"}},
      {"block header",
       [](Image& m) { m[BlockHeaderOffset(4, 48) + 10] = 2; },
       {"bad-block-header"}},
      {"end mark", [](Image& m) { m.back() = 0; }, {"no-end-mark"}},
      {"terrain 17 on greenland",
       [](Image& m) { At(m, kTerrainBlock2, 7, 5) = 17; },
       {"unknown-terrain"}},
      {"size copies", [](Image& m) { WriteU16(m, kHeaderWidthOffset, 9); }, {"size-mismatch"}},
      {"trailing bytes", [](Image& m) { m.insert(m.end(), 3, 0); }, {"trailing-bytes"}},
      {"height 61", [](Image& m) { At(m, kHeightBlock, 0, 0) = 61; }, {"height-above-60"}},
      {"no players", [](Image& m) { m[kPlayerCountOffset] = 0; }, {"no-players"}},
      {"second player without headquarters",
       [](Image& m) { m[kPlayerCountOffset] = 2; },
       {"missing-headquarters"}},
      {"resource 0x48", [](Image& m) { At(m, kResourceBlock, 1, 1) = 0x48; }, {"unknown-resource"}},
      {"landscape 3", [](Image& m) { m[kLandscapeOffset] = 3; }, {"unknown-landscape"}},
      {"eight players",
       [](Image& m) {
         m[kPlayerCountOffset] = 8;
         for (std::uint8_t p = 1; p < 7; ++p) {
           At(m, kObjectTypeBlock, p, 0) = kHeadquartersType;
           At(m, kObjectIndexBlock, p, 0) = p;
         }
       },
       {"too-many-players"}},
      // What the game knows is not reported: code 17 in a wasteland, a harbour on flat
      // mountain, heights up to 60, every resource range.
      {"known bytes",
       [](Image& m) {
         m[kLandscapeOffset] = 1;
         At(m, kTerrainBlock1, 0, 0) = 17;
         At(m, kTerrainBlock1, 1, 0) = kHarbourFlag | 34;
         At(m, kHeightBlock, 3, 3) = 60;
         const std::uint8_t resources[] = {0x20, 0x21, 0x41, 0x4F, 0x51, 0x5F, 0x81, 0x8F};
         for (std::uint8_t x = 0; x < 8; ++x) At(m, kResourceBlock, x, 4) = resources[x];
       },
       {}},
  };
}

TEST(MapCheck, EachFindingFromOneCraftedMap) {
  for (const Case& c : Cases()) {
    Image image = CleanMap();
    c.change(image);
    EXPECT_EQ(Codes(CheckMap(image)), c.codes) << c.name;
  }
}

TEST(MapCheck, ZeroSizeAndEmptyFiles) {
  Image zero = testing::MakeBlankMap(0, 6);
  zero[kPlayerCountOffset] = 1;
  EXPECT_EQ(Codes(CheckMap(zero)), (std::vector<std::string>{"zero-size", "missing-headquarters"}));
  EXPECT_EQ(Codes(CheckMap({})), std::vector<std::string>{"too-short"});
}

TEST(MapCheck, MessagesSayWhatAndHowMany) {
  Image image = CleanMap();
  image[kPlayerCountOffset] = 3;
  At(image, kTerrainBlock1, 0, 0) = 0x40 | 17;
  At(image, kTerrainBlock2, 1, 0) = 17;
  At(image, kTerrainBlock2, 2, 0) = 63;
  image[0] = 'B';
  image[1] = 'M';
  const auto findings = CheckMap(image);
  ASSERT_EQ(findings.size(), 4U);
  EXPECT_EQ(findings[0].message,
            "the file does not begin with WORLD_V1.0 (it begins like a bitmap)");
  EXPECT_EQ(findings[1].message,
            "terrain codes that greenland does not know: 17 (2 triangles), 63 (1 triangle)");
  EXPECT_EQ(findings[2].message,
            "player 1 has no headquarters (no vertex with object type 0x80 and object index 1)");
  EXPECT_EQ(findings[3].code, "missing-headquarters");
  EXPECT_TRUE(HasError(findings));
  Image short_map = CleanMap();
  short_map.resize(3000);
  EXPECT_EQ(CheckMap(short_map).front().message,
            "the file is 3000 bytes long, a map of 8 x 6 needs 3249");
}

}  // namespace
}  // namespace plandrix
