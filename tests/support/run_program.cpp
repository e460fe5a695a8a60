#include "support/run_program.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <stdexcept>

namespace plandrix::testing {

namespace fs = std::filesystem;

TempFolder::TempFolder() {
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    fs::path candidate = fs::temp_directory_path() / ("plandrix-test-" + std::to_string(random()));
    if (fs::create_directory(candidate)) {
      path_ = candidate;
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary folder");
}

TempFolder::~TempFolder() {
  std::error_code error;
  fs::remove_all(path_, error);
}

void TempFolder::Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
  const fs::path file = path_ / name;
  fs::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

Files TempFolder::ReadAll() const {
  Files files;
  for (const auto& entry : fs::recursive_directory_iterator(path_)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                    std::istreambuf_iterator<char>());
    files[fs::relative(entry.path(), path_).string()] = std::move(bytes);
  }
  return files;
}

namespace {

std::string ReadText(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string Quote(const fs::path& path) {
  std::string quoted = "'";
  for (char c : path.string()) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

}  // namespace

RunResult RunProgramIn(const TempFolder& folder, const std::string& input,
                       const RunOptions& options) {
  // The script and the captured output live beside the run folder, not in it, so that
  // the folder holds only what the program wrote.
  TempFolder io;
  const fs::path input_file = io.path() / "stdin";
  const fs::path output_file = io.path() / "stdout";
  {
    std::ofstream out(input_file, std::ios::binary);
    out << input;
  }
  const Files before = folder.ReadAll();
  const std::string command = "cd " + Quote(folder.path()) + " && " +
                              (options.prelude.empty() ? "" : options.prelude + "; ") +
                              "exec timeout -s KILL " + std::to_string(options.timeout_seconds) +
                              " " + Quote(PLANDRIX_BINARY) + " < " + Quote(input_file) + " > " +
                              Quote(output_file);
  const int status = std::system(("/bin/bash -c " + Quote(command)).c_str());
  RunResult result;
  result.exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.output = ReadText(output_file);
  result.files = folder.ReadAll();
  for (const auto& [name, bytes] : result.files) {
    auto old = before.find(name);
    if (old == before.end() || old->second != bytes) result.written[name] = bytes;
  }
  return result;
}

RunResult RunProgram(const std::string& input, const Files& files, const RunOptions& options) {
  TempFolder folder;
  for (const auto& [name, bytes] : files) folder.Write(name, bytes);
  return RunProgramIn(folder, input, options);
}

std::string MenuText() {
  return "Taviks Plandrix - v20140809-0026(v100):\n"
         "-------------------------\n"
         "00 - Close Program\n"
         "01 - Object-Edit-Tool\n"
         "02 - BMP-SWD-Tool\n"
         "03 - Mirror-Map-Tool(WIP)\n"
         "04 - SWD-BMP-Tool(-)\n"
         "05 - Set-Heights-Tool\n"
         "06 - Random-Objects-Tool\n"
         "07 - Random-Heights-Tool(WIP)\n"
         "08 - Random-Map-Tool(WIP)\n"
         "09 - Apply Height-Map(WIP)\n"
         "10 - Random-Resources-Tool(WIP)\n"
         "11 - Info\n"
         "12 - Testingfunctions(Maybe useless for you)\n"
         "What do you want to do: ";
}

std::string QuitText() {
  return MenuText() + "\nHopefully everything went better than expected!\n";
}

}  // namespace plandrix::testing
