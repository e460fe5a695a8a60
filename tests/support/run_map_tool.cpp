// Built only with plandrix-map (the build defines where it is).
#ifdef PLANDRIX_MAP_BINARY
#include "support/run_map_tool.h"

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace plandrix::testing {
namespace {

namespace fs = std::filesystem;

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string ReadText(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace

MapToolResult RunMapToolIn(const TempFolder& folder, const std::vector<std::string>& args,
                           const MapToolOptions& options) {
  // The captured streams live beside the run folder, so that it holds only the run's files.
  TempFolder io;
  const std::string out = Quote((io.path() / "out").string());
  // pipefail: through a pipe, the status is still the program's.
  std::string command = "set -o pipefail; cd " + Quote(folder.path().string()) + " && " +
                        (options.prelude.empty() ? "" : options.prelude + "; ") +
                        (options.through_pipe ? "" : "exec ") + "timeout -s KILL " +
                        std::to_string(options.timeout_seconds) + " " +
                        (options.wrapper.empty() ? "" : options.wrapper + " ") +
                        Quote(PLANDRIX_MAP_BINARY);
  for (const std::string& arg : args) command += " " + Quote(arg);
  command += " </dev/null 2>" + Quote((io.path() / "err").string());
  if (options.through_pipe) {
    command += " | cat >" + out;
  } else {
    command += " >" + (options.output_to.empty() ? out : options.output_to);
  }
  const int status = std::system(("/bin/bash -c " + Quote(command)).c_str());
  MapToolResult result;
  result.exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  // timeout's own status for a killed run, and the shell's for a signal, count as killed.
  if (result.exit_status >= 124) result.exit_status = -1;
  result.out = ReadText(io.path() / "out");
  result.err = ReadText(io.path() / "err");
  if (options.read_files) result.files = folder.ReadAll();
  return result;
}

MapToolResult RunMapToolIn(const TempFolder& folder, const std::vector<std::string>& args,
                           int timeout_seconds) {
  MapToolOptions options;
  options.timeout_seconds = timeout_seconds;
  return RunMapToolIn(folder, args, options);
}

MapToolResult RunMapTool(const std::vector<std::string>& args, const Files& files,
                         int timeout_seconds) {
  TempFolder folder;
  for (const auto& [name, bytes] : files) folder.Write(name, bytes);
  return RunMapToolIn(folder, args, timeout_seconds);
}

}  // namespace plandrix::testing

#endif  // PLANDRIX_MAP_BINARY
