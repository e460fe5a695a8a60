// plandrix-map's command line run in process: the parser's rules, the refusals of every
// command, and the outputs that would replace the map, in a temporary working folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "commands/plandrix_map.h"
#include "core/map_format.h"
#include "core/map_layout.h"
#include "core/terrain.h"
#include "inspect/map_report.h"
#include "support/run_program.h"
#include "support/test_maps.h"

namespace plandrix::commands {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

struct Ran {
  int status = -1;
  std::string out;
  std::string err;
};

// A temporary folder that is the working folder while the test runs.
class InFolder : public ::testing::Test {
 protected:
  InFolder() : before_(fs::current_path()) { fs::current_path(folder_.path()); }
  ~InFolder() override { fs::current_path(before_); }

  Ran Run(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    Io io{out, err};
    const int status = RunPlandrixMap(args, io);
    return {status, out.str(), err.str()};
  }
  void Write(const std::string& name, const Bytes& bytes) { folder_.Write(name, bytes); }
  testing::Files Files() const { return folder_.ReadAll(); }

 private:
  fs::path before_;
  testing::TempFolder folder_;
};

Bytes MeadowMap(std::size_t width, std::size_t height) {
  Bytes map = testing::MakeBlankMap(width, height);
  testing::FillBlock(map, kTerrainBlock1, [](auto, auto) { return kMeadow1; });
  testing::FillBlock(map, kTerrainBlock2, [](auto, auto) { return kMeadow1; });
  return map;
}

using CommandLine = InFolder;

TEST_F(CommandLine, ParserRules) {
  Write("m.wld", MeadowMap(8, 6));
  Write("-", MeadowMap(8, 6));
  Write("--json", MeadowMap(8, 6));
  // "-" alone is a file name; after "--" an option's name is one too.
  EXPECT_EQ(Run({"stats", "-"}).out.rfind("map           -\n", 0), 0U);
  EXPECT_EQ(Run({"stats", "--", "--json"}).out.rfind("map           --json\n", 0), 0U);
  // Of a repeated option the last value wins.
  const Ran twice = Run({"set", "m.wld", "--title", "First", "--title=Second", "-o", "t.wld"});
  EXPECT_EQ(twice.out, "t.wld: title 'Second'\n");
  // No arguments: the listing on standard error and status 2; --help: on standard output.
  const Ran none = Run({});
  EXPECT_EQ(none.status, 2);
  EXPECT_EQ(none.out, "");
  EXPECT_NE(none.err.find("Commands:\n  check "), std::string::npos);
  const Ran help = Run({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out, none.err);
  for (const Command& command : Commands()) {
    EXPECT_NE(help.out.find("  " + std::string(command.name) + " "), std::string::npos);
    const Ran own = Run({std::string(command.name), "--help"});
    EXPECT_EQ(own.status, 0) << command.name;
    EXPECT_EQ(own.out.rfind("Usage: plandrix-map " + std::string(command.name) + " ", 0), 0U);
  }
  EXPECT_EQ(Run({"--version"}).out, "plandrix-map " PLANDRIX_VERSION "\n");
  EXPECT_EQ(Run({"draw"}).err, "plandrix-map: unknown command 'draw' (see plandrix-map --help)\n");
}

TEST_F(CommandLine, RefusalsOfArgumentsNameWhatIsWrong) {
  const std::string kBadHq = "players: --hq takes X,Y (numbers up to 65535), not ";
  Write("m.wld", testing::MakeBlankMap(600, 600));
  const struct {
    std::vector<std::string> args;
    int status;
    std::string err;
  } cases[] = {
      {{"check"}, 2, "check: no map given (see plandrix-map check --help)"},
      {{"stats", "m.wld", "m.wld"},
       2,
       "stats: give exactly one map (see plandrix-map stats --help)"},
      {{"stats", "--width", "m.wld"}, 2, "stats: unknown option '--width' (see --help)"},
      {{"stats", "--json=yes", "m.wld"}, 2, "stats: option '--json' takes no value"},
      {{"preview", "m.wld", "-o"}, 2, "preview: option '-o' needs a value"},
      {{"preview", "m.wld", "--scale", "0"},
       2,
       "preview: scale '0' is not a whole number from 1 to 16"},
      {{"preview", "m.wld", "--scale=2x"},
       2,
       "preview: scale '2x' is not a whole number from 1 to 16"},
      {{"preview", "m.wld", "--layer", "sky"},
       2,
       "preview: layer 'sky' is none of terrain, heights, resources, quality"},
      {{"preview", "m.wld", "--scale", "16"},
       1,
       "m.wld: at scale 16 the picture would have more than 67108864 pixels; the largest scale "
       "for this map is 13"},
      {{"preview", "m.wld", "-o", "./m.wld"},
       2,
       "./m.wld: that is the map itself; name another picture with -o"},
      {{"players", "m.wld", "--hq", "1,2,3"}, 2, kBadHq + "'1,2,3' (see --help)"},
      {{"players", "m.wld", "--hq", ",4"}, 2, kBadHq + "',4' (see --help)"},
      {{"players", "m.wld", "--hq", "4,"}, 2, kBadHq + "'4,' (see --help)"},
      {{"players", "m.wld", "--hq", "-1,4"}, 2, kBadHq + "'-1,4' (see --help)"},
      {{"players", "m.wld", "--hq", "65536,4"}, 2, kBadHq + "'65536,4' (see --help)"},
      {{"players", "m.wld", "--hq", " 4,4"}, 2, kBadHq + "' 4,4' (see --help)"},
      {{"players", "m.wld", "--auto", "2", "--seed", "4294967296"},
       2,
       "players: --seed takes a number from 0 to 4294967295, not '4294967296' (see --help)"},
  };
  for (const auto& c : cases) {
    const Ran ran = Run(c.args);
    EXPECT_EQ(ran.status, c.status) << c.args[0];
    EXPECT_EQ(ran.err, "plandrix-map: " + c.err + "\n");
    EXPECT_EQ(Files().size(), 1U) << c.args[0];
  }
}

// Eight headquarters are the most: all eight are set, and the eighth has only its mark.
TEST_F(CommandLine, EightTypedHeadquartersAndNoMore) {
  Write("m.wld", MeadowMap(40, 20));
  std::vector<std::string> args = {"players", "m.wld"};
  for (int p = 0; p < 8; ++p) {
    args.push_back("--hq");
    args.push_back(std::to_string(5 * p) + ",4");
  }
  const Ran eight = Run(args);
  ASSERT_EQ(eight.status, 0) << eight.err;
  Bytes out = Files().at("nm.wld");
  EXPECT_EQ(out[kPlayerCountOffset], 8);
  EXPECT_EQ(testing::At(out, kObjectTypeBlock, 35, 4), kHeadquartersType);
  EXPECT_EQ(testing::At(out, kObjectIndexBlock, 35, 4), 7);
  args.insert(args.end(), {"--hq", "1,10"});
  EXPECT_EQ(Run(args).err, "plandrix-map: players: at most 8 headquarters (see --help)\n");
}

// A map of width or height 0: refused by every command but check and stats, which say
// what it is.
TEST_F(CommandLine, MapsWithoutVertices) {
  Write("w0.wld", testing::MakeBlankMap(0, 6));
  Write("h0.wld", testing::MakeBlankMap(6, 0));
  for (const std::string map : {"w0.wld", "h0.wld"}) {
    const std::string size = map == "w0.wld" ? "0 x 6" : "6 x 0";
    EXPECT_EQ(Run({"check", map}).status, 1) << map;
    EXPECT_EQ(Run({"stats", map}).status, 0) << map;
    EXPECT_EQ(Run({"preview", map}).err,
              "plandrix-map: " + map + ": the map has no vertices, there is nothing to draw\n");
    for (const std::vector<std::string>& args : {std::vector<std::string>{"export-heights", map},
                                                 {"export-terrain", map},
                                                 {"players", map, "--auto", "1"},
                                                 {"set", map, "--title", "x"}}) {
      const Ran ran = Run(args);
      EXPECT_EQ(ran.status, 1) << args[0];
      EXPECT_EQ(ran.err, "plandrix-map: " + args[0] + ": " + map + ": the map has no vertices (" +
                             size + ")\n");
    }
  }
  EXPECT_EQ(Files().size(), 2U);
}

TEST_F(CommandLine, OutputsBesideTheMapAndNeverOverIt) {
  fs::create_directory("maps");
  Write("maps/m.wld", MeadowMap(8, 6));
  fs::create_symlink("maps/m.wld", "link.wld");
  // The copy of players goes beside the map, in its folder.
  ASSERT_EQ(Run({"players", "maps/m.wld", "--hq", "2,2"}).status, 0);
  EXPECT_EQ(Files().count("maps/nm.wld"), 1U);
  // An output that is the map through a link: refused by every command that writes.
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"preview", "maps/m.wld", "-o", "link.wld"},
        {"export-heights", "maps/m.wld", "-o", "link.wld"},
        {"export-terrain", "maps/m.wld", "-o", "link.wld"},
        {"players", "maps/m.wld", "--hq", "2,2", "-o", "link.wld"},
        {"set", "maps/m.wld", "--title", "x", "-o", "link.wld"}}) {
    const Ran ran = Run(args);
    EXPECT_EQ(ran.status, 2) << args[0];
    EXPECT_NE(ran.err.find("link.wld"), std::string::npos) << args[0] << ": " << ran.err;
  }
  EXPECT_EQ(Files().at("maps/m.wld"), MeadowMap(8, 6));
}

// One check of a missing file and a map with errors: the file that could not be read wins.
TEST_F(CommandLine, CheckOfAMissingFileBesideABrokenMap) {
  Write("broken.wld", testing::MakeBlankMap(8, 6));  // no players: an error
  const Ran ran = Run({"check", "broken.wld", "missing.wld"});
  EXPECT_EQ(ran.status, 2);
  EXPECT_EQ(ran.err, "plandrix-map: missing.wld: no such file\n");
  EXPECT_NE(ran.out.find("broken.wld: error:"), std::string::npos);
  EXPECT_EQ(Run({"check", "broken.wld"}).status, 1);
}

// A file far larger than memory (sparse): its size alone is refused.
TEST_F(CommandLine, AMapTooLargeForMemory) {
  Bytes header = testing::MakeBlankMap(4, 4);
  header.resize(kHeaderSize);
  WriteU16(header, kWidthOffset, 65535);
  WriteU16(header, kHeightOffset, 65534);
  Write("huge.wld", header);
  fs::resize_file("huge.wld", MapLength(65535, 65534));
  const Ran ran = Run({"players", "huge.wld", "--hq", "1,1"});
  EXPECT_EQ(ran.status, 2);
  EXPECT_EQ(ran.err, "plandrix-map: huge.wld: too large for this machine's memory\n");
}

TEST(CommandJson, EveryControlCharacterIsEscaped) {
  std::string text;
  std::string expected = "\"";
  for (std::size_t c = 0; c < 0x20; ++c) {
    text += static_cast<char>(c);
    constexpr std::string_view kHex = "0123456789abcdef";
    expected += "\\u00";
    expected += kHex[c >> 4];
    expected += kHex[c & 15];
  }
  text += "\x7F\"\\";
  expected += "\\u007f\\\"\\\\\"";
  EXPECT_EQ(JsonString(text), expected);
}

}  // namespace
}  // namespace plandrix::commands
