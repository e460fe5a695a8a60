// set: a copy of a map with its title, author or landscape.
#include <algorithm>
#include <array>
#include <span>
#include <string>

#include "commands/command.h"
#include "commands/map_files.h"
#include "core/map_format.h"
#include "core/map_layout.h"
#include "core/terrain.h"

namespace plandrix::commands {
namespace {

constexpr std::string_view kCommand = "set";
constexpr std::string_view kSetUsage =
    "Usage: plandrix-map set [--title T] [--author A]\n"
    "                        [--landscape greenland|wasteland|winter] MAP [-o OUT]\n\n"
    "Writes a copy of MAP with the header fields given: the title (offset 10) and the\n"
    "author (offset 36), each at most 19 printable ASCII characters, and the landscape\n"
    "(offset 34). Warns when the map holds terrain codes that the new landscape does not\n"
    "define, which would make the game refuse it. Writes \"n\" followed by the map's file\n"
    "name in the map's folder unless -o names another file.\n";

constexpr std::array<OptionRule, 4> kOptions = {
    {{"--title", true}, {"--author", true}, {"--landscape", true}, {"-o", true, "--output"}}};

// Checks the form of set's options before any file is read.
Step<Done> CheckOptions(const Arguments& arguments) {
  const auto fail = [](const std::string& text) {
    return Stop{kExitUsage, "set: " + text + " (see --help)"};
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
  return Done{};
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

// Writes the fields into the map's header; gives what was set, for the report.
std::string SetFields(const Arguments& arguments, LoadedMap& map, Io& io) {
  const std::span<std::uint8_t> image = map.image();
  std::string what;
  if (const auto title = arguments.Value("--title")) {
    WriteHeaderText(image, kTitleOffset, *title);
    what += "title '" + *title + "'";
  }
  if (const auto author = arguments.Value("--author")) {
    WriteHeaderText(image, kAuthorOffset, *author);
    what += (what.empty() ? "" : ", ") + std::string("author '") + *author + "'";
  }
  if (const auto word = arguments.Value("--landscape")) {
    const auto index = static_cast<std::size_t>(
        std::find(kLandscapeWords.begin(), kLandscapeWords.end(), *word) - kLandscapeWords.begin());
    image[kLandscapeOffset] = static_cast<std::uint8_t>(index);
    what += (what.empty() ? "" : ", ") + std::string("landscape ") + kLandscapeNames[index].data();
    const std::string undefined = UndefinedTerrain(image, static_cast<Landscape>(index));
    if (!undefined.empty()) {
      PrintWarning(io, kCommand,
                   "terrain codes that " + std::string(kLandscapeNames[index]) +
                       " does not define: " + undefined + "; the game refuses such a map");
    }
  }
  return what;
}

}  // namespace

int RunSet(std::span<const std::string> args, Io& io) {
  const auto arguments = ParseArguments(args, kOptions, kCommand, kSetUsage, io);
  if (!arguments) return Finish(io, arguments.stop());
  const auto path = OneMap(*arguments, kCommand, "--help");
  if (!path) return Finish(io, path.stop());
  if (const auto options = CheckOptions(*arguments); !options) return Finish(io, options.stop());
  auto map = LoadMap({*path, kCommand, Reading::kWholeFile});
  if (!map) return Finish(io, map.stop());
  const std::string what = SetFields(*arguments, *map, io);
  const std::string output = arguments->Value("-o").value_or(CopyName(*path));
  const auto written = WriteOutput(output, *path, map->FileWithChanges({}), kCommand);
  if (!written) return Finish(io, written.stop());
  io.out << output << ": " << what << '\n';
  return kExitOk;
}

}  // namespace plandrix::commands
