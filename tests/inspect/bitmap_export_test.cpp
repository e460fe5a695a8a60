// export-heights and export-terrain, checked by running the menu program's importers
// (options 9 and 2) on what they write.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "core/map_layout.h"
#include "inspect/map_tool_runner.h"
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
  return bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16 |
         static_cast<std::uint32_t>(bytes[offset + 3]) << 24;
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

TEST(ExportTerrain, WritesAFourBitBitmapInTheTerrainColours) {
  Bytes map = MakeBlankMap(10, 3);
  FillBlock(map, kTerrainBlock1, [](std::size_t x, std::size_t) { return x < 5 ? 16 : 8; });
  FillBlock(map, kTerrainBlock2, [](std::size_t x, std::size_t) { return x < 5 ? 16 : 9; });
  TempFolder folder;
  folder.Write("m.wld", map);
  const auto run = RunMapTool(folder, "export-terrain m.wld");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("cannot come back: no colour paints their terrain or no vertex paints "
                         "them (codes 9)"),
            std::string::npos)
      << run.out;
  const Bytes bmp = ReadFile(folder, "m.terrain.bmp");
  ASSERT_EQ(bmp.size(), 118u + 3 * 8);  // rows of ceil(10 / 8) x 4 bytes
  EXPECT_EQ(U32At(bmp, 10), 118u);
  EXPECT_EQ(U32At(bmp, 28) & 0xFFFF, 4u);
  EXPECT_EQ(U32At(bmp, 46), 16u);
  EXPECT_EQ(U32At(bmp, 54 + 4 * 9), 0x00CC3416u);  // colour 9 paints lava: 204, 52, 22
  EXPECT_EQ(U32At(bmp, 54 + 4 * 0), 0x00FF00FFu);  // colour 0 paints nothing: magenta
  // The middle row, whose lava vertices paint only lava: colour 9 (16 wins) or 1.
  const std::uint8_t first_pixel = bmp[118 + 8] >> 4;
  EXPECT_TRUE(first_pixel == 9 || first_pixel == 1) << int{first_pixel};
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
