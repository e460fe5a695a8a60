// Runs plandrix-map with arguments written as one line of words in a test's folder.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "support/run_map_tool.h"

namespace plandrix::testing {

struct MapToolRun {
  int status = -1;
  std::string out;
  std::string err;
};

// args are words separated by spaces; the run is killed after 20 s.
inline MapToolRun RunMapTool(const TempFolder& folder, const std::string& args) {
  std::vector<std::string> words;
  std::istringstream split(args);
  for (std::string word; split >> word;) words.push_back(word);
  const MapToolResult run = RunMapToolIn(folder, words, 20);
  return {run.exit_status, run.out, run.err};
}

}  // namespace plandrix::testing
