// Whole generated maps: what check says of them, how fair and open they are, the ground
// around each headquarters, the layers the original game reads, and the same bytes from
// the same options.
#include "generate/generate_map.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "commands/plandrix_map.h"
#include "core/map_format.h"
#include "core/map_grid.h"
#include "core/map_layout.h"
#include "generate/game_layers.h"
#include "inspect/balance.h"
#include "inspect/building_quality.h"
#include "inspect/map_check.h"

namespace plandrix::generate {
namespace {

MapOptions Options(Style style, Landscape landscape, std::size_t players, Symmetry symmetry,
                   std::uint32_t seed) {
  MapOptions options;
  options.world = {128, 128, style, landscape, symmetry, players, seed};
  options.title = "Test";
  return options;
}

struct Case {
  Style style;
  Landscape landscape;
  std::size_t players;
  Symmetry symmetry;
  std::uint32_t seed;
};

// What every generated map must be: nothing for check to say, every player on a castle
// site that the ground around it keeps, fair to 0.9 (0.98 when symmetric), every player
// able to reach every other.
TEST(GenerateMap, PlayableFairAndQuietForCheck) {
  const Case cases[] = {
      {Style::kLand, Landscape::kGreenland, 2, Symmetry::kNone, 1},
      {Style::kLand, Landscape::kWinter, 5, Symmetry::kNone, 2},
      {Style::kIslands, Landscape::kWasteland, 3, Symmetry::kNone, 3},
      {Style::kMixed, Landscape::kGreenland, 8, Symmetry::kNone, 4},
      {Style::kLand, Landscape::kGreenland, 4, Symmetry::kMirror, 5},
      {Style::kIslands, Landscape::kWinter, 2, Symmetry::kRotate, 6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message()
                 << "style " << int(c.style) << ", " << c.players << " players, seed " << c.seed);
    const GeneratedMap map =
        GenerateMap(Options(c.style, c.landscape, c.players, c.symmetry, c.seed));
    ASSERT_FALSE(map.image.empty()) << map.problem;
    EXPECT_TRUE(CheckMap(map.image).empty()) << CheckMap(map.image).front().message;
    const auto report = MeasureBalance(map.image);
    ASSERT_TRUE(report && report->fairness);
    const Ratio floor = c.symmetry == Symmetry::kNone ? Ratio{9, 10} : Ratio{98, 100};
    EXPECT_FALSE(IsBelow(report->fairness->overall, floor)) << RatioText(report->fairness->overall);
    for (const UnreachablePair& pair : report->unreachable) EXPECT_TRUE(pair.shared_sea);
    // What the closing line says: every player reaches every other, some only by ship
    // exactly when some cannot walk there; home islands always need the ship.
    EXPECT_TRUE(map.reachable);
    EXPECT_EQ(map.by_ship, !report->unreachable.empty());
    EXPECT_TRUE(map.by_ship || c.style != Style::kIslands);
    EXPECT_EQ(map.image[kPlayerCountOffset], c.players);
    EXPECT_EQ(HeaderText(map.image, kTitleOffset), "Test");
  }
}

// Around every headquarters: no tree or granite within 5 steps; within 9, at least 8 trees
// that give wood, 2 granite piles and 6 large sites besides its own ground; the layers of
// building quality and shading as the game works them out.
TEST(GenerateMap, TerritoriesAndTheGamesLayers) {
  const GeneratedMap map =
      GenerateMap(Options(Style::kLand, Landscape::kGreenland, 4, Symmetry::kNone, 11));
  ASSERT_FALSE(map.image.empty()) << map.problem;
  const auto layers = LayersOf(map.image, Landscape::kGreenland);
  ASSERT_TRUE(layers);
  const auto objects = ReadObjects(layers->object_index, layers->object_type, 128, 128);
  const auto quality = ComputeBuildingQuality(*layers);
  const MapGrid grid(128, 128);
  for (const Point hq : map.headquarters) {
    EXPECT_EQ(quality[grid.Index(hq)], BuildingQuality::kCastle) << hq.x << "," << hq.y;
    std::size_t trees = 0, granite = 0, large = 0;
    for (std::size_t v = 0; v < grid.size(); ++v) {
      const std::size_t steps = grid.Distance(hq, grid.PointOf(v));
      if (steps > 9) continue;
      const bool tree_or_stone = IsTree(objects[v]) || objects[v] == VertexObject::kGranite;
      EXPECT_FALSE(steps <= 5 && tree_or_stone) << steps;
      trees += objects[v] == VertexObject::kTree ? 1 : 0;
      granite += objects[v] == VertexObject::kGranite ? 1 : 0;
      large += steps > 2 && (quality[v] == BuildingQuality::kCastle ||
                             quality[v] == BuildingQuality::kHouse)
                   ? 1
                   : 0;
    }
    EXPECT_GE(trees, 8U);
    EXPECT_GE(granite, 2U);
    EXPECT_GE(large, 6U);
  }
  const std::size_t n = grid.size();
  const auto block9 = Block(std::span<const std::uint8_t>(map.image), kQualityBlock, n);
  const auto block13 = Block(std::span<const std::uint8_t>(map.image), kShadingBlock, n);
  const auto heights = Block(std::span<const std::uint8_t>(map.image), kHeightBlock, n);
  for (std::size_t v = 0; v < n; ++v) {
    ASSERT_EQ(block9[v], QualityBlockByte(quality[v])) << v;
    ASSERT_EQ(block13[v], ShadingAt(heights, 128, 128, v % 128, v / 128)) << v;
    // Every step between neighbours at most 5, across the seams too.
    for (const std::size_t u : grid.Neighbours(grid.PointOf(v))) {
      ASSERT_LE(std::abs(int{heights[v]} - int{heights[u]}), 5);
    }
  }
}

// Shading by hand on a tiny map: 64 + 9 A - 3 B - 6 C - 9 D, held to 0..128.
TEST(GenerateMap, ShadingOfTheGame) {
  // 4 x 4, all 10 but two vertices.
  std::vector<std::uint8_t> heights(16, 10);
  heights[2] = 12;     // (2, 0): north-east of (1, 1), an odd row
  heights[4 + 3] = 9;  // (3, 1): west of (0, 1) across the seam, two steps west of (1, 1)
  // (1, 1): A = +2, B = -1, C = D = 0 -> 64 + 18 + 3 = 85.
  EXPECT_EQ(ShadingAt(heights, 4, 4, 1, 1), 85);
  // (0, 1): C = 9 - 10 = -1 -> 64 + 6 = 70; B two steps west is (2, 1): 0; D west then
  // south-west is (3, 2): 0; A north-east is (1, 0): 0.
  EXPECT_EQ(ShadingAt(heights, 4, 4, 0, 1), 70);
  std::vector<std::uint8_t> cliff(16, 0);
  cliff[1] = 60;  // north-east of (0, 1): far above
  EXPECT_EQ(ShadingAt(cliff, 4, 4, 0, 1), 128);
}

TEST(GenerateMap, SameOptionsSameBytes) {
  const MapOptions options = Options(Style::kMixed, Landscape::kWasteland, 3, Symmetry::kNone, 77);
  const GeneratedMap a = GenerateMap(options);
  const GeneratedMap b = GenerateMap(options);
  ASSERT_FALSE(a.image.empty());
  EXPECT_TRUE(a.image == std::span<const std::uint8_t>(b.image));
  MapOptions other = options;
  other.world.seed = 78;
  EXPECT_FALSE(a.image == std::span<const std::uint8_t>(GenerateMap(other).image));
}

// The command refuses what the game would not play, before it makes anything.
TEST(GenerateCommand, RefusesSizesAndPlayersTheGameDoesNotPlay) {
  const struct {
    std::vector<std::string> args;
    std::string message;
  } cases[] = {
      {{"--size", "64x63"}, "--size '64x63': the height must be even"},
      {{"--size", "31x64"}, "width and height go from 32 to 2048"},
      {{"--size", "2050x64"}, "width and height go from 32 to 2048"},
      {{"--size", "64"}, "give the width and height as WxH"},
      {{"--players", "0"}, "--players takes 1 to 8, not '0'"},
      {{"--players", "9"}, "--players takes 1 to 8, not '9'"},
      {{"--style", "desert"}, "--style takes land, islands, mixed, not 'desert'"},
      {{"--title", "01234567890123456789"}, "the title holds at most 19"},
      {{"--symmetry", "rotate", "--players", "3"}, "--symmetry rotate needs an even number"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {"generate", "-o", "never.swd"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    std::ostringstream out;
    std::ostringstream err;
    commands::Io io{out, err};
    EXPECT_EQ(commands::RunPlandrixMap(args, io), commands::kExitUsage) << c.args[0];
    EXPECT_NE(err.str().find(c.message), std::string::npos) << err.str();
    EXPECT_EQ(out.str(), "");
  }
}

}  // namespace
}  // namespace plandrix::generate
