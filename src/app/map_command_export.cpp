// export-heights, export-terrain and players.
#include <array>
#include <charconv>
#include <filesystem>
#include <limits>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "app/map_commands.h"
#include "core/map_file.h"
#include "core/map_layout.h"
#include "core/terrain.h"
#include "inspect/bitmap_export.h"
#include "inspect/players.h"

namespace plandrix::map_command {
namespace {

using inspect::Vertex;

constexpr std::array<OptionRule, 1> kExportOptions = {{{"-o", true, "--output"}}};
constexpr std::array<OptionRule, 4> kPlayersOptions = {
    {{"--hq", true}, {"--auto", true}, {"--seed", true}, {"-o", true, "--output"}}};

constexpr std::string_view kExportHeightsUsage =
    "Usage: plandrix-map export-heights MAP [-o OUT.bmp]\n\n"
    "Writes the heights of MAP as an 8-bit grey bitmap of the map's size (default: the\n"
    "map's name with .heights.bmp) whose pixel is 4 x the height of its vertex. The menu\n"
    "program's height-map tool (option 9, answering no to the black question and to the\n"
    "offer of help) gives these heights back exactly when the width is a multiple of 4.\n"
    "A map with a height above 63 is refused.\n";
constexpr std::string_view kExportTerrainUsage =
    "Usage: plandrix-map export-terrain MAP [-o OUT.bmp]\n\n"
    "Writes the terrain of MAP as a 4-bit bitmap of the map's size (default: the map's\n"
    "name with .terrain.bmp) in the colours of the terrain, whose colour numbers make the\n"
    "menu program's bitmap conversion (option 2) paint the map's terrain as far as its\n"
    "painting allows. Says how many triangles the conversion will give back, and how many\n"
    "hold a terrain that no colour paints (they come back as water).\n";
constexpr std::string_view kPlayersUsage =
    "Usage: plandrix-map players MAP (--hq X,Y [--hq X,Y ...] | --auto N) [--seed S]\n"
    "                   [-o OUT]\n\n"
    "Gives MAP its players: one headquarters per --hq position, or N (1 to 7) chosen on\n"
    "open land (meadow, savannah, steppe, flower meadow, mountain meadow, desert) as far\n"
    "from each other, from the edge and from other ground as the map allows; the same map,\n"
    "N and seed (default 12345678) give the same places. Trees, granite and objects on\n"
    "each headquarters and its six neighbours are cleared. Writes \"n\" followed by the\n"
    "map's file name in the map's folder unless -o names another file.\n";

std::string Describe(Vertex v) { return std::to_string(v.x) + "," + std::to_string(v.y); }

// The parsed arguments of a command of one map, or the exit status when parsing ended.
struct OneMap {
  Arguments arguments;
  std::string map;
};
std::optional<OneMap> ParseOneMap(std::span<const std::string> args,
                                  std::span<const OptionRule> rules, std::string_view command,
                                  std::string_view usage, Io& io, int& status) {
  const auto parsed = ParseArguments(args, rules, command, io);
  status = kExitUsage;
  if (!parsed) return std::nullopt;
  if (parsed->help) {
    io.out << usage;
    status = kExitOk;
    return std::nullopt;
  }
  if (parsed->positional.size() != 1) {
    PrintError(io, std::string(command) + ": give exactly one map (see --help)");
    return std::nullopt;
  }
  return OneMap{*parsed, parsed->positional.front()};
}

// Reads a map named on the command line and makes sure it holds every block of its size:
// the whole file for a command that writes a copy of the map, else its map part.
std::optional<LargeBuffer> LoadMapFile(const std::string& path, std::string_view command, Io& io,
                                       int& status, bool whole_file = false) {
  status = kExitUsage;
  std::optional<LargeBuffer> image;
  if (whole_file) {
    image = ReadInput(path, io);
  } else if (auto part = ReadMapPart(path, io)) {
    image = std::move(part->bytes);
  }
  if (!image) return std::nullopt;
  status = kExitFindings;
  if (RefuseOtherFile(*image, std::string(command) + ": " + path, io)) return std::nullopt;
  const std::string prefix = std::string(command) + ": " + path + ": ";
  if (image->size() < kHeaderSize) {
    PrintError(
        io, prefix + "not a map: shorter than the " + std::to_string(kHeaderSize) + "-byte header");
    return std::nullopt;
  }
  const std::size_t width = MapWidth(*image);
  const std::size_t height = MapHeight(*image);
  if (!MapImageIsComplete(*image)) {
    PrintError(io, prefix + "too short for the " + std::to_string(width) + " x " +
                       std::to_string(height) + " map it states (" +
                       std::to_string(MapLength(width, height)) + " bytes needed, " +
                       std::to_string(image->size()) + " found)");
    return std::nullopt;
  }
  if (width == 0 || height == 0) {
    PrintError(io, prefix + "the map has no vertices (" + std::to_string(width) + " x " +
                       std::to_string(height) + ")");
    return std::nullopt;
  }
  return image;
}

// Writes the output unless it is the input itself (also through a link or another name
// of the same file): empty bytes stand for a file over 4 GiB. Gives false, with status
// set and the reason printed, when nothing was written.
bool WriteResult(const std::string& output, const std::string& input,
                 std::span<const std::uint8_t> bytes, std::string_view command, Io& io,
                 int& status) {
  status = kExitFindings;
  std::error_code error;
  if (bytes.empty()) {
    PrintError(io, std::string(command) + ": the bitmap would exceed 4 GiB");
    return false;
  }
  status = kExitUsage;  // a file that cannot be written, the input among them
  if (output == input || std::filesystem::equivalent(output, input, error)) {
    PrintError(io, std::string(command) + ": " + output + " is the input map; not written over");
    return false;
  }
  return WriteOutput(output, bytes, io);
}

void PrintWarning(Io& io, std::string_view command, const std::string& text) {
  PrintError(io, std::string(command) + ": warning: " + text);
}

}  // namespace

int RunExportHeights(std::span<const std::string> args, Io& io) {
  constexpr std::string_view kCommand = "export-heights";
  int status = kExitUsage;
  const auto parsed = ParseOneMap(args, kExportOptions, kCommand, kExportHeightsUsage, io, status);
  if (!parsed) return status;
  const auto image = LoadMapFile(parsed->map, kCommand, io, status);
  if (!image) return status;
  const std::size_t width = MapWidth(*image);
  const std::size_t height = MapHeight(*image);
  if (const auto high = inspect::FindHeightAbove(*image, inspect::kHighestExportedHeight)) {
    PrintError(io, std::string(kCommand) + ": " + parsed->map + ": vertex " + Describe(*high) +
                       " has height " +
                       std::to_string(Block(std::span<const std::uint8_t>(*image), kHeightBlock,
                                            width * height)[VertexIndex(high->x, high->y, width)]) +
                       "; a grey pixel of 4 x the height holds at most 63");
    return kExitFindings;
  }
  const std::vector<std::uint8_t> bitmap = inspect::ExportHeights(*image);
  const std::string output =
      parsed->arguments.Value("-o").value_or(WithExtension(parsed->map, ".heights.bmp"));
  if (!WriteResult(output, parsed->map, bitmap, kCommand, io, status)) return status;
  if (width % 4 != 0) {
    PrintWarning(io, kCommand,
                 "the width " + std::to_string(width) +
                     " is not a multiple of 4: the height-map tool reads rows without their "
                     "padding, so it will not give these heights back");
  }
  if (const auto top = inspect::FindHeightAbove(*image, inspect::kHighestImportedHeight)) {
    PrintWarning(
        io, kCommand,
        "vertex " + Describe(*top) + " has height 63, which the height-map tool cuts to 62");
  }
  io.out << output << ": " << width << " x " << height << ", 8-bit grey, pixel = 4 x height\n";
  return kExitOk;
}

int RunExportTerrain(std::span<const std::string> args, Io& io) {
  constexpr std::string_view kCommand = "export-terrain";
  int status = kExitUsage;
  const auto parsed = ParseOneMap(args, kExportOptions, kCommand, kExportTerrainUsage, io, status);
  if (!parsed) return status;
  const auto image = LoadMapFile(parsed->map, kCommand, io, status);
  if (!image) return status;
  const std::size_t width = MapWidth(*image);
  const std::size_t height = MapHeight(*image);
  const inspect::TerrainColours chosen = inspect::ChooseTerrainColours(*image);
  const std::vector<std::uint8_t> bitmap = inspect::Write4BitBitmap(chosen.colours, width, height);
  const std::string output =
      parsed->arguments.Value("-o").value_or(WithExtension(parsed->map, ".terrain.bmp"));
  if (!WriteResult(output, parsed->map, bitmap, kCommand, io, status)) return status;
  io.out << output << ": " << width << " x " << height << ", 4-bit; the bitmap conversion gives "
         << chosen.surviving << " of " << chosen.triangles << " triangles back\n";
  if (chosen.inexpressible > 0) {
    std::string codes;
    for (std::uint8_t code : chosen.inexpressible_codes) {
      codes += (codes.empty() ? "" : ", ") + std::to_string(code);
    }
    io.out << chosen.inexpressible
           << " triangles cannot come back: no colour paints their terrain or no vertex paints "
              "them (codes "
           << codes << "); they come back as water\n";
  }
  return kExitOk;
}

namespace {

// "X,Y" with X and Y decimal numbers up to 65535.
std::optional<Vertex> ParsePosition(const std::string& text) {
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
  return Vertex{*x, *y};
}

std::optional<std::uint32_t> ParseNumber(const std::string& text, std::uint32_t most) {
  std::uint32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || value > most) {
    return std::nullopt;
  }
  return value;
}

std::string PlaceProblemText(const inspect::PlaceCheck& check) {
  switch (check.problem) {
    case inspect::PlaceProblem::kOutsideMap:
      return "lies outside the map";
    case inspect::PlaceProblem::kNoTriangles:
      return "lies on a corner of the border that has no six triangles of its own";
    case inspect::PlaceProblem::kUnusableGround:
      return "touches " + std::string(TerrainOf(Landscape::kGreenland, check.code).name) +
             " (terrain " + std::to_string(check.code) + ")";
    case inspect::PlaceProblem::kTaken:
      return "is already another player's headquarters";
    case inspect::PlaceProblem::kNone:
      break;
  }
  return {};
}

// The headquarters that the options ask for, or nothing after printing why not.
std::optional<std::vector<Vertex>> WantedHeadquarters(const Arguments& arguments,
                                                      std::span<const std::uint8_t> image,
                                                      const std::string& map, Io& io, int& status) {
  const std::string prefix = "players: ";
  status = kExitFindings;
  if (const auto count_text = arguments.Value("--auto")) {
    const std::uint32_t seed = *ParseNumber(arguments.Value("--seed").value_or("12345678"),
                                            std::numeric_limits<std::uint32_t>::max());
    const std::size_t count = *ParseNumber(*count_text, kMostPlayers);
    auto chosen = inspect::ChooseHeadquarters(image, count, seed);
    if (!chosen) {
      PrintError(io, prefix + map + ": only " + std::to_string(inspect::CountOpenLand(image)) +
                         " places on open land for " + std::to_string(count) +
                         " players; nothing written");
    }
    return chosen;
  }
  std::vector<Vertex> typed;
  for (const std::string& text : arguments.options.at("--hq")) {
    const Vertex position = *ParsePosition(text);
    const inspect::PlaceCheck check = inspect::CheckHeadquartersPlace(image, position, typed);
    if (check.problem != inspect::PlaceProblem::kNone) {
      PrintError(io, prefix + map + ": headquarters " + Describe(position) + " " +
                         PlaceProblemText(check) + "; nothing written");
      return std::nullopt;
    }
    typed.push_back(position);
  }
  return typed;
}

// Checks the form of the options before any file is read.
bool CheckPlayersOptions(const Arguments& arguments, Io& io) {
  const auto fail = [&](const std::string& text) {
    PrintError(io, "players: " + text + " (see --help)");
    return false;
  };
  const bool typed = arguments.Has("--hq");
  if (typed == arguments.Has("--auto")) return fail("give either --hq positions or --auto N");
  if (arguments.Has("--seed") && typed) return fail("--seed goes with --auto only");
  if (const auto seed = arguments.Value("--seed");
      seed && !ParseNumber(*seed, std::numeric_limits<std::uint32_t>::max())) {
    return fail("--seed takes a number from 0 to 4294967295, not '" + *seed + "'");
  }
  if (const auto count = arguments.Value("--auto");
      count && (!ParseNumber(*count, kMostPlayers) || *ParseNumber(*count, 7) == 0)) {
    return fail("--auto takes a number of players from 1 to 7, not '" + *count + "'");
  }
  if (!typed) return true;
  const auto& positions = arguments.options.at("--hq");
  if (positions.size() > kMostPlayers) return fail("at most 7 headquarters");
  for (const std::string& text : positions) {
    if (!ParsePosition(text))
      return fail("--hq takes X,Y (numbers up to 65535), not '" + text + "'");
  }
  return true;
}

std::string DefaultPlayersOutput(const std::string& map) {
  const std::filesystem::path path(map);
  return (path.parent_path() / OutputName(path.filename().string())).string();
}

}  // namespace

int RunPlayers(std::span<const std::string> args, Io& io) {
  constexpr std::string_view kCommand = "players";
  int status = kExitUsage;
  const auto parsed = ParseOneMap(args, kPlayersOptions, kCommand, kPlayersUsage, io, status);
  if (!parsed) return status;
  if (!CheckPlayersOptions(parsed->arguments, io)) return kExitUsage;
  // Every byte: the copy carries what follows the map as well.
  auto image = LoadMapFile(parsed->map, kCommand, io, status, true);
  if (!image) return status;
  const auto headquarters = WantedHeadquarters(parsed->arguments, *image, parsed->map, io, status);
  if (!headquarters) return status;
  inspect::SetPlayers(*image, *headquarters);
  const std::string output =
      parsed->arguments.Value("-o").value_or(DefaultPlayersOutput(parsed->map));
  if (!WriteResult(output, parsed->map, *image, kCommand, io, status)) return status;
  io.out << output << ": " << headquarters->size() << " players\n";
  for (std::size_t p = 0; p < headquarters->size(); ++p) {
    io.out << "player " << p << ": headquarters at " << Describe((*headquarters)[p]) << '\n';
  }
  return kExitOk;
}

}  // namespace plandrix::map_command
