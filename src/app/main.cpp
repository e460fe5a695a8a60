#include <cstdio>
#include <iostream>

#include "app/main_menu.h"
#include "console/console.h"
#include "console/output_buffer.h"
#include "core/platform.h"
#include "random/random_source.h"

namespace {

// Redirected output is written in pieces of this size: a map of unknown terrain can print
// millions of warning lines.
constexpr std::size_t kRedirectedBufferSize = std::size_t{1} << 20;
constexpr std::size_t kTerminalBufferSize = 4096;

}  // namespace

int main() {
  // Standard output is collected in large pieces when redirected; a person at a terminal
  // sees everything as soon as it is printed. The input stays tied to the output, so a
  // prompt without a line end is flushed before the program waits.
  std::ios::sync_with_stdio(false);
  // A save beyond the file size limit must fail and be reported, not end the program.
  plandrix::platform::IgnoreFileSizeSignal();
  const bool terminal = plandrix::platform::IsTerminal(stdout);
  // The C stream adds no buffer of its own: each collected piece is one write.
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  plandrix::FileOutputBuffer output(stdout, terminal ? kTerminalBufferSize : kRedirectedBufferSize);
  std::streambuf* const standard_output = std::cout.rdbuf(&output);
  if (terminal) std::cout.setf(std::ios::unitbuf);
  std::cin.tie(&std::cout);

  plandrix::ProgramState state;
  plandrix::Console console{std::cin, std::cout};
  try {
    plandrix::RunMainMenu(console, state);
  } catch (...) {
    // Nothing printed is lost, not even on the way out of a failure.
    std::cout.flush();
    std::cout.rdbuf(standard_output);
    throw;
  }
  std::cout.flush();
  std::cout.rdbuf(standard_output);
  return 0;
}
