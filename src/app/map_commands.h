// The subcommands of plandrix-map and what they share: the table that serves both the
// dispatch and the help listing, argument parsing, reading a map named on the command
// line and writing an output file.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/large_buffer.h"
#include "core/map_file.h"

namespace plandrix::map_command {

inline constexpr std::string_view kProgramName = "plandrix-map";

// Exit statuses of every subcommand.
inline constexpr int kExitOk = 0;        // done; for check: no map has an error
inline constexpr int kExitFindings = 1;  // check: a map has an error; others: refused
// bad arguments, a file that cannot be read or written, or memory that runs out
inline constexpr int kExitUsage = 2;

// Where a subcommand prints: results on out, messages on err.
struct Io {
  std::ostream& out;
  std::ostream& err;
};

// A subcommand gets the arguments after its name.
using Run = int (*)(std::span<const std::string> args, Io& io);

struct Command {
  std::string_view name;
  std::string_view summary;  // one line for the listing
  Run run;
};

int RunCheck(std::span<const std::string> args, Io& io);
int RunStats(std::span<const std::string> args, Io& io);
int RunPreview(std::span<const std::string> args, Io& io);
int RunExportHeights(std::span<const std::string> args, Io& io);
int RunExportTerrain(std::span<const std::string> args, Io& io);
int RunPlayers(std::span<const std::string> args, Io& io);
int RunSet(std::span<const std::string> args, Io& io);

// Every subcommand, in the order of the listing.
std::span<const Command> Commands();

// An option of a subcommand: "--json", "-o" (with takes_value, the next argument or the
// part after "=" is its value). An option may be given more than once.
struct OptionRule {
  std::string_view name;
  bool takes_value = false;
  std::string_view alias = {};  // another name for it, such as "--output" for "-o"
};

struct Arguments {
  std::vector<std::string> positional;
  std::map<std::string, std::vector<std::string>, std::less<>> options;  // by OptionRule::name
  bool help = false;                                                     // -h or --help

  bool Has(std::string_view name) const { return options.find(name) != options.end(); }
  // The last value given for name, if any.
  std::optional<std::string> Value(std::string_view name) const;
};

// Parses args against rules; "--" ends the options. Prints "plandrix-map COMMAND: ..." on
// err and gives nothing for an unknown option or a missing value.
std::optional<Arguments> ParseArguments(std::span<const std::string> args,
                                        std::span<const OptionRule> rules, std::string_view command,
                                        Io& io);

// Prints one message line "plandrix-map: TEXT" on err.
void PrintError(Io& io, std::string_view text);

// Reads the file at path whole, for a command that writes a copy of the map with every
// byte; prints why on err and gives nothing when it cannot (missing, not a regular file,
// refused by the system, too large for memory).
std::optional<LargeBuffer> ReadInput(const std::string& path, Io& io);

// Reads what a command that only looks at the map needs (ReadMapPrefix: the map part
// and the count of bytes after it); prints why on err and gives nothing when it cannot.
std::optional<MapFileBytes> ReadMapPart(const std::string& path, Io& io);

// Prints "NAME: not a SettlersII map ..." and gives true when bytes hold a header's length
// but do not begin with the signature of a world map (ReadMapPrefix read no further).
bool RefuseOtherFile(std::span<const std::uint8_t> bytes, const std::string& name, Io& io);

// Writes bytes to path with SaveFile (an earlier file replaced in one step through a
// temporary file, a device or a named pipe written into); prints why on err and gives
// false when that failed.
bool WriteOutput(const std::string& path, std::span<const std::uint8_t> bytes, Io& io);

// The path of name with its extension replaced by extension ("maps/a.swd" -> "maps/a.png").
std::string WithExtension(const std::string& name, std::string_view extension);

}  // namespace plandrix::map_command
