// balance: whether a map is fair and playable, by the game's own rules.
#include <array>
#include <charconv>
#include <span>
#include <string>
#include <system_error>
#include <vector>

#include "commands/command.h"
#include "commands/map_files.h"
#include "inspect/balance.h"
#include "inspect/map_check.h"

namespace plandrix::commands {
namespace {

constexpr std::string_view kCommand = "balance";
constexpr std::string_view kBalanceUsage =
    "Usage: plandrix-map balance [--json] [--radius R] MAP\n"
    "Measures whether a map is fair, by the game's own rules. Each headquarters walks\n"
    "outwards; a vertex belongs to the one it reaches in the fewest steps (the lower\n"
    "player on a tie), within R steps (default 24); a vertex no one can walk on (granite,\n"
    "water) joins the home of its nearest walkable neighbour within R - 1 steps. Per\n"
    "player: area, castle, house, hut, mine and harbour sites (building quality as the\n"
    "game works it out), trees that give wood, stones, coal, iron, gold and granite\n"
    "(amounts), fish and water (vertices), the steps to the nearest other headquarters\n"
    "and to the nearest mine site. Fairness per measure is the weakest over the\n"
    "strongest player (1.000 when all are equal); the overall fairness is the lowest of\n"
    "castle + house, mine, trees, stones, coal, iron, gold and granite. Pairs of players\n"
    "who cannot walk to each other are listed, with whether a harbour site of each home\n"
    "lies on one sea. A map of fewer than two players has no fairness, which is no error.\n\n"
    "  --json       one JSON object instead: file, radius, sites, players, fairness\n"
    "               (null for fewer than two players), unreachable\n"
    "  --radius R   the steps a home reaches, 0 to 1000 (default 24)\n\n"
    "Exit status: 0 measured, 1 the map has an error that check reports (the game\n"
    "refuses it), 2 bad arguments, a file that cannot be read, or memory that runs out.\n";

constexpr std::array<OptionRule, 2> kOptions = {{{"--json"}, {"--radius", true}}};
constexpr std::uint32_t kMostRadius = 1000;

Step<std::uint32_t> Radius(const Arguments& arguments) {
  const auto text = arguments.Value("--radius");
  if (!text) return kDefaultHomeRadius;
  std::uint32_t value = 0;
  const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), value);
  if (text->empty() || error != std::errc() || end != text->data() + text->size() ||
      value > kMostRadius) {
    return Stop{kExitUsage, std::string(kCommand) + ": --radius takes 0 to 1000, not " +
                                Quoted(*text) + " (see --help)"};
  }
  return value;
}

// A map the game refuses is not measured: check names why.
Step<Done> Loadable(const std::string& path) {
  auto part = ReadMapPart(path);
  if (!part) return part.stop();
  if (HasError(CheckMap(part->bytes, part->trailing_bytes))) {
    return Stop{kExitFindings, std::string(kCommand) + ": " + path +
                                   ": the game refuses this map (see plandrix-map check " + path +
                                   ")"};
  }
  return Done{};
}

}  // namespace

int RunBalance(std::span<const std::string> args, Io& io) {
  const auto arguments = ParseArguments(args, kOptions, kCommand, kBalanceUsage, io);
  if (!arguments) return Finish(io, arguments.stop());
  const auto path = OneMap(*arguments, kCommand, "--help");
  if (!path) return Finish(io, path.stop());
  const auto radius = Radius(*arguments);
  if (!radius) return Finish(io, radius.stop());
  if (const auto loadable = Loadable(*path); !loadable) return Finish(io, loadable.stop());
  const auto map = LoadMap({*path, kCommand});
  if (!map) return Finish(io, map.stop());
  const auto report = MeasureBalance(map->image(), *radius);
  if (!report) return Finish(io, Stop{kExitUsage, std::string(kCommand) + ": not enough memory"});
  if (arguments->Has("--json")) {
    io.out << BalanceJson(*report, *path) << '\n';
  } else {
    io.out << "map           " << *path << '\n';
    PrintBalance(io.out, *report);
  }
  return kExitOk;
}

}  // namespace plandrix::commands
