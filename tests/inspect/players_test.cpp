// players: the header and object bytes it writes, what it refuses, and --auto on maps
// with too little land, exactly enough, and random maps of the menu program.
#include "inspect/players.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "core/map_layout.h"
#include "core/terrain.h"
#include "inspect/map_tool_runner.h"
#include "random/terrain_classes.h"
#include "support/run_program.h"
#include "support/test_maps.h"

namespace plandrix {
namespace {

using inspect::Vertex;
using testing::At;
using testing::FillBlock;
using testing::MakeBlankMap;
using testing::RunMapTool;
using testing::TempFolder;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kMeadow = 8;
constexpr std::uint8_t kTree = 196;

Bytes MeadowMap(std::size_t width, std::size_t height) {
  Bytes map = MakeBlankMap(width, height);
  FillBlock(map, kTerrainBlock1, [](auto, auto) { return kMeadow; });
  FillBlock(map, kTerrainBlock2, [](auto, auto) { return kMeadow; });
  return map;
}

// Sets the six triangles that the game gathers around (x, y).
void PaintAround(Bytes& map, std::size_t x, std::size_t y, std::uint8_t code) {
  const std::size_t width = MapWidth(map);
  const std::size_t n = width * MapHeight(map);
  const auto six = FindVertexTriangles(width, MapHeight(map), x, y);
  ASSERT_TRUE(six.has_value());
  for (std::size_t i : six->first) map[BlockDataOffset(kTerrainBlock1, n) + i] = code;
  for (std::size_t i : six->second) map[BlockDataOffset(kTerrainBlock2, n) + i] = code;
}

// The positions that players printed, "player p: headquarters at X,Y" per line.
std::vector<Vertex> PrintedPositions(const std::string& out) {
  std::vector<Vertex> positions;
  std::istringstream lines(out);
  std::string line;
  while (std::getline(lines, line)) {
    const std::size_t at = line.find(" at ");
    if (at == std::string::npos) continue;
    const std::size_t comma = line.find(',', at);
    positions.push_back(
        {std::stoul(line.substr(at + 4, comma - at - 4)), std::stoul(line.substr(comma + 1))});
  }
  return positions;
}

double Distance(Vertex a, Vertex b) {
  // Odd rows lie half a vertex to the right.
  const auto half = [](Vertex v) { return static_cast<double>(2 * v.x + v.y % 2); };
  const double dx = (half(a) - half(b)) / 2;
  const double dy = static_cast<double>(a.y) - static_cast<double>(b.y);
  return std::sqrt(dx * dx + dy * dy);
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
            "nm.wld: 2 players\nplayer 0: headquarters at 4,4\nplayer 1: headquarters at 7,5\n");

  Bytes expected = map;
  expected[35] = 2;
  const Bytes slots = {4, 0, 7, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                       4, 0, 5, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  std::copy(slots.begin(), slots.end(), expected.begin() + 56);
  // The earlier mark goes; each headquarters and its six neighbours lose their trees
  // (an even row's neighbours above and below are x - 1 and x, an odd row's x and x + 1).
  const std::vector<Vertex> cleared = {{1, 1}, {3, 4}, {5, 4}, {3, 3}, {4, 3}, {3, 5}, {4, 5},
                                       {6, 5}, {8, 5}, {7, 4}, {8, 4}, {7, 6}, {8, 6}};
  for (const Vertex& v : cleared) {
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
  PaintAround(map, 2, 2, 5);   // water
  PaintAround(map, 8, 2, 20);  // lava 2
  PaintAround(map, 5, 7, 2);   // snow
  struct Case {
    std::string args;
    int status;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"--hq 12,3", 1, "headquarters 12,3 lies outside the map"},
      {"--hq 5,5 --hq 2,2", 1, "headquarters 2,2 touches water (terrain 5)"},
      {"--hq 8,2", 1, "headquarters 8,2 touches lava 2 (terrain 20)"},
      {"--hq 5,7", 1, "headquarters 5,7 touches snow (terrain 2)"},
      {"--hq 5,5 --hq 5,5", 1, "headquarters 5,5 is already another player's headquarters"},
      {"--hq 0,0", 1, "headquarters 0,0 lies on a corner of the border"},
      {"--hq 1,1 --hq 1,2 --hq 1,3 --hq 1,4 --hq 1,5 --hq 1,6 --hq 1,7 --hq 1,8", 2,
       "at most 7 headquarters"},
      {"--hq 4:4", 2, "--hq takes X,Y (numbers up to 65535), not '4:4'"},
      {"--hq 4,70000", 2, "not '4,70000'"},
      {"--auto 0", 2, "--auto takes a number of players from 1 to 7, not '0'"},
      {"--auto 8", 2, "not '8'"},
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
}

TEST(Players, AutoNeedsEnoughOpenLand) {
  Bytes map = MakeBlankMap(20, 16);  // water everywhere
  TempFolder folder;
  folder.Write("w.wld", map);
  auto run = RunMapTool(folder, "players w.wld --auto 2");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("only 0 places on open land for 2 players; nothing written"),
            std::string::npos);
  // Two islands of one open vertex each: exactly enough for two players, not for three.
  PaintAround(map, 4, 4, kMeadow);
  PaintAround(map, 15, 11, 14);
  EXPECT_EQ(inspect::CountOpenLand(map), 2u);
  folder.Write("w.wld", map);
  run = RunMapTool(folder, "players w.wld --auto 3");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("only 2 places on open land for 3 players"), std::string::npos);
  EXPECT_EQ(folder.ReadAll().size(), 1u);
  run = RunMapTool(folder, "players w.wld --auto 2");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "nw.wld: 2 players\nplayer 0: headquarters at 4,4\nplayer 1: headquarters at 15,11\n");
}

TEST(Players, AutoOnRandomMapsIsSpreadOnOpenLandAndReproducible) {
  for (const std::string seed : {"11111111", "12345678", "87654321"}) {
    TempFolder folder;
    testing::RunProgramIn(folder, "8\n96\n64\n" + seed + "\n0\n", {"", 10});
    const auto first = RunMapTool(folder, "players nGen.wld --auto 4 --seed 7 -o a.wld");
    const auto again = RunMapTool(folder, "players nGen.wld --auto 4 --seed 7 -o b.wld");
    ASSERT_EQ(first.status, 0) << first.err;
    const auto files = folder.ReadAll();
    EXPECT_EQ(files.at("a.wld"), files.at("b.wld"));
    const Bytes& map = files.at("nGen.wld");
    Bytes placed = files.at("a.wld");
    const std::vector<Vertex> chosen = PrintedPositions(first.out);
    ASSERT_EQ(chosen.size(), 4u);
    std::vector<Vertex> open;
    for (std::size_t y = 0; y < 64; ++y) {
      for (std::size_t x = 0; x < 96; ++x) {
        if (inspect::IsOpenLand(map, x, y)) open.push_back({x, y});
      }
    }
    // Farthest-point selection keeps the smallest distance at least half the best
    // possible, and the best for four is at most the diameter of the open land.
    double diameter = 0;
    for (const Vertex& a : open) {
      for (const Vertex& b : open) diameter = std::max(diameter, Distance(a, b));
    }
    double closest = diameter;
    for (std::size_t i = 0; i < chosen.size(); ++i) {
      EXPECT_TRUE(inspect::IsOpenLand(map, chosen[i].x, chosen[i].y)) << seed;
      EXPECT_EQ(
          At(const_cast<Bytes&>(files.at("a.wld")), kObjectTypeBlock, chosen[i].x, chosen[i].y),
          kHeadquartersType);
      for (std::size_t j = i + 1; j < chosen.size(); ++j) {
        closest = std::min(closest, Distance(chosen[i], chosen[j]));
      }
    }
    EXPECT_GE(closest, diameter / 4) << seed << ": " << first.out;
  }
}

// The map that four automatic players give a 256 x 256 random map passes check without
// a warning: a player count, and a headquarters mark for each player.
TEST(Players, FourOnALargeRandomMapPassCheck) {
  TempFolder folder;
  testing::RunProgramIn(folder, "8\n256\n256\n12345678\n0\n", {"", 10});
  const auto run = RunMapTool(folder, "players nGen.wld --auto 4");
  ASSERT_EQ(run.status, 0) << run.err;
  const Bytes map = folder.ReadAll().at("nnGen.wld");
  EXPECT_EQ(map[kPlayerCountOffset], 4);
  const auto check = RunMapTool(folder, "check nnGen.wld");
  EXPECT_EQ(check.status, 0);
  EXPECT_EQ(check.out, "nnGen.wld: ok\n");
}

}  // namespace
}  // namespace plandrix
