// export-heights and export-terrain, checked by running the menu program's importers
// (options 9 and 2) on what they write.
#include "inspect/bitmap_export.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "core/map_format.h"
#include "core/map_layout.h"
#include "core/terrain.h"
#include "inspect/map_tool_runner.h"
#include "random/random_map.h"
#include "random/random_source.h"
#include "support/run_program.h"
#include "support/test_maps.h"
#include "transform/test_bitmaps.h"

namespace plandrix {
namespace {

using testing::FillBlock;
using testing::MakeBlankMap;
using testing::RunMapTool;
using testing::RunProgramIn;
using testing::TempFolder;
using Bytes = std::vector<std::uint8_t>;

std::uint32_t U32At(const Bytes& bytes, std::size_t offset) {
  std::uint32_t value = 0;
  for (std::size_t i = 4; i-- > 0;) value = value << 8 | bytes[offset + i];
  return value;
}

Bytes ReadFile(const TempFolder& folder, const std::string& name) {
  const auto files = folder.ReadAll();
  const auto found = files.find(name);
  return found == files.end() ? Bytes{} : found->second;
}

// Converts the 4-bit bitmap bmp with option 2 and gives nTavik.wld.
Bytes ConvertBitmap(const TempFolder& folder, const std::string& bmp) {
  RunProgramIn(folder, "2\n" + bmp + "\n0\n", {"", 10});
  return ReadFile(folder, "nTavik.wld");
}

// Option 2 on a bitmap, export-terrain of the map it made, option 2 on the export: the
// map that comes back, next to the first one.
struct TerrainRoundTrip {
  Bytes first;
  Bytes second;
  std::string report;
};
TerrainRoundTrip RoundTripTerrain(const Bytes& bitmap) {
  TempFolder folder;
  folder.Write("p.bmp", bitmap);
  TerrainRoundTrip trip;
  trip.first = ConvertBitmap(folder, "p.bmp");
  folder.Write("a.wld", trip.first);
  const auto run = RunMapTool(folder, "export-terrain a.wld -o e.bmp");
  EXPECT_EQ(run.status, 0) << run.err;
  trip.report = run.out;
  trip.second = ConvertBitmap(folder, "e.bmp");
  return trip;
}

TEST(ExportHeights, ComeBackThroughTheHeightMapTool) {
  struct Case {
    std::size_t width, height;
  };
  for (const Case c : {Case{8, 6}, Case{4, 1}, Case{12, 5}, Case{16, 16}}) {
    Bytes map = MakeBlankMap(c.width, c.height);
    // Heights from 0 to 62 with steps of more than 5, which the tool reports and asks
    // about: the script refuses its help.
    FillBlock(map, kHeightBlock, [](std::size_t x, std::size_t y) {
      return static_cast<std::uint8_t>((x * 7 + y * 13 + (x * y) % 11) % 63);
    });
    TempFolder folder;
    folder.Write("m.wld", map);
    const auto run = RunMapTool(folder, "export-heights m.wld");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const auto menu = RunProgramIn(folder, "9\nm.wld\nm.heights.bmp\n0\n0\n0\n", {"", 10});
    EXPECT_EQ(ReadFile(folder, "nm.wld"), map) << c.width << " x " << c.height;
  }
}

TEST(ExportHeights, WritesAGreyBitmapWithPaddedRows) {
  Bytes map = MakeBlankMap(6, 2);
  FillBlock(map, kHeightBlock, [](std::size_t x, std::size_t y) {
    return static_cast<std::uint8_t>(x + 10 * y + (x == 5 && y == 1 ? 48 : 0));
  });
  TempFolder folder;
  folder.Write("m.wld", map);
  const auto run = RunMapTool(folder, "export-heights m.wld --output=h.bmp");
  ASSERT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "h.bmp: 6 x 2, 8-bit grey, pixel = 4 x height\n");
  EXPECT_NE(run.err.find("width 6 is not a multiple of 4"), std::string::npos);
  EXPECT_NE(run.err.find("vertex 5,1 has height 63"), std::string::npos);
  const Bytes bmp = ReadFile(folder, "h.bmp");
  ASSERT_EQ(bmp.size(), 1078u + 2 * 8);
  EXPECT_EQ(std::string(bmp.begin(), bmp.begin() + 2), "BM");
  const std::vector<std::pair<std::size_t, std::uint32_t>> fields = {
      {2, 1094}, {10, 1078}, {14, 40}, {18, 6}, {22, 2}, {28, 8}, {34, 16}, {46, 256}};
  for (const auto& [offset, value] : fields)
    EXPECT_EQ(U32At(bmp, offset) & (offset == 28 ? 0xFFFF : 0xFFFFFFFF), value) << offset;
  EXPECT_EQ(U32At(bmp, 54 + 4 * 200), 0x00C8C8C8u);  // grey 200
  // Stored bottom-up: map row 1 first, each row 6 pixels and 2 bytes of padding.
  EXPECT_EQ(Bytes(bmp.begin() + 1078, bmp.end()),
            (Bytes{40, 44, 48, 52, 56, 252, 0, 0, 0, 4, 8, 12, 16, 20, 0, 0}));
}

TEST(ExportHeights, RefusesWhatItCannotWrite) {
  Bytes high = MakeBlankMap(8, 4);
  testing::At(high, kHeightBlock, 3, 1) = 64;
  testing::At(high, kHeightBlock, 5, 2) = 200;
  struct Case {
    std::string args;
    int status;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"export-heights high.wld", 1, "vertex 3,1 has height 64"},
      {"export-heights short.wld", 1, "too short for the 8 x 4 map"},
      {"export-heights tiny.wld", 1, "shorter than the 2352-byte header"},
      {"export-heights missing.wld", 2, "missing.wld: no such file"},
      {"export-heights high.wld short.wld", 2, "give exactly one map"},
      {"export-heights --colour high.wld", 2, "unknown option '--colour'"},
      {"export-terrain flat.wld -o flat.wld", 2, "flat.wld is the input map"},
      {"export-terrain flat.wld -o none/t.bmp", 2, "none/t.bmp: cannot be written"},
      {"export-terrain flat.wld -o link.wld", 2, "link.wld is the input map"},
  };
  for (const Case& c : cases) {
    TempFolder folder;
    folder.Write("high.wld", high);
    folder.Write("short.wld", Bytes(high.begin(), high.end() - 1));
    folder.Write("tiny.wld", Bytes(100, 0));
    folder.Write("flat.wld", MakeBlankMap(4, 4));
    std::filesystem::create_symlink("flat.wld", folder.path() / "link.wld");
    const auto before = folder.ReadAll();
    const auto run = RunMapTool(folder, c.args);
    EXPECT_EQ(run.status, c.status) << c.args;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << c.args << ": " << run.err;
    EXPECT_EQ(folder.ReadAll(), before) << c.args;
  }
}

TEST(ExportTerrain, BitmapsOfOneColourComeBack) {
  for (std::uint8_t colour = 0; colour < 16; ++colour) {
    const auto trip =
        RoundTripTerrain(testing::Make4BitBmp(6, 5, [&](auto, auto) { return colour; }));
    ASSERT_EQ(trip.first.size(), MapLength(6, 5));
    EXPECT_EQ(trip.second, trip.first) << int{colour};
    EXPECT_EQ(trip.report,
              "e.bmp: 6 x 5, 4-bit; the bitmap conversion gives 60 of 60 triangles back\n");
  }
}

// Every map that the conversion makes comes back exactly, of odd and even widths, also
// from bitmaps whose every pixel has a colour of its own, with all the shared triangles
// that gives.
TEST(ExportTerrain, EveryMapOfTheConversionComesBack) {
  struct Case {
    std::size_t width, height, cell;
  };
  std::mt19937 engine(2024);
  for (const Case c : {Case{2, 2, 1}, Case{8, 7, 1}, Case{10, 1, 1}, Case{20, 13, 1},
                       Case{32, 32, 1}, Case{24, 18, 3}, Case{40, 21, 5}, Case{1, 1, 1},
                       Case{7, 5, 1}, Case{1, 9, 1}, Case{13, 12, 1}, Case{33, 20, 2}}) {
    std::vector<std::uint8_t> cells(c.width * c.height);
    for (auto& cell : cells) cell = static_cast<std::uint8_t>(engine() % 16);
    const auto trip = RoundTripTerrain(testing::Make4BitBmp(c.width, c.height, [&](auto x, auto y) {
      return cells[(y / c.cell) * c.width + x / c.cell];
    }));
    EXPECT_EQ(trip.second, trip.first) << c.width << " x " << c.height;
  }
}

TEST(ExportTerrain, WritesAFourBitBitmap) {
  Bytes map = MakeBlankMap(10, 3);
  FillBlock(map, kTerrainBlock1,
            [](std::size_t x, std::size_t) { return x < 5 ? kLava : kMeadow1; });
  FillBlock(map, kTerrainBlock2,
            [](std::size_t x, std::size_t) { return x < 5 ? kLava : kMeadow2; });
  TempFolder folder;
  folder.Write("m.wld", map);
  const auto run = RunMapTool(folder, "export-terrain m.wld");
  ASSERT_EQ(run.status, 0) << run.err;
  const Bytes bmp = ReadFile(folder, "m.terrain.bmp");
  ASSERT_EQ(bmp.size(), 118u + 3 * 8);  // rows of ceil(10 / 8) x 4 bytes
  EXPECT_EQ(U32At(bmp, 10), 118u);
  EXPECT_EQ(U32At(bmp, 28) & 0xFFFF, 4u);
  EXPECT_EQ(U32At(bmp, 46), 16u);
  EXPECT_EQ(U32At(bmp, 54 + 4 * 9), 0x00BE140Au);  // colour 9, lava: 190, 20, 10
  EXPECT_EQ(U32At(bmp, 54 + 4 * 0), 0x00FF00FFu);  // colour 0 paints nothing: magenta
  // The middle row, whose lava vertices paint only lava: colour 9 (16 wins) or 1.
  const std::uint8_t first_pixel = bmp[118 + 8] >> 4;
  EXPECT_TRUE(first_pixel == 9 || first_pixel == 1) << int{first_pixel};
}

// CIE 1976 L*a*b* of an sRGB colour (D65 white).
std::array<double, 3> Lab(std::uint32_t bgr) {
  const auto linear = [](std::uint32_t channel) {
    const double c = (channel & 0xFF) / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  const double r = linear(bgr >> 16);
  const double g = linear(bgr >> 8);
  const double b = linear(bgr);
  const auto f = [](double t) {
    return t > 216.0 / 24389 ? std::cbrt(t) : (24389.0 / 27 * t + 16) / 116;
  };
  const double fx = f((0.4124 * r + 0.3576 * g + 0.1805 * b) / 0.95047);
  const double fy = f(0.2126 * r + 0.7152 * g + 0.0722 * b);
  const double fz = f((0.0193 * r + 0.1192 * g + 0.9505 * b) / 1.08883);
  return {116 * fy - 16, 500 * (fx - fy), 200 * (fy - fz)};
}

// A painter tells the 16 colours of the palette apart: any two lie at least 25 apart in
// L*a*b* (an eye sees about 2), and of two numbers that paint one terrain the one that
// loses shared triangles (1, 4, 8 against 9, 12, 5) is the lighter.
TEST(ExportTerrain, PaletteColoursAreEasyToTellApart) {
  const Bytes bmp = inspect::Write4BitBitmap(Bytes(4, 0), 2, 2);
  ASSERT_EQ(bmp.size(), 118u + 2 * 4);
  std::vector<std::array<double, 3>> lab;
  for (std::size_t colour = 0; colour < 16; ++colour) {
    lab.push_back(Lab(U32At(bmp, 54 + 4 * colour)));
  }
  double closest = 1e9;
  for (std::size_t a = 0; a < 16; ++a) {
    for (std::size_t b = a + 1; b < 16; ++b) {
      const double distance =
          std::hypot(lab[a][0] - lab[b][0], lab[a][1] - lab[b][1], lab[a][2] - lab[b][2]);
      EXPECT_GE(distance, 25.0) << "colours " << a << " and " << b;
      closest = std::min(closest, distance);
    }
  }
  EXPECT_GT(closest, 25.0);
  for (const auto& [loses, wins] : {std::pair<std::size_t, std::size_t>{1, 9}, {4, 12}, {8, 5}}) {
    EXPECT_GT(lab[loses][0], lab[wins][0]) << loses << " against " << wins;
  }
}

// Maps whose triangles cannot come back, whatever the colours, counted by hand. No colour
// paints mountain 2, flat mountain or a byte with the harbour flag. No vertex paints: on a
// map of one column, the first vertex of a row paints nothing of its own, and the last
// row borrows nothing; on a map of two rows, the first triangle of vertex (0, 0), since
// row 0's vertices paint the first triangles of their own columns and row 1's those of
// their own and the next column, from column 1 on.
TEST(ExportTerrain, CountsTheTrianglesThatCannotComeBack) {
  struct Case {
    std::string name;
    std::size_t width, height;
    std::uint8_t fill;
    std::vector<std::pair<std::size_t, std::uint8_t>> first;  // (index, byte) of block 2
    std::size_t unpaintable, unreached;
  };
  const std::vector<Case> cases = {
      {"two codes no colour paints", 6, 4, kMeadow1, {{9, kMountain2}, {14, kFlatMountain}}, 2, 0},
      {"a harbour flag", 6, 4, kMeadow1, {{8, kMeadow1 | kHarbourFlag}}, 1, 0},
      {"two rows", 6, 2, kMeadow1, {}, 0, 1},
      {"two rows, unpainted mountain 2", 6, 2, kMeadow1, {{0, kMountain2}}, 1, 0},
      {"one vertex", 1, 1, kMeadow1, {}, 0, 2},
      {"one column", 1, 2, kMeadow1, {}, 0, 4},
      {"one column of water", 1, 2, kWater, {}, 0, 0},
  };
  for (const Case& c : cases) {
    Bytes map = MakeBlankMap(c.width, c.height);
    FillBlock(map, kTerrainBlock1, [&](std::size_t, std::size_t) { return c.fill; });
    FillBlock(map, kTerrainBlock2, [&](std::size_t, std::size_t) { return c.fill; });
    for (const auto& [index, byte] : c.first) {
      testing::At(map, kTerrainBlock1, index % c.width, index / c.width) = byte;
    }
    const Bytes bmp =
        inspect::Write4BitBitmap(inspect::ChooseTerrainColours(map), c.width, c.height);
    const auto check = inspect::CheckConversion(map, bmp);
    ASSERT_TRUE(check.has_value()) << c.name;
    EXPECT_EQ(check->unpaintable, c.unpaintable) << c.name;
    EXPECT_EQ(check->unreached, c.unreached) << c.name;
    // Everything else is meadow 1 or water, which one colour paints everywhere.
    EXPECT_EQ(check->same + c.unpaintable + c.unreached, 4 * c.width * c.height / 2) << c.name;
  }
}

// The closing message, worked out by hand. A 6 x 4 winter map of tundra 1 (meadow 1's
// code) with one triangle each of ice floes on water (swamp's code), mountain 2 and flat
// mountain, away from the border and from each other: every vertex has a tundra 1
// triangle, whose wish (colour 2's rank) allows no higher colour such as swamp's, so
// every vertex takes colour 2 and every triangle comes back as tundra 1; a painter of the
// swamp triangle that took swamp's colour would lose its five tundra triangles. On a map
// of two rows the unpainted first triangle of vertex (0, 0) stays water.
TEST(ExportTerrain, SaysWhatComesBackDifferent) {
  struct Case {
    std::size_t width, height;
    Landscape landscape;
    std::vector<std::pair<std::size_t, std::uint8_t>> first;
    std::string out;
  };
  const std::vector<Case> cases = {
      {6,
       4,
       Landscape::kWinter,
       {{8, kSwamp}, {16, kMountain2}, {23, kFlatMountain}},
       "m.bmp: 6 x 4, 4-bit; the bitmap conversion gives 45 of 48 triangles back\n"
       "3 triangles come back different: 1 as tundra 1 (were ice floes on water), 1 as "
       "tundra 1 (were mountain 2), 1 as tundra 1 (were flat mountain)\n"
       "2 of them cannot come back whatever the colours: 2 of a terrain that no colour "
       "paints (mountain 2, flat mountain)\n"},
      {6,
       2,
       Landscape::kGreenland,
       {},
       "m.bmp: 6 x 2, 4-bit; the bitmap conversion gives 23 of 24 triangles back\n"
       "1 triangle comes back different: 1 as water (were meadow 1)\n"
       "1 of them cannot come back whatever the colours: 1 where no vertex paints\n"},
  };
  for (const Case& c : cases) {
    Bytes map = MakeBlankMap(c.width, c.height);
    map[kLandscapeOffset] = static_cast<std::uint8_t>(c.landscape);
    FillBlock(map, kTerrainBlock1, [](std::size_t, std::size_t) { return kMeadow1; });
    FillBlock(map, kTerrainBlock2, [](std::size_t, std::size_t) { return kMeadow1; });
    for (const auto& [index, byte] : c.first) {
      testing::At(map, kTerrainBlock1, index % c.width, index / c.width) = byte;
    }
    TempFolder folder;
    folder.Write("m.wld", map);
    const auto run = RunMapTool(folder, "export-terrain m.wld -o m.bmp");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, c.out);
  }
}

// The fast choice of colours against its simple version: maps of the menu program's
// random map tool, and small maps of any bytes, harbour flags and unknown codes included.
TEST(ExportTerrain, ChoosesAsTheSimpleVersion) {
  std::vector<Bytes> maps;
  for (const auto& [width, height] : {std::pair<std::size_t, std::size_t>{40, 30}, {33, 21}}) {
    const MapLayout layout = ComputeMapLayout(MapLayout{}, static_cast<std::int32_t>(width),
                                              static_cast<std::int32_t>(height));
    Bytes map = MakeBlankMap(width, height);
    std::vector<std::uint32_t> kinds(static_cast<std::size_t>(layout.region_count));
    RandomSource source;
    (void)RandomNumber(source, kDefaultSeed, 1);
    std::ostringstream lines;
    GenerateMap(map, kinds, layout, source, kDefaultSeed, lines);
    maps.push_back(map);
  }
  constexpr std::array<std::uint8_t, 12> kBytes = {kSavannah,
                                                   kSnow,
                                                   kSwamp,
                                                   kDesert1,
                                                   kWater,
                                                   kMeadow1,
                                                   kMeadow2,
                                                   kSteppe,
                                                   kLava,
                                                   kMountainMeadow,
                                                   kMountain1 | kHarbourFlag,
                                                   0x3F};
  std::mt19937 engine(20);
  for (std::size_t width = 1; width <= 9; width += 2) {
    for (const std::size_t height : {1U, 2U, 3U, 4U, 7U, 8U}) {
      Bytes map = MakeBlankMap(width + height % 2, height);
      const auto pick = [&](std::size_t, std::size_t) { return kBytes[engine() % kBytes.size()]; };
      FillBlock(map, kTerrainBlock1, pick);
      FillBlock(map, kTerrainBlock2, pick);
      maps.push_back(map);
    }
  }
  for (const Bytes& map : maps) {
    EXPECT_EQ(inspect::ChooseTerrainColours(map), inspect::ChooseTerrainColoursSimple(map))
        << MapWidth(map) << " x " << MapHeight(map);
  }
}

TEST(ExportTerrain, SaysHowMuchOfARandomMapComesBack) {
  TempFolder folder;
  RunProgramIn(folder, "8\n40\n30\n12345678\n0\n", {"", 10});
  const Bytes map = ReadFile(folder, "nGen.wld");
  ASSERT_EQ(map.size(), MapLength(40, 30));
  const auto run = RunMapTool(folder, "export-terrain nGen.wld -o e.bmp");
  ASSERT_EQ(run.status, 0) << run.err;
  const Bytes back = ConvertBitmap(folder, "e.bmp");
  ASSERT_EQ(back.size(), map.size());
  std::size_t same = 0;
  for (int block : {kTerrainBlock1, kTerrainBlock2}) {
    for (std::size_t i = 0; i < 1200; ++i) {
      same += map[BlockDataOffset(block, 1200) + i] == back[BlockDataOffset(block, 1200) + i];
    }
  }
  EXPECT_EQ(run.out.substr(0, run.out.find('\n')),
            "e.bmp: 40 x 30, 4-bit; the bitmap conversion gives " + std::to_string(same) +
                " of 2400 triangles back");
  EXPECT_NE(run.out.find("\n" + std::to_string(2400 - same) + " triangles come back different: "),
            std::string::npos)
      << run.out;
}

TEST(ExportCommands, AnswerHelp) {
  for (const std::string command : {"export-heights", "export-terrain", "players"}) {
    TempFolder folder;
    const auto run = RunMapTool(folder, command + " --help");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.rfind("Usage: plandrix-map " + command + " MAP", 0), 0u) << run.out;
  }
}

}  // namespace
}  // namespace plandrix
