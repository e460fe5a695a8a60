// players: the header and object bytes it writes, what it refuses, and --auto on maps
// with too little land, exactly enough, land across the map's wrapped edge, and random
// maps of the menu program.
#include "inspect/players.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "core/map_format.h"
#include "core/map_grid.h"
#include "core/terrain.h"
#include "inspect/building_quality.h"
#include "inspect/map_tool_runner.h"
#include "support/run_program.h"
#include "support/test_maps.h"

namespace plandrix {
namespace {

using testing::At;
using testing::FillBlock;
using testing::MakeBlankMap;
using testing::RunMapTool;
using testing::TempFolder;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kTree = 196;

Bytes MeadowMap(std::size_t width, std::size_t height) {
  Bytes map = MakeBlankMap(width, height);
  FillBlock(map, kTerrainBlock1, [](auto, auto) { return kMeadow1; });
  FillBlock(map, kTerrainBlock2, [](auto, auto) { return kMeadow1; });
  return map;
}

// Sets the six triangles around (x, y): the first and second of the north-west neighbour,
// the first of the north-east one, the vertex's own two and the second of the west one.
void PaintAround(Bytes& map, std::size_t x, std::size_t y, std::uint8_t code) {
  const MapGrid grid(MapWidth(map), MapHeight(map));
  for (const Triangle t : grid.TrianglesAround({x, y})) {
    const Point p = grid.PointOf(t.vertex);
    At(map, t.second ? kTerrainBlock2 : kTerrainBlock1, p.x, p.y) = code;
  }
}

// The steps between the nearest two that players printed on its first line.
std::size_t PrintedNearest(const std::string& out) {
  const std::size_t at = out.find("the nearest two ");
  return at == std::string::npos ? 0 : std::stoul(out.substr(at + 16));
}

TEST(Players, WritesHeaderSlotsMarksAndClearsTheGround) {
  Bytes map = MeadowMap(12, 10);
  FillBlock(map, kObjectTypeBlock, [](auto, auto) { return kTree; });
  FillBlock(map, kObjectIndexBlock, [](auto, auto) { return std::uint8_t{0x30}; });
  At(map, kObjectTypeBlock, 1, 1) = kHeadquartersType;  // an earlier player 3
  At(map, kObjectIndexBlock, 1, 1) = 3;
  map[kPlayerCountOffset] = 5;
  TempFolder folder;
  folder.Write("m.wld", map);
  const auto run = RunMapTool(folder, "players m.wld --hq 4,4 --hq=7,5");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "nm.wld: 2 players, the nearest two 4 steps apart the shortest way around the map\n"
            "player 0: headquarters at 4,4\nplayer 1: headquarters at 7,5\n");

  Bytes expected = map;
  expected[35] = 2;
  const Bytes slots = {4, 0, 7, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                       4, 0, 5, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  std::copy(slots.begin(), slots.end(), expected.begin() + 56);
  // The earlier mark goes; each headquarters and its six neighbours lose their trees
  // (an even row's neighbours above and below are x - 1 and x, an odd row's x and x + 1).
  const std::vector<Point> cleared = {{1, 1}, {3, 4}, {5, 4}, {3, 3}, {4, 3}, {3, 5}, {4, 5},
                                      {6, 5}, {8, 5}, {7, 4}, {8, 4}, {7, 6}, {8, 6}};
  for (const Point& v : cleared) {
    At(expected, kObjectTypeBlock, v.x, v.y) = 0;
    At(expected, kObjectIndexBlock, v.x, v.y) = 0;
  }
  At(expected, kObjectTypeBlock, 4, 4) = kHeadquartersType;
  At(expected, kObjectIndexBlock, 4, 4) = 0;
  At(expected, kObjectTypeBlock, 7, 5) = kHeadquartersType;
  At(expected, kObjectIndexBlock, 7, 5) = 1;
  EXPECT_EQ(folder.ReadAll().at("nm.wld"), expected);
}

TEST(Players, RefusesBadPositionsAndOptionsAndWritesNothing) {
  Bytes map = MeadowMap(12, 10);
  PaintAround(map, 2, 2, kWater);
  PaintAround(map, 8, 2, kLava2);
  PaintAround(map, 5, 7, kSnow);
  PaintAround(map, 10, 8, kSwamp);
  struct Case {
    std::string args;
    int status;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"--hq 12,3", 1, "headquarters 12,3 lies outside the map"},
      {"--hq 5,5 --hq 2,2", 1, "headquarters 2,2 touches water (terrain 5), where no one may walk"},
      {"--hq 8,2", 1, "headquarters 8,2 touches lava 2 (terrain 20)"},
      {"--hq 5,7", 1, "headquarters 5,7 touches snow (terrain 2)"},
      {"--hq 10,8", 1, "headquarters 10,8 touches swamp (terrain 3)"},
      {"--hq 5,5 --hq 5,5", 1, "headquarters 5,5 is already another player's headquarters"},
      {"--hq 1,1 --hq 1,2 --hq 1,3 --hq 1,4 --hq 1,5 --hq 1,6 --hq 1,7 --hq 1,8 --hq 1,9", 2,
       "at most 8 headquarters"},
      {"--hq 4:4", 2, "--hq takes X,Y (numbers up to 65535), not '4:4'"},
      {"--hq 4,70000", 2, "not '4,70000'"},
      {"--auto 0", 2, "--auto takes a number of players from 1 to 8, not '0'"},
      {"--auto 9", 2, "not '9'"},
      {"--auto 2 --hq 4,4", 2, "give either --hq positions or --auto N"},
      {"", 2, "give either --hq positions or --auto N"},
      {"--hq 4,4 --seed 3", 2, "--seed goes with --auto only"},
      {"--auto 2 --seed x", 2, "--seed takes a number"},
      {"--hq 4,4 -o m.wld", 2, "m.wld is the input map"},
  };
  for (const Case& c : cases) {
    TempFolder folder;
    folder.Write("m.wld", map);
    const auto run = RunMapTool(folder, "players m.wld " + c.args);
    EXPECT_EQ(run.status, c.status) << c.args;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << c.args << ": " << run.err;
    EXPECT_EQ(folder.ReadAll().size(), 1u) << c.args;
  }
  // The game cannot load a map of odd height.
  TempFolder folder;
  folder.Write("odd.wld", MeadowMap(12, 9));
  const auto run = RunMapTool(folder, "players odd.wld --hq 4,4");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("the height 9 is odd"), std::string::npos) << run.err;
  EXPECT_EQ(folder.ReadAll().size(), 1u);
}

// Open land is what the game lets a castle stand on: six buildable triangles. Each code
// painted around one vertex of a water map, by hand: savannah, shallow water, the meadows,
// steppe, flower meadow, mountain meadow and flat mountain are; desert (roads only),
// mountain (mines), swamp, water, reef, snow and lava are not.
TEST(Players, OpenLandIsBuildableGroundOfEveryKind) {
  const std::vector<std::uint8_t> open = {0, 6, 8, 9, 10, 14, 15, 18, 34};
  for (const int code : {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10,   11,  12,
                         13, 14, 15, 16, 18, 19, 20, 21, 22, 34, 0x48, 0x86}) {
    Bytes map = MakeBlankMap(16, 16);
    PaintAround(map, 8, 8, static_cast<std::uint8_t>(code));
    const bool expected = std::find(open.begin(), open.end(), code & 0x3F) != open.end();
    EXPECT_EQ(inspect::CountOpenLand(map), expected ? 1u : 0u) << code;
  }
}

// Four islands of one open vertex each on a 24 x 20 sea: four players take all four, in
// row order; a fifth does not fit.
TEST(Players, AutoTakesTheOnlyPlacesInRowOrder) {
  Bytes map = MakeBlankMap(24, 20);
  PaintAround(map, 4, 4, kMeadow1);
  PaintAround(map, 15, 11, kSteppe);
  PaintAround(map, 20, 2, kSavannah);
  PaintAround(map, 9, 17, kFlowerMeadow);
  TempFolder folder;
  folder.Write("w.wld", MakeBlankMap(24, 20));
  auto run = RunMapTool(folder, "players w.wld --auto 2");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("only 0 castle sites for 2 players; nothing written"), std::string::npos);
  folder.Write("w.wld", map);
  run = RunMapTool(folder, "players w.wld --auto 5");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("only 4 castle sites for 5 players"), std::string::npos);
  EXPECT_EQ(folder.ReadAll().size(), 1u);
  run = RunMapTool(folder, "players w.wld --auto 4");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out.substr(run.out.find('\n') + 1),
            "player 0: headquarters at 20,2\nplayer 1: headquarters at 4,4\n"
            "player 2: headquarters at 15,11\nplayer 3: headquarters at 9,17\n");
}

// --auto takes castle sites only: of the four islands of one open vertex above, one has
// a tree beside it (a hut site) and one a south-east neighbour 2 higher (a flag site).
TEST(Players, AutoTakesCastleSitesOnly) {
  Bytes map = MakeBlankMap(24, 20);
  PaintAround(map, 4, 4, kMeadow1);
  PaintAround(map, 15, 11, kSteppe);
  PaintAround(map, 20, 2, kSavannah);
  PaintAround(map, 9, 17, kFlowerMeadow);
  At(map, kObjectTypeBlock, 5, 4) = kTree;
  At(map, kObjectIndexBlock, 5, 4) = 0x30;
  At(map, kHeightBlock, 16, 12) = 12;  // south-east of (15, 11), an odd row
  EXPECT_EQ(inspect::CountOpenLand(map), 4U);
  EXPECT_EQ(inspect::CountCastleSites(map), 2U);
  EXPECT_FALSE(inspect::ChooseHeadquarters(map, 3, 1));
  const auto two = inspect::ChooseHeadquarters(map, 2, 1);
  ASSERT_TRUE(two);
  EXPECT_EQ(two->positions, (std::vector<Point>{{20, 2}, {9, 17}}));
}

// A typed place is judged as SetPlayers leaves it: a tree beside it goes (on the map as
// it is, the tree makes it a hut site), a height stays. On a 12 x 10 meadow at height 10, (5, 5) is
// in an odd row: its south-east neighbour is (6, 6).
TEST(Players, CheckSaysWhetherATypedPlaceIsACastleSite) {
  Bytes map = MeadowMap(12, 10);
  const std::vector<Point> none;
  EXPECT_TRUE(inspect::CheckHeadquartersPlace(map, {5, 5}, none).castle_site);
  At(map, kObjectTypeBlock, 6, 5) = kTree;
  At(map, kObjectIndexBlock, 6, 5) = 0x30;
  EXPECT_TRUE(inspect::CheckHeadquartersPlace(map, {5, 5}, none).castle_site);
  At(map, kHeightBlock, 6, 6) = 12;
  EXPECT_FALSE(inspect::CheckHeadquartersPlace(map, {5, 5}, none).castle_site);
  EXPECT_TRUE(inspect::CheckHeadquartersPlace(map, {8, 2}, none).castle_site);
  const std::vector<Point> earlier = {{5, 2}};
  EXPECT_EQ(inspect::CheckHeadquartersPlace(map, {5, 2}, earlier).problem,
            inspect::PlaceProblem::kTaken);
}

// Open land in the columns 62, 63, 0 and 1 of a 64 x 64 map: one strip across the map's
// wrapped edge. Two players are as far apart as it allows, 32 rows (32 steps), not on the
// two sides of the picture, which the game would put 2 steps apart.
TEST(Players, AutoCountsDistancesAroundTheMap) {
  Bytes map = MakeBlankMap(64, 64);
  const auto strip = [](std::size_t x, std::size_t) {
    return x >= 61 || x <= 2 ? kMeadow1 : kWater;
  };
  FillBlock(map, kTerrainBlock1, strip);
  FillBlock(map, kTerrainBlock2, strip);
  TempFolder folder;
  folder.Write("s.wld", map);
  const auto run = RunMapTool(folder, "players s.wld --auto 2");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(PrintedNearest(run.out), 32u) << run.out;
}

TEST(Players, AutoOnRandomMapsIsReproducible) {
  TempFolder folder;
  testing::RunProgramIn(folder, "8\n96\n64\n12345678\n0\n", {"", 10});
  const auto first = RunMapTool(folder, "players nGen.wld --auto 4 --seed 7 -o a.wld");
  const auto again = RunMapTool(folder, "players nGen.wld --auto 4 --seed 7 -o b.wld");
  ASSERT_EQ(first.status, 0) << first.err;
  EXPECT_EQ(first.out.substr(first.out.find(':')), again.out.substr(again.out.find(':')));
  const auto files = folder.ReadAll();
  EXPECT_EQ(files.at("a.wld"), files.at("b.wld"));
}

// Four automatic players on a 256 x 256 random map: no two closer than 64 steps (half the
// best possible, 128, the shortest way around), and the map passes check without a word.
TEST(Players, FourOnALargeRandomMapAreFarApartAndPassCheck) {
  TempFolder folder;
  testing::RunProgramIn(folder, "8\n256\n256\n12345678\n0\n", {"", 10});
  const auto run = RunMapTool(folder, "players nGen.wld --auto 4");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_GE(PrintedNearest(run.out), 64u) << run.out;
  const Bytes map = folder.ReadAll().at("nnGen.wld");
  EXPECT_EQ(map[kPlayerCountOffset], 4);
  // Each headquarters on a castle site of the map as written (a mark is no object).
  const auto quality = ComputeBuildingQuality(*LayersOf(map, Landscape::kGreenland));
  const auto type = Block(map, kObjectTypeBlock, quality.size());
  for (std::size_t v = 0; v < type.size(); ++v) {
    if (type[v] == kHeadquartersType) {
      EXPECT_GE(quality[v], BuildingQuality::kCastle) << v;
    }
  }
  const auto check = RunMapTool(folder, "check nnGen.wld");
  EXPECT_EQ(check.status, 0);
  EXPECT_EQ(check.out, "nnGen.wld: ok\n");
}

}  // namespace
}  // namespace plandrix
