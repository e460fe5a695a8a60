// plandrix-map: the command-line companion of the menu program. One table of
// subcommands serves both the dispatch and the listing of --help.
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <new>
#include <span>
#include <stdexcept>
#include <streambuf>
#include <string>
#include <vector>

#include "app/map_commands.h"
#include "core/platform.h"

namespace plandrix::map_command {
namespace {

constexpr std::array<Command, 7> kCommands = {{
    {"check", "list what keeps the game from loading or playing a map", RunCheck},
    {"stats", "count what is on a map", RunStats},
    {"preview", "draw a map as a PNG picture", RunPreview},
    {"export-heights", "write the heights as an 8-bit grey bitmap", RunExportHeights},
    {"export-terrain", "write the terrain as a 4-bit bitmap", RunExportTerrain},
    {"players", "set the players and their headquarters", RunPlayers},
    {"set", "write the title, author or landscape into a copy", RunSet},
}};

void PrintUsage(std::ostream& out) {
  out << "Usage: " << kProgramName << " COMMAND [OPTIONS] MAP...\n"
      << "       " << kProgramName << " COMMAND --help\n"
      << "       " << kProgramName << " --version\n\n"
      << "Looks at SettlersII world maps (.swd/.wld) and writes pictures, bitmaps and\n"
      << "changed copies of them. Commands:\n";
  for (const Command& command : kCommands) {
    out << "  " << command.name << std::string(16 - command.name.size(), ' ') << command.summary
        << '\n';
  }
  out << "\nExit status: 0 done, 1 a map has errors or was refused, 2 bad arguments, a\n"
      << "file that cannot be read or written, or memory that runs out.\n";
}

// Standard output in pieces of 64 KiB that remembers why a write failed: the C stream
// forgets it (after a failed write the C library drops what it held, and a later flush
// reports success).
class StandardOutput : public std::streambuf {
 public:
  explicit StandardOutput(std::FILE* file) : file_(file) {
    setp(buffer_.data(), buffer_.data() + buffer_.size());
  }
  // errno of the first failed write, 0 while none failed.
  int error() const { return error_; }

 protected:
  int_type overflow(int_type c) override {
    if (!Drain()) return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
      *pptr() = traits_type::to_char_type(c);
      pbump(1);
    }
    return traits_type::not_eof(c);
  }
  int sync() override { return Drain() ? 0 : -1; }

 private:
  bool Drain() {
    const auto count = static_cast<std::size_t>(pptr() - pbase());
    if (count > 0 && error_ == 0) {
      errno = 0;
      if (std::fwrite(pbase(), 1, count, file_) != count || std::fflush(file_) != 0) {
        error_ = errno != 0 ? errno : EIO;
      }
    }
    setp(buffer_.data(), buffer_.data() + buffer_.size());
    return error_ == 0;
  }

  std::FILE* file_;
  std::array<char, std::size_t{64} << 10> buffer_{};
  int error_ = 0;
};

int RunCommand(const std::vector<std::string>& args, Io& io) {
  if (args.empty()) {
    PrintUsage(io.err);
    return kExitUsage;
  }
  const std::string& first = args.front();
  if (first == "-h" || first == "--help" || first == "help") {
    PrintUsage(io.out);
    return kExitOk;
  }
  if (first == "--version") {
    io.out << kProgramName << ' ' << PLANDRIX_VERSION << '\n';
    return kExitOk;
  }
  for (const Command& command : kCommands) {
    if (command.name != first) continue;
    // Memory that runs out anywhere in a command ends it with a message, never an abort.
    // Whatever it had begun to save is gone by now: its temporary file went as the save
    // was left.
    try {
      return command.run(std::span(args).subspan(1), io);
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
    PrintError(io, std::string(command.name) + ": not enough memory");
    return kExitUsage;
  }
  PrintError(io, "unknown command '" + first + "' (see " + std::string(kProgramName) + " --help)");
  return kExitUsage;
}

}  // namespace

std::span<const Command> Commands() { return kCommands; }

}  // namespace plandrix::map_command

int main(int argc, char** argv) {
  using namespace plandrix::map_command;
  // A write beyond the file size limit (ulimit -f) must fail and be reported, with the
  // temporary file removed, rather than end the program.
  plandrix::platform::IgnoreFileSizeSignal();
  std::setvbuf(stdout, nullptr, _IONBF, 0);  // the pieces are collected here
  StandardOutput output(stdout);
  std::streambuf* const standard_output = std::cout.rdbuf(&output);
  Io io{std::cout, std::cerr};
  int status = kExitUsage;
  try {
    status = RunCommand(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc), io);
  } catch (const std::bad_alloc&) {
    PrintError(io, "not enough memory");
  }
  std::cout.flush();
  std::cout.rdbuf(standard_output);
  if (output.error() != 0) {
    PrintError(io, std::string("standard output: cannot be written (") +
                       std::strerror(output.error()) + ")");
    return kExitUsage;
  }
  return status;
}
