// plandrix-map itself, run in a temporary folder on maps the menu program made and on
// files that are no maps.
#include <gtest/gtest.h>
#include <png.h>

#include <string>
#include <vector>

#include "core/map_format.h"
#include "core/map_layout.h"
#include "inspect/map_report.h"
#include "inspect/map_stats.h"
#include "inspect/render.h"
#include "support/run_map_tool.h"
#include "support/test_maps.h"

namespace plandrix {
namespace {

using testing::Files;
using testing::RunMapTool;

// A 64 x 48 random map as the menu program writes it (option 8, seed 0).
const std::vector<std::uint8_t>& GeneratedMap() {
  static const std::vector<std::uint8_t> map =
      testing::RunProgram("8\n64\n48\n0\n0\n").written.at("nGen.wld");
  return map;
}

TEST(MapTool, CheckAndStatsJsonOfAGeneratedMap) {
  const Files files = {{"nGen.wld", GeneratedMap()}};
  const auto check = RunMapTool({"check", "--json", "nGen.wld", "nGen.wld"}, files);
  const std::string object =
      "{\"file\":\"nGen.wld\",\"errors\":[{\"code\":\"no-players\",\"message\":"
      "\"the player count at offset 35 is 0: the game cannot start a match\"}],\"warnings\":[]}";
  EXPECT_EQ(check.out, "[\n  " + object + ",\n  " + object + "\n]\n");
  EXPECT_EQ(check.err, "");
  EXPECT_EQ(check.exit_status, 1);

  const auto stats = RunMapTool({"stats", "--json", "nGen.wld"}, files);
  EXPECT_EQ(stats.out,
            "{\"title\":\"GeneratedWorld\",\"author\":\"Tavikone and Tool\",\"width\":64,"
            "\"height\":48,\"landscape\":0,\"players\":0,\"height_min\":10,"
            "\"height_max\":13,\"terrain\":{\"1\":81,\"5\":2980,\"8\":731,\"9\":782,\"10\":655,"
            "\"11\":79,\"12\":79,\"13\":67,\"15\":684,\"18\":6},\"trees\":204,\"granite\":89,"
            "\"objects\":249,\"headquarters\":0,\"marks\":[],\"animals\":133,\"resources\":{"
            "\"water\":1296,"
            "\"coal\":63,\"iron\":21,\"gold\":21,\"granite\":20,\"fish\":1344}}\n");
  EXPECT_EQ(stats.exit_status, 0);
  const auto text = RunMapTool({"stats", "nGen.wld"}, files);
  EXPECT_EQ(text.out.rfind("map           nGen.wld\ntitle         GeneratedWorld\n"
                           "author        Tavikone and Tool\nwidth         64\nheight        48\n",
                           0),
            0U);
}

// Exit status by the class of the findings: warnings alone give 0, an error 1, a file that
// cannot be read 2 (which wins over an error).
TEST(MapTool, CheckExitStatusFollowsTheClassOfTheFindings) {
  std::vector<std::uint8_t> ok = testing::MakeBlankMap(8, 6);
  // A meadow, so that the headquarters stands on a castle site.
  testing::FillBlock(ok, kTerrainBlock1, [](std::size_t, std::size_t) { return kMeadow1; });
  testing::FillBlock(ok, kTerrainBlock2, [](std::size_t, std::size_t) { return kMeadow1; });
  ok[kPlayerCountOffset] = 1;
  testing::At(ok, kObjectTypeBlock, 0, 0) = kHeadquartersType;
  for (std::size_t i = 0; i < 14; ++i) ok[kHeadquartersXOffset + i] = 0;
  std::vector<std::uint8_t> warned = ok;
  warned.push_back(0);  // a trailing byte
  std::vector<std::uint8_t> broken = ok;
  broken[kPlayerCountOffset] = 2;  // player 1 has no mark
  const Files files = {{"ok.wld", ok}, {"warned.wld", warned}, {"broken.wld", broken}};
  const struct {
    std::vector<std::string> args;
    int status;
  } cases[] = {
      {{"check", "ok.wld"}, 0},
      {{"check", "warned.wld"}, 0},
      {{"check", "broken.wld"}, 1},
      {{"check", "ok.wld", "broken.wld", "warned.wld"}, 1},
      {{"check", "broken.wld", "missing.wld"}, 2},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RunMapTool(c.args, files).exit_status, c.status) << c.args.back();
  }
  EXPECT_EQ(RunMapTool({"check", "ok.wld"}, files).out, "ok.wld: ok\n");
}

TEST(MapTool, PreviewIsTheRenderedPictureAndReproducible) {
  const Files files = {{"nGen.wld", GeneratedMap()}};
  const auto first = RunMapTool({"preview", "nGen.wld"}, files);
  EXPECT_EQ(first.out, "nGen.png: 128 x 96 pixels, scale 2\n");
  EXPECT_EQ(first.exit_status, 0);
  ASSERT_EQ(first.files.count("nGen.png"), 1U);
  const auto& png = first.files.at("nGen.png");
  EXPECT_EQ(RunMapTool({"preview", "nGen.wld"}, files).files.at("nGen.png"), png);

  png_image read{};
  read.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_memory(&read, png.data(), png.size()));
  read.format = PNG_FORMAT_RGB;
  std::vector<std::uint8_t> pixels(PNG_IMAGE_SIZE(read));
  ASSERT_TRUE(png_image_finish_read(&read, nullptr, pixels.data(), 0, nullptr));
  EXPECT_EQ(pixels, RenderPicture(GeneratedMap(), Layer::kTerrain, 2));

  const auto heights =
      RunMapTool({"preview", "nGen.wld", "-o", "h.png", "--scale=1", "--layer", "heights"}, files);
  EXPECT_EQ(heights.out, "h.png: 64 x 48 pixels, scale 1\n");
  EXPECT_EQ(heights.files.count("h.png"), 1U);
  EXPECT_EQ(heights.files.size(), 2U);  // no temporary file is left behind
}

// Bytes of an 8-bit bitmap of 100 x 100 whose pixels all read 0x80.
std::vector<std::uint8_t> Bitmap() {
  std::vector<std::uint8_t> bitmap(1078 + 100 * 100, 0x80);
  std::fill(bitmap.begin(), bitmap.begin() + 1078, std::uint8_t{0});
  bitmap[0] = 'B';
  bitmap[1] = 'M';
  return bitmap;
}

TEST(MapTool, BadInputGivesAMessageAndAStatusNeverACrash) {
  std::vector<std::uint8_t> truncated = GeneratedMap();
  truncated.resize(truncated.size() / 2);
  std::vector<std::uint8_t> huge = testing::MakeBlankMap(4, 4);
  WriteU16(huge, kWidthOffset, 65535);
  WriteU16(huge, kHeightOffset, 65535);
  const Files files = {{"empty.swd", {}},
                       {"half.swd", truncated},
                       {"b.bmp", Bitmap()},
                       {"huge.swd", huge},
                       {"dir/x", {1}}};
  const std::string refused = ": too short for the map it states (see plandrix-map check ";
  const struct {
    std::string file;
    std::string check_line;  // a line of check, then the message of stats and preview
    std::string message;
    int status;
  } cases[] = {
      {"empty.swd",
       "empty.swd: error: not a SettlersII map: the file does not begin with WORLD_V1.0 "
       "[bad-signature]\n",
       "plandrix-map: empty.swd" + refused + "empty.swd)\n", 1},
      // Blocks of 16 + 3072 bytes from 2352: 22792 ends inside the seventh.
      {"half.swd",
       "half.swd: error: the file is 22792 bytes long and ends inside block 7; a map of 64 x 48 "
       "needs 45585",
       "plandrix-map: half.swd" + refused + "half.swd)\n", 1},
      {"b.bmp",
       "b.bmp: error: not a SettlersII map: the file does not begin with WORLD_V1.0 (it begins "
       "like a bitmap) [bad-signature]\n",
       "plandrix-map: b.bmp" + refused + "b.bmp)\n", 1},
      {"huge.swd", "huge.swd: error: the height 65535 is odd",
       "plandrix-map: huge.swd" + refused + "huge.swd)\n", 1},
      {"missing.swd", "", "plandrix-map: missing.swd: no such file\n", 2},
      {"dir", "", "plandrix-map: dir: not a regular file\n", 2},
  };
  for (const auto& c : cases) {
    const auto check = RunMapTool({"check", c.file}, files);
    EXPECT_EQ(check.exit_status, c.status) << c.file;
    EXPECT_NE(check.out.find(c.check_line), std::string::npos) << c.file << '\n' << check.out;
    for (const std::string command : {"stats", "preview"}) {
      const auto run = RunMapTool({command, c.file}, files);
      EXPECT_EQ(run.exit_status, c.status) << command << ' ' << c.file;
      EXPECT_EQ(run.err, c.message) << command << ' ' << c.file;
      EXPECT_EQ(run.out, "") << command << ' ' << c.file;
      EXPECT_EQ(run.files.size(), files.size()) << command << ' ' << c.file;
    }
  }
}

TEST(MapTool, BadArgumentsAndHelp) {
  const Files files = {{"m.wld", testing::MakeBlankMap(600, 600)}};
  const struct {
    std::vector<std::string> args;
    int status;
    std::string err;
  } cases[] = {
      {{"check"}, 2, "plandrix-map: check: no map given (see plandrix-map check --help)\n"},
      {{"stats", "m.wld", "m.wld"},
       2,
       "plandrix-map: stats: give exactly one map (see plandrix-map stats --help)\n"},
      {{"preview", "m.wld", "--scale", "0"},
       2,
       "plandrix-map: preview: scale '0' is not a whole number from 1 to 16\n"},
      {{"preview", "m.wld", "--scale=2x"},
       2,
       "plandrix-map: preview: scale '2x' is not a whole number from 1 to 16\n"},
      {{"preview", "m.wld", "--layer", "sky"},
       2,
       "plandrix-map: preview: layer 'sky' is none of terrain, heights, resources\n"},
      {{"preview", "m.wld", "--scale", "16"},
       1,
       "plandrix-map: m.wld: at scale 16 the picture would have more than 67108864 pixels; the "
       "largest scale for this map is 13\n"},
      {{"preview", "m.wld", "-o", "./m.wld"},
       2,
       "plandrix-map: ./m.wld: that is the map itself; name another picture with -o\n"},
      {{"stats", "--width", "m.wld"},
       2,
       "plandrix-map: stats: unknown option '--width' (see --help)\n"},
  };
  for (const auto& c : cases) {
    const auto run = RunMapTool(c.args, files);
    EXPECT_EQ(run.exit_status, c.status) << c.args[0];
    EXPECT_EQ(run.err, c.err);
    EXPECT_EQ(run.files.size(), 1U);
  }
  for (const std::string command : {"check", "stats", "preview"}) {
    const auto help = RunMapTool({command, "--help"});
    EXPECT_EQ(help.exit_status, 0);
    EXPECT_EQ(help.out.rfind("Usage: plandrix-map " + command + " ", 0), 0U) << help.out;
  }
  EXPECT_EQ(RunMapTool({"--version"}).out, "plandrix-map " PLANDRIX_VERSION "\n");
}

}  // namespace
}  // namespace plandrix
