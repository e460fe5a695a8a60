// stats: what is on a map.
#include <array>
#include <span>
#include <string>

#include "commands/command.h"
#include "commands/map_files.h"
#include "inspect/map_report.h"
#include "inspect/map_stats.h"

namespace plandrix::commands {
namespace {

constexpr std::string_view kStatsUsage =
    "Usage: plandrix-map stats [--json] MAP\n"
    "Prints the title, author, size, landscape, players and heights of a map, the\n"
    "triangles of each terrain code (both terrain blocks, named as the map's landscape\n"
    "names them), the trees, granite, other objects, headquarters and each player's\n"
    "headquarters position (the mark the game starts it from), the animals, and the\n"
    "vertices of each resource kind.\n\n"
    "  --json   one JSON object with the keys title, author, width, height, landscape,\n"
    "           players, height_min, height_max, terrain, trees, granite, objects,\n"
    "           headquarters, marks ([{player, x, y}]), animals, resources\n\n"
    "Exit status: 0 done, 1 the file is too short for the map it states, 2 bad arguments\n"
    "or a file that cannot be read.\n";

constexpr std::array<OptionRule, 1> kOptions = {{{"--json"}}};

}  // namespace

int RunStats(std::span<const std::string> args, Io& io) {
  const auto arguments = ParseArguments(args, kOptions, "stats", kStatsUsage, io);
  if (!arguments) return Finish(io, arguments.stop());
  const auto path = OneMap(*arguments, "stats", "plandrix-map stats --help");
  if (!path) return Finish(io, path.stop());
  const auto map = LoadMap({*path, "stats", Reading::kMapPart, Naming::kSeeCheck, false});
  if (!map) return Finish(io, map.stop());
  const auto stats = CountMap(map->image());
  if (!stats) {
    return Finish(io, Stop{kExitFindings, *path +
                                              ": too short for the map it states (see "
                                              "plandrix-map check " +
                                              *path + ")"});
  }
  if (arguments->Has("--json")) {
    io.out << StatsJson(*stats) << '\n';
  } else {
    io.out << "map           " << *path << '\n';
    PrintStats(io.out, *stats);
  }
  return kExitOk;
}

}  // namespace plandrix::commands
