// The balance of a map: homes that meet across the wrapped edge, vertices that cannot be
// walked on joining the nearest home, a map of two identical halves whose fairness is 1,
// islands that cannot reach each other (one pair joined by a sea), a map of fewer than
// two players, the ratios' text, and the exact text and JSON of a tiny map.
#include "inspect/balance.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "core/map_format.h"
#include "core/map_grid.h"
#include "core/terrain.h"
#include "support/test_maps.h"

namespace plandrix {
namespace {

using testing::At;
using testing::FillBlock;
using Bytes = std::vector<std::uint8_t>;

Bytes MeadowMap(std::size_t width, std::size_t height) {
  Bytes map = testing::MakeBlankMap(width, height);
  FillBlock(map, kTerrainBlock1, [](auto, auto) { return kMeadow1; });
  FillBlock(map, kTerrainBlock2, [](auto, auto) { return kMeadow1; });
  return map;
}

void PutObject(Bytes& map, std::size_t x, std::size_t y, std::uint8_t type, std::uint8_t index) {
  At(map, kObjectTypeBlock, x, y) = type;
  At(map, kObjectIndexBlock, x, y) = index;
}

// Player p's headquarters mark; the count covers it.
void SetMark(Bytes& map, std::uint8_t p, std::size_t x, std::size_t y) {
  PutObject(map, x, y, kHeadquartersType, p);
  map[kPlayerCountOffset] = std::max<std::uint8_t>(map[kPlayerCountOffset], p + 1);
}

void PaintAround(Bytes& map, std::size_t x, std::size_t y, std::uint8_t code) {
  const MapGrid grid(MapWidth(map), MapHeight(map));
  for (const Triangle& t : grid.TrianglesAround({x, y})) {
    const Point owner = grid.PointOf(t.vertex);
    At(map, t.second ? kTerrainBlock2 : kTerrainBlock1, owner.x, owner.y) = code;
  }
}

LayerVector<std::uint8_t> HomesOfMap(const Bytes& map, std::uint32_t radius) {
  const auto layers = LayersOf(map, Landscape::kGreenland);
  return FindHomes(*layers, ReadVertexFacts(*layers), FindPlayerStarts(map), radius);
}

std::uint64_t Amount(const BalanceReport& report, std::size_t slot, Measure measure) {
  return report.players.at(slot).Amount(measure);
}

// A 40 x 8 meadow with headquarters at (2, 4) and (36, 4): 6 steps apart across the left
// edge, 34 the other way. Along row 4 a vertex is |dx| steps from each; a tie goes to
// player 0: (39, 4) is 3 from both, and so is (19, 4), 17 from both.
TEST(Balance, HomesMeetAcrossTheWrappedEdgeAndTiesGoToTheLowerPlayer) {
  Bytes map = MeadowMap(40, 8);
  SetMark(map, 0, 2, 4);
  SetMark(map, 1, 36, 4);
  const auto homes = HomesOfMap(map, kDefaultHomeRadius);
  const auto owner = [&](std::size_t x) { return int{homes[4 * 40 + x]}; };
  EXPECT_EQ(owner(0), 0);
  EXPECT_EQ(owner(39), 0);
  EXPECT_EQ(owner(38), 1);
  EXPECT_EQ(owner(19), 0);
  EXPECT_EQ(owner(20), 1);
  const auto report = MeasureBalance(map);
  ASSERT_TRUE(report);
  ASSERT_EQ(report->players.size(), 2U);
  EXPECT_EQ(report->players[0].nearest, 6U);
  EXPECT_EQ(report->players[1].nearest, 6U);
  // Every vertex is within 24 steps of one of them (8 rows: at most 4 rows away).
  EXPECT_EQ(Amount(*report, 0, Measure::kArea) + Amount(*report, 1, Measure::kArea), 320U);
  EXPECT_TRUE(report->unreachable.empty());
}

// Radius 5 on a 40 x 12 meadow, headquarters at (10, 6) and (18, 6), granite (which
// cannot be walked on) on row 6: at (14, 6), 3 steps beyond both (13, 6) and (15, 6), a
// tie for player 0; at (20, 6), beside (19, 6) of player 1; at (4, 6), whose nearest
// neighbour (5, 6) is 5 steps away, no fewer than the radius: in no home. The granite at
// (14, 6) makes the walk between them go round it: one step up and one down, 9 steps.
TEST(Balance, VerticesThatCannotBeWalkedOnJoinTheNearestHomeBelowTheRadius) {
  Bytes map = MeadowMap(40, 12);
  SetMark(map, 0, 10, 6);
  SetMark(map, 1, 18, 6);
  PutObject(map, 14, 6, kFirstGraniteType, 2);
  PutObject(map, 20, 6, kFirstGraniteType, 1);
  PutObject(map, 4, 6, kLastGraniteType, 5);
  const auto homes = HomesOfMap(map, 5);
  EXPECT_EQ(homes[6 * 40 + 14], 0);
  EXPECT_EQ(homes[6 * 40 + 20], 1);
  EXPECT_EQ(homes[6 * 40 + 4], kNoHome);
  EXPECT_EQ(homes[6 * 40 + 5], 0);
  const auto report = MeasureBalance(map, 5);
  ASSERT_TRUE(report);
  EXPECT_EQ(Amount(*report, 0, Measure::kStones), 2U);
  EXPECT_EQ(Amount(*report, 1, Measure::kStones), 1U);
  EXPECT_EQ(report->players[0].nearest, 9U);
  EXPECT_EQ(report->players[1].nearest, 9U);
}

// A 40 x 12 meadow whose right half is a copy of its left half: headquarters at (8, 6)
// and (28, 6), 20 steps apart both ways; homes of 6 steps, which do not meet; in each
// half a mountain of six triangles round (12, 6), a mine site 4 steps east, a tree, a
// granite pile and resources. Every measure is equal: fairness 1.
TEST(Balance, TwoIdenticalHalvesAreFair) {
  Bytes map = MeadowMap(40, 12);
  for (const std::size_t half : {std::size_t{0}, std::size_t{20}}) {
    SetMark(map, half == 0 ? 0 : 1, 8 + half, 6);
    PaintAround(map, 12 + half, 6, kMountain1);
    PutObject(map, 6 + half, 4, kFirstTreeType, 0x30);
    PutObject(map, 3 + half, 5, kFirstGraniteType, 4);
    At(map, kResourceBlock, 12 + half, 6) = kCoalBase + 5;
    At(map, kResourceBlock, 7 + half, 7) = kWaterResource;
  }
  const auto report = MeasureBalance(map, 6);
  ASSERT_TRUE(report);
  ASSERT_EQ(report->players.size(), 2U);
  EXPECT_EQ(report->players[0].amounts, report->players[1].amounts);
  EXPECT_EQ(Amount(*report, 0, Measure::kMine), 1U);
  EXPECT_EQ(Amount(*report, 0, Measure::kTrees), 1U);
  EXPECT_EQ(Amount(*report, 0, Measure::kStones), 4U);
  EXPECT_EQ(Amount(*report, 0, Measure::kCoal), 5U);
  EXPECT_EQ(report->players[0].mountain_distance, 4U);
  EXPECT_EQ(report->players[1].mountain_distance, 4U);
  EXPECT_EQ(report->players[0].nearest, 20U);
  ASSERT_TRUE(report->fairness);
  for (const Ratio& ratio : report->fairness->ratios) EXPECT_EQ(RatioText(ratio), "1.000");
  EXPECT_EQ(RatioText(report->fairness->overall), "1.000");
  // All equal: the first of the overall measures names it.
  EXPECT_EQ(kFairnessNames[report->fairness->weakest], "castle_house");
}

// The nearest mine site far away, beyond what a walk of one headquarters looks at before
// it leaves the question to a walk from every mine site: on a 512 x 256 meadow, six
// mountain triangles round (256, 128). Counted in half columns (2x, plus 1 on odd rows),
// a step goes 2 along a row or 1 along and 1 across: from player 0 at (0, 0), 128 rows
// and 512 half columns (either way round), 128 + (512 - 128) / 2 = 320 steps; from
// player 1 at (250, 128), 6 steps.
TEST(Balance, MountainDistanceFarAway) {
  Bytes map = MeadowMap(512, 256);
  PaintAround(map, 256, 128, kMountain1);
  SetMark(map, 0, 0, 0);
  SetMark(map, 1, 250, 128);
  const auto report = MeasureBalance(map);
  ASSERT_TRUE(report);
  EXPECT_EQ(report->players[0].mountain_distance, 320U);
  EXPECT_EQ(report->players[1].mountain_distance, 6U);
}

// Two meadow islands on a 48 x 16 sea: A (triangles of columns 2 to 17, rows 2 to 13)
// with players 0 at (6, 6) and 2 at (12, 6), B (columns 26 to 41) with player 1 at
// (32, 8). Harbour flags at (17, 8) and (41, 8), the east ends of row 8: castle sites
// whose east neighbour is on the coast of the one sea. Player 2's home holds A's harbour,
// player 0's none: 1 and 2 can meet by ship, 0 and 1 cannot meet at all.
TEST(Balance, IslandsThatCannotReachEachOtherAndTheirSeas) {
  Bytes map = testing::MakeBlankMap(48, 16);
  const auto land = [](std::size_t x, std::size_t y) {
    const bool island = (x >= 2 && x <= 17) || (x >= 26 && x <= 41);
    return island && y >= 2 && y <= 13 ? kMeadow1 : kWater;
  };
  FillBlock(map, kTerrainBlock1, land);
  FillBlock(map, kTerrainBlock2, land);
  At(map, kTerrainBlock1, 17, 8) |= kHarbourFlag;
  At(map, kTerrainBlock1, 41, 8) |= kHarbourFlag;
  SetMark(map, 0, 6, 6);
  SetMark(map, 1, 32, 8);
  SetMark(map, 2, 12, 6);
  const auto report = MeasureBalance(map);
  ASSERT_TRUE(report);
  EXPECT_EQ(report->sites[static_cast<std::size_t>(BuildingQuality::kHarbour)], 2U);
  EXPECT_EQ(Amount(*report, 0, Measure::kHarbour), 0U);
  EXPECT_EQ(Amount(*report, 1, Measure::kHarbour), 1U);
  EXPECT_EQ(Amount(*report, 2, Measure::kHarbour), 1U);
  EXPECT_EQ(report->unreachable, (std::vector<UnreachablePair>{{0, 1, false}, {1, 2, true}}));
  EXPECT_EQ(report->players[0].nearest, 6U);
  EXPECT_EQ(report->players[1].nearest, std::nullopt);
  EXPECT_EQ(report->players[1].mountain_distance, std::nullopt);
  std::ostringstream text;
  PrintBalance(text, *report);
  EXPECT_NE(text.str().find("players 0 and 1 cannot walk to each other and no sea joins their "
                            "homes' harbour sites\nplayers 1 and 2 cannot walk to each other; "
                            "both homes have a harbour site on one sea\n"),
            std::string::npos)
      << text.str();
}

// The distances and who reaches whom, held to walks from each headquarters on its own
// (WalkFromPlain) on random small maps of meadow, water, swamp, lava and mountain with
// trees, granite and blocking decorations.
TEST(Balance, DistancesAgreeWithAWalkFromEachHeadquartersOnItsOwn) {
  constexpr std::uint8_t kCodes[] = {kMeadow1,   kMeadow1, kMeadow1, kMountain1,
                                     kMountain1, kWater,   kSwamp,   kLava};
  constexpr std::uint8_t kObjects[][2] = {{0, 0},       {0, 0},    {0, 0},
                                          {0xC4, 0x31}, {0xCC, 3}, {0xC8, 0x31}};
  std::mt19937 engine(20261215);
  const auto pick = [&engine](std::size_t count) { return engine() % count; };
  for (int round = 0; round < 200; ++round) {
    const std::size_t width = 2 + pick(16);
    const std::size_t height = 2 * (1 + pick(8));
    Bytes map = testing::MakeBlankMap(width, height);
    const auto code = [&](auto, auto) { return kCodes[pick(std::size(kCodes))]; };
    FillBlock(map, kTerrainBlock1, code);
    FillBlock(map, kTerrainBlock2, code);
    for (std::size_t v = 0; v < width * height; ++v) {
      const auto& object = kObjects[pick(std::size(kObjects))];
      PutObject(map, v % width, v / width, object[0], object[1]);
    }
    std::vector<std::size_t> marks(width * height);
    std::iota(marks.begin(), marks.end(), std::size_t{0});
    std::shuffle(marks.begin(), marks.end(), engine);
    marks.resize(std::min<std::size_t>(2 + pick(3), marks.size()));
    for (std::size_t p = 0; p < marks.size(); ++p) {
      SetMark(map, static_cast<std::uint8_t>(p), marks[p] % width, marks[p] / width);
    }
    const MapLayers layers = *LayersOf(map, Landscape::kGreenland);
    const auto objects = ReadObjects(layers.object_index, layers.object_type, width, height);
    const auto quality = ComputeBuildingQualityPlain(layers);
    const auto report = MeasureBalance(map);
    ASSERT_TRUE(report);
    std::vector<UnreachablePair> unreachable;
    for (std::size_t p = 0; p < marks.size(); ++p) {
      const std::vector<std::size_t> start = {marks[p]};
      const auto steps = WalkFromPlain(layers, objects, start, kUnlimitedSteps).steps;
      std::optional<std::uint32_t> nearest;
      std::optional<std::uint32_t> mountain;
      for (std::size_t q = 0; q < marks.size(); ++q) {
        if (q == p || steps[marks[q]] == kUnlimitedSteps) continue;
        nearest = std::min(nearest.value_or(steps[marks[q]]), steps[marks[q]]);
      }
      for (std::size_t v = 0; v < quality.size(); ++v) {
        if (quality[v] != BuildingQuality::kMine || steps[v] == kUnlimitedSteps) continue;
        mountain = std::min(mountain.value_or(steps[v]), steps[v]);
      }
      EXPECT_EQ(report->players[p].nearest, nearest) << "round " << round << ", player " << p;
      EXPECT_EQ(report->players[p].mountain_distance, mountain) << "round " << round;
      for (std::size_t q = p + 1; q < marks.size(); ++q) {
        if (steps[marks[q]] != kUnlimitedSteps) continue;
        unreachable.push_back({static_cast<std::uint8_t>(p), static_cast<std::uint8_t>(q)});
      }
    }
    EXPECT_EQ(report->unreachable, unreachable) << "round " << round;
  }
}

// One player, none, and marks the game does not take: no fairness, not an error.
TEST(Balance, FewerThanTwoPlayersHaveNoFairness) {
  Bytes map = MeadowMap(16, 8);
  SetMark(map, 0, 4, 4);
  PutObject(map, 12, 4, kHeadquartersType, 1);  // player 1, above the count of 1
  auto report = MeasureBalance(map);
  ASSERT_TRUE(report);
  ASSERT_EQ(report->players.size(), 1U);
  EXPECT_EQ(report->players[0].nearest, std::nullopt);
  EXPECT_FALSE(report->fairness);
  EXPECT_TRUE(report->unreachable.empty());
  EXPECT_NE(BalanceJson(*report, "m").find(",\"fairness\":null,\"unreachable\":[]}"),
            std::string::npos);
  map[kPlayerCountOffset] = 0;
  report = MeasureBalance(map);
  ASSERT_TRUE(report);
  EXPECT_TRUE(report->players.empty());
  std::ostringstream text;
  PrintBalance(text, *report);
  EXPECT_NE(text.str().find("fairness: none, with fewer than two players"), std::string::npos);
  map.pop_back();
  EXPECT_FALSE(MeasureBalance(map));
}

// Three decimals cut, never rounded up to 1; a strongest of 0 is 1; exact comparison.
TEST(Balance, RatiosAreCutToThreeDecimalsAndComparedExactly) {
  EXPECT_EQ(RatioText({2, 3}), "0.666");
  EXPECT_EQ(RatioText({9999, 10000}), "0.999");
  EXPECT_EQ(RatioText({0, 5}), "0.000");
  EXPECT_EQ(RatioText({0, 0}), "1.000");
  EXPECT_EQ(RatioText({7, 7}), "1.000");
  EXPECT_EQ(RatioText({1, 20}), "0.050");
  EXPECT_TRUE(IsBelow({6665, 10000}, {2, 3}));  // both "0.666"
  EXPECT_FALSE(IsBelow({2, 3}, {4, 6}));
  EXPECT_TRUE(IsBelow({3, 4}, {0, 0}));
}

// An 8 x 6 meadow, radius 1: each home is a headquarters and its six neighbours. Granite
// of 4 at (0, 1) beside player 0 at (1, 1) (odd row): it and its neighbours (7,1), (1,1),
// (0,0), (1,0), (0,2), (1,2) are flag sites, (0, 1) itself nothing; it joins player 0's
// home. A tree at (5, 3) (odd row) beside player 1 at (5, 4): nothing on it, huts on
// (4,3), (6,3), (6,2), (5,4), (6,4), a flag on (5,2), the vertex north-west of it. The
// rest, 34 vertices, are castle sites. Homes: player 0 walks on (1,1), (2,1), (1,0),
// (2,0), (1,2), (2,2), three of them castles; player 1 on (5,4), (4,4), (6,4), (4,3),
// (5,3), (4,5), (5,5): huts (5,4), (6,4), (4,3), castles (4,4), (4,5), (5,5).
// Between (1, 1) and (5, 4): three rows down and 3.5 columns across, 5 steps.
Bytes TinyMap() {
  Bytes map = MeadowMap(8, 6);
  SetMark(map, 0, 1, 1);
  SetMark(map, 1, 5, 4);
  PutObject(map, 0, 1, kFirstGraniteType, 4);
  PutObject(map, 5, 3, kFirstTreeType, 0x30);
  At(map, kResourceBlock, 0, 1) = kFishResource;
  At(map, kResourceBlock, 2, 1) = kCoalBase + 3;
  At(map, kResourceBlock, 4, 4) = kWaterResource;
  At(map, kResourceBlock, 5, 5) = kGoldBase + 7;
  At(map, kResourceBlock, 6, 4) = kGraniteBase + 2;
  At(map, kResourceBlock, 4, 5) = kIronBase + 1;
  At(map, kResourceBlock, 3, 3) = kGoldBase + 7;  // in no home
  return map;
}

TEST(Balance, JsonOfATinyMap) {
  const auto report = MeasureBalance(TinyMap(), 1);
  ASSERT_TRUE(report);
  EXPECT_EQ(BalanceJson(*report, "tiny.wld"),
            "{\"file\":\"tiny.wld\",\"radius\":1,\"sites\":{\"castle\":34,\"house\":0,"
            "\"hut\":5,\"mine\":0,\"harbour\":0,\"flag\":7,\"nothing\":2},\"players\":["
            "{\"player\":0,\"x\":1,\"y\":1,\"area\":6,\"castle\":3,\"house\":0,\"hut\":0,"
            "\"mine\":0,\"harbour\":0,\"trees\":0,\"stones\":4,\"coal\":3,\"iron\":0,\"gold\":0,"
            "\"granite\":0,\"fish\":1,\"water\":0,\"nearest\":5,\"mountain_distance\":null},"
            "{\"player\":1,\"x\":5,\"y\":4,\"area\":7,\"castle\":3,\"house\":0,\"hut\":3,"
            "\"mine\":0,\"harbour\":0,\"trees\":1,\"stones\":0,\"coal\":0,\"iron\":1,\"gold\":7,"
            "\"granite\":2,\"fish\":0,\"water\":1,\"nearest\":5,\"mountain_distance\":null}],"
            "\"fairness\":{\"area\":0.857,\"castle\":1.000,\"house\":1.000,\"hut\":0.000,"
            "\"mine\":1.000,\"harbour\":1.000,\"trees\":0.000,\"stones\":0.000,\"coal\":0.000,"
            "\"iron\":0.000,\"gold\":0.000,\"granite\":0.000,\"fish\":0.000,\"water\":0.000,"
            "\"castle_house\":1.000,\"overall\":0.000,\"weakest_measure\":\"trees\"},"
            "\"unreachable\":[]}");
}

TEST(Balance, TextOfATinyMap) {
  const auto report = MeasureBalance(TinyMap(), 1);
  ASSERT_TRUE(report);
  std::ostringstream text;
  PrintBalance(text, *report);
  EXPECT_EQ(text.str(),
            "sites on the whole map: castle 34, house 0, hut 5, mine 0, harbour 0, flag 7, "
            "nothing 2\n"
            "homes: what each headquarters reaches first, within 1 step\n"
            "player x y area castle house hut mine harbour trees stones coal iron gold granite "
            "fish water nearest mountain_distance\n"
            "     0 1 1    6      3     0   0    0       0     0      4    3    0    0       0 "
            "   1     0       5                 -\n"
            "     1 5 4    7      3     0   3    0       0     1      0    0    1    7       2 "
            "   0     1       5                 -\n"
            "fairness 0.000, weakest trees: castle_house 1.000, mine 1.000, trees 0.000, "
            "stones 0.000, coal 0.000, iron 0.000, gold 0.000, granite 0.000\n"
            "every player can walk to every other\n");
}

}  // namespace
}  // namespace plandrix
