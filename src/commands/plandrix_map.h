// plandrix-map's commands as one table that serves both the dispatch and the listing of
// --help, and the whole command line run in process.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "commands/command.h"

namespace plandrix::commands {

// A command gets the arguments after its name and gives its exit status.
using Run = int (*)(std::span<const std::string> args, Io& io);

struct Command {
  std::string_view name;
  std::string_view summary;  // one line for the listing
  Run run;
};

// Every command, in the order of the listing.
std::span<const Command> Commands();

// Runs plandrix-map with the arguments after the program's name: the listing for --help,
// the version, or the command named first. Memory that runs out anywhere in a command
// ends it with a line and status 2, never an abort.
int RunPlandrixMap(std::span<const std::string> args, Io& io);

}  // namespace plandrix::commands
