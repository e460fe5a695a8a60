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

// Runs plandrix-map with args in folder, killed after timeout_seconds.
MapToolResult RunMapToolIn(const TempFolder& folder, const std::vector<std::string>& args,
                           int timeout_seconds = 10);

// Runs plandrix-map with args in a new folder that holds files.
MapToolResult RunMapTool(const std::vector<std::string>& args, const Files& files = {},
                         int timeout_seconds = 10);

}  // namespace plandrix::testing
