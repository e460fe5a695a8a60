// Runs plandrix-map with arguments in a test's temporary folder.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "support/run_program.h"

namespace plandrix::testing {

struct MapToolRun {
  int status = -1;
  std::string out;
  std::string err;
};

// args are words without quotes or spaces of their own; the run is killed after 20 s.
inline MapToolRun RunMapTool(const TempFolder& folder, const std::string& args) {
  const auto text = [](const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  };
  TempFolder io;
  const std::string command = "cd '" + folder.path().string() + "' && exec timeout -s KILL 20 '" +
                              PLANDRIX_MAP_BINARY + "' " + args + " >'" +
                              (io.path() / "out").string() + "' 2>'" +
                              (io.path() / "err").string() + "'";
  const int status = std::system(("/bin/bash -c \"" + command + "\"").c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, text(io.path() / "out"),
          text(io.path() / "err")};
}

}  // namespace plandrix::testing
