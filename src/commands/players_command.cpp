// players: a copy of a map with its players and their headquarters.
#include <array>
#include <charconv>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <system_error>
#include <vector>

#include "commands/command.h"
#include "commands/map_files.h"
#include "core/map_format.h"
#include "core/map_grid.h"
#include "core/terrain.h"
#include "inspect/players.h"

namespace plandrix::commands {
namespace {

constexpr std::string_view kCommand = "players";
constexpr std::uint32_t kDefaultSeed = 12345678;
constexpr std::string_view kPlayersUsage =
    "Usage: plandrix-map players MAP (--hq X,Y [--hq X,Y ...] | --auto N) [--seed S]\n"
    "                   [-o OUT]\n\n"
    "Gives MAP its players (1 to 8): one headquarters per --hq position, or N chosen on\n"
    "castle sites (the building quality the game works out for the map as it is) as far\n"
    "from each other as the map allows, counted the shortest way around the map (the\n"
    "game's world wraps around), then with as much open land around each as that leaves;\n"
    "the same map, N and seed (default 12345678) give the same places, and the steps\n"
    "between the nearest two are printed. A typed position on a triangle no one may walk\n"
    "on (water, swamp, lava, snow) is refused, one on no castle site warned about.\n"
    "Earlier headquarters marks are removed; trees, granite and objects\n"
    "on each headquarters and its six neighbours are cleared. The header holds seven\n"
    "positions: an eighth player has only its mark, which is what the game reads. A map\n"
    "of odd height, which the game cannot load, is refused. Writes \"n\" followed by the\n"
    "map's file name in the map's folder unless -o names another file.\n";

constexpr std::array<OptionRule, 4> kOptions = {
    {{"--hq", true}, {"--auto", true}, {"--seed", true}, {"-o", true, "--output"}}};
// What players changes besides the header: the marks and the cleared objects.
constexpr std::array<int, 2> kChangedBlocks = {kObjectIndexBlock, kObjectTypeBlock};

std::string Describe(Point p) { return std::to_string(p.x) + "," + std::to_string(p.y); }

// "X,Y" with X and Y decimal numbers up to 65535.
std::optional<Point> ParsePosition(const std::string& text) {
  const std::size_t comma = text.find(',');
  if (comma == std::string::npos) return std::nullopt;
  const auto number = [](std::string_view part) -> std::optional<std::size_t> {
    unsigned value = 0;
    const auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), value);
    if (part.empty() || error != std::errc() || end != part.data() + part.size() || value > 65535) {
      return std::nullopt;
    }
    return value;
  };
  const auto x = number(std::string_view(text).substr(0, comma));
  const auto y = number(std::string_view(text).substr(comma + 1));
  if (!x || !y) return std::nullopt;
  return Point{*x, *y};
}

std::optional<std::uint32_t> ParseNumber(const std::string& text, std::uint32_t most) {
  std::uint32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || value > most) {
    return std::nullopt;
  }
  return value;
}

std::string PlaceProblemText(std::span<const std::uint8_t> image,
                             const inspect::PlaceCheck& check) {
  const Landscape landscape = LandscapeOf(image[kLandscapeOffset]).value_or(Landscape::kGreenland);
  switch (check.problem) {
    case inspect::PlaceProblem::kOutsideMap:
      return "lies outside the map";
    case inspect::PlaceProblem::kUnusableGround: {
      const std::string_view name = TerrainOf(landscape, check.code).name;
      return "touches " + std::string(name.empty() ? "an unknown terrain" : name) + " (terrain " +
             std::to_string(TerrainCode(check.code)) + "), where no one may walk";
    }
    case inspect::PlaceProblem::kTaken:
      return "is already another player's headquarters";
    case inspect::PlaceProblem::kNone:
      break;
  }
  return {};
}

// The headquarters that the options ask for, with a warning for each typed one on no
// castle site; or why there are none.
struct Wanted {
  std::vector<Point> positions;
  std::vector<std::string> warnings;
};

Step<Wanted> WantedHeadquarters(const Arguments& arguments, const LoadedMap& map) {
  const std::string prefix = std::string(kCommand) + ": " + map.path();
  if (const auto count_text = arguments.Value("--auto")) {
    const std::uint32_t seed =
        arguments.Has("--seed")
            ? *ParseNumber(*arguments.Value("--seed"), std::numeric_limits<std::uint32_t>::max())
            : kDefaultSeed;
    const std::size_t count = *ParseNumber(*count_text, kMostPlayers);
    auto chosen = inspect::ChooseHeadquarters(map.image(), count, seed);
    if (!chosen) {
      return Stop{kExitFindings,
                  prefix + ": only " + std::to_string(inspect::CountCastleSites(map.image())) +
                      " castle sites for " + std::to_string(count) + " players; nothing written"};
    }
    return Wanted{std::move(chosen->positions), {}};
  }
  Wanted typed;
  for (const std::string& text : arguments.options.at("--hq")) {
    const Point position = *ParsePosition(text);
    const inspect::PlaceCheck check =
        inspect::CheckHeadquartersPlace(map.image(), position, typed.positions);
    if (check.problem != inspect::PlaceProblem::kNone) {
      return Stop{kExitFindings, prefix + ": headquarters " + Describe(position) + " " +
                                     PlaceProblemText(map.image(), check) + "; nothing written"};
    }
    if (!check.castle_site) {
      typed.warnings.push_back("headquarters " + Describe(position) +
                               " stands on no castle site: the game builds it there all the "
                               "same and levels the ground");
    }
    typed.positions.push_back(position);
  }
  return typed;
}

// Checks the form of the options before any file is read.
Step<Done> CheckOptions(const Arguments& arguments) {
  const auto fail = [](const std::string& text) {
    return Stop{kExitUsage, "players: " + text + " (see --help)"};
  };
  const bool typed = arguments.Has("--hq");
  if (typed == arguments.Has("--auto")) return fail("give either --hq positions or --auto N");
  if (arguments.Has("--seed") && typed) return fail("--seed goes with --auto only");
  if (const auto seed = arguments.Value("--seed");
      seed && !ParseNumber(*seed, std::numeric_limits<std::uint32_t>::max())) {
    return fail("--seed takes a number from 0 to 4294967295, not '" + *seed + "'");
  }
  if (const auto count = arguments.Value("--auto");
      count && (!ParseNumber(*count, kMostPlayers) || *ParseNumber(*count, kMostPlayers) == 0)) {
    return fail("--auto takes a number of players from 1 to 8, not '" + *count + "'");
  }
  if (!typed) return Done{};
  const auto& positions = arguments.options.at("--hq");
  if (positions.size() > kMostPlayers) return fail("at most 8 headquarters");
  for (const std::string& text : positions) {
    if (!ParsePosition(text))
      return fail("--hq takes X,Y (numbers up to 65535), not '" + text + "'");
  }
  return Done{};
}

void Report(const std::string& output, std::span<const Point> headquarters, const LoadedMap& map,
            Io& io) {
  io.out << output << ": " << headquarters.size() << " players";
  if (headquarters.size() > 1) {
    const MapGrid grid(map.width(), map.height());
    io.out << ", the nearest two " << inspect::NearestApart(grid, headquarters)
           << " steps apart the shortest way around the map";
  }
  io.out << '\n';
  for (std::size_t p = 0; p < headquarters.size(); ++p) {
    io.out << "player " << p << ": headquarters at " << Describe(headquarters[p]) << '\n';
  }
}

}  // namespace

int RunPlayers(std::span<const std::string> args, Io& io) {
  const auto arguments = ParseArguments(args, kOptions, kCommand, kPlayersUsage, io);
  if (!arguments) return Finish(io, arguments.stop());
  const auto path = OneMap(*arguments, kCommand, "--help");
  if (!path) return Finish(io, path.stop());
  if (const auto options = CheckOptions(*arguments); !options) return Finish(io, options.stop());
  auto map = LoadMap({*path, kCommand, Reading::kWholeFile});
  if (!map) return Finish(io, map.stop());
  if (map->height() % 2 != 0) {
    return Finish(io, Stop{kExitFindings, std::string(kCommand) + ": " + *path + ": the height " +
                                              std::to_string(map->height()) +
                                              " is odd, and the game loads only maps of an even "
                                              "height; nothing written"});
  }
  const auto wanted = WantedHeadquarters(*arguments, *map);
  if (!wanted) return Finish(io, wanted.stop());
  for (const std::string& warning : wanted->warnings) PrintWarning(io, kCommand, warning);
  const std::vector<Point>& headquarters = wanted->positions;
  inspect::SetPlayers(map->image(), headquarters);
  const std::string output = arguments->Value("-o").value_or(CopyName(*path));
  const auto written = WriteOutput(output, *path, map->FileWithChanges(kChangedBlocks), kCommand);
  if (!written) return Finish(io, written.stop());
  Report(output, headquarters, *map, io);
  return kExitOk;
}

}  // namespace plandrix::commands
