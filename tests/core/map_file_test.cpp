#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "core/file_prompt.h"
#include "core/map_format.h"
#include "core/map_layout.h"
#include "core/platform.h"
#include "support/run_program.h"
#include "support/test_maps.h"

namespace plandrix {
namespace {

namespace fs = std::filesystem;
using testing::AsBytes;
using testing::MakeBlankMap;
using testing::TempFolder;

// Runs a test body inside a fresh folder, as the program runs in its working folder.
class InFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = fs::current_path();
    fs::current_path(folder_.path());
  }
  void TearDown() override { fs::current_path(previous_); }

  static void Write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    fs::create_directories(fs::path(name).parent_path().empty() ? "."
                                                                : fs::path(name).parent_path());
    std::ofstream out(name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
  }
  static std::vector<std::uint8_t> Read(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)),
                                     std::istreambuf_iterator<char>());
  }
  TempFolder folder_;
  fs::path previous_;
};

const std::string kPrompt = "Please enter the Map-Filename (.swd/.wld) or 0 to abort.\nFilename: ";

using OpenInputFileTest = InFolder;

TEST_F(OpenInputFileTest, AbortsOnAnyWordThatBeginsWithZero) {
  Write("0x.swd", MakeBlankMap(2, 2));
  for (const char* input : {"0\n", "0x.swd\n", "007.swd\n", "0abc"}) {
    std::istringstream in(input);
    std::ostringstream out;
    InputFile file;
    EXPECT_FALSE(OpenInputFile(in, out, kMapKind, file)) << input;
    EXPECT_EQ(out.str(), kPrompt + "Loading file has been aborted!\n") << input;
    EXPECT_FALSE(file.IsOpen());
  }
}

TEST_F(OpenInputFileTest, EndOfInputAborts) {
  std::istringstream in("   \n");
  std::ostringstream out;
  InputFile file;
  EXPECT_FALSE(OpenInputFile(in, out, kMapKind, file));
  EXPECT_EQ(out.str(), kPrompt + "Loading file has been aborted!\n");
}

TEST_F(OpenInputFileTest, AsksAgainForMissingFilesAndTakesTheNextWordOnTheLine) {
  Write("b.swd", MakeBlankMap(2, 2));
  Write("x0.swd", MakeBlankMap(2, 2));
  fs::create_directory("folder.swd");
  std::istringstream in("a.swd b.swd rest\n");
  std::ostringstream out;
  InputFile file;
  ASSERT_TRUE(OpenInputFile(in, out, kMapKind, file));
  EXPECT_EQ(out.str(),
            kPrompt + "Unable to open File: a.swd\n\n" + kPrompt + "Map has been loaded!\n");
  EXPECT_EQ(file.name, "b.swd");
  std::string rest;
  in >> rest;
  EXPECT_EQ(rest, "rest");  // the word after the name stays for the next read

  std::istringstream in2("folder.swd\nx0.swd\n");
  std::ostringstream out2;
  InputFile file2;
  ASSERT_TRUE(OpenInputFile(in2, out2, kBitmapKind, file2));
  const std::string bmp_prompt = "Please enter the BMP-Filename (.bmp) or 0 to abort.\nFilename: ";
  EXPECT_EQ(out2.str(), bmp_prompt + "Unable to open File: folder.swd\n\n" + bmp_prompt +
                            "Map has been loaded!\n");
  EXPECT_EQ(file2.name, "x0.swd");
}

TEST_F(OpenInputFileTest, RefusesNamesLongerThan31CharactersWithoutCuttingThem) {
  const std::string name31(31, 'a');
  const std::string name32(32, 'a');
  Write(name31, MakeBlankMap(2, 2));  // the cut name would open this file
  std::istringstream in(name32 + "\n" + name31 + "\n");
  std::ostringstream out;
  InputFile file;
  ASSERT_TRUE(OpenInputFile(in, out, kMapKind, file));
  EXPECT_EQ(out.str(), kPrompt + "Filename too long (at most 31 characters): " + name32 + "\n\n" +
                           kPrompt + "Map has been loaded!\n");
  EXPECT_EQ(file.name, name31);
}

// Named pipes and devices live in the file system on POSIX systems only.
#ifndef _WIN32
TEST_F(OpenInputFileTest, OnlyRegularFilesOpen) {
  // A named pipe would block the open for ever; a device never ends.
  ASSERT_EQ(mkfifo("pipe.swd", 0600), 0);
  Write("ok.swd", MakeBlankMap(2, 2));
  std::istringstream in("pipe.swd /dev/zero ok.swd\n");
  std::ostringstream out;
  InputFile file;
  ASSERT_TRUE(OpenInputFile(in, out, kMapKind, file));
  EXPECT_EQ(out.str(), kPrompt + "Unable to open File: pipe.swd\n\n" + kPrompt +
                           "Unable to open File: /dev/zero\n\n" + kPrompt +
                           "Map has been loaded!\n");
}
#endif

using LoadMapTest = InFolder;

TEST_F(LoadMapTest, ReadsTheWholeFileWithExtraBytes) {
  auto map = MakeBlankMap(4, 3);
  map.push_back(0xAB);
  map.push_back(0xCD);
  Write("m.swd", map);
  std::istringstream in("m.swd\n");
  std::ostringstream out;
  InputFile file;
  auto image = LoadMap(in, out, file);
  ASSERT_TRUE(image.has_value());
  EXPECT_EQ(*image, map);
  EXPECT_EQ(out.str(), kPrompt + "Map has been loaded!\n");
}

TEST_F(LoadMapTest, RefusesFilesTooShortForTheirStatedSize) {
  auto map = MakeBlankMap(4, 3);
  map.pop_back();
  Write("short.swd", map);
  Write("tiny.swd", std::vector<std::uint8_t>(2351, 0));
  Write("empty.swd", {});
  // A header that states 65535 x 65535 over a small file: refused, nothing large allocated.
  auto huge = MakeBlankMap(1, 1);
  huge[2348] = huge[2349] = huge[2350] = huge[2351] = 0xFF;
  Write("huge.swd", huge);
  for (const char* name : {"short.swd", "tiny.swd", "empty.swd", "huge.swd"}) {
    std::istringstream in(std::string(name) + "\n");
    std::ostringstream out;
    InputFile file;
    EXPECT_FALSE(LoadMap(in, out, file).has_value()) << name;
    EXPECT_EQ(out.str(),
              kPrompt + "Map has been loaded!\nERROR: Mapfile is too short for its size!\n")
        << name;
  }
}

using SaveMapTest = InFolder;

TEST_F(SaveMapTest, WritesExactlyTheImageUnderTheNName) {
  const auto map = MakeBlankMap(32, 32);
  std::ostringstream out;
  EXPECT_TRUE(SaveMap(out, map, "test.wld"));
  EXPECT_EQ(out.str(), "\nMap has been saved!\nName:ntest.wld\n\n");
  EXPECT_EQ(Read("ntest.wld"), map);
  // Only the output is left in the folder: no temporary file remains.
  EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 1);
}

TEST_F(SaveMapTest, CutsTheNameTo29CharactersAndKeepsDirectoryParts) {
  std::ostringstream out;
  EXPECT_TRUE(SaveMap(out, AsBytes("abc"), "abcdefghijklmnopqrstuvwxyz.wld"));
  EXPECT_EQ(out.str(), "\nMap has been saved!\nName:nabcdefghijklmnopqrstuvwxyz.wl\n\n");
  EXPECT_EQ(Read("nabcdefghijklmnopqrstuvwxyz.wl"), AsBytes("abc"));

  fs::create_directory("nmaps");
  std::ostringstream out2;
  EXPECT_TRUE(SaveMap(out2, AsBytes("xyz"), "maps/a.swd"));
  EXPECT_EQ(out2.str(), "\nMap has been saved!\nName:nmaps/a.swd\n\n");
  EXPECT_EQ(Read("nmaps/a.swd"), AsBytes("xyz"));
}

TEST_F(SaveMapTest, ReplacesAnExistingOutputWhole) {
  Write("nold.swd", std::vector<std::uint8_t>(5000, 0x11));
  std::ostringstream out;
  EXPECT_TRUE(SaveMap(out, AsBytes("new"), "old.swd"));
  EXPECT_EQ(Read("nold.swd"), AsBytes("new"));
}

TEST_F(SaveMapTest, PassesOverATemporaryFileLeftByAnotherSave) {
  Write("nx.swd.part0", AsBytes("left"));
  std::ostringstream out;
  EXPECT_TRUE(SaveMap(out, AsBytes("map"), "x.swd"));
  EXPECT_EQ(Read("nx.swd"), AsBytes("map"));
  EXPECT_EQ(Read("nx.swd.part0"), AsBytes("left"));
  EXPECT_FALSE(fs::exists("nx.swd.part1"));
}

TEST_F(SaveMapTest, ReportsAFailedSaveAndWritesNothing) {
  std::ostringstream out;
  EXPECT_FALSE(SaveMap(out, AsBytes("abc"), "missing/a.swd"));  // folder nmissing is absent
  EXPECT_EQ(out.str(), "\nERROR: Unable to save File: nmissing/a.swd\n\n");
  fs::create_directory("nfolder.swd");  // the target is a folder: rename fails
  std::ostringstream out2;
  EXPECT_FALSE(SaveMap(out2, AsBytes("abc"), "folder.swd"));
  EXPECT_EQ(out2.str(), "\nERROR: Unable to save File: nfolder.swd\n\n");
  EXPECT_TRUE(fs::is_empty("nfolder.swd"));
  EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 1);
}

TEST_F(SaveMapTest, NeverWritesAnInputFile) {
  const auto map = MakeBlankMap(2, 2);
  const std::string thirty_n(30, 'n');
  Write(thirty_n, map);
  Write("a.swd", map);
  fs::create_symlink("a.swd", "na.swd");  // the output name is a link to the input
  for (const std::string& name : {thirty_n, std::string("a.swd")}) {
    std::istringstream in(name + "\n");
    std::ostringstream ignored;
    InputFile file;
    ASSERT_TRUE(OpenInputFile(in, ignored, kMapKind, file));
    const InputFile* inputs[] = {&file};
    std::ostringstream out;
    EXPECT_FALSE(SaveMap(out, AsBytes("changed"), name, inputs));
    EXPECT_EQ(out.str(), "\nERROR: Unable to save File: " + OutputName(name) + "\n\n");
  }
  EXPECT_EQ(Read(thirty_n), map);
  EXPECT_EQ(Read("a.swd"), map);
}

// A NUL byte in a name (a script can hold one) would make the system open the name's
// first part, and make every temporary name the same: refused at once, at both prompts.
TEST_F(SaveMapTest, NamesWithANulByteAreRefused) {
  const auto map = MakeBlankMap(2, 2);
  Write("b.wld", map);
  Write("nb.wld", AsBytes("earlier"));
  const std::string name("b.wld\0x", 7);
  std::istringstream in(name + "\n");
  std::ostringstream prompt;
  InputFile file;
  EXPECT_FALSE(OpenInputFile(in, prompt, kMapKind, file));
  EXPECT_EQ(prompt.str(), kPrompt + "Unable to open File: " + name + "\n\n" + kPrompt +
                              "Loading file has been aborted!\n");
  std::ostringstream out;
  EXPECT_FALSE(SaveMap(out, AsBytes("map"), name));
  EXPECT_EQ(Read("nb.wld"), AsBytes("earlier"));
  EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 2);
}

TEST_F(SaveMapTest, PassesOverAnyNumberOfNamesLeftByEarlierSaves) {
  // Leftovers under the very names this process would try first, as a run of the same
  // process id would leave them.
  constexpr int kLeftovers = 150;
  for (int k = 0; k < kLeftovers; ++k)
    Write(TemporaryPath("nx.swd", static_cast<std::uint64_t>(k)).string(), AsBytes("left"));
  std::ostringstream out;
  EXPECT_TRUE(SaveMap(out, AsBytes("map"), "x.swd"));
  EXPECT_EQ(Read("nx.swd"), AsBytes("map"));
  EXPECT_EQ(Read(TemporaryPath("nx.swd", kLeftovers - 1).string()), AsBytes("left"));
  EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), kLeftovers + 1);
}

using SaveFileTest = InFolder;

// The C++ library of MinGW makes no symbolic links.
#ifndef _WIN32
TEST_F(SaveFileTest, WritesWhereLinksLeadAndKeepsTheLinks) {
  Write("real.bmp", AsBytes("old"));
  fs::create_symlink("real.bmp", "link.bmp");
  EXPECT_EQ(SaveFile("link.bmp", AsBytes("new")), 0);
  EXPECT_EQ(Read("real.bmp"), AsBytes("new"));
  EXPECT_TRUE(fs::is_symlink("link.bmp"));
  // A link that leads nowhere is replaced by the file; a loop of links and a folder are
  // refused with the system's reasons.
  fs::create_symlink("missing/nowhere.bmp", "dangling.bmp");
  EXPECT_EQ(SaveFile("dangling.bmp", AsBytes("new")), 0);
  EXPECT_FALSE(fs::is_symlink("dangling.bmp"));
  fs::create_symlink("loop2", "loop1");
  fs::create_symlink("loop1", "loop2");
  EXPECT_EQ(SaveFile("loop1", AsBytes("new")), ELOOP);
  fs::create_directory("folder.bmp");
  EXPECT_EQ(SaveFile("folder.bmp", AsBytes("new")), EISDIR);
  EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 6);
}
#endif

using ReadMapPrefixTest = InFolder;

std::vector<std::uint8_t> Joined(std::vector<std::uint8_t> a, const std::vector<std::uint8_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST_F(ReadMapPrefixTest, ReadsTheMapPartAndCountsWhatFollows) {
  const auto map = MakeBlankMap(4, 3);  // 2577 + 14 x 12 bytes, the final 0xFF last
  const std::vector<std::uint8_t> without_end(map.begin(), map.end() - 1);
  // Block 14 absent: its multiplier 0 and its 12 data bytes left out.
  auto absent = Joined(std::vector<std::uint8_t>(map.begin(), map.end() - 13), {0xFF});
  WriteU16(absent, BlockHeaderOffset(14, 12) + kBlockMultiplierField, 0);
  // Two extra animal records, the second at x = 255 (a 0xFF inside a record).
  const auto records = Joined(without_end, {1, 3, 0, 4, 0, 2, 0xFF, 0, 2, 0, 0xFF});
  std::vector<std::uint8_t> text(5000, 'x');
  const struct {
    std::string name;
    std::vector<std::uint8_t> file;
    std::vector<std::uint8_t> read;  // what the reader gives
    std::uint64_t trailing;
  } cases[] = {
      {"shorter than the header", std::vector<std::uint8_t>(100, 'W'),
       std::vector<std::uint8_t>(100, 'W'), 0},
      {"no signature", text, std::vector<std::uint8_t>(text.begin(), text.begin() + 2352), 0},
      {"a map", map, map, 0},
      {"bytes after the map", Joined(map, {0xFF, 1, 2, 3, 4, 5, 6}), map, 7},
      {"an absent block", Joined(absent, {9, 9, 9}), absent, 3},
      {"extra animal records", Joined(records, {7, 7}), records, 2},
      {"no final byte", Joined(without_end, {1, 2, 3}), Joined(without_end, {1, 2, 3}), 0},
      {"ends inside a block", std::vector<std::uint8_t>(map.begin(), map.begin() + 2500),
       std::vector<std::uint8_t>(map.begin(), map.begin() + 2500), 0},
  };
  for (const auto& c : cases) {
    Write("m.wld", c.file);
    ReadError error;
    const auto read = ReadMapPrefix("m.wld", error);
    ASSERT_TRUE(read.has_value()) << c.name;
    EXPECT_EQ(read->bytes, c.read) << c.name;
    EXPECT_EQ(read->file_size, c.file.size()) << c.name;
    EXPECT_EQ(read->trailing_bytes, c.trailing) << c.name;
    EXPECT_EQ(read->records_left_out, 0U) << c.name;
  }
}

TEST_F(ReadMapPrefixTest, KeepsTheFirstRecordsOfAVeryLongListAndItsFinalByte) {
  const auto map = MakeBlankMap(2, 2);
  constexpr std::size_t kExtra = 1000;  // records beyond those kept
  auto file = std::vector<std::uint8_t>(map.begin(), map.end() - 1);
  file.resize(file.size() + kMostKeptRecordBytes + kExtra * kAnimalRecordSize, 1);
  file.insert(file.end(), {0xFF, 5, 5, 5});
  Write("m.wld", file);
  ReadError error;
  const auto read = ReadMapPrefix("m.wld", error);
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(read->bytes.size(), map.size() + kMostKeptRecordBytes);
  EXPECT_EQ(read->bytes[read->bytes.size() - 1], 0xFF);
  EXPECT_EQ(read->bytes[read->bytes.size() - 2], 1);
  EXPECT_EQ(read->records_left_out, kExtra * kAnimalRecordSize);
  EXPECT_EQ(read->trailing_bytes, 3U);
}

#ifndef _WIN32
TEST_F(ReadMapPrefixTest, SaysWhyAFileCannotBeRead) {
  ASSERT_EQ(mkfifo("pipe.wld", 0600), 0);  // opened without waiting for a writer
  fs::create_directory("folder.wld");
  Write("m.wld", MakeBlankMap(2, 2));
  const struct {
    std::string path;
    ReadFailure failure;
    int code;
  } cases[] = {{"missing.wld", ReadFailure::kMissing, ENOENT},
               {"pipe.wld", ReadFailure::kNotRegularFile, platform::kNotRegularFile},
               {"folder.wld", ReadFailure::kNotRegularFile, platform::kNotRegularFile},
               {"m.wld/", ReadFailure::kSystem, ENOTDIR}};
  for (const auto& c : cases) {
    ReadError error;
    EXPECT_FALSE(ReadMapPrefix(c.path, error).has_value()) << c.path;
    EXPECT_EQ(error.failure, c.failure) << c.path;
    EXPECT_EQ(error.code, c.code) << c.path;
    ReadError whole_error;
    EXPECT_FALSE(ReadFileBytes(c.path, whole_error).has_value()) << c.path;
    EXPECT_EQ(whole_error.failure, c.failure) << c.path;
  }
}
#endif

}  // namespace
}  // namespace plandrix
