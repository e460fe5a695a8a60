// Runs the real plandrix-map with arguments in a fresh temporary folder.
#pragma once

#include <string>
#include <vector>

#include "support/run_program.h"

namespace plandrix::testing {

struct MapToolResult {
  std::string out;       // standard output
  std::string err;       // standard error
  int exit_status = -1;  // -1: killed (a crash or a hang)
  Files files;           // every file in the folder after the run
};

struct MapToolOptions {
  // Shell commands put before the program in the same shell ("ulimit -v 20000").
  std::string prelude;
  // A command that runs the program ("setpriv --reuid=65534 ..."), none when empty.
  std::string wrapper;
  // Where standard output goes, as the shell's words after ">" (default: a file that
  // becomes MapToolResult::out).
  std::string output_to;
  // Standard output through a pipe into the captured file (a pipe is no regular file).
  bool through_pipe = false;
  // Whether MapToolResult::files is read (not for a folder of huge files).
  bool read_files = true;
  int timeout_seconds = 10;
};

// Runs plandrix-map with args in folder, killed after timeout_seconds.
MapToolResult RunMapToolIn(const TempFolder& folder, const std::vector<std::string>& args,
                           int timeout_seconds = 10);
MapToolResult RunMapToolIn(const TempFolder& folder, const std::vector<std::string>& args,
                           const MapToolOptions& options);

// Runs plandrix-map with args in a new folder that holds files.
MapToolResult RunMapTool(const std::vector<std::string>& args, const Files& files = {},
                         int timeout_seconds = 10);

}  // namespace plandrix::testing
