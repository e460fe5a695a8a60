// plandrix-map itself, run in a temporary folder on maps the menu program made and on
// files that are no maps.
#include <gtest/gtest.h>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/map_format.h"
#include "core/map_layout.h"
#include "inspect/map_report.h"
#include "inspect/map_stats.h"
#include "inspect/render.h"
#include "support/run_map_tool.h"
#include "support/sanitizer.h"
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
       "plandrix-map: b.bmp: not a SettlersII map (it does not begin with WORLD_V1.0)\n", 1},
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

// A map of width x height whose terrain is meadow everywhere (a headquarters may stand
// on any vertex that has six triangles).
std::vector<std::uint8_t> MeadowMap(std::size_t width, std::size_t height) {
  std::vector<std::uint8_t> map = testing::MakeBlankMap(width, height);
  for (int block : {kTerrainBlock1, kTerrainBlock2}) {
    std::ranges::fill(Block(std::span<std::uint8_t>(map), block, width * height), 8);
  }
  return map;
}

struct MessageCase {
  std::vector<std::string> args;
  std::string output_to;  // where standard output goes, if not to a file
  bool other_user;        // run as the user nobody
  int status;
  std::string err;
};

// The runs of EveryMessageSaysItsReason, in a folder that MakeMessageFolder fills.
std::vector<MessageCase> MessageCases() {
  const std::string full = ": cannot be written (No space left on device)\n";
  return {
      {{"check", "loop.wld"},
       "",
       false,
       2,
       "plandrix-map: loop.wld: cannot be read (Too many levels of symbolic links)\n"},
      {{"stats", "m.wld/"},
       "",
       false,
       2,
       "plandrix-map: m.wld/: cannot be read (Not a directory)\n"},
      {{"preview", "pipe.wld"}, "", false, 2, "plandrix-map: pipe.wld: not a regular file\n"},
      {{"export-heights", "m.wld", "-o", "loop.wld"},
       "",
       false,
       2,
       "plandrix-map: loop.wld: cannot be written (Too many levels of symbolic links)\n"},
      // The administrator reads every file: as root, the run is made as the user nobody.
      {{"check", "secret.wld"},
       "",
       geteuid() == 0,
       2,
       "plandrix-map: secret.wld: cannot be read (Permission denied)\n"},
      {{"check", "m.wld"}, "/dev/full", false, 2, "plandrix-map: standard output" + full},
      // The picture is written; the line that reports it cannot be.
      {{"preview", "m.wld", "-o", "p.png"},
       "/dev/full",
       false,
       2,
       "plandrix-map: standard output" + full},
      {{"preview", "wide.wld", "--scale", "16"},
       "",
       false,
       1,
       "plandrix-map: wide.wld: at scale 16 the picture would be 1048560 pixels wide, more than "
       "the 1000000 a side that PNG readers take; the largest scale for this map is 15\n"},
  };
}

void MakeMessageFolder(const testing::TempFolder& folder) {
  namespace fs = std::filesystem;
  folder.Write("m.wld", MeadowMap(8, 4));
  folder.Write("wide.wld", testing::MakeBlankMap(65535, 2));
  folder.Write("secret.wld", testing::MakeBlankMap(8, 4));
  fs::permissions(folder.path() / "secret.wld", fs::perms::none);
  fs::create_symlink("loop2.wld", folder.path() / "loop.wld");
  fs::create_symlink("loop.wld", folder.path() / "loop2.wld");
  ASSERT_EQ(mkfifo((folder.path() / "pipe.wld").c_str(), 0600), 0);
}

TEST(MapTool, EveryMessageSaysItsReason) {
  testing::TempFolder folder;
  MakeMessageFolder(folder);
  for (const MessageCase& c : MessageCases()) {
    testing::MapToolOptions options;
    options.output_to = c.output_to;
    if (c.other_user) {
      if (std::system("setpriv --version >/dev/null 2>&1") != 0) {
        std::cout << "[ SKIPPED  ] " << c.args[1] << ": setpriv is missing\n";
        continue;
      }
      options.wrapper = "setpriv --reuid=65534 --regid=65534 --clear-groups";
    }
    const auto run = testing::RunMapToolIn(folder, c.args, options);
    EXPECT_EQ(run.exit_status, c.status) << c.args[0] << ' ' << c.args[1];
    EXPECT_EQ(run.err, c.err);
  }
  EXPECT_EQ(folder.ReadAll().count("p.png"), 1U);
  EXPECT_EQ(folder.ReadAll().size(), 4U);  // m, wide, secret and the picture, nothing else
}

TEST(MapTool, AFileSizeLimitFailsEachWriteCleanly) {
  // The size signal at its default action, as in a plain shell; 1 KiB is too small for
  // every output here.
  const std::vector<std::uint8_t> earlier(3000, 0x5A);
  const std::vector<std::vector<std::string>> commands = {
      {"preview", "nGen.wld", "-o", "out"},
      {"export-heights", "nGen.wld", "-o", "out"},
      {"export-terrain", "nGen.wld", "-o", "out"},
      {"players", "nGen.wld", "--auto", "2", "-o", "out"},
  };
  for (const auto& args : commands) {
    testing::TempFolder folder;
    folder.Write("nGen.wld", GeneratedMap());
    folder.Write("out", earlier);
    testing::MapToolOptions options;
    options.prelude = "trap - XFSZ; ulimit -f 1";
    const auto run = testing::RunMapToolIn(folder, args, options);
    EXPECT_EQ(run.exit_status, 2) << args[0];
    EXPECT_EQ(run.err, "plandrix-map: out: cannot be written (File too large)\n") << args[0];
    EXPECT_EQ(run.out, "") << args[0];
    EXPECT_EQ(run.files, (Files{{"nGen.wld", GeneratedMap()}, {"out", earlier}})) << args[0];
  }
}

TEST(MapTool, AHugeFileIsJudgedByItsHeaderAndMapPart) {
  // 2 GiB, sparse: no disk space, and a program that read it whole would need 2 GiB of
  // memory, far above the limit of the runs.
  constexpr std::uint64_t kHuge = std::uint64_t{2} << 30;
  testing::TempFolder folder;
  folder.Write("zeros.wld", {});
  folder.Write("tail.wld", testing::MakeBlankMap(0, 0));  // a map of no vertices
  for (const char* name : {"zeros.wld", "tail.wld"}) {
    std::filesystem::resize_file(folder.path() / name, kHuge);
  }
  const std::string tail = std::to_string(kHuge - kEmptyMapLength);
  const struct {
    std::vector<std::string> args;
    int status;
    std::string out;
    std::string err;
  } cases[] = {
      {{"stats", "zeros.wld"},
       1,
       "",
       "plandrix-map: zeros.wld: not a SettlersII map (it does not begin with WORLD_V1.0)\n"},
      {{"export-heights", "zeros.wld"},
       1,
       "",
       "plandrix-map: export-heights: zeros.wld: not a SettlersII map (it does not begin with "
       "WORLD_V1.0)\n"},
      // The finding's own words belong to check; what matters is the count.
      {{"check", "tail.wld"},
       1,
       "tail.wld: warning: " + tail +
           " bytes after the final byte of the map (the game ignores them) [trailing-bytes]\n",
       ""},
  };
  for (const auto& c : cases) {
    testing::MapToolOptions options;
    // The memory bound is what shows that the file was not read whole (a sanitizer
    // build cannot run under one: it only checks the answers).
    if (!testing::kAddressSanitizer) options.prelude = "ulimit -v 200000";
    options.read_files = false;
    const auto run = testing::RunMapToolIn(folder, c.args, options);
    EXPECT_EQ(run.exit_status, c.status) << c.args[1];
    EXPECT_NE(run.out.find(c.out), std::string::npos) << c.args[1] << ": " << run.out;
    EXPECT_EQ(run.err, c.err) << c.args[1];
  }
}

}  // namespace
}  // namespace plandrix
