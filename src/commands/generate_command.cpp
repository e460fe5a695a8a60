// generate: a natural, fair map from a seed.
#include <array>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <system_error>
#include <utility>

#include "commands/command.h"
#include "commands/map_files.h"
#include "core/map_format.h"
#include "core/terrain.h"
#include "generate/generate_map.h"

namespace plandrix::commands {
namespace {

using generate::Style;
using generate::Symmetry;

constexpr std::string_view kCommand = "generate";
constexpr std::string_view kGenerateUsage =
    "Usage: plandrix-map generate [-o OUT] [--size WxH] [--players N] [--seed S]\n"
    "                             [--style land|islands|mixed]\n"
    "                             [--landscape greenland|wasteland|winter]\n"
    "                             [--symmetry none|mirror|rotate]\n"
    "                             [--mountains near|normal|far] [--title T] [--force]\n"
    "Makes a new map: natural land from a smooth noise that joins across the map's edges\n"
    "(the game's world wraps around), terrain by height and moisture, ores in the\n"
    "mountains, fish by the shores, forests, granite and animals, and the players'\n"
    "headquarters on castle sites spread the shortest way around the map, each with a\n"
    "mine site within reach and a starting kit in its first territory (8 trees, 2 granite\n"
    "piles, 6 sites for large buildings). Eight placements are tried and the fairest by\n"
    "the game's own rules kept (see plandrix-map balance). The same arguments give the\n"
    "same bytes on every system.\n\n"
    "  -o, --output OUT   the map (default: generated-SEED.swd); an existing file is\n"
    "                     replaced only with --force\n"
    "  --size WxH         width and height, 32 to 2048, the height even (default 256x256)\n"
    "  --players N        1 to 8 (default 4)\n"
    "  --seed S           0 to 4294967295 (default: a new one, printed to share)\n"
    "  --style S          land (about 15 % water, the default), islands (a home island\n"
    "                     for each player, about 70 % water) or mixed (about 40 %)\n"
    "  --landscape L      greenland (default), wasteland or winter\n"
    "  --symmetry S       none (default), mirror or rotate: the players' parts of the map\n"
    "                     the same, mirrored or turned, for an even number of players\n"
    "                     (with 4 or 8, mirrored both ways)\n"
    "  --mountains M      a mine site within near (8), normal (15, default) or far (25)\n"
    "                     steps of every headquarters\n"
    "  --title T          the title, at most 19 printable ASCII characters (default:\n"
    "                     \"Seed S\")\n\n"
    "Exit status: 0 written, 1 no map could be made, 2 bad arguments, an output that\n"
    "exists (without --force) or cannot be written, or memory that runs out.\n";

constexpr std::array<OptionRule, 10> kOptions = {{{"-o", true, "--output"},
                                                  {"--size", true},
                                                  {"--players", true},
                                                  {"--seed", true},
                                                  {"--style", true},
                                                  {"--landscape", true},
                                                  {"--symmetry", true},
                                                  {"--mountains", true},
                                                  {"--title", true},
                                                  {"--force"}}};

template <class T>
struct Word {
  std::string_view word;
  T value;
};
constexpr std::array<Word<Style>, 3> kStyles = {
    {{"land", Style::kLand}, {"islands", Style::kIslands}, {"mixed", Style::kMixed}}};
constexpr std::array<Word<Landscape>, 3> kLandscapes = {{{"greenland", Landscape::kGreenland},
                                                         {"wasteland", Landscape::kWasteland},
                                                         {"winter", Landscape::kWinter}}};
constexpr std::array<Word<Symmetry>, 3> kSymmetries = {
    {{"none", Symmetry::kNone}, {"mirror", Symmetry::kMirror}, {"rotate", Symmetry::kRotate}}};
constexpr std::array<Word<std::uint32_t>, 3> kMountains = {{{"near", generate::kMountainsNear},
                                                            {"normal", generate::kMountainsNormal},
                                                            {"far", generate::kMountainsFar}}};

std::optional<std::uint32_t> Number(std::string_view text) {
  std::uint32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

struct Request {
  generate::MapOptions map;
  std::string output;
  bool force = false;
};

// The value of option name among words, the default when it is not given; or why not.
template <class T, std::size_t N>
Step<T> Choice(const Arguments& arguments, std::string_view name,
               const std::array<Word<T>, N>& words, T fallback) {
  const auto given = arguments.Value(name);
  if (!given) return fallback;
  std::string listed;
  for (const Word<T>& word : words) {
    if (word.word == *given) return word.value;
    listed += (listed.empty() ? "" : ", ") + std::string(word.word);
  }
  return Stop{kExitUsage, std::string(kCommand) + ": " + std::string(name) + " takes " + listed +
                              ", not " + Quoted(*given) + " (see --help)"};
}

Step<Done> ReadSize(const Arguments& arguments, generate::WorldOptions& world) {
  const std::string size = arguments.Value("--size").value_or("256x256");
  const std::size_t x = size.find('x');
  const auto width = Number(std::string_view(size).substr(0, x));
  const auto height = x == std::string::npos ? std::nullopt : Number(size.substr(x + 1));
  const auto fail = [&](const std::string& why) {
    return Stop{kExitUsage, std::string(kCommand) + ": --size " + Quoted(size) + ": " + why};
  };
  if (!width || !height) return fail("give the width and height as WxH, such as 256x256");
  if (*width < 32 || *width > 2048 || *height < 32 || *height > 2048) {
    return fail("width and height go from 32 to 2048, the sides the game plays");
  }
  if (*height % 2 != 0) return fail("the height must be even: the game loads no other");
  world.width = *width;
  world.height = *height;
  return Done{};
}

Step<Done> ReadNumbers(const Arguments& arguments, Request& request) {
  generate::WorldOptions& world = request.map.world;
  const auto players = Number(arguments.Value("--players").value_or("4"));
  if (!players || *players < 1 || *players > kMostPlayers) {
    return Stop{kExitUsage, std::string(kCommand) + ": --players takes 1 to 8, not " +
                                Quoted(*arguments.Value("--players")) + " (see --help)"};
  }
  world.players = *players;
  if (const auto seed = arguments.Value("--seed")) {
    const auto value = Number(*seed);
    if (!value) {
      return Stop{kExitUsage, std::string(kCommand) + ": --seed takes 0 to 4294967295, not " +
                                  Quoted(*seed) + " (see --help)"};
    }
    world.seed = *value;
  } else {
    world.seed = std::random_device{}();  // printed, so that the map can be made again
  }
  return Done{};
}

Step<Request> ParseRequest(std::span<const std::string> args, Io& io) {
  const auto arguments = ParseArguments(args, kOptions, kCommand, kGenerateUsage, io);
  if (!arguments) return arguments.stop();
  if (!arguments->positional.empty()) {
    return Stop{kExitUsage, std::string(kCommand) + ": takes no map; name the output with -o"};
  }
  Request request;
  if (const auto size = ReadSize(*arguments, request.map.world); !size) return size.stop();
  if (const auto numbers = ReadNumbers(*arguments, request); !numbers) return numbers.stop();
  const auto style = Choice(*arguments, "--style", kStyles, Style::kLand);
  const auto landscape = Choice(*arguments, "--landscape", kLandscapes, Landscape::kGreenland);
  const auto symmetry = Choice(*arguments, "--symmetry", kSymmetries, Symmetry::kNone);
  const auto mountains = Choice(*arguments, "--mountains", kMountains, generate::kMountainsNormal);
  if (!style) return style.stop();
  if (!landscape) return landscape.stop();
  if (!symmetry) return symmetry.stop();
  if (!mountains) return mountains.stop();
  request.map.world.style = *style;
  request.map.world.landscape = *landscape;
  request.map.world.symmetry = *symmetry;
  // A symmetric map shares its land among two or four equal parts, each with the same
  // number of players; an odd number cannot be shared so, and the map would be unfair.
  if (*symmetry != Symmetry::kNone && request.map.world.players % 2 != 0) {
    return Stop{kExitUsage, std::string(kCommand) + ": --symmetry " +
                                std::string(kSymmetries[static_cast<std::size_t>(*symmetry)].word) +
                                " needs an even number of players, not " +
                                std::to_string(request.map.world.players)};
  }
  request.map.mountain_steps = *mountains;
  const std::string seed = std::to_string(request.map.world.seed);
  request.map.title = arguments->Value("--title").value_or("Seed " + seed);
  if (!IsValidHeaderText(request.map.title)) {
    return Stop{kExitUsage,
                std::string(kCommand) + ": the title holds at most 19 printable ASCII characters"};
  }
  request.output = arguments->Value("-o").value_or("generated-" + seed + ".swd");
  request.force = arguments->Has("--force");
  return request;
}

void Report(const Request& request, const generate::GeneratedMap& map, Io& io) {
  const generate::WorldOptions& world = request.map.world;
  io.out << request.output << ": " << world.width << " x " << world.height << ", "
         << kStyles[static_cast<std::size_t>(world.style)].word << ", "
         << kLandscapeNames[static_cast<std::size_t>(world.landscape)] << ", "
         << map.headquarters.size() << (map.headquarters.size() == 1 ? " player" : " players")
         << ", seed " << world.seed << '\n';
  if (map.fairness) {
    io.out << "fairness " << RatioText(map.fairness->overall)
           << " (weakest: " << kFairnessNames[map.fairness->weakest] << ")"
           << (!map.reachable ? "; not every player can reach every other\n"
               : map.by_ship  ? "; every player can reach every other, some only by ship\n"
                              : "; every player can walk to every other\n");
  }
  if (map.farthest_mine > request.map.mountain_steps) {
    io.out << "no castle site had a mine site within " << request.map.mountain_steps
           << " steps; the farthest headquarters has one " << map.farthest_mine << " steps away\n";
  }
  for (std::size_t p = 0; p < map.headquarters.size(); ++p) {
    io.out << "player " << p << ": headquarters at " << map.headquarters[p].x << ','
           << map.headquarters[p].y << '\n';
  }
}

}  // namespace

int RunGenerate(std::span<const std::string> args, Io& io) {
  const auto request = ParseRequest(args, io);
  if (!request) return Finish(io, request.stop());
  std::error_code error;
  if (!request->force && std::filesystem::exists(request->output, error)) {
    return Finish(io, Stop{kExitUsage, std::string(kCommand) + ": " + request->output +
                                           " exists; give --force to replace it"});
  }
  const generate::GeneratedMap map = generate::GenerateMap(request->map);
  if (map.image.empty()) {
    return Finish(io, Stop{kExitFindings, std::string(kCommand) + ": " + map.problem});
  }
  const int saved = SaveFile(request->output, map.image);
  if (saved != 0) {
    return Finish(io, Stop{kExitUsage,
                           request->output + ": cannot be written (" + std::strerror(saved) + ")"});
  }
  Report(*request, map, io);
  return kExitOk;
}

}  // namespace plandrix::commands
