// plandrix-map: the command-line companion of the menu program. One table of
// subcommands serves both the dispatch and the listing of --help.
#include <array>
#include <iostream>
#include <span>
#include <string>
#include <vector>

#include "app/map_commands.h"

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
  out << "\nExit status: 0 done, 1 a map has errors or was refused, 2 bad arguments or a\n"
      << "file that cannot be read.\n";
}

}  // namespace

std::span<const Command> Commands() { return kCommands; }

}  // namespace plandrix::map_command

int main(int argc, char** argv) {
  using namespace plandrix::map_command;
  Io io{std::cout, std::cerr};
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  if (args.empty()) {
    PrintUsage(std::cerr);
    return kExitUsage;
  }
  const std::string& first = args.front();
  if (first == "-h" || first == "--help" || first == "help") {
    PrintUsage(std::cout);
    return kExitOk;
  }
  if (first == "--version") {
    std::cout << kProgramName << ' ' << PLANDRIX_VERSION << '\n';
    return kExitOk;
  }
  for (const Command& command : Commands()) {
    if (command.name == first) {
      const int status = command.run(std::span(args).subspan(1), io);
      std::cout.flush();
      return std::cout ? status : kExitUsage;
    }
  }
  PrintError(io, "unknown command '" + first + "' (see " + std::string(kProgramName) + " --help)");
  return kExitUsage;
}
