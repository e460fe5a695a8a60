#include "core/terrain.h"

#include <gtest/gtest.h>

#include <string>

namespace plandrix {
namespace {

// The game's table of terrain codes, written out as one line per code: which landscapes
// define it and what a triangle of it allows (B buildable, M mine, F flags and roads only,
// N nothing, D danger), with the water kind per landscape (g, w, s: greenland, wasteland,
// winter). Every code from 0 to 63 is listed, so that a slip in the tables shows here.
struct Row {
  std::uint8_t code;
  const char* defined;  // "gws": greenland, wasteland, winter; "" for none
  char ground;
  const char* water;  // landscapes in which the code is of water kind
  const char* vital;  // landscapes in which it is vital (buildable land)
};

constexpr Row kRows[] = {
    {0x00, "gws", 'B', "", "gws"}, {0x01, "gws", 'M', "", ""},    {0x02, "gws", 'D', "", ""},
    {0x03, "gws", 'N', "s", ""},   {0x04, "gws", 'F', "", ""},    {0x05, "gws", 'N', "gws", ""},
    {0x06, "gws", 'B', "gws", ""}, {0x07, "gws", 'F', "", ""},    {0x08, "gws", 'B', "", "gws"},
    {0x09, "gws", 'B', "", "gws"}, {0x0A, "gws", 'B', "", "gws"}, {0x0B, "gws", 'M', "", ""},
    {0x0C, "gws", 'M', "", ""},    {0x0D, "gws", 'M', "", ""},    {0x0E, "gws", 'B', "", "gws"},
    {0x0F, "gws", 'B', "", "gws"}, {0x10, "gws", 'D', "", ""},    {0x11, "w", 'D', "", ""},
    {0x12, "gws", 'B', "", ""},    {0x13, "gws", 'N', "gws", ""}, {0x14, "gws", 'D', "", ""},
    {0x15, "gws", 'D', "", ""},    {0x16, "gws", 'D', "", ""},    {0x22, "gws", 'B', "", ""},
};

char GroundLetter(Ground ground) {
  constexpr const char* kLetters = "BMFND";
  return kLetters[static_cast<int>(ground)];
}

bool In(const char* letters, Landscape landscape) {
  return std::string(letters).find("gws"[static_cast<int>(landscape)]) != std::string::npos;
}

TEST(TerrainTable, EveryCodeOfEveryLandscapeAsTheGameHasIt) {
  for (int code = 0; code < 64; ++code) {
    const Row* row = nullptr;
    for (const Row& r : kRows) {
      if (r.code == code) row = &r;
    }
    for (const Landscape landscape :
         {Landscape::kGreenland, Landscape::kWasteland, Landscape::kWinter}) {
      const auto byte = static_cast<std::uint8_t>(code);
      SCOPED_TRACE(std::to_string(code) + " in landscape " +
                   std::to_string(static_cast<int>(landscape)));
      const bool defined = row != nullptr && In(row->defined, landscape);
      EXPECT_EQ(IsDefinedTerrain(landscape, byte), defined);
      // The harbour bit and bit 0x80 do not change the code.
      EXPECT_EQ(IsDefinedTerrain(landscape, byte | 0xC0), defined);
      if (!defined) continue;
      EXPECT_EQ(GroundLetter(GroundOf(byte)), row->ground);
      EXPECT_EQ(IsWaterKind(landscape, byte), In(row->water, landscape));
      EXPECT_EQ(IsVital(landscape, byte), In(row->vital, landscape));
      EXPECT_EQ(IsShippable(byte), code == kWater);
      EXPECT_FALSE(TerrainOf(landscape, byte).name.empty());
    }
  }
}

TEST(TerrainTable, NamesAndHumidityOfTheLandscapes) {
  EXPECT_EQ(TerrainOf(Landscape::kWasteland, kWater).name, "moor");
  EXPECT_EQ(TerrainOf(Landscape::kWinter, kMountainMeadow).name, "snow");
  EXPECT_EQ(TerrainOf(Landscape::kGreenland, kMeadow1).humidity, 95);
  EXPECT_EQ(TerrainOf(Landscape::kGreenland, kSteppe).humidity, 30);
  EXPECT_EQ(TerrainOf(Landscape::kWasteland, kMountainMeadow).humidity, 0);
  EXPECT_EQ(TerrainOf(Landscape::kGreenland, kMountainMeadow).humidity, 100);
  EXPECT_FALSE(LandscapeOf(3));
  EXPECT_EQ(LandscapeOf(2), Landscape::kWinter);
}

}  // namespace
}  // namespace plandrix
