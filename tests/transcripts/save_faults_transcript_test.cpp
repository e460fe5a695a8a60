// Saves that respect the user's files, in both programs: a save cut short by a signal,
// names left behind by earlier saves, outputs that are devices, pipes or write-protected
// files, a name that climbs out of the working folder, and memory that runs out.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "core/file_prompt.h"
#include "core/map_layout.h"
#include "support/run_map_tool.h"
#include "support/run_program.h"
#include "support/sanitizer.h"
#include "support/test_maps.h"

namespace plandrix {
namespace {

namespace fs = std::filesystem;
using testing::Files;
using testing::MakeBlankMap;
using testing::MenuText;
using testing::QuitText;
using testing::TempFolder;

const std::string kResourcesStart =
    "\n10 - Random-Resources-Tool(WIP)\nThis Tool will add some random resources to your map\n"
    "Please enter the Map-Filename (.swd/.wld) or 0 to abort.\nFilename: Map has been loaded!\n";

bool HoldsTemporaryFile(const fs::path& folder) {
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.path().filename().string().find(".part") != std::string::npos) return true;
  }
  return false;
}

// Waits until a file whose name holds ".part" is made in the folder that inotify
// watches; false after seconds.
bool WaitForTemporaryFile(int inotify, int seconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  alignas(inotify_event) char events[4096];
  while (std::chrono::steady_clock::now() < end) {
    pollfd ready{inotify, POLLIN, 0};
    if (poll(&ready, 1, 100) <= 0) continue;
    const ssize_t length = read(inotify, events, sizeof events);
    for (ssize_t at = 0; at < length;) {
      const auto* event = reinterpret_cast<const inotify_event*>(events + at);
      if (event->len > 0 && std::strstr(event->name, ".part") != nullptr) return true;
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
  }
  return false;
}

// A map whose save takes a while (58 MB), on meadow, so that a headquarters may stand
// anywhere.
std::vector<std::uint8_t> LargeMeadowMap() {
  constexpr std::size_t kSide = 2048;
  std::vector<std::uint8_t> map = MakeBlankMap(kSide, kSide);
  for (int block : {kTerrainBlock1, kTerrainBlock2}) {
    std::ranges::fill(Block(std::span<std::uint8_t>(map), block, kSide * kSide), 8);
  }
  return map;
}

struct Interrupted {
  std::string program;
  std::vector<std::string> args;
  std::string input;
};

TEST(SaveFaults, ASignalDuringASaveRemovesTheTemporaryFileAndEndsTheProgram) {
  const std::vector<std::uint8_t> map = LargeMeadowMap();
  const std::vector<std::uint8_t> earlier(3000, 0x5A);
  std::vector<Interrupted> programs = {{PLANDRIX_BINARY, {}, "10\nbig.wld\n0\n"}};
#ifdef PLANDRIX_MAP_BINARY
  programs.push_back({PLANDRIX_MAP_BINARY, {"players", "big.wld", "--hq", "100,100"}, ""});
#endif
  for (const Interrupted& program : programs) {
    for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
      SCOPED_TRACE(program.program + ": " + strsignal(signal_number));
      // The program is stopped as soon as its temporary file appears; a save that ended
      // before that is tried again.
      bool caught = false;
      for (int attempt = 0; attempt < 3 && !caught; ++attempt) {
        TempFolder folder;
        folder.Write("big.wld", map);
        folder.Write("nbig.wld", earlier);
        const int watch = inotify_init1(IN_CLOEXEC);
        ASSERT_GE(inotify_add_watch(watch, folder.path().c_str(), IN_CREATE), 0);
        const int pid = testing::StartProgram(program.program, program.args, folder, program.input);
        const bool created = WaitForTemporaryFile(watch, 60);
        kill(pid, SIGSTOP);
        caught = created && HoldsTemporaryFile(folder.path());
        if (caught) kill(pid, signal_number);
        kill(pid, SIGCONT);
        const int status = testing::WaitForProgram(pid);
        close(watch);
        if (!caught) continue;
        // Ended by the signal itself (a shell reports 128 + its number).
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal_number) << status;
        EXPECT_FALSE(HoldsTemporaryFile(folder.path()));
        // The earlier output is as it was (the map is not read back: 58 MB cost seconds).
        std::ifstream output(folder.path() / "nbig.wld", std::ios::binary);
        EXPECT_EQ(std::vector<std::uint8_t>(std::istreambuf_iterator<char>(output), {}), earlier);
        EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), {}), 2);
      }
      EXPECT_TRUE(caught) << "no save was caught while its temporary file existed";
    }
  }
}

TEST(SaveFaults, NamesLeftByEarlierSavesNeverBlockASave) {
  // A hundred leftovers of interrupted saves of the same output.
  TempFolder folder;
  for (int k = 0; k < 100; ++k) folder.Write("ntest.wld.part" + std::to_string(k), {1});
  const auto run = testing::RunProgramIn(folder, "12\n0\n");
  EXPECT_EQ(run.output,
            MenuText() + "\nNothing here!\n\nMap has been saved!\nName:ntest.wld\n\n" + QuitText());
  EXPECT_EQ(run.written, (Files{{"ntest.wld", MakeBlankMap(32, 32)}}));
  EXPECT_EQ(run.files.size(), 101U);  // the leftovers stay as they were
#ifdef PLANDRIX_MAP_BINARY
  TempFolder tool_folder;
  tool_folder.Write("m.wld", MakeBlankMap(8, 4));
  for (int k = 0; k < 100; ++k) tool_folder.Write("m.bmp.part" + std::to_string(k), {1});
  const auto tool = testing::RunMapToolIn(tool_folder, {"export-heights", "m.wld", "-o", "m.bmp"});
  EXPECT_EQ(tool.exit_status, 0) << tool.err;
  EXPECT_EQ(tool.files.size(), 102U);
#endif
}

// Reads a named pipe whole on a thread of its own, as another program would.
class PipeReader {
 public:
  explicit PipeReader(const fs::path& pipe) : pipe_(pipe) {
    thread_ = std::thread([this] {
      std::ifstream in(pipe_, std::ios::binary);
      bytes_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    });
  }
  // What came through the pipe. A writer that never came is stood in for, so that the
  // reader ends.
  std::vector<std::uint8_t> Bytes() {
    const int writer = open(pipe_.c_str(), O_WRONLY | O_NONBLOCK);
    if (writer >= 0) close(writer);
    thread_.join();
    return bytes_;
  }

 private:
  fs::path pipe_;
  std::vector<std::uint8_t> bytes_;
  std::thread thread_;
};

// Makes a character device like the system's null (1, 3) or full (1, 7) device in the
// test's folder; false where the user may not make devices.
bool MakeDevice(const fs::path& path, unsigned minor) {
  return mknod(path.c_str(), S_IFCHR | 0666, makedev(1, minor)) == 0;
}

TEST(SaveFaults, TheMenuWritesIntoADeviceOrAPipeNeverReplacesIt) {
  const auto map = MakeBlankMap(32, 32);
  {
    TempFolder folder;
    if (MakeDevice(folder.path() / "ntest.wld", 3)) {
      const auto run = testing::RunProgramIn(folder, "12\n0\n");
      EXPECT_EQ(
          run.output,
          MenuText() + "\nNothing here!\n\nMap has been saved!\nName:ntest.wld\n\n" + QuitText());
      EXPECT_TRUE(fs::is_character_file(folder.path() / "ntest.wld"));
    } else {
      std::cout << "[ SKIPPED  ] devices: mknod is not permitted for this user\n";
    }
    fs::remove(folder.path() / "ntest.wld");
    ASSERT_EQ(mkfifo((folder.path() / "ntest.wld").c_str(), 0600), 0);
    PipeReader reader(folder.path() / "ntest.wld");
    const auto run = testing::RunProgramIn(folder, "12\n0\n");
    EXPECT_EQ(reader.Bytes(), map);
    EXPECT_TRUE(fs::is_fifo(folder.path() / "ntest.wld"));
    EXPECT_TRUE(run.files.empty());
  }
}

#ifdef PLANDRIX_MAP_BINARY
TEST(SaveFaults, PlandrixMapWritesIntoDevicesAndPipesNeverReplacesThem) {
  TempFolder folder;
  folder.Write("m.wld", MakeBlankMap(8, 4));
  const auto plain = testing::RunMapToolIn(folder, {"export-heights", "m.wld", "-o", "m.bmp"});
  const std::vector<std::uint8_t> bitmap = plain.files.at("m.bmp");
  const struct {
    std::string name;
    unsigned device;  // the minor number of a device, 0 for a named pipe
    int status;
    std::string err;
  } cases[] = {
      {"null.bmp", 3, 0, ""},
      {"full.bmp", 7, 2, "plandrix-map: full.bmp: cannot be written (No space left on device)\n"},
      {"pipe.bmp", 0, 0, ""},
  };
  for (const auto& c : cases) {
    const fs::path path = folder.path() / c.name;
    if (c.device != 0 && !MakeDevice(path, c.device)) continue;
    if (c.device == 0) {
      ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    }
    std::optional<PipeReader> reader;
    if (c.device == 0) reader.emplace(path);
    const auto run = testing::RunMapToolIn(folder, {"export-heights", "m.wld", "-o", c.name});
    EXPECT_EQ(run.exit_status, c.status) << c.name;
    EXPECT_EQ(run.err, c.err) << c.name;
    if (reader) {
      EXPECT_EQ(reader->Bytes(), bitmap);
    }
    EXPECT_EQ(fs::status(path).type(),
              c.device != 0 ? fs::file_type::character : fs::file_type::fifo)
        << c.name;
    EXPECT_FALSE(HoldsTemporaryFile(folder.path())) << c.name;
  }
  // A link to standard output, which is a pipe: the bitmap goes down the pipe, the link
  // stays (the report line follows the bitmap there).
  fs::create_symlink("/proc/self/fd/1", folder.path() / "out.bmp");
  testing::MapToolOptions options;
  options.through_pipe = true;
  const auto run =
      testing::RunMapToolIn(folder, {"export-heights", "m.wld", "-o", "out.bmp"}, options);
  EXPECT_EQ(run.exit_status, 0) << run.err;
  EXPECT_EQ(run.out.substr(0, bitmap.size()), std::string(bitmap.begin(), bitmap.end()));
  EXPECT_TRUE(fs::is_symlink(folder.path() / "out.bmp"));
}
#endif

TEST(SaveFaults, AWriteProtectedOutputIsRefused) {
  // Mode 444 protects a file from every user, the administrator too (the tests run as
  // root in CI, where the system itself would let the program write it).
  const std::vector<std::uint8_t> earlier(3000, 0x5A);
  {
    TempFolder folder;
    folder.Write("ntest.wld", earlier);
    fs::permissions(folder.path() / "ntest.wld",
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const auto run = testing::RunProgramIn(folder, "12\n0\n");
    EXPECT_EQ(
        run.output,
        MenuText() + "\nNothing here!\n\nERROR: Unable to save File: ntest.wld\n\n" + QuitText());
    EXPECT_EQ(run.files, (Files{{"ntest.wld", earlier}}));
  }
#ifdef PLANDRIX_MAP_BINARY
  const std::vector<std::vector<std::string>> commands = {
      {"export-heights", "m.wld", "-o", "out"},
      {"export-terrain", "m.wld", "-o", "out"},
      {"preview", "m.wld", "-o", "out"},
      {"players", "m.wld", "--hq", "1,1", "-o", "out"},
  };
  for (const auto& args : commands) {
    TempFolder folder;
    auto map = MakeBlankMap(8, 4);
    for (int block : {kTerrainBlock1, kTerrainBlock2}) {
      std::ranges::fill(Block(std::span<std::uint8_t>(map), block, 32), 8);
    }
    folder.Write("m.wld", map);
    folder.Write("out", earlier);
    fs::permissions(folder.path() / "out",
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const auto run = testing::RunMapToolIn(folder, args);
    EXPECT_EQ(run.exit_status, 2) << args[0];
    EXPECT_EQ(run.err, "plandrix-map: out: cannot be written (Permission denied)\n") << args[0];
    EXPECT_EQ(run.files, (Files{{"m.wld", map}, {"out", earlier}})) << args[0];
  }
#endif
}

TEST(SaveFaults, TheMenuNeverWritesOutsideItsWorkingFolder) {
  // A short folder of its own, so that a name that reaches it from the root fits in 31
  // characters.
  const TempFolder root(fs::temp_directory_path() / ("p" + std::to_string(getpid())));
  const std::string typed = "/../.." + root.path().string() + "/i.wld";
  if (typed.size() > kMaxFileNameLength) GTEST_SKIP() << "the temporary folder's name is too long";
  const auto map = MakeBlankMap(8, 8);
  root.Write("i.wld", map);
  // The working folder lies two below the root and holds a folder "n": "n" + typed climbs
  // to root/a, where the folders for the output wait.
  const TempFolder work(root.path() / "a" / "w");
  fs::create_directories(work.path() / "n");
  fs::create_directories(root.path() / "a" / root.path().relative_path());
  // An output name that is a link out of the folder.
  work.Write("x.wld", map);
  root.Write("a/outside.wld", map);
  fs::create_symlink("../outside.wld", work.path() / "nx.wld");
  const struct {
    std::string typed;
    std::string output;
  } cases[] = {{typed, "n" + typed}, {"x.wld", "nx.wld"}};
  for (const auto& c : cases) {
    const Files before = root.ReadAll();
    const auto run = testing::RunProgramIn(work, "10\n" + c.typed + "\n0\n");
    EXPECT_EQ(run.output, MenuText() + kResourcesStart +
                              "\nERROR: Unable to save File: " + c.output + "\n\n" + QuitText());
    EXPECT_EQ(root.ReadAll(), before) << c.typed;
  }
  EXPECT_TRUE(fs::is_symlink(work.path() / "nx.wld"));
}

// Every stderr line of plandrix-map starts with its name.
bool AllLinesAreOurs(const std::string& err) {
  for (std::size_t at = 0; at < err.size(); at = err.find('\n', at) + 1) {
    if (err.compare(at, 13, "plandrix-map:") != 0) return false;
    if (err.find('\n', at) == std::string::npos) return false;
  }
  return true;
}

// How a run under an address-space limit ended.
enum class Outcome { kNotStarted, kNotLoaded, kRanOut, kDone };

// Limits in KiB, from where the programs can start to more than any run here needs:
// first a MiB apart until the map loads, then an eighth of a MiB apart, so that every
// allocation of the work larger than that fails in some run, up to the first run that
// ends well.
constexpr int kLowestLimit = 6144;
constexpr int kHighestLimit = 96 * 1024;
constexpr int kCoarseStep = 1024;
constexpr int kFineStep = 128;

// Sweeps the limits for one run; gives whether a run ended well.
template <class RunUnder>
bool SweepLimits(int first, RunUnder&& run_under) {
  int limit = first;
  Outcome outcome = Outcome::kNotStarted;
  for (; limit <= kHighestLimit && outcome < Outcome::kRanOut; limit += kCoarseStep) {
    outcome = run_under(limit);
  }
  // Back to just above the last limit that could not load the map.
  limit = std::max(first, limit - 2 * kCoarseStep + kFineStep);
  for (; limit <= kHighestLimit && outcome != Outcome::kDone; limit += kFineStep) {
    outcome = run_under(limit);
  }
  return outcome == Outcome::kDone;
}

TEST(SaveFaults, MemoryThatRunsOutInAToolGivesItsMessage) {
  if (testing::kAddressSanitizer) GTEST_SKIP() << "sanitizer builds cannot run under ulimit -v";
  const auto small_map = testing::RunProgram("8\n128\n128\n12345678\n0\n").written.at("nGen.wld");
  const std::vector<std::string> menu_scripts = {
      "3\nm.wld\n1\n2\n3\n0\n0\n", "6\nm.wld\n1\n87654321\n1\n1\n1\n1\n1\n0\n",
      "8\n128\n128\n12345678\n0\n", "10\nm.wld\n0\n", "12\n0\n"};
  const std::string no_memory = std::string(kNoMemoryMessage) + "\n";
  for (const std::string& script : menu_scripts) {
    const bool ended = SweepLimits(kLowestLimit, [&](int limit) {
      testing::RunOptions options;
      options.prelude = "ulimit -v " + std::to_string(limit);
      const auto run = testing::RunProgram(script, {{"m.wld", small_map}}, options);
      const std::string trace = script + " under " + std::to_string(limit) + " KiB: ";
      for (const auto& [name, bytes] : run.files) {
        EXPECT_EQ(name.find(".part"), std::string::npos) << trace << name;
      }
      if (run.exit_status == 127) return Outcome::kNotStarted;  // the system's loader failed
      if (run.exit_status == 1 && run.output == no_memory) return Outcome::kNotLoaded;
      EXPECT_EQ(run.exit_status, 0) << trace << run.output.substr(0, 300);
      EXPECT_TRUE(run.output.ends_with(QuitText())) << trace;
      return run.output.find(no_memory) != std::string::npos ? Outcome::kRanOut : Outcome::kDone;
    });
    EXPECT_TRUE(ended) << script << " never ended well";
  }
}

#ifdef PLANDRIX_MAP_BINARY
TEST(SaveFaults, MemoryThatRunsOutInACommandGivesAMessageNeverAnAbort) {
  if (testing::kAddressSanitizer) GTEST_SKIP() << "sanitizer builds cannot run under ulimit -v";
  // Big enough that the work needs more than the map, small enough to be quick.
  const auto map = testing::RunProgram("8\n384\n384\n12345678\n0\n").written.at("nGen.wld");
  const std::vector<std::vector<std::string>> commands = {
      {"check", "m.wld"},
      {"stats", "m.wld"},
      {"preview", "m.wld", "-o", "out"},
      {"export-heights", "m.wld", "-o", "out"},
      {"export-terrain", "m.wld", "-o", "out"},
      {"players", "m.wld", "--auto", "4", "-o", "out"},
  };
  TempFolder folder;
  folder.Write("m.wld", map);
  const int first = kLowestLimit + static_cast<int>(map.size() / 1024);  // can never load it
  for (const auto& args : commands) {
    const bool ended = SweepLimits(first, [&](int limit) {
      std::error_code ignored;
      fs::remove(folder.path() / "out", ignored);
      testing::MapToolOptions options;
      options.prelude = "ulimit -v " + std::to_string(limit);
      options.timeout_seconds = 60;
      const auto run = testing::RunMapToolIn(folder, args, options);
      const std::string trace = args[0] + " under " + std::to_string(limit) + " KiB: " + run.err;
      EXPECT_FALSE(HoldsTemporaryFile(folder.path())) << trace;
      if (run.err.find("error while loading shared libraries") != std::string::npos) {
        return Outcome::kNotStarted;
      }
      if (run.err == "plandrix-map: m.wld: too large for this machine's memory\n") {
        return Outcome::kNotLoaded;
      }
      // check's status 1 is its finding that the map has no players.
      const bool done = run.exit_status == 0 || (args[0] == "check" && run.exit_status == 1);
      EXPECT_TRUE(done || run.exit_status == 2) << trace;
      EXPECT_TRUE(AllLinesAreOurs(run.err)) << trace;
      // A command that ran out gives its line; one that got by may warn about what it left.
      EXPECT_TRUE(done ? run.err.empty() || run.err.find(": warning: ") != std::string::npos
                       : !run.err.empty())
          << trace;
      return done ? Outcome::kDone : Outcome::kRanOut;
    });
    EXPECT_TRUE(ended) << args[0] << " never ended well";
  }
}
#endif

}  // namespace
}  // namespace plandrix
