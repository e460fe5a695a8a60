#include "commands/plandrix_map.h"

#include <array>
#include <new>
#include <stdexcept>

namespace plandrix::commands {

// Each command's file defines its run.
int RunCheck(std::span<const std::string> args, Io& io);
int RunStats(std::span<const std::string> args, Io& io);
int RunPreview(std::span<const std::string> args, Io& io);
int RunExportHeights(std::span<const std::string> args, Io& io);
int RunExportTerrain(std::span<const std::string> args, Io& io);
int RunPlayers(std::span<const std::string> args, Io& io);
int RunSet(std::span<const std::string> args, Io& io);
int RunBalance(std::span<const std::string> args, Io& io);
int RunGenerate(std::span<const std::string> args, Io& io);

namespace {

constexpr std::array<Command, 9> kCommands = {{
    {"check", "list what keeps the game from loading or playing a map", RunCheck},
    {"stats", "count what is on a map", RunStats},
    {"balance", "measure whether a map is fair, by the game's own rules", RunBalance},
    {"preview", "draw a map as a PNG picture", RunPreview},
    {"export-heights", "write the heights as an 8-bit grey bitmap", RunExportHeights},
    {"export-terrain", "write the terrain as a 4-bit bitmap", RunExportTerrain},
    {"players", "set the players and their headquarters", RunPlayers},
    {"set", "write the title, author or landscape into a copy", RunSet},
    {"generate", "make a natural, fair map from a seed", RunGenerate},
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

}  // namespace

std::span<const Command> Commands() { return kCommands; }

int RunPlandrixMap(std::span<const std::string> args, Io& io) {
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
    // Whatever the command had begun to save is gone by now: its temporary file went as
    // the save was left.
    try {
      return command.run(args.subspan(1), io);
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
    return Finish(io, Stop{kExitUsage, std::string(command.name) + ": not enough memory"});
  }
  return Finish(io, Stop{kExitUsage, "unknown command '" + first + "' (see " +
                                         std::string(kProgramName) + " --help)"});
}

}  // namespace plandrix::commands
