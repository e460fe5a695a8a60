// Runs the real program with a scripted standard input in a fresh temporary folder.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace plandrix::testing {

using Files = std::map<std::string, std::vector<std::uint8_t>>;

struct RunResult {
  std::string output;  // everything the program printed on standard output
  int exit_status = -1;
  Files files;    // every file in the folder after the run (paths relative to it)
  Files written;  // the files that are new or changed by the run
};

struct RunOptions {
  // Shell commands put before the program in the same shell (e.g. "ulimit -f 20").
  std::string prelude;
  // Seconds after which the run is killed: a hang fails fast, with no exit status.
  int timeout_seconds = 10;
};

// A fresh folder below the system's temporary folder, removed by the destructor.
class TempFolder {
 public:
  TempFolder();
  // The folder at path (made with its parents; it must not exist yet), removed as well.
  explicit TempFolder(std::filesystem::path path);
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }
  void Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const;
  // Every regular file below the folder (links are left out).
  Files ReadAll() const;

 private:
  std::filesystem::path path_;
};

// Runs the program in folder with input as its standard input.
RunResult RunProgramIn(const TempFolder& folder, const std::string& input,
                       const RunOptions& options = {});

// Runs the program in a new folder that holds the given files.
RunResult RunProgram(const std::string& input, const Files& files = {},
                     const RunOptions& options = {});

// A program started in the background in folder with input as its standard input and
// its output thrown away, for a test that sends it signals: every signal at its default
// action, none blocked. Gives its process id.
int StartProgram(const std::string& binary, const std::vector<std::string>& args,
                 const TempFolder& folder, const std::string& input);

// Waits for a started program to end and gives its wait status (as waitpid gives it); it
// is killed after timeout_seconds.
int WaitForProgram(int pid, int timeout_seconds = 60);

// The main menu as the program prints it, followed by its prompt.
std::string MenuText();
// The farewell after option 0, preceded by the menu and its empty line.
std::string QuitText();

}  // namespace plandrix::testing
