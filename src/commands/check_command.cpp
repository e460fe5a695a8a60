// check: the findings of one or more maps, as the game's loader would see them.
#include <array>
#include <span>
#include <string>
#include <vector>

#include "commands/command.h"
#include "commands/map_files.h"
#include "inspect/map_check.h"
#include "inspect/map_report.h"

namespace plandrix::commands {
namespace {

constexpr std::string_view kCheckUsage =
    "Usage: plandrix-map check [--json] MAP...\n"
    "Lists, for each map, what makes the game refuse it or fail to start a match on it\n"
    "(errors) and what the game accepts but plays differently than a map maker expects\n"
    "(warnings), one line each:\n"
    "  MAP: error: TEXT [code]\n"
    "  MAP: warning: TEXT [code]\n"
    "or MAP: ok. The map wraps around in both directions, as the game's world does.\n\n"
    "Errors:\n"
    "  bad-signature         not a SettlersII map (no WORLD_V1.0 at the start)\n"
    "  too-short             the file ends inside the header or a block\n"
    "  bad-header-mark       no 10001 at offset 2342\n"
    "  zero-size             a width or height of 0\n"
    "  odd-height            an odd height (the game loads only even heights)\n"
    "  side-above-2048       a width or height above 2048\n"
    "  unknown-landscape     a landscape byte other than 0, 1 or 2\n"
    "  no-players            a player count of 0\n"
    "  too-many-players      a player count above 8\n"
    "  bad-block-header      a block header that is not 10000, 0, W, H, 1, W x H\n"
    "  missing-layer         a block the game reads is marked absent\n"
    "  no-end-mark           no final 0xFF after the blocks and animal records\n"
    "  unknown-terrain       terrain codes the map's landscape does not define\n"
    "  missing-headquarters  a player without a headquarters mark\n"
    "Warnings:\n"
    "  size-mismatch         the size at 30/32 differs from the one at 2348/2350\n"
    "  odd-block-multiplier  a block multiplier other than 0 or 1 (read as 1)\n"
    "  trailing-bytes        bytes after the final 0xFF (ignored)\n"
    "  height-above-60       heights above 60\n"
    "  duplicate-headquarters  two marks of one player (the game takes the last)\n"
    "  headquarters-too-close  two headquarters fewer than 18 steps apart\n"
    "  headquarters-not-castle  a headquarters that stands on no castle site\n"
    "  header-headquarters-differ  header positions (offsets 56/70) that are not the marks'\n"
    "  harbour-without-sea   a harbour place the game drops: no coast on a sea of 21 points\n"
    "  unknown-resource      resource bytes outside every range\n\n"
    "  --json   one JSON array of {\"file\", \"errors\", \"warnings\"} objects instead\n\n"
    "Exit status: 0 no map has an error, 1 a map has an error, 2 bad arguments or a file\n"
    "that cannot be read (this wins over 1).\n";

constexpr std::array<OptionRule, 1> kOptions = {{{"--json"}}};

// What check found over all the maps it was given.
struct Checked {
  std::string json_objects;  // the array's objects, with --json
  bool error = false;        // a map has an error
  bool unreadable = false;   // a file could not be read
};

// Checks every map in turn: a file that cannot be read is reported on err and left out.
Checked CheckEach(const Arguments& arguments, Io& io) {
  const bool json = arguments.Has("--json");
  Checked checked;
  for (const std::string& path : arguments.positional) {
    auto file = ReadMapPart(path);
    if (!file) {
      Finish(io, file.stop());
      checked.unreadable = true;
      continue;
    }
    const std::vector<Finding> findings = CheckMap(file->bytes, file->trailing_bytes);
    checked.error = checked.error || HasError(findings);
    if (json) {
      checked.json_objects +=
          (checked.json_objects.empty() ? "  " : ",\n  ") + FindingsJson(path, findings);
    } else {
      PrintFindings(io.out, path, findings);
    }
  }
  return checked;
}

}  // namespace

int RunCheck(std::span<const std::string> args, Io& io) {
  const auto arguments = ParseArguments(args, kOptions, "check", kCheckUsage, io);
  if (!arguments) return Finish(io, arguments.stop());
  if (arguments->positional.empty()) {
    return Finish(io, Stop{kExitUsage, "check: no map given (see plandrix-map check --help)"});
  }
  const Checked checked = CheckEach(*arguments, io);
  if (arguments->Has("--json")) {
    io.out << "[\n" << checked.json_objects << (checked.json_objects.empty() ? "" : "\n") << "]\n";
  }
  // A file that could not be read wins over a map with an error.
  if (checked.unreadable) return kExitUsage;
  return checked.error ? kExitFindings : kExitOk;
}

}  // namespace plandrix::commands
