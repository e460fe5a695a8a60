// export-heights, export-terrain and players.
#include <algorithm>
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
#include "core/map_format.h"
#include "core/map_grid.h"
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

constexpr std::array<OptionRule, 4> kSetOptions = {
    {{"--title", true}, {"--author", true}, {"--landscape", true}, {"-o", true, "--output"}}};

constexpr std::string_view kSetUsage =
    "Usage: plandrix-map set [--title T] [--author A]\n"
    "                        [--landscape greenland|wasteland|winter] MAP [-o OUT]\n\n"
    "Writes a copy of MAP with the header fields given: the title (offset 10) and the\n"
    "author (offset 36), each at most 19 printable ASCII characters, and the landscape\n"
    "(offset 34). Warns when the map holds terrain codes that the new landscape does not\n"
    "define, which would make the game refuse it. Writes \"n\" followed by the map's file\n"
    "name in the map's folder unless -o names another file.\n";

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
    "name with .terrain.bmp) whose colour numbers make the menu program's bitmap\n"
    "conversion (option 2) paint the map's terrain as far as its painting allows. Its 16\n"
    "palette colours are all different, each in a colour of the greenland terrain its\n"
    "number paints; of two numbers that paint one terrain, the one that loses shared\n"
    "triangles is the lighter. Colours 0 and 13 paint nothing. Then runs the conversion\n"
    "on the bitmap in memory and says how many triangles come back as the map has them,\n"
    "which come back different and as what, and how many of those no colours could give\n"
    "back.\n";
constexpr std::string_view kPlayersUsage =
    "Usage: plandrix-map players MAP (--hq X,Y [--hq X,Y ...] | --auto N) [--seed S]\n"
    "                   [-o OUT]\n\n"
    "Gives MAP its players (1 to 8): one headquarters per --hq position, or N chosen on\n"
    "open land (vertices whose six triangles are all buildable) as far from each other as\n"
    "the map allows, counted the shortest way around the map (the game's world wraps\n"
    "around), then with as much open land around each as that leaves; the same map, N and\n"
    "seed (default 12345678) give the same places, and the steps between the nearest two\n"
    "are printed. A typed position on a triangle no one may walk on (water, swamp, lava,\n"
    "snow) is refused. Earlier headquarters marks are removed; trees, granite and objects\n"
    "on each headquarters and its six neighbours are cleared. The header holds seven\n"
    "positions: an eighth player has only its mark, which is what the game reads. A map\n"
    "of odd height, which the game cannot load, is refused. Writes \"n\" followed by the\n"
    "map's file name in the map's folder unless -o names another file.\n";

std::string Describe(Vertex v) { return std::to_string(v.x) + "," + std::to_string(v.y); }
std::string Describe(Point p) { return std::to_string(p.x) + "," + std::to_string(p.y); }

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
  std::vector<std::uint8_t> bitmap;
  try {
    bitmap = inspect::Write4BitBitmap(inspect::ChooseTerrainColours(*image), width, height);
  } catch (const std::bad_alloc&) {
    PrintError(io, std::string(kCommand) + ": " + parsed->map +
                       ": not enough memory to choose the colours; nothing written");
    return kExitUsage;  // memory that runs out, as in every command
  }
  const std::string output =
      parsed->arguments.Value("-o").value_or(WithExtension(parsed->map, ".terrain.bmp"));
  if (!WriteResult(output, parsed->map, bitmap, kCommand, io, status)) return status;
  io.out << output << ": " << width << " x " << height << ", 4-bit";
  // What the bitmap gives back is told only as the conversion itself gives it.
  const auto check = inspect::CheckConversion(*image, bitmap);
  if (!check) {
    io.out << '\n';
    PrintWarning(io, kCommand,
                 "no memory to run the bitmap conversion; what it gives back is unknown");
    return kExitOk;
  }
  const Landscape landscape =
      LandscapeOf((*image)[kLandscapeOffset]).value_or(Landscape::kGreenland);
  io.out << "; the bitmap conversion gives " << check->same << " of " << check->triangles
         << " triangles back\n"
         << inspect::DescribeChanges(*check, landscape);
  return kExitOk;
}

namespace {

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

// The headquarters that the options ask for, or nothing after printing why not.
std::optional<std::vector<Point>> WantedHeadquarters(const Arguments& arguments,
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
      return std::nullopt;
    }
    return chosen->positions;
  }
  std::vector<Point> typed;
  for (const std::string& text : arguments.options.at("--hq")) {
    const Point position = *ParsePosition(text);
    const inspect::PlaceCheck check = inspect::CheckHeadquartersPlace(image, position, typed);
    if (check.problem != inspect::PlaceProblem::kNone) {
      PrintError(io, prefix + map + ": headquarters " + Describe(position) + " " +
                         PlaceProblemText(image, check) + "; nothing written");
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
      count && (!ParseNumber(*count, kMostPlayers) || *ParseNumber(*count, kMostPlayers) == 0)) {
    return fail("--auto takes a number of players from 1 to 8, not '" + *count + "'");
  }
  if (!typed) return true;
  const auto& positions = arguments.options.at("--hq");
  if (positions.size() > kMostPlayers) return fail("at most 8 headquarters");
  for (const std::string& text : positions) {
    if (!ParsePosition(text))
      return fail("--hq takes X,Y (numbers up to 65535), not '" + text + "'");
  }
  return true;
}

// Checks the form of set's options before any file is read.
bool CheckSetOptions(const Arguments& arguments, Io& io) {
  const auto fail = [&](const std::string& text) {
    PrintError(io, "set: " + text + " (see --help)");
    return false;
  };
  if (!arguments.Has("--title") && !arguments.Has("--author") && !arguments.Has("--landscape")) {
    return fail("give --title, --author or --landscape");
  }
  for (const std::string_view field : {"--title", "--author"}) {
    const auto text = arguments.Value(field);
    if (!text || IsValidHeaderText(*text)) continue;
    const std::string name(field.substr(2));
    if (text->size() > kMostTextCharacters) {
      return fail("the " + name + " '" + *text + "' has " + std::to_string(text->size()) +
                  " characters; it holds at most " + std::to_string(kMostTextCharacters));
    }
    return fail("the " + name + " may hold only printable ASCII characters (space to ~)");
  }
  if (const auto word = arguments.Value("--landscape");
      word &&
      std::find(kLandscapeWords.begin(), kLandscapeWords.end(), *word) == kLandscapeWords.end()) {
    return fail("--landscape takes greenland, wasteland or winter, not '" + *word + "'");
  }
  return true;
}

// "17 (12 triangles)" for every terrain code of the map that landscape does not define.
std::string UndefinedTerrain(std::span<const std::uint8_t> image, Landscape landscape) {
  const std::size_t n = MapWidth(image) * MapHeight(image);
  std::array<std::uint64_t, 64> counts{};
  for (const int block : {kTerrainBlock1, kTerrainBlock2}) {
    for (const std::uint8_t byte : Block(image, block, n)) ++counts[TerrainCode(byte)];
  }
  std::string listed;
  for (std::size_t code = 0; code < counts.size(); ++code) {
    if (counts[code] == 0 || IsDefinedTerrain(landscape, static_cast<std::uint8_t>(code))) continue;
    listed += (listed.empty() ? "" : ", ") + std::to_string(code) + " (" +
              std::to_string(counts[code]) + (counts[code] == 1 ? " triangle)" : " triangles)");
  }
  return listed;
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
  if (MapHeight(*image) % 2 != 0) {
    PrintError(io, "players: " + parsed->map + ": the height " + std::to_string(MapHeight(*image)) +
                       " is odd, and the game loads only maps of an even height; nothing written");
    return kExitFindings;
  }
  const auto headquarters = WantedHeadquarters(parsed->arguments, *image, parsed->map, io, status);
  if (!headquarters) return status;
  inspect::SetPlayers(*image, *headquarters);
  const std::string output =
      parsed->arguments.Value("-o").value_or(DefaultPlayersOutput(parsed->map));
  if (!WriteResult(output, parsed->map, *image, kCommand, io, status)) return status;
  io.out << output << ": " << headquarters->size() << " players";
  if (headquarters->size() > 1) {
    const MapGrid grid(MapWidth(*image), MapHeight(*image));
    io.out << ", the nearest two " << inspect::NearestApart(grid, *headquarters)
           << " steps apart the shortest way around the map";
  }
  io.out << '\n';
  for (std::size_t p = 0; p < headquarters->size(); ++p) {
    io.out << "player " << p << ": headquarters at " << Describe((*headquarters)[p]) << '\n';
  }
  return kExitOk;
}

int RunSet(std::span<const std::string> args, Io& io) {
  constexpr std::string_view kCommand = "set";
  int status = kExitUsage;
  const auto parsed = ParseOneMap(args, kSetOptions, kCommand, kSetUsage, io, status);
  if (!parsed) return status;
  if (!CheckSetOptions(parsed->arguments, io)) return kExitUsage;
  auto image = LoadMapFile(parsed->map, kCommand, io, status);
  if (!image) return status;
  std::string what;
  if (const auto title = parsed->arguments.Value("--title")) {
    WriteHeaderText(*image, kTitleOffset, *title);
    what += "title '" + *title + "'";
  }
  if (const auto author = parsed->arguments.Value("--author")) {
    WriteHeaderText(*image, kAuthorOffset, *author);
    what += (what.empty() ? "" : ", ") + std::string("author '") + *author + "'";
  }
  if (const auto word = parsed->arguments.Value("--landscape")) {
    const auto index = static_cast<std::size_t>(
        std::find(kLandscapeWords.begin(), kLandscapeWords.end(), *word) - kLandscapeWords.begin());
    (*image)[kLandscapeOffset] = static_cast<std::uint8_t>(index);
    what += (what.empty() ? "" : ", ") + std::string("landscape ") + kLandscapeNames[index].data();
    const std::string undefined = UndefinedTerrain(*image, static_cast<Landscape>(index));
    if (!undefined.empty()) {
      PrintWarning(io, kCommand,
                   "terrain codes that " + std::string(kLandscapeNames[index]) +
                       " does not define: " + undefined + "; the game refuses such a map");
    }
  }
  const std::string output =
      parsed->arguments.Value("-o").value_or(DefaultPlayersOutput(parsed->map));
  if (!WriteResult(output, parsed->map, *image, kCommand, io, status)) return status;
  io.out << output << ": " << what << '\n';
  return kExitOk;
}

}  // namespace plandrix::map_command
