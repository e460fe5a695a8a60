#include "random/objects_animals.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "core/map_layout.h"
#include "random/scripted_draws.h"
#include "support/test_maps.h"

namespace plandrix {
namespace {

using testing::At;
using testing::FillBlock;
using testing::MakeBlankMap;
using testing::Negative;
using testing::SameBytes;
using testing::ScriptedDraws;

struct PassRun {
  std::vector<std::uint8_t> image;
  std::size_t draws = 0;
  std::string output;
};

// PlaceObjects on a single vertex of the given code.
PassRun ObjectOnOneVertex(int code, std::vector<std::uint32_t> numbers) {
  PassRun run{MakeBlankMap(1, 1), 0, {}};
  At(run.image, 2, 0, 0) = static_cast<std::uint8_t>(code);
  ScriptedDraws draws(std::move(numbers));
  std::ostringstream out;
  PlaceObjectsWith(run.image, 1, 1, draws, out);
  EXPECT_TRUE(draws.Exhausted());
  run.draws = draws.taken();
  run.output = out.str();
  return run;
}

// Expected object of one vertex: 0 means nothing placed (blocks 5 and 6 stay 0).
void ExpectObject(PassRun& run, int index, const std::string& context) {
  if (index == 0) {
    EXPECT_EQ(At(run.image, 5, 0, 0), 0) << context;
    EXPECT_EQ(At(run.image, 6, 0, 0), 0) << context;
  } else {
    EXPECT_EQ(At(run.image, 5, 0, 0), index) << context;
    EXPECT_EQ(At(run.image, 6, 0, 0), 200) << context;
  }
}

struct ClassObjects {
  int code;
  std::int32_t modulus;
  std::vector<int> objects;  // by remainder; a negative entry -k means "one more draw, mod k"
  std::vector<int> chance_objects;  // the object of each negative entry, in order
};

TEST(ObjectsAnimals, EveryClassTableByRemainder) {
  // Written out independently; index 0 of class 8 is the object 0 (a real index) and is
  // checked through block 6.
  const std::vector<ClassObjects> classes = {
      {0, 10, {5, 6, 7, 8, 12, 13, 37, 38, 39, -100}, {48}},
      {11, 12, {37, 38, 39, 5, 6, 7, 8, 2, 9, 41, 2, 42}, {}},
      {2, 4, {37, 38, 39, 43}, {}},
      {3, 9, {5, 6, 7, 8, 14, 15, 19, 20, 40}, {}},
      {9,
       22,
       {1000, 1, 2, 3, 4, 6, 5, 9, 10, 16, 17, 18, 34, 35, 36, 40, 41, 42, -75, -75, -75, -75},
       {44, 45, 46, 47}},
      {20, 7, {-5, -5, -5, -5, -5, -5, -5}, {6, 5, 7, 8, 37, 38, 39}},
      {18, 17, {2, 3, 4, 6, 5, 10, 16, 17, 18, 35, 36, 37, 38, 39, 40, 42, -50}, {45}},
  };
  for (const ClassObjects& terrain : classes) {
    std::size_t chance = 0;
    for (std::int32_t remainder = 0; remainder < terrain.modulus; ++remainder) {
      const int object = terrain.objects[static_cast<std::size_t>(remainder)];
      const std::string context =
          "code " + std::to_string(terrain.code) + " remainder " + std::to_string(remainder);
      // g = 4 passes (AND 3 = 0); d = remainder + 3 * modulus.
      const auto d = static_cast<std::uint32_t>(remainder + 3 * terrain.modulus);
      if (object >= 0) {
        PassRun run = ObjectOnOneVertex(terrain.code, {4, d});
        EXPECT_EQ(run.draws, 2u) << context;
        EXPECT_EQ(At(run.image, 5, 0, 0), object == 1000 ? 0 : object) << context;
        EXPECT_EQ(At(run.image, 6, 0, 0), 200) << context;
        continue;
      }
      const auto k = static_cast<std::uint32_t>(-object);
      PassRun hit = ObjectOnOneVertex(terrain.code, {4, d, 2 * k});
      EXPECT_EQ(hit.draws, 3u) << context;
      ExpectObject(hit, terrain.chance_objects[chance], context);
      PassRun miss = ObjectOnOneVertex(terrain.code, {4, d, 2 * k + 1});
      EXPECT_EQ(miss.draws, 3u) << context;
      ExpectObject(miss, 0, context);
      ++chance;
    }
  }
}

TEST(ObjectsAnimals, OnlyOneVertexInFourGoesOn) {
  for (std::uint32_t g : {1u, 2u, 3u, 0xFFFFFFFFu}) {
    PassRun run = ObjectOnOneVertex(0, {g});
    EXPECT_EQ(run.draws, 1u);
    ExpectObject(run, 0, "g " + std::to_string(g));
  }
  // Barren class 17: g is drawn, nothing else; an unlisted code warns first.
  PassRun run = ObjectOnOneVertex(64, {0});
  EXPECT_EQ(run.draws, 1u);
  ExpectObject(run, 0, "64");
  run = ObjectOnOneVertex(99, {1});
  EXPECT_EQ(run.output,
            "Warning: Some map information couldn't be read!\nBlock2,Position:0\n"
            "Information: 63\nYou are now able to discover objects...\n");
}

TEST(ObjectsAnimals, SignedRemainders) {
  // Class 0, d with its top bit set: only a multiple of 10 read as signed places index 5.
  PassRun run = ObjectOnOneVertex(0, {0, Negative(-10)});
  EXPECT_EQ(run.draws, 2u);
  ExpectObject(run, 5, "-10");
  run = ObjectOnOneVertex(0, {0, Negative(-2147483647 - 1)});  // -2^31 = -214748364.8 x 10
  ExpectObject(run, 0, "-2^31");
  for (std::int32_t d : {-1, -3, -9, -11, -2147483647}) {
    run = ObjectOnOneVertex(0, {0, Negative(d)});
    EXPECT_EQ(run.draws, 2u) << d;
    ExpectObject(run, 0, std::to_string(d));
  }
  // 0x80000000 unsigned mod 10 would be 8 (index 39); signed it is -8: nothing.
  EXPECT_EQ(0x80000000u % 10, 8u);
  // -9 read unsigned would be remainder 7 with 12; class 1 places nothing.
  run = ObjectOnOneVertex(11, {0, Negative(-9)});
  ExpectObject(run, 0, "class 1, -9");
  // Class 16: a negative first remainder ends after two draws; otherwise three.
  run = ObjectOnOneVertex(16, {0, Negative(-1)});
  EXPECT_EQ(run.draws, 2u);
  run = ObjectOnOneVertex(16, {0, Negative(-14), 5});  // -14 mod 7 = 0: draws e
  EXPECT_EQ(run.draws, 3u);
  ExpectObject(run, 6, "class 16, -14");
  run = ObjectOnOneVertex(16, {0, 6, 4});
  EXPECT_EQ(run.draws, 3u);
  ExpectObject(run, 0, "class 16, e misses");
  // The chance draw is unsigned: 0xFFFFFFFF mod 100 is 95, not a multiple.
  run = ObjectOnOneVertex(0, {0, 9, 0xFFFFFFFF});
  ExpectObject(run, 0, "chance unsigned");
  run = ObjectOnOneVertex(0, {0, 9, 4294967200u});  // a multiple of 100 unsigned
  ExpectObject(run, 48, "chance unsigned multiple");
}

// A water map of 7 x 7 with chosen land; runs PlaceObjects with the given draws.
PassRun ObjectsOnWater(const std::vector<std::pair<std::size_t, std::uint8_t>>& codes,
                       std::vector<std::uint32_t> numbers, std::size_t width = 7,
                       std::size_t height = 7) {
  PassRun run{MakeBlankMap(width, height), 0, {}};
  for (const auto& [index, code] : codes) At(run.image, 2, index % width, index / width) = code;
  ScriptedDraws draws(std::move(numbers));
  std::ostringstream out;
  PlaceObjectsWith(run.image, width, height, draws, out);
  EXPECT_TRUE(draws.Exhausted());
  run.draws = draws.taken();
  run.output = out.str();
  return run;
}

std::vector<std::uint32_t> SkipUntil(std::size_t index, std::vector<std::uint32_t> then) {
  std::vector<std::uint32_t> numbers(index, 1);
  numbers.insert(numbers.end(), then.begin(), then.end());
  return numbers;
}

std::string Warning(std::size_t index) {
  return "Warning: Some map information couldn't be read!\nBlock2,Position:" +
         std::to_string(index) + "\nInformation: 17\n";
}

TEST(ObjectsAnimals, ShoreWaterBorderRule) {
  // Land everywhere but on the vertex looked at, so that only the border rule can refuse
  // it.
  const auto land_around = [](std::size_t water) {
    std::vector<std::pair<std::size_t, std::uint8_t>> land;
    for (std::size_t i = 0; i < 49; ++i) {
      if (i != water) land.push_back({i, 3});
    }
    return land;
  };
  for (std::size_t index :
       {std::size_t{1}, std::size_t{13}, std::size_t{14}, std::size_t{35}, std::size_t{47}}) {
    // Within two rows of the edge (index 14 = 2W itself, 35 = (H-2)W): the second draw is
    // thrown away, even though it would choose an object.
    const auto land = land_around(index);
    PassRun run = ObjectsOnWater(land, SkipUntil(index, {0, 2}));
    EXPECT_EQ(run.draws, 49u + 1u) << index;
    EXPECT_TRUE(SameBytes(run.image, ObjectsOnWater(land, {}).image)) << index;
  }
  for (std::size_t index : {std::size_t{15}, std::size_t{33}, std::size_t{34}}) {
    PassRun run = ObjectsOnWater(land_around(index), SkipUntil(index, {0, 2}));  // k = 3: index 14
    EXPECT_EQ(run.draws, 49u + 1u) << index;
    EXPECT_EQ(At(run.image, 5, index % 7, index / 7), 14) << index;
    EXPECT_EQ(At(run.image, 6, index % 7, index / 7), 200) << index;
  }
  // Maps of fewer than three rows: all border.
  for (std::size_t height : {1u, 2u, 3u, 4u}) {
    PassRun run = ObjectsOnWater({}, std::vector<std::uint32_t>(2 * 5 * height, 0), 5, height);
    EXPECT_EQ(run.draws, 2 * 5 * height);
    EXPECT_TRUE(SameBytes(run.image, MakeBlankMap(5, height)));
  }
}

TEST(ObjectsAnimals, ShoreNeighboursInOrderUntilTheFirstLand) {
  // Vertex 24 is the middle of 7 x 7; its neighbours +2 = 26, -2 = 22, -2W = 10, +2W = 38.
  // Unlisted codes (class 17, land) report when they are looked at.
  const std::array<std::size_t, 4> neighbours = {26, 22, 10, 38};
  for (std::size_t land = 0; land < 4; ++land) {
    std::vector<std::pair<std::size_t, std::uint8_t>> codes;
    for (std::size_t j = land; j < 4; ++j) codes.push_back({neighbours[j], 23});
    PassRun run = ObjectsOnWater(codes, SkipUntil(24, {0, 3}));  // k = 4: index 15
    EXPECT_EQ(run.draws, 49u + 1u);
    EXPECT_EQ(At(run.image, 5, 3, 3), 15) << land;
    // Warnings: each unlisted vertex once for itself (in block order), and the one neighbour
    // that stopped the test, right after vertex 24's own lookup.
    std::string expected;
    std::vector<std::size_t> own(codes.size());
    for (std::size_t j = 0; j < codes.size(); ++j) own[j] = codes[j].first;
    std::sort(own.begin(), own.end());
    for (std::size_t index : own) {
      if (index > 24) break;
      expected += Warning(index);
    }
    expected += Warning(neighbours[land]);
    for (std::size_t index : own) {
      if (index > 24) expected += Warning(index);
    }
    EXPECT_EQ(run.output, expected + "You are now able to discover objects...\n") << land;
  }
  // All four neighbours water: one draw thrown away, nothing placed.
  PassRun run = ObjectsOnWater({{0, 3}}, SkipUntil(24, {0, 2}));
  EXPECT_EQ(run.draws, 49u + 1u);
  EXPECT_EQ(At(run.image, 5, 3, 3), 0);
}

TEST(ObjectsAnimals, ShoreObjectsByK) {
  const std::vector<std::pair<std::size_t, std::uint8_t>> land = {{26, 0}};
  const std::array<int, 6> objects = {11, 21, 14, 15, 19, 20};
  for (std::uint32_t k = 0; k < 6; ++k) {
    if (k < 2) {
      PassRun hit = ObjectsOnWater(land, SkipUntil(24, {0, 6 + k, 30}));
      EXPECT_EQ(hit.draws, 49u + 2u);
      EXPECT_EQ(At(hit.image, 5, 3, 3), objects[k]);
      PassRun miss = ObjectsOnWater(land, SkipUntil(24, {0, 6 + k, 31}));
      EXPECT_EQ(miss.draws, 49u + 2u);
      EXPECT_EQ(At(miss.image, 5, 3, 3), 0);
    } else {
      PassRun run = ObjectsOnWater(land, SkipUntil(24, {0, 12 + k}));
      EXPECT_EQ(run.draws, 49u + 1u);
      EXPECT_EQ(At(run.image, 5, 3, 3), objects[k]);
      EXPECT_EQ(At(run.image, 6, 3, 3), 200);
    }
  }
}

// Animals --------------------------------------------------------------------------------

PassRun AnimalOnOneVertex(int code, std::vector<std::uint32_t> numbers) {
  PassRun run{MakeBlankMap(1, 1), 0, {}};
  At(run.image, 2, 0, 0) = static_cast<std::uint8_t>(code);
  ScriptedDraws draws(std::move(numbers));
  std::ostringstream out;
  PlaceAnimalsWith(run.image, 1, 1, draws, out);
  EXPECT_TRUE(draws.Exhausted());
  run.draws = draws.taken();
  run.output = out.str();
  return run;
}

TEST(ObjectsAnimals, AnimalsByClass) {
  for (int code : {0, 4, 7, 14}) {
    PassRun run = AnimalOnOneVertex(code, {50});
    EXPECT_EQ(At(run.image, 7, 0, 0), 1) << code;
  }
  for (int code : {5, 6, 19}) {
    PassRun run = AnimalOnOneVertex(code, {0});
    EXPECT_EQ(At(run.image, 7, 0, 0), 5) << code;
  }
  const std::array<int, 3> mountain = {6, 1, 2};
  for (int code : {1, 34, 18}) {
    for (std::uint32_t b = 0; b < 3; ++b) {
      PassRun run = AnimalOnOneVertex(code, {25, 3 + b});
      EXPECT_EQ(run.draws, 2u);
      EXPECT_EQ(At(run.image, 7, 0, 0), mountain[b]) << code << " " << b;
    }
  }
  const std::array<int, 5> pasture = {1, 2, 3, 4, 6};
  for (std::uint32_t b = 0; b < 5; ++b) {
    PassRun run = AnimalOnOneVertex(15, {75, 10 + b});
    EXPECT_EQ(run.draws, 2u);
    EXPECT_EQ(At(run.image, 7, 0, 0), pasture[b]) << b;
  }
  for (int code : {2, 3, 16, 22, 64}) {
    PassRun run = AnimalOnOneVertex(code, {0});
    EXPECT_EQ(run.draws, 1u);
    EXPECT_TRUE(SameBytes(run.image, AnimalOnOneVertex(code, {1}).image)) << code;
    EXPECT_EQ(At(run.image, 7, 0, 0), 0);
  }
  EXPECT_EQ(AnimalOnOneVertex(0, {}).output, "God invented live on your map...\n");
  // The terrain is looked at only past the first test: no warning for a skipped vertex.
  EXPECT_EQ(AnimalOnOneVertex(200, {24}).output, "God invented live on your map...\n");
  EXPECT_EQ(AnimalOnOneVertex(200, {0}).output,
            "Warning: Some map information couldn't be read!\nBlock2,Position:0\n"
            "Information: C8\nGod invented live on your map...\n");
}

TEST(ObjectsAnimals, AllWaterMapGetsAnimal5WhereTheFirstDrawPasses) {
  auto image = MakeBlankMap(10, 10);
  auto expected = image;
  RandomSource source;
  std::ostringstream out;
  PlaceAnimals(image, 10, 10, source, 4321, out);
  std::mt19937 engine(4321);
  int animals = 0;
  for (std::size_t i = 0; i < 100; ++i) {
    if (engine() % 25 == 0) {
      At(expected, 7, i % 10, i / 10) = 5;
      ++animals;
    }
  }
  EXPECT_GT(animals, 0);
  EXPECT_TRUE(SameBytes(image, expected));
  // The pass left the source exactly 100 draws on.
  EXPECT_EQ(RandomNumber(source, 0, 0), engine());
}

TEST(ObjectsAnimals, PlaceObjectsDrawsFromTheSource) {
  auto map = MakeBlankMap(12, 9);
  FillBlock(map, 2, [](std::size_t x, std::size_t y) {
    constexpr std::array<std::uint8_t, 9> kCodes = {0, 1, 2, 3, 8, 16, 18, 5, 64};
    return kCodes[(x * 5 + y) % 9];
  });
  auto via_source = map;
  RandomSource source;
  std::ostringstream out;
  PlaceObjects(via_source, 12, 9, source, 99, out);
  std::mt19937 engine(99);
  auto direct = map;
  PlaceObjectsWith(
      direct, 12, 9, [&] { return static_cast<std::uint32_t>(engine()); }, out);
  EXPECT_TRUE(SameBytes(via_source, direct));
  EXPECT_FALSE(SameBytes(via_source, map));
  EXPECT_EQ(RandomNumber(source, 0, 0), engine());
}

TEST(ObjectsAnimals, AnUnlistedCodeAmongListedOnesIsStillReported) {
  // Code 23 is the first code above the listed run 0 to 22: wherever it stands among
  // listed codes, its vertex warns exactly as one draw at a time does.
  for (std::size_t at : {0u, 3u, 8u, 13u, 15u, 22u}) {
    auto map = MakeBlankMap(8, 3);
    FillBlock(map, 2, [](std::size_t x, std::size_t y) {
      return static_cast<std::uint8_t>((x + 3 * y) % 17);  // listed, never 17
    });
    map[BlockDataOffset(kTerrainBlock1, 24) + at] = 23;
    auto via_source = map;
    RandomSource source;
    std::ostringstream out;
    PlaceObjects(via_source, 8, 3, source, 7, out);
    std::mt19937 engine(7);
    auto direct = map;
    std::ostringstream direct_out;
    PlaceObjectsWith(
        direct, 8, 3, [&] { return static_cast<std::uint32_t>(engine()); }, direct_out);
    EXPECT_NE(out.str().find("Position:" + std::to_string(at) + "\nInformation: 17\n"),
              std::string::npos)
        << at;
    EXPECT_EQ(out.str(), direct_out.str()) << at;
    EXPECT_TRUE(SameBytes(via_source, direct)) << at;
  }
}

}  // namespace
}  // namespace plandrix
