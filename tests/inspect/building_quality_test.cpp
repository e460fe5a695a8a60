// Building quality: small maps built byte by byte whose quality can be worked out by hand,
// what the object blocks place (castle ruins in row order included), seas and harbours,
// and the fast computation held to the plain one on random maps.
#include "inspect/building_quality.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "core/map_grid.h"
#include "support/test_maps.h"

namespace plandrix {
namespace {

using testing::At;
using testing::FillBlock;
using testing::MakeBlankMap;
using Bytes = std::vector<std::uint8_t>;
using Q = BuildingQuality;
using O = VertexObject;

constexpr std::uint8_t kGround = kMeadow1;

Bytes Meadow(std::size_t width, std::size_t height) {
  Bytes map = MakeBlankMap(width, height);
  FillBlock(map, kTerrainBlock1, [](auto, auto) { return kGround; });
  FillBlock(map, kTerrainBlock2, [](auto, auto) { return kGround; });
  return map;
}

void PutObject(Bytes& map, std::size_t x, std::size_t y, std::uint8_t type, std::uint8_t index) {
  At(map, kObjectTypeBlock, x, y) = type;
  At(map, kObjectIndexBlock, x, y) = index;
}

// The six triangles around (x, y).
void PaintAround(Bytes& map, std::size_t x, std::size_t y, std::uint8_t code) {
  const MapGrid grid(MapWidth(map), MapHeight(map));
  for (const Triangle& t : grid.TrianglesAround({x, y})) {
    const Point owner = grid.PointOf(t.vertex);
    At(map, t.second ? kTerrainBlock2 : kTerrainBlock1, owner.x, owner.y) = code;
  }
}

LayerVector<Q> QualityOf(const Bytes& map) {
  return ComputeBuildingQuality(*LayersOf(map, Landscape::kGreenland));
}

struct Expected {
  std::size_t x;
  std::size_t y;
  Q quality;
};

using Change = std::function<void(Bytes&)>;

struct QualityCase {
  std::string name;
  Change change;  // of a flat 12 x 12 meadow at height 10
  std::vector<Expected> expected;
};

Change Height(std::size_t x, std::size_t y, std::uint8_t height) {
  return [=](Bytes& m) { At(m, kHeightBlock, x, y) = height; };
}
Change Object(std::size_t x, std::size_t y, std::uint8_t type, std::uint8_t index) {
  return [=](Bytes& m) { PutObject(m, x, y, type, index); };
}
Change Terrain(int block, std::size_t x, std::size_t y, std::uint8_t code) {
  return [=](Bytes& m) { At(m, block, x, y) = code; };
}
// Six mountain triangles around P.
const Change kMountain = [](Bytes& m) { PaintAround(m, 5, 6, kMountain1); };
Change Both(Change first, Change second) {
  return [=](Bytes& m) {
    first(m);
    second(m);
  };
}

// P = (5, 6), an even row: W (4,6), E (6,6), NW (4,5), NE (5,5), SW (4,7), SE (5,7); two
// steps away among others (7,6) and (6,5). Q = (5, 5), an odd row: NW (5,4), NE (6,4),
// SE (6,6); two steps away (7,4).
const std::vector<QualityCase> kQualityCases = {
    // Blank maps are 10 high everywhere. (6,5) has (7,6) as its SE neighbour.
    {"two away 3 higher",
     Height(7, 6, 13),
     {{5, 6, Q::kHut}, {9, 6, Q::kHut}, {6, 6, Q::kCastle}, {6, 5, Q::kFlag}}},
    {"two away 2 higher", Height(7, 6, 12), {{5, 6, Q::kCastle}}},
    {"NE's east 3 lower", Height(6, 5, 7), {{5, 6, Q::kHut}}},
    {"odd row, NE's east 3 higher", Height(7, 4, 13), {{5, 5, Q::kHut}}},
    {"SE 2 higher", Height(5, 7, 12), {{5, 6, Q::kFlag}, {4, 6, Q::kCastle}}},
    {"SE 1 higher", Height(5, 7, 11), {{5, 6, Q::kCastle}}},
    {"W 4 lower", Height(4, 6, 6), {{5, 6, Q::kFlag}}},
    {"W 3 lower", Height(4, 6, 7), {{5, 6, Q::kCastle}}},
    {"six mountain triangles", kMountain, {{5, 6, Q::kMine}, {4, 6, Q::kFlag}}},
    {"mine, SE 4 higher", Both(kMountain, Height(5, 7, 14)), {{5, 6, Q::kFlag}}},
    {"mine, SE 3 higher, W 6 lower",
     Both(kMountain, Both(Height(5, 7, 13), Height(4, 6, 4))),
     {{5, 6, Q::kMine}}},
    {"mine, granite beside",
     Both(kMountain, Object(6, 6, kFirstGraniteType, 3)),
     {{5, 6, Q::kFlag}}},
    {"lava below P",
     Terrain(kTerrainBlock1, 5, 6, kLava),
     {{5, 6, Q::kNothing}, {4, 7, Q::kNothing}, {5, 7, Q::kNothing}, {4, 6, Q::kFlag}}},
    {"swamp around P", [](Bytes& m) { PaintAround(m, 5, 6, kSwamp); }, {{5, 6, Q::kNothing}}},
    {"desert among meadow", Terrain(kTerrainBlock2, 5, 6, kDesert1), {{5, 6, Q::kFlag}}},
    {"granite beside", Object(6, 6, kFirstGraniteType, 1), {{5, 6, Q::kFlag}}},
    {"granite on P", Object(5, 6, kLastGraniteType, 6), {{5, 6, Q::kNothing}}},
    {"granite of size 0 is none", Object(5, 6, kFirstGraniteType, 0), {{5, 6, Q::kCastle}}},
    {"tree beside", Object(6, 6, 0xC4, 0x30), {{5, 6, Q::kHut}}},
    {"tree without wood beside", Object(6, 6, 0xC5, 0x70), {{5, 6, Q::kHut}}},
    {"growth stage E is no tree", Object(6, 6, 0xC4, 0x3E), {{5, 6, Q::kCastle}}},
    {"tree on SE", Object(5, 7, 0xC6, 0x35), {{5, 6, Q::kFlag}, {5, 7, Q::kNothing}}},
    {"blocking decoration W", Object(4, 6, kDecorationType, 0x0B), {{5, 6, Q::kHouse}}},
    {"blocking decoration NW", Object(4, 5, kDecorationType, 0x15), {{5, 6, Q::kHouse}}},
    {"blocking decoration NE", Object(5, 5, kDecorationType2, 0x35), {{5, 6, Q::kHouse}}},
    {"blocking decoration E",
     Object(6, 6, kDecorationType, 0x30),
     {{5, 6, Q::kCastle}, {6, 6, Q::kNothing}}},
    {"plain decoration on P, W and SE",
     Both(Object(5, 6, kDecorationType, 0x00),
          Both(Object(4, 6, kDecorationType, 0x2B), Object(5, 7, kDecorationType, 0x14))),
     {{5, 6, Q::kCastle}}},
    {"headquarters mark on P and SE",
     Both(Object(5, 6, kHeadquartersType, 0), Object(5, 7, kHeadquartersType, 1)),
     {{5, 6, Q::kCastle}}},
    {"castle ruin on P",
     Object(5, 6, kDecorationType, kCastleRuinIndex),
     {{5, 6, Q::kNothing},
      {4, 6, Q::kNothing},
      {4, 5, Q::kNothing},
      {5, 5, Q::kNothing},
      {6, 6, Q::kHouse},   // the ruin stands W of it
      {4, 4, Q::kFlag}}},  // the NW part stands on its SE neighbour
    // Parts of a ruin at (5,0) that would stand in row 11 are lost; its W part stays.
    {"castle ruin on row 0",
     Object(5, 0, kDecorationType, kCastleRuinIndex),
     {{5, 0, Q::kNothing}, {4, 0, Q::kNothing}, {5, 11, Q::kCastle}, {4, 11, Q::kFlag}}},
    // The W part of a ruin at (0,4) would stand at (11,4): lost; NW (11,3), NE (0,3) stay.
    // (11,4) is a house for the part on its NE neighbour (11,3).
    {"castle ruin on column 0",
     Object(0, 4, kDecorationType, kCastleRuinIndex),
     {{11, 4, Q::kHouse}, {11, 3, Q::kNothing}, {0, 3, Q::kNothing}, {1, 4, Q::kHouse}}},
    // The second triangle of (11,6) touches (0,6) across the seam.
    {"lava at the last column",
     Terrain(kTerrainBlock2, 11, 6, kLava),
     {{0, 6, Q::kNothing}, {11, 6, Q::kNothing}, {11, 7, Q::kNothing}, {1, 6, Q::kCastle}}},
};

TEST(BuildingQualityTest, EveryVertexOfAFlatMeadowIsACastle) {
  const LayerVector<Q> quality = QualityOf(Meadow(12, 12));
  ASSERT_EQ(quality.size(), 144U);
  EXPECT_EQ(std::count(quality.begin(), quality.end(), Q::kCastle), 144);
}

TEST(BuildingQualityTest, SmallMapsWorkedOutByHand) {
  for (const QualityCase& c : kQualityCases) {
    Bytes map = Meadow(12, 12);
    c.change(map);
    const LayerVector<Q> quality = QualityOf(map);
    ASSERT_EQ(quality.size(), 144U) << c.name;
    for (const Expected& e : c.expected) {
      EXPECT_EQ(kQualityNames[static_cast<std::size_t>(quality[e.y * 12 + e.x])],
                kQualityNames[static_cast<std::size_t>(e.quality)])
          << c.name << " at " << e.x << "," << e.y;
    }
  }
}

TEST(BuildingQualityTest, ObjectBytes) {
  struct Case {
    std::uint8_t type;
    std::uint8_t index;
    O object;
  };
  const Case cases[] = {
      {0, 0, O::kNone},
      {kHeadquartersType, 2, O::kNone},
      {0xC4, 0x30, O::kTree},
      {0xC4, 0xFD, O::kTree},
      {0xC4, 0x2D, O::kNone},
      {0xC4, 0x3E, O::kNone},
      {0xC5, 0x70, O::kTreeWithoutWood},  // type 5
      {0xC5, 0x7D, O::kTreeWithoutWood},
      {0xC5, 0xB0, O::kTree},
      {0xC6, 0x3D, O::kTree},
      {0xC6, 0x70, O::kNone},  // 0xC6 has one kind only
      {0xC7, 0x30, O::kNone},
      {kFirstGraniteType, 0, O::kNone},
      {kFirstGraniteType, 1, O::kGranite},
      {kLastGraniteType, 6, O::kGranite},
      {kLastGraniteType, 7, O::kNone},
      {kDecorationType, 0x0A, O::kPlainDecoration},
      {kDecorationType, 0x0B, O::kBlockingDecoration},
      {kDecorationType, 0x21, O::kBlockingDecoration},
      {kDecorationType, 0x22, O::kPlainDecoration},
      {kDecorationType2, 0x2E, O::kBlockingDecoration},
      {kDecorationType2, 0x2F, O::kCastleRuin},
      {kDecorationType, 0x35, O::kBlockingDecoration},
      {kDecorationType, 0x36, O::kNone},
      {0xFF, 0xFF, O::kNone},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ObjectOf(c.type, c.index), c.object) << int{c.type} << " " << int{c.index};
  }
}

// Castle ruins read in row order on a 12 x 12 map: what stands where afterwards.
TEST(BuildingQualityTest, CastleRuinsInRowOrder) {
  struct Case {
    std::string name;
    std::vector<Point> ruins;
    std::vector<Point> trees;
    std::vector<Point> parts;  // every part afterwards; the ruins that stay, then none
    std::vector<Point> ruins_left;
  };
  const std::vector<Case> cases = {
      {"one ruin", {{4, 4}}, {}, {{3, 4}, {3, 3}, {4, 3}}, {{4, 4}}},
      {"over a tree", {{4, 4}}, {{3, 3}}, {{3, 4}, {3, 3}, {4, 3}}, {{4, 4}}},
      // (5,4)'s W part replaces (4,4), which takes its parts (3,4), (3,3), (4,3) with it;
      // then (5,4) puts its NW part on (4,3) again and its NE part on (5,3).
      {"ruin E of a ruin", {{4, 4}, {5, 4}}, {}, {{4, 4}, {4, 3}, {5, 3}}, {{5, 4}}},
      // (4,5) is SW of (5,4): its NW part lands on (4,4), then its NE part replaces (5,4)
      // and clears (4,4), (4,3) and (5,3).
      {"ruin SW of a ruin", {{5, 4}, {4, 5}}, {}, {{3, 5}, {5, 4}}, {{4, 5}}},
      // (11,4) is read after the ruin at (0,4) and holds its tree; (0,5) replaces (0,4),
      // whose W, NW and NE neighbours (11,4), (11,3) and (0,3) are cleared. The W part of
      // (0,5) lands on (11,5), read later.
      {"seam ruin removed from below", {{0, 4}, {0, 5}}, {{11, 4}}, {{0, 4}, {1, 4}}, {{0, 5}}},
      // As above with a ruin on (11,4): removing (0,4) removes it, and its parts on (10,4),
      // (10,3) and (11,3) go with it.
      {"seam ruin removed with the ruin W of it",
       {{0, 4}, {11, 4}, {0, 5}},
       {},
       {{0, 4}, {1, 4}},
       {{0, 5}}},
  };
  for (const Case& c : cases) {
    Bytes map = Meadow(12, 12);
    for (const Point& p : c.ruins) PutObject(map, p.x, p.y, kDecorationType, kCastleRuinIndex);
    for (const Point& p : c.trees) PutObject(map, p.x, p.y, 0xC4, 0x31);
    const auto layers = *LayersOf(map, Landscape::kGreenland);
    const LayerVector<O> objects = ReadObjects(layers.object_index, layers.object_type, 12, 12);
    ASSERT_EQ(objects.size(), 144U);
    LayerVector<O> expected(144, O::kNone);
    for (const Point& p : c.parts) expected[p.y * 12 + p.x] = O::kCastleRuinPart;
    for (const Point& p : c.ruins_left) expected[p.y * 12 + p.x] = O::kCastleRuin;
    EXPECT_EQ(objects, expected) << c.name;
  }
}

// Rows 3 and 4, columns 2 to last_column, are water: the sea points are row 4 from column
// 3 to last_column (a point needs the triangles of itself, its W, NW and NE neighbours).
Bytes LakeMap(std::size_t last_column) {
  Bytes map = Meadow(26, 12);
  for (std::size_t y = 3; y <= 4; ++y) {
    for (std::size_t x = 2; x <= last_column; ++x) {
      At(map, kTerrainBlock1, x, y) = kWater;
      At(map, kTerrainBlock2, x, y) = kWater;
    }
  }
  // (10,6): its NE neighbour (10,5) touches the sea; (24,6): only its NW neighbour (23,5).
  At(map, kTerrainBlock1, 10, 6) |= kHarbourFlag;
  At(map, kTerrainBlock1, 24, 6) |= kHarbourFlag;
  return map;
}

TEST(BuildingQualityTest, HarbourNeedsASeaOfMoreThanTwenty) {
  struct Case {
    std::size_t last_column;
    std::uint32_t sea_size;
    Q quality;
  };
  for (const Case& c : {Case{23, 21, Q::kHarbour}, Case{22, 20, Q::kCastle}}) {
    const Bytes map = LakeMap(c.last_column);
    const MapLayers layers = *LayersOf(map, Landscape::kGreenland);
    const VertexFacts facts = ReadVertexFacts(layers);
    const Seas seas = FindSeas(facts.around, 26, 12);
    EXPECT_EQ(seas.sizes, std::vector<std::uint32_t>{c.sea_size});
    EXPECT_EQ(seas.sea_of[4 * 26 + 3], 0U);
    EXPECT_EQ(seas.sea_of[4 * 26 + 2], kNoSea);
    EXPECT_EQ(seas.sea_of[3 * 26 + 10], kNoSea);
    const LayerVector<Q> quality = ComputeBuildingQuality(layers, facts);
    EXPECT_EQ(quality[6 * 26 + 10], c.quality) << c.sea_size;
    EXPECT_EQ(quality[6 * 26 + 24], Q::kCastle) << "a coast at NW only";
    EXPECT_EQ(quality[6 * 26 + 11], Q::kCastle) << "no harbour flag";
    const auto harbour_seas = HarbourSeas(facts.around, seas, 26, 12, 6 * 26 + 10);
    EXPECT_EQ(harbour_seas.size(), c.sea_size > 20 ? 1U : 0U);
  }
}

TEST(BuildingQualityTest, NeighbourPointsAreTheGridsNeighbours) {
  for (std::size_t width = 1; width <= 5; ++width) {
    for (std::size_t height = 1; height <= 5; ++height) {
      const MapGrid grid(width, height);
      for (std::size_t v = 0; v < grid.size(); ++v) {
        const Point p = grid.PointOf(v);
        const auto points = grid.NeighbourPoints(p);
        for (std::size_t i = 0; i < kDirections.size(); ++i) {
          EXPECT_EQ(points[i], grid.Neighbour(p, kDirections[i])) << width << " x " << height;
        }
      }
    }
  }
}

TEST(BuildingQualityTest, RefusesLayersThatDoNotHoldTheMap) {
  const Bytes map = Meadow(8, 8);
  MapLayers layers = *LayersOf(map, Landscape::kGreenland);
  layers.second = layers.second.first(63);
  EXPECT_TRUE(ComputeBuildingQuality(layers).empty());
  EXPECT_TRUE(ComputeBuildingQualityPlain(layers).empty());
  layers = *LayersOf(map, Landscape::kGreenland);
  EXPECT_TRUE(ComputeBuildingQuality(layers, VertexFacts{}).empty());
  EXPECT_TRUE(ReadObjects(layers.object_index, layers.object_type, 0, 8).empty());
  EXPECT_TRUE(HarbourSeas(std::vector<std::uint8_t>(64), Seas{}, 8, 8, 3).empty());
}

// A random map of the given size whose two halves have a ground each; per map, more or
// less of: spots of other ground, height steps, objects (castle ruins among them) and
// harbour flags. Clean maps give long coasts and castles; rough ones every odd case.
Bytes RandomMap(std::mt19937& engine, std::size_t width, std::size_t height) {
  constexpr std::uint8_t kCodes[] = {kMeadow1,   kMeadow1,      kWater,         kWater,
                                     kMountain2, kSwamp,        kDesert1,       kLava,
                                     kSnow,      kShallowWater, kMountainMeadow};
  constexpr std::uint8_t kObjects[][2] = {{0, 0},    {0xC4, 0x30}, {0xC5, 0x72}, {0xCC, 2},
                                          {0xC8, 0}, {0xC8, 0x0B}, {0xC8, 0x2F}, {0x80, 1}};
  const auto pick = [&engine](std::size_t count) { return engine() % count; };
  const std::uint8_t left = kCodes[pick(std::size(kCodes))];
  const std::uint8_t right = kCodes[pick(std::size(kCodes))];
  const std::size_t spots = 4 + pick(40);    // one triangle in spots has other ground
  const std::size_t steps = 1 + pick(6);     // heights 8 to 8 + steps - 1
  const std::size_t objects = 2 + pick(20);  // one vertex in objects has an object
  Bytes map = MakeBlankMap(width, height);
  const auto code_at = [&](std::size_t x, std::size_t) {
    const std::uint8_t code =
        pick(spots) == 0 ? kCodes[pick(std::size(kCodes))] : (x < width / 2 ? left : right);
    return static_cast<std::uint8_t>(code | (pick(4) == 0 ? kHarbourFlag : 0));
  };
  FillBlock(map, kTerrainBlock1, code_at);
  FillBlock(map, kTerrainBlock2, code_at);
  FillBlock(map, kHeightBlock,
            [&](auto, auto) { return static_cast<std::uint8_t>(8 + pick(steps)); });
  for (std::size_t y = 0; y < height; ++y) {
    for (std::size_t x = 0; x < width; ++x) {
      if (pick(objects) != 0) continue;
      const auto& object = kObjects[pick(std::size(kObjects))];
      PutObject(map, x, y, object[0], object[1]);
    }
  }
  return map;
}

TEST(BuildingQualityTest, FastAndPlainAgreeOnRandomMaps) {
  std::mt19937 engine(20261201);
  std::vector<int> seen(kQualityCount);
  for (int round = 0; round < 400; ++round) {
    const std::size_t width = 1 + engine() % 24;
    const std::size_t height = 1 + engine() % 22;
    const Bytes map = RandomMap(engine, width, height);
    const auto landscape = static_cast<Landscape>(round % 3);
    const MapLayers layers = *LayersOf(map, landscape);
    const LayerVector<Q> quality = ComputeBuildingQuality(layers);
    ASSERT_EQ(quality, ComputeBuildingQualityPlain(layers))
        << "round " << round << ", " << width << " x " << height;
    for (const Q q : quality) ++seen[static_cast<std::size_t>(q)];
  }
  // The maps are varied enough to give every quality, harbours included.
  for (std::size_t q = 0; q < kQualityCount; ++q) EXPECT_GT(seen[q], 0) << kQualityNames[q];
}

}  // namespace
}  // namespace plandrix
