#include <cstdio>
#include <iostream>
#include <new>
#include <optional>
#include <stdexcept>

#include "app/main_menu.h"
#include "console/console.h"
#include "console/output_buffer.h"
#include "core/file_prompt.h"
#include "core/platform.h"
#include "random/random_source.h"

namespace {

// Redirected output is written in pieces of this size: a map of unknown terrain can print
// millions of warning lines.
constexpr std::size_t kRedirectedBufferSize = std::size_t{1} << 20;
constexpr std::size_t kTerminalBufferSize = 4096;

// Runs the menu until it is closed. A tool whose memory runs out where it does not check
// for it ends as one whose map is too large for memory: the message, then the menu again
// (a save it had begun is gone: its temporary file went as the save was left).
void RunMenuThroughMemoryFailures(plandrix::Console& console, plandrix::ProgramState& state) {
  for (;;) {
    try {
      plandrix::RunMainMenu(console, state);
      return;
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
    console.out << plandrix::kNoMemoryMessage << '\n';
  }
}

int RunProgram() {
  // Standard output is collected in large pieces when redirected; a person at a terminal
  // sees everything as soon as it is printed. The input stays tied to the output, so a
  // prompt without a line end is flushed before the program waits.
  std::ios::sync_with_stdio(false);
  // A save beyond the file size limit must fail and be reported, not end the program.
  plandrix::platform::IgnoreFileSizeSignal();
  const bool terminal = plandrix::platform::IsTerminal(stdout);
  // The C stream adds no buffer of its own: each collected piece is one write.
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  // Where memory is too short for the large buffer, a small one does (the same bytes, in
  // more writes); where even that is missing, the program cannot start.
  std::optional<plandrix::FileOutputBuffer> output;
  for (const std::size_t size :
       {terminal ? kTerminalBufferSize : kRedirectedBufferSize, kTerminalBufferSize}) {
    try {
      output.emplace(stdout, size);
      break;
    } catch (const std::bad_alloc&) {
    }
  }
  if (!output) throw std::bad_alloc();
  std::streambuf* const standard_output = std::cout.rdbuf(&*output);
  if (terminal) std::cout.setf(std::ios::unitbuf);
  std::cin.tie(&std::cout);

  plandrix::ProgramState state;
  plandrix::Console console{std::cin, std::cout};
  try {
    RunMenuThroughMemoryFailures(console, state);
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

}  // namespace

int main() {
  try {
    return RunProgram();
  } catch (const std::bad_alloc&) {
    // Memory ran out before the menu could start (the streams' own buffers).
    std::fputs(plandrix::kNoMemoryMessage.data(), stdout);
    std::fputs("\n", stdout);
    return 1;
  }
}
