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

// Player p's headquarters mark at (x, y), and the header's slot when it has one.
void SetMark(Image& m, std::uint8_t p, std::size_t x, std::size_t y) {
  At(m, kObjectTypeBlock, x, y) = kHeadquartersType;
  At(m, kObjectIndexBlock, x, y) = p;
  if (p >= kHeaderPlayerSlots) return;
  WriteU16(m, kHeadquartersXOffset + 2 * p, x);
  WriteU16(m, kHeadquartersYOffset + 2 * p, y);
}

// A flat meadow: every vertex a castle site.
Image MeadowMap(std::size_t width, std::size_t height) {
  Image image = testing::MakeBlankMap(width, height);
  testing::FillBlock(image, kTerrainBlock1, [](std::size_t, std::size_t) { return kMeadow1; });
  testing::FillBlock(image, kTerrainBlock2, [](std::size_t, std::size_t) { return kMeadow1; });
  return image;
}

// A map the game takes without a word: an 8 x 6 meadow, one player and that player's
// headquarters, whose position the header gives too.
Image CleanMap() {
  Image image = MeadowMap(8, 6);
  image[kPlayerCountOffset] = 1;
  SetMark(image, 0, 2, 3);
  return image;
}

std::vector<std::string> Codes(const std::vector<Finding>& findings) {
  std::vector<std::string> codes;
  for (const Finding& finding : findings) {
    codes.push_back((finding.severity == Severity::kError ? "E " : "W ") +
                    std::string(finding.code));
  }
  return codes;
}

// The header of block k (1 to 14) of a map of n vertices, whose blocks are all present.
std::size_t HeaderOf(int block, std::size_t n) { return BlockHeaderOffset(block, n); }

struct Case {
  const char* name;
  std::function<void(Image&)> change;
  // "E code" for an error, "W code" for a warning: errors first, each class in the order
  // of the file.
  std::vector<std::string> codes;
};

// One change of the clean map per finding; the game's answer to each is in the comment.
std::vector<Case> Cases() {
  // The clean map has 8 x 6 vertices.
  static constexpr std::size_t n = 48;
  return {
      {"clean", [](Image&) {}, {}},
      {"shorter than the header", [](Image& m) { m.resize(100); }, {"E too-short"}},
      {"one byte short: the end mark is gone", [](Image& m) { m.pop_back(); }, {"E no-end-mark"}},
      {"ends inside the last block",
       [](Image& m) { m.erase(m.end() - 2, m.end()); },
       {"E too-short"}},
      {"65535 x 65535 over a short file",
       [](Image& m) {
         WriteU16(m, kWidthOffset, 65535);
         WriteU16(m, kHeightOffset, 65535);
       },
       {"E odd-height", "E side-above-2048", "E too-short", "W size-mismatch"}},
      // A text file: one finding and nothing else.
      {"text file", [](Image& m) { m.assign(5000, 'a'); }, {"E bad-signature"}},
      {"signature", [](Image& m) { m[3] = 'X'; }, {"E bad-signature"}},
      {"header mark",
       [](Image& m) { WriteU16(m, kHeaderMarkOffset, 10000); },
       {"E bad-header-mark"}},
      {"odd height: 8 x 5 (the loader refuses it)",
       [](Image& m) {
         m = MeadowMap(8, 5);
         m[kPlayerCountOffset] = 1;
         SetMark(m, 0, 2, 3);
       },
       {"E odd-height"}},
      {"2050 wide",
       [](Image& m) {
         m = MeadowMap(2050, 2);
         m[kPlayerCountOffset] = 1;
         SetMark(m, 0, 2, 1);
       },
       {"E side-above-2048"}},
      {"landscape 3", [](Image& m) { m[kLandscapeOffset] = 3; }, {"E unknown-landscape"}},
      {"count 0", [](Image& m) { m[kPlayerCountOffset] = 0; }, {"E no-players"}},
      {"count 2, one mark",
       [](Image& m) { m[kPlayerCountOffset] = 2; },
       {"E missing-headquarters"}},
      {"count 7 and 7 marks far apart",
       [](Image& m) {
         m = MeadowMap(160, 40);
         m[kPlayerCountOffset] = 7;
         for (std::uint8_t p = 0; p < 7; ++p) SetMark(m, p, 20 * p, p % 2 == 0 ? 2 : 22);
       },
       {}},
      {"count 8: the eighth mark, index 7, has no header slot",
       [](Image& m) {
         m = MeadowMap(160, 40);
         m[kPlayerCountOffset] = 8;
         for (std::uint8_t p = 0; p < 8; ++p) SetMark(m, p, 20 * p, p % 2 == 0 ? 2 : 22);
       },
       {}},
      {"count 8 without the mark of index 7",
       [](Image& m) {
         m = MeadowMap(160, 40);
         m[kPlayerCountOffset] = 8;
         for (std::uint8_t p = 0; p < 7; ++p) SetMark(m, p, 20 * p, p % 2 == 0 ? 2 : 22);
       },
       {"E missing-headquarters"}},
      {"count 9", [](Image& m) { m[kPlayerCountOffset] = 9; }, {"E too-many-players"}},
      {"a second mark of player 0 (the game takes the later one, 6,5)",
       [](Image& m) {
         At(m, kObjectTypeBlock, 6, 5) = kHeadquartersType;
         At(m, kObjectIndexBlock, 6, 5) = 0;
       },
       {"W duplicate-headquarters", "W header-headquarters-differ"}},
      // (0, 1) and (7, 1) are 1 step apart across the left edge; 8 x 6 wraps both ways.
      {"two marks close across the edge",
       [](Image& m) {
         m[kPlayerCountOffset] = 2;
         SetMark(m, 0, 0, 1);
         SetMark(m, 1, 7, 1);
         At(m, kObjectTypeBlock, 2, 3) = 0;
       },
       {"W headquarters-too-close"}},
      // A tree beside the headquarters at (2, 3): a hut site. The game builds there anyway.
      {"a tree beside the headquarters",
       [](Image& m) {
         At(m, kObjectTypeBlock, 3, 3) = kFirstTreeType;
         At(m, kObjectIndexBlock, 3, 3) = 0x30;
       },
       {"W headquarters-not-castle"}},
      // Only the marks the game takes are judged: granite beside the earlier mark of player
      // 0 and beside a mark of player 1, above the count, says nothing.
      {"granite beside marks the game does not take",
       [](Image& m) {
         At(m, kObjectTypeBlock, 6, 5) = kHeadquartersType;
         At(m, kObjectTypeBlock, 1, 3) = kFirstGraniteType;
         At(m, kObjectIndexBlock, 1, 3) = 2;
         At(m, kObjectTypeBlock, 5, 1) = kHeadquartersType;
         At(m, kObjectIndexBlock, 5, 1) = 1;
         At(m, kObjectTypeBlock, 6, 1) = kFirstGraniteType;
         At(m, kObjectIndexBlock, 6, 1) = 2;
       },
       {"W duplicate-headquarters", "W header-headquarters-differ"}},
      {"header slot differs from the mark",
       [](Image& m) { WriteU16(m, kHeadquartersXOffset, 5); },
       {"W header-headquarters-differ"}},
      // One extra animal record (a duck at 3,4) before the final byte: the game reads it.
      {"an extra animal record",
       [](Image& m) {
         m.back() = kDuck;
         for (const int byte : {3, 0, 4, 0, 0xFF}) m.push_back(static_cast<std::uint8_t>(byte));
       },
       {}},
      {"a record cut short by the end of the file",
       [](Image& m) {
         m.back() = kDuck;
         m.push_back(3);
       },
       {"E no-end-mark"}},
      // The last block declared absent with its data left out: the game loads it.
      {"multiplier 0 on the last block",
       [](Image& m) {
         m[HeaderOf(14, n) + kBlockMultiplierField] = 0;
         m.erase(m.end() - 1 - static_cast<long>(n), m.end() - 1);
       },
       {}},
      {"multiplier 0 on the resources (block 12)",
       [](Image& m) {
         m[HeaderOf(12, n) + kBlockMultiplierField] = 0;
         const auto data = m.begin() + static_cast<long>(BlockDataOffset(12, n));
         m.erase(data, data + static_cast<long>(n));
       },
       {"E missing-layer"}},
      {"multiplier 2",
       [](Image& m) { m[HeaderOf(4, n) + kBlockMultiplierField] = 2; },
       {"W odd-block-multiplier"}},
      {"broken header on the last block",
       [](Image& m) { m[HeaderOf(14, n) + kBlockWidthField] = 9; },
       {"E bad-block-header"}},
      {"block mark", [](Image& m) { m[HeaderOf(3, n)] = 0; }, {"E bad-block-header"}},
      {"terrain 17 on greenland",
       [](Image& m) { At(m, kTerrainBlock2, 7, 5) = 17; },
       {"E unknown-terrain"}},
      {"size copies", [](Image& m) { WriteU16(m, kHeaderWidthOffset, 9); }, {"W size-mismatch"}},
      {"trailing bytes", [](Image& m) { m.insert(m.end(), 3, 0); }, {"W trailing-bytes"}},
      {"height 61", [](Image& m) { At(m, kHeightBlock, 0, 0) = 61; }, {"W height-above-60"}},
      {"resource 0x48",
       [](Image& m) { At(m, kResourceBlock, 1, 1) = 0x48; },
       {"W unknown-resource"}},
      // A harbour bit on land with no sea at all: dropped.
      {"harbour without a sea",
       [](Image& m) { At(m, kTerrainBlock1, 4, 2) = kHarbourFlag | kMeadow1; },
       {"W harbour-without-sea"}},
      // What the game knows is not reported: code 17 in a wasteland, heights up to 60,
      // every resource range, a harbour bit in the second terrain block (ignored).
      {"known bytes",
       [](Image& m) {
         m[kLandscapeOffset] = 1;
         At(m, kTerrainBlock1, 0, 0) = 17;
         At(m, kTerrainBlock2, 1, 0) = kHarbourFlag | 34;
         At(m, kHeightBlock, 6, 0) = 60;
         const std::uint8_t resources[] = {0x20, 0x21, 0x41, 0x4F, 0x51, 0x5F, 0x81, 0x8F};
         for (std::uint8_t x = 0; x < 8; ++x) At(m, kResourceBlock, x, 4) = resources[x];
       },
       {}},
  };
}

TEST(MapCheck, EachFindingWithItsClassFromOneCraftedMap) {
  for (const Case& c : Cases()) {
    Image image = CleanMap();
    c.change(image);
    EXPECT_EQ(Codes(CheckMap(image)), c.codes) << c.name;
  }
}

// A harbour place is kept when a neighbour other than the north-west one is on the coast
// of a sea of at least 21 points (vertices whose six triangles are all water). On a 32 x 8
// meadow, the vertices of rows 2 and 3 from column 2 to column last own water triangles:
// the sea points are then the vertices of row 3 (odd) from column 3 to last - 1, which
// alone have all six triangles in those rows. The harbour at (10, 5) has the coast vertex
// (11, 4) to its north-east, next to the sea points (10, 3) and (11, 3).
TEST(MapCheck, HarbourNeedsASeaOfTwentyOnePoints) {
  for (const auto& [last, kept] : {std::pair{24u, true}, std::pair{23u, false}}) {
    Image m = testing::MakeBlankMap(32, 8);
    m[kPlayerCountOffset] = 1;
    SetMark(m, 0, 20, 6);
    const auto terrain = [last = last](std::size_t x, std::size_t y) {
      return y >= 2 && y <= 3 && x >= 2 && x <= last ? kWater : kMeadow1;
    };
    testing::FillBlock(m, kTerrainBlock1, terrain);
    testing::FillBlock(m, kTerrainBlock2, terrain);
    At(m, kTerrainBlock1, 10, 5) = kHarbourFlag | kMeadow1;
    EXPECT_EQ(Codes(CheckMap(m)),
              kept ? std::vector<std::string>{} : std::vector<std::string>{"W harbour-without-sea"})
        << "sea of " << last - 3 << " points";
  }
}

TEST(MapCheck, ZeroSizeAndEmptyFiles) {
  Image zero = testing::MakeBlankMap(0, 6);
  zero[kPlayerCountOffset] = 1;
  EXPECT_EQ(Codes(CheckMap(zero)), std::vector<std::string>{"E zero-size"});
  EXPECT_EQ(Codes(CheckMap({})), std::vector<std::string>{"E bad-signature"});
}

TEST(MapCheck, MessagesSayWhatAndHowMany) {
  Image bitmap = CleanMap();
  bitmap[0] = 'B';
  bitmap[1] = 'M';
  EXPECT_EQ(CheckMap(bitmap).front().message,
            "not a SettlersII map: the file does not begin with WORLD_V1.0 (it begins like a "
            "bitmap)");
  // 7 x 2: 14 vertices, so the byte counts end on a tail of 2 after whole groups of 4.
  Image image = testing::MakeBlankMap(7, 2);
  image[kPlayerCountOffset] = 2;
  SetMark(image, 0, 0, 0);
  At(image, kTerrainBlock1, 0, 0) = 0x40 | 17;
  At(image, kTerrainBlock2, 6, 1) = 17;
  At(image, kTerrainBlock2, 5, 1) = 63;
  At(image, kHeightBlock, 6, 1) = 70;
  const auto findings = CheckMap(image);
  ASSERT_EQ(Codes(findings), (std::vector<std::string>{
                                 "E unknown-terrain", "E missing-headquarters", "W height-above-60",
                                 "W headquarters-not-castle", "W harbour-without-sea"}));
  EXPECT_EQ(findings[0].message,
            "terrain codes that greenland does not know: 17 (2 triangles), 63 (1 triangle)");
  EXPECT_EQ(findings[1].message,
            "player 1 has no headquarters (no vertex with object type 0x80 and object index 1): "
            "the game cannot start a match");
  EXPECT_EQ(findings[2].message, "1 vertex is higher than 60 (highest 70)");
  // (0, 0) of a map of water.
  EXPECT_EQ(findings[3].message,
            "the headquarters of player 0 (0,0) stands on no castle site (nothing fits there): "
            "the game builds it there anyway and levels the ground");
  // On the clean meadow, a height of 13 two steps east of the headquarters at (2, 3).
  Image hut = CleanMap();
  At(hut, kHeightBlock, 4, 3) = 13;
  EXPECT_EQ(CheckMap(hut).front().message,
            "the headquarters of player 0 (2,3) stands on no castle site (at most a hut fits "
            "there): the game builds it there anyway and levels the ground");
  Image short_map = CleanMap();
  // Blocks of 16 + 48 bytes from 2352: 3000 ends inside the eleventh.
  short_map.resize(3000);
  EXPECT_EQ(CheckMap(short_map).front().message,
            "the file is 3000 bytes long and ends inside block 11; a map of 8 x 6 needs 3249");
  Image far = testing::MakeBlankMap(64, 64);
  far[kPlayerCountOffset] = 2;
  SetMark(far, 0, 1, 0);
  SetMark(far, 1, 1, 62);
  EXPECT_EQ(CheckMap(far).front().message,
            "the headquarters of players 0 (1,0) and 1 (1,62) are 2 steps apart, the shortest "
            "way around the map: fewer than 18, so their first territories overlap");
}

}  // namespace
}  // namespace plandrix
