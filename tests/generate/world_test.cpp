// Generated worlds, measured with the game's rules from core and inspect: the same options
// give the same bytes; steps between neighbours, height levels and water shares are within
// their limits; every byte is one the game reads as meant; symmetric worlds map onto
// themselves; islands give each player an island with a harbour on one sea.
#include "generate/world.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <set>
#include <vector>

#include "core/map_format.h"
#include "core/map_grid.h"
#include "core/terrain.h"
#include "generate/symmetry.h"
#include "inspect/building_quality.h"

namespace plandrix::generate {
namespace {

WorldOptions Options(std::size_t w, std::size_t h, Style style, Landscape landscape,
                     std::uint32_t seed, Symmetry symmetry = Symmetry::kNone,
                     std::size_t players = 4) {
  WorldOptions o;
  o.width = w;
  o.height = h;
  o.style = style;
  o.landscape = landscape;
  o.symmetry = symmetry;
  o.players = players;
  o.seed = seed;
  return o;
}

// A generated world with its blocks and the game's view of each vertex's six triangles.
struct Generated {
  World world;
  MapGrid grid;
  MapBlocks blocks;
  std::vector<std::array<std::uint8_t, 6>> six;  // the six terrain bytes around each vertex

  explicit Generated(const WorldOptions& o)
      : world(GenerateWorld(o)),
        grid(o.width, o.height),
        blocks(*BlocksOf(world.image, o.width, o.height)),
        six(grid.size()) {
    for (std::size_t v = 0; v < grid.size(); ++v) {
      const auto around = grid.TrianglesAround(grid.PointOf(v));
      for (std::size_t i = 0; i < 6; ++i) {
        const Triangle t = around[i];
        six[v][i] = t.second ? blocks.second[t.vertex] : blocks.first[t.vertex];
      }
    }
  }
  bool All(std::size_t v, bool (*test)(std::uint8_t)) const {
    return std::all_of(six[v].begin(), six[v].end(), test);
  }
  bool UnderWater(std::size_t v, Landscape landscape) const {
    return std::all_of(six[v].begin(), six[v].end(),
                       [&](std::uint8_t b) { return IsWaterKind(landscape, b); });
  }
};

TEST(World, SameOptionsGiveTheSameBytesAndAnotherSeedAnotherMap) {
  const WorldOptions o = Options(96, 64, Style::kIslands, Landscape::kWinter, 11);
  const World a = GenerateWorld(o);
  const World b = GenerateWorld(o);
  ASSERT_EQ(a.image.size(), MapLength(96, 64));
  EXPECT_TRUE(a.image == std::span<const std::uint8_t>(b.image.data(), b.image.size()));
  WorldOptions other = o;
  other.seed = 12;
  const World c = GenerateWorld(other);
  const std::size_t n = 96 * 64;
  const auto heights = [&](const World& w) {
    const auto block =
        Block(std::span<const std::uint8_t>(w.image.data(), w.image.size()), kHeightBlock, n);
    return std::vector<std::uint8_t>(block.begin(), block.end());
  };
  EXPECT_NE(heights(a), heights(c));
  EXPECT_EQ(a.image[kLandscapeOffset], static_cast<std::uint8_t>(Landscape::kWinter));
}

TEST(World, RefusesOptionsOutsideWhatTheGamePlays) {
  for (const WorldOptions& o :
       {Options(31, 64, Style::kLand, Landscape::kGreenland, 1),
        Options(64, 63, Style::kLand, Landscape::kGreenland, 1),
        Options(2050, 64, Style::kLand, Landscape::kGreenland, 1),
        Options(64, 64, Style::kLand, Landscape::kGreenland, 1, Symmetry::kNone, 0),
        Options(64, 64, Style::kLand, Landscape::kGreenland, 1, Symmetry::kNone, 9)}) {
    EXPECT_FALSE(IsValidWorld(o));
    EXPECT_TRUE(GenerateWorld(o).image.empty());
  }
}

// Steps between all neighbours (each edge once: east, south-east, south-west, which wrap
// around the seams), height levels and the share of water triangles (area under water), on
// a table of styles, landscapes, sizes and symmetries.
TEST(World, StepsLevelsAndWaterStayWithinTheirLimits) {
  struct Case {
    Style style;
    Landscape landscape;
    std::size_t w, h;
    std::uint32_t seed;
    double least_water, most_water;
    Symmetry symmetry = Symmetry::kNone;
  };
  const Case cases[] = {
      {Style::kLand, Landscape::kGreenland, 128, 128, 1, 0.10, 0.20},
      {Style::kLand, Landscape::kWasteland, 160, 128, 2, 0.10, 0.20},
      {Style::kLand, Landscape::kWinter, 128, 192, 3, 0.10, 0.20, Symmetry::kRotate},
      {Style::kIslands, Landscape::kGreenland, 128, 128, 4, 0.65, 0.75},
      {Style::kIslands, Landscape::kWinter, 192, 128, 5, 0.65, 0.75},
      {Style::kIslands, Landscape::kWasteland, 128, 128, 6, 0.65, 0.75, Symmetry::kMirror},
      {Style::kMixed, Landscape::kGreenland, 128, 128, 7, 0.35, 0.45},
      {Style::kMixed, Landscape::kWasteland, 144, 160, 8, 0.35, 0.45},
      {Style::kMixed, Landscape::kWinter, 128, 128, 9, 0.35, 0.45, Symmetry::kRotate},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << static_cast<int>(c.style) << " seed " << c.seed);
    const Generated g(Options(c.w, c.h, c.style, c.landscape, c.seed, c.symmetry));
    std::size_t water = 0;
    std::size_t land_edges = 0;
    std::size_t gentle_land_edges = 0;
    std::set<std::uint8_t> levels;
    for (std::size_t v = 0; v < g.grid.size(); ++v) {
      water += IsWaterKind(c.landscape, g.blocks.first[v]) ? 1 : 0;
      water += IsWaterKind(c.landscape, g.blocks.second[v]) ? 1 : 0;
      levels.insert(g.blocks.heights[v]);
      const auto around = g.grid.Neighbours(g.grid.PointOf(v));
      for (const std::size_t u : {around[3], around[4], around[5]}) {
        const int step = std::abs(g.blocks.heights[v] - g.blocks.heights[u]);
        ASSERT_LE(step, 5) << "at " << v << " and " << u;
        if (g.UnderWater(v, c.landscape) || g.UnderWater(u, c.landscape)) continue;
        ++land_edges;
        gentle_land_edges += step <= 2 ? 1 : 0;
      }
    }
    const double share = static_cast<double>(water) / static_cast<double>(2 * g.grid.size());
    EXPECT_GE(share, c.least_water);
    EXPECT_LE(share, c.most_water);
    EXPECT_GE(gentle_land_edges * 5, land_edges * 4);
    EXPECT_GE(levels.size(), 20u);
  }
}

// Every terrain code defined by the landscape, both flag bits only as harbours; ore amounts
// 1 to 7; trees of wood-giving kinds (winter: fir, oak, birch, cherry, pine), granite of size
// 1 to 6, both only on buildable land; animals where they may be.
TEST(World, WritesOnlyBytesTheGameReadsAsMeant) {
  for (const Landscape landscape :
       {Landscape::kGreenland, Landscape::kWasteland, Landscape::kWinter}) {
    for (const Style style : {Style::kLand, Style::kIslands, Style::kMixed}) {
      SCOPED_TRACE(::testing::Message() << static_cast<int>(landscape) << static_cast<int>(style));
      const Generated g(Options(128, 96, style, landscape, 20 + static_cast<std::uint32_t>(style)));
      const auto& b = g.blocks;
      std::size_t trees = 0;
      std::size_t ores = 0;
      for (std::size_t v = 0; v < g.grid.size(); ++v) {
        ASSERT_TRUE(IsDefinedTerrain(landscape, b.first[v]) &&
                    IsDefinedTerrain(landscape, b.second[v]));
        ASSERT_EQ(b.first[v] & 0x80, 0);
        ASSERT_EQ(b.second[v] & 0xC0, 0);
        const auto kind = ResourceKindOf(b.resources[v]);
        ASSERT_TRUE(kind.has_value());
        if (b.resources[v] >= 0x40 && b.resources[v] < 0x60) {
          ASSERT_NE(b.resources[v] & 7, 0);  // never 0 (nothing) nor 8 (which wraps to nothing)
          ++ores;
        }
        const std::uint8_t type = b.object_type[v];
        const std::uint8_t index = b.object_index[v];
        if (type != 0) {
          ASSERT_TRUE(g.All(v, IsBuildable)) << "object on ground that is not buildable at " << v;
          ASSERT_FALSE(g.UnderWater(v, landscape));
        }
        if (type >= kFirstTreeType && type <= kLastTreeType) {
          ++trees;
          const int tree = (type - kFirstTreeType) * 4 + (index >> 6);
          ASSERT_TRUE(type < kLastTreeType || index < 0x40);
          ASSERT_LE(index & 0x0F, 0x0D);
          ASSERT_NE(tree, 5);  // the pineapple gives no wood
          if (landscape == Landscape::kWinter) {
            ASSERT_TRUE(tree == 0 || tree == 1 || tree == 2 || tree == 7 || tree == 8) << tree;
          }
        } else if (type == kFirstGraniteType || type == kLastGraniteType) {
          ASSERT_TRUE(index >= 1 && index <= 6);
        } else {
          ASSERT_EQ(type, 0);
        }
        const std::uint8_t animal = b.animals[v];
        if (animal == kDuck) {
          ASSERT_TRUE(g.UnderWater(v, landscape));
        } else if (animal != 0) {
          ASSERT_LE(animal, kSheep);
          ASSERT_TRUE(std::all_of(g.six[v].begin(), g.six[v].end(),
                                  [&](std::uint8_t t) { return IsAnimalGround(landscape, t); }));
        }
      }
      EXPECT_GT(trees, 0u);
      EXPECT_GT(ores, 0u);
    }
  }
}

TEST(World, SymmetricWorldsMapOntoThemselvesByteForByte) {
  struct Case {
    Symmetry symmetry;
    std::size_t players, w, h;
    Style style;
  };
  const Case cases[] = {{Symmetry::kMirror, 2, 96, 64, Style::kLand},
                        {Symmetry::kRotate, 2, 75, 64, Style::kIslands},
                        {Symmetry::kMirror, 4, 80, 96, Style::kMixed},
                        {Symmetry::kRotate, 4, 64, 64, Style::kIslands}};
  for (const Case& c : cases) {
    const WorldOptions o =
        Options(c.w, c.h, c.style, Landscape::kGreenland, 5, c.symmetry, c.players);
    const Generated g(o);
    const SymmetryGroup group(g.grid, c.symmetry, c.players);
    ASSERT_EQ(group.parts(), c.players);
    const auto& b = g.blocks;
    const auto code = [&](Triangle t) {
      return TerrainCode(t.second ? b.second[t.vertex] : b.first[t.vertex]);
    };
    for (const Turn turn : group.turns()) {
      for (std::size_t v = 0; v < g.grid.size(); ++v) {
        const std::size_t u = group.MapVertex(turn, v);
        for (const auto block :
             {b.heights, b.object_index, b.object_type, b.animals, b.resources}) {
          ASSERT_EQ(block[u], block[v]);
        }
        ASSERT_EQ(b.first[u] & kHarbourFlag, b.first[v] & kHarbourFlag);
        ASSERT_EQ(code(group.MapTriangle(turn, {v, false})), code({v, false}));
        ASSERT_EQ(code(group.MapTriangle(turn, {v, true})), code({v, true}));
      }
    }
  }
}

// Land masses as a settler walks them: vertices with a walkable triangle and no dangerous
// one, joined to neighbours likewise.
std::vector<int> WalkableMasses(const Generated& g) {
  std::vector<int> mass(g.grid.size(), -1);
  const auto stands = [&](std::size_t v) {
    return std::any_of(g.six[v].begin(), g.six[v].end(), IsWalkable) &&
           std::none_of(g.six[v].begin(), g.six[v].end(), IsDanger);
  };
  int next = 0;
  for (std::size_t start = 0; start < g.grid.size(); ++start) {
    if (mass[start] >= 0 || !stands(start)) continue;
    std::vector<std::size_t> stack = {start};
    mass[start] = next;
    while (!stack.empty()) {
      const std::size_t v = stack.back();
      stack.pop_back();
      for (const std::size_t u : g.grid.Neighbours(g.grid.PointOf(v))) {
        if (mass[u] < 0 && stands(u)) {
          mass[u] = next;
          stack.push_back(u);
        }
      }
    }
    ++next;
  }
  return mass;
}

TEST(World, IslandsGiveEveryPlayerAnIslandWithAHarbourOnOneSea) {
  struct Case {
    std::size_t w, h, players;
    Symmetry symmetry;
    std::uint32_t seed;
  };
  const Case cases[] = {{128, 128, 2, Symmetry::kNone, 1},   {128, 128, 4, Symmetry::kNone, 2},
                        {160, 128, 8, Symmetry::kNone, 3},   {128, 128, 3, Symmetry::kNone, 4},
                        {192, 128, 4, Symmetry::kMirror, 5}, {128, 128, 2, Symmetry::kRotate, 6}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.players << " players, seed " << c.seed);
    const WorldOptions o =
        Options(c.w, c.h, Style::kIslands, Landscape::kGreenland, c.seed, c.symmetry, c.players);
    const Generated g(o);
    const auto& b = g.blocks;
    const auto layers = LayersOf(g.world.image, o.landscape);
    ASSERT_TRUE(layers);
    const VertexFacts facts = ReadVertexFacts(*layers);
    const Seas seas = FindSeas(facts.around, g.grid.width(), g.grid.height());
    const std::vector<int> mass = WalkableMasses(g);
    // The seas beside the coast of each kept harbour; all must share one.
    std::set<int> harboured;
    std::set<std::uint32_t> shared;
    bool first_harbour = true;
    for (std::size_t v = 0; v < g.grid.size(); ++v) {
      if ((b.first[v] & kHarbourFlag) == 0) continue;
      ASSERT_FALSE(HarbourSeas(facts.around, seas, g.grid.width(), g.grid.height(), v).empty());
      ASSERT_TRUE(g.All(v, IsBuildable));
      std::set<std::uint32_t> near;
      for (const std::size_t u : g.grid.Neighbours(g.grid.PointOf(v))) {
        for (const std::size_t s : g.grid.Neighbours(g.grid.PointOf(u))) {
          if (seas.sea_of[s] != kNoSea) near.insert(seas.sea_of[s]);
        }
      }
      if (first_harbour) shared = near;
      std::erase_if(shared, [&](std::uint32_t s) { return near.count(s) == 0; });
      first_harbour = false;
      harboured.insert(mass[v]);
    }
    EXPECT_FALSE(shared.empty());
    ASSERT_GE(g.world.homes.size(), c.players);
    std::set<int> homes;
    for (const Point home : g.world.homes) {
      const int m = mass[g.grid.Index(home)];
      ASSERT_GE(m, 0);
      EXPECT_TRUE(harboured.count(m) == 1) << "home at " << home.x << "," << home.y;
      homes.insert(m);
    }
    EXPECT_EQ(homes.size(), g.world.homes.size());
    for (const int m : homes) {
      std::size_t open = 0;
      for (std::size_t v = 0; v < g.grid.size(); ++v) {
        open += mass[v] == m && g.All(v, IsBuildable) ? 1 : 0;
      }
      EXPECT_GE(open, 200u);
    }
  }
}

}  // namespace
}  // namespace plandrix::generate
