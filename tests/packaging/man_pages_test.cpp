// The manual pages render without a single formatter warning, and the page of plandrix-map
// has a section for every command that the program lists in its help.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Captured {
  std::string output;  // standard output and standard error together
  int exit_status = -1;
};

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

Captured RunShell(const std::string& command) {
  Captured captured;
  FILE* pipe = popen(("timeout -s KILL 10 " + command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return captured;
  std::array<char, 4096> chunk{};
  std::size_t count = 0;
  while ((count = std::fread(chunk.data(), 1, chunk.size(), pipe)) > 0) {
    captured.output.append(chunk.data(), count);
  }
  const int status = pclose(pipe);
  captured.exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return captured;
}

bool HasTool(const std::string& name) {
  return RunShell("/bin/sh -c " + Quote("command -v " + name)).exit_status == 0;
}

std::string ManPage(const std::string& name) { return std::string(PLANDRIX_MAN_DIR) + "/" + name; }

TEST(ManPages, RenderWithoutWarnings) {
  if (!HasTool("groff")) GTEST_SKIP() << "no groff on this machine";
  // The default device and the terminal device that man uses.
  const std::array<std::string, 2> formatters = {"groff -man -ww -z", "groff -man -Tutf8 -ww -z"};
  for (const char* page : {"plandrix.1", "plandrix-map.1"}) {
    for (const std::string& formatter : formatters) {
      const Captured result = RunShell(formatter + " " + Quote(ManPage(page)));
      EXPECT_EQ(result.exit_status, 0) << formatter << " " << page;
      EXPECT_EQ(result.output, "") << formatter << " " << page;
    }
  }
}

#ifdef PLANDRIX_MAP_BINARY
// The command names of the help listing: the first word of each line indented by two spaces.
std::vector<std::string> ListedCommands(const std::string& help) {
  std::vector<std::string> names;
  std::istringstream lines(help);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.size() > 2 && line.starts_with("  ") && line[2] != ' ') {
      names.push_back(line.substr(2, line.find(' ', 2) - 2));
    }
  }
  return names;
}

TEST(ManPages, MapPageDescribesEveryCommand) {
  const Captured help = RunShell(Quote(PLANDRIX_MAP_BINARY) + " --help");
  ASSERT_EQ(help.exit_status, 0) << help.output;
  const std::vector<std::string> commands = ListedCommands(help.output);
  ASSERT_GE(commands.size(), 6u) << help.output;
  std::ifstream in(ManPage("plandrix-map.1"));
  const std::string page((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  for (const std::string& command : commands) {
    std::string escaped;  // a hyphen in a page is written \-
    for (char c : command) escaped += c == '-' ? std::string("\\-") : std::string(1, c);
    EXPECT_NE(page.find("\n.SS " + escaped + " "), std::string::npos) << command;
    EXPECT_NE(page.find("\n.B plandrix\\-map " + escaped + "\n"), std::string::npos) << command;
  }
}
#endif

}  // namespace
