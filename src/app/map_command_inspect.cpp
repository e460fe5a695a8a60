// check, stats and preview.
#include <algorithm>
#include <array>
#include <charconv>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <utility>

#include "app/map_commands.h"
#include "core/map_layout.h"
#include "inspect/map_check.h"
#include "inspect/map_report.h"
#include "inspect/map_stats.h"
#include "inspect/png_writer.h"
#include "inspect/render.h"

namespace plandrix::map_command {
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

constexpr std::string_view kPreviewUsage =
    "Usage: plandrix-map preview MAP [-o OUT.png] [--scale N] [--layer LAYER]\n"
    "Draws the map as a PNG picture: each triangle in the colour of its terrain, lit from\n"
    "the upper left by its slope, with trees, granite, other objects and animals as small\n"
    "marks and each headquarters as a square with a black ring, 7 x 7 pixels (2N + 1 from\n"
    "scale 4 on), in its player's colour: players 0 to 7 yellow, red, blue, white, cyan,\n"
    "purple, orange, pink, a mark of no player (index 8 on) grey; player 0 is drawn last,\n"
    "on top. The map wraps around at its edges, and its marks with it.\n\n"
    "  -o, --output OUT.png  the picture (default: the map's name with .png)\n"
    "  --scale N             pixels per vertex along each side, 1 to 16 (default 2 for\n"
    "                        maps up to 512 wide, else 1); from 2 on odd rows are drawn\n"
    "                        half a vertex to the right, as in the game\n"
    "  --layer LAYER         terrain (default); heights (grey from black at the map's\n"
    "                        lowest height to white at its highest up to 60, red above,\n"
    "                        mid grey for a flat map); or resources (nothing dark grey,\n"
    "                        ground water pale blue, fish deep blue, coal violet, iron\n"
    "                        red, gold yellow, granite green, ores brighter with their\n"
    "                        amount, other bytes magenta)\n\n"
    "Exit status: 0 written, 1 the map cannot be drawn (too short, no vertices, picture\n"
    "too large), 2 bad arguments or a file that cannot be read or written.\n";

std::string Quoted(std::string_view text) {
  std::string quoted(1, '\'');
  quoted += text;
  quoted += '\'';
  return quoted;
}

bool PrintedHelp(const Arguments& arguments, std::string_view usage, Io& io) {
  if (arguments.help) io.out << usage;
  return arguments.help;
}

struct PreviewRequest {
  std::string map;
  std::string output;
  std::optional<int> scale;  // nothing: the default for the map's width
  Layer layer = Layer::kTerrain;
};

std::optional<PreviewRequest> ReadPreviewRequest(const Arguments& arguments, Io& io) {
  if (arguments.positional.size() != 1) {
    PrintError(io, "preview: give exactly one map (see plandrix-map preview --help)");
    return std::nullopt;
  }
  PreviewRequest request;
  request.map = arguments.positional.front();
  request.output = arguments.Value("-o").value_or(WithExtension(request.map, ".png"));
  if (const auto scale = arguments.Value("--scale")) {
    int value = 0;
    const auto [end, error] = std::from_chars(scale->data(), scale->data() + scale->size(), value);
    if (error != std::errc() || end != scale->data() + scale->size() || value < 1 ||
        value > kMaxScale) {
      PrintError(io, "preview: scale " + Quoted(*scale) + " is not a whole number from 1 to " +
                         std::to_string(kMaxScale));
      return std::nullopt;
    }
    request.scale = value;
  }
  constexpr std::array<std::pair<std::string_view, Layer>, 3> kLayers = {
      {{"terrain", Layer::kTerrain},
       {"heights", Layer::kHeights},
       {"resources", Layer::kResources}}};
  if (const auto layer = arguments.Value("--layer")) {
    const auto found = std::find_if(kLayers.begin(), kLayers.end(),
                                    [&](const auto& named) { return named.first == *layer; });
    if (found == kLayers.end()) {
      PrintError(io,
                 "preview: layer " + Quoted(*layer) + " is none of terrain, heights, resources");
      return std::nullopt;
    }
    request.layer = found->second;
  }
  return request;
}

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  return std::filesystem::equivalent(a, b, error);
}

// Why a map of width x height cannot be drawn at scale, for the refusal.
std::string WhyNotDrawn(std::size_t width, std::size_t height, int scale) {
  if (width == 0 || height == 0) return "the map has no vertices, there is nothing to draw";
  int largest = 1;
  while (largest < kMaxScale && PictureSizeFor(width, height, largest + 1)) ++largest;
  return "at scale " + std::to_string(scale) + " the picture would have more than " +
         std::to_string(kMaxScaledPixels) + " pixels; the largest scale for this map is " +
         std::to_string(largest);
}

}  // namespace

int RunCheck(std::span<const std::string> args, Io& io) {
  constexpr std::array<OptionRule, 1> kOptions = {{{"--json"}}};
  const auto arguments = ParseArguments(args, kOptions, "check", io);
  if (!arguments) return kExitUsage;
  if (PrintedHelp(*arguments, kCheckUsage, io)) return kExitOk;
  if (arguments->positional.empty()) {
    PrintError(io, "check: no map given (see plandrix-map check --help)");
    return kExitUsage;
  }
  const bool json = arguments->Has("--json");
  bool unreadable = false;
  bool error = false;
  std::string objects;
  for (const std::string& path : arguments->positional) {
    const auto file = ReadInput(path, io);
    if (!file) {
      unreadable = true;
      continue;
    }
    const std::vector<Finding> findings = CheckMap(*file);
    error = error || HasError(findings);
    if (json) {
      objects += (objects.empty() ? "  " : ",\n  ") + FindingsJson(path, findings);
    } else {
      PrintFindings(io.out, path, findings);
    }
  }
  if (json) io.out << "[\n" << objects << (objects.empty() ? "" : "\n") << "]\n";
  if (unreadable) return kExitUsage;
  return error ? kExitFindings : kExitOk;
}

int RunStats(std::span<const std::string> args, Io& io) {
  constexpr std::array<OptionRule, 1> kOptions = {{{"--json"}}};
  const auto arguments = ParseArguments(args, kOptions, "stats", io);
  if (!arguments) return kExitUsage;
  if (PrintedHelp(*arguments, kStatsUsage, io)) return kExitOk;
  if (arguments->positional.size() != 1) {
    PrintError(io, "stats: give exactly one map (see plandrix-map stats --help)");
    return kExitUsage;
  }
  const std::string& path = arguments->positional.front();
  const auto file = ReadInput(path, io);
  if (!file) return kExitUsage;
  const auto stats = CountMap(*file);
  if (!stats) {
    PrintError(io,
               path + ": too short for the map it states (see plandrix-map check " + path + ")");
    return kExitFindings;
  }
  if (arguments->Has("--json")) {
    io.out << StatsJson(*stats) << '\n';
  } else {
    io.out << "map           " << path << '\n';
    PrintStats(io.out, *stats);
  }
  return kExitOk;
}

int RunPreview(std::span<const std::string> args, Io& io) {
  constexpr std::array<OptionRule, 3> kOptions = {
      {{"-o", true, "--output"}, {"--scale", true}, {"--layer", true}}};
  const auto arguments = ParseArguments(args, kOptions, "preview", io);
  if (!arguments) return kExitUsage;
  if (PrintedHelp(*arguments, kPreviewUsage, io)) return kExitOk;
  const auto request = ReadPreviewRequest(*arguments, io);
  if (!request) return kExitUsage;
  const auto file = ReadInput(request->map, io);
  if (!file) return kExitUsage;
  if (!MapImageIsComplete(*file)) {
    PrintError(io, request->map + ": too short for the map it states (see plandrix-map check " +
                       request->map + ")");
    return kExitFindings;
  }
  const std::size_t width = MapWidth(*file);
  const std::size_t height = MapHeight(*file);
  const int scale = request->scale.value_or(DefaultScale(width, height));
  const auto size = PictureSizeFor(width, height, scale);
  if (!size) {
    PrintError(io, request->map + ": " + WhyNotDrawn(width, height, scale));
    return kExitFindings;
  }
  if (SameFile(request->map, request->output)) {
    PrintError(io, request->output + ": that is the map itself; name another picture with -o");
    return kExitUsage;
  }
  const PictureView picture = PreparePicture(*file, request->layer, scale);
  const auto png = EncodePng(
      size->width, size->height, 16 * static_cast<std::size_t>(scale),
      [&](std::size_t row, std::span<std::uint8_t> rgb) { RenderRows(picture, row, rgb); });
  if (!png) {
    PrintError(io, request->output + ": not enough memory for the picture");
    return kExitFindings;
  }
  if (!WriteOutput(request->output, *png, io)) return kExitUsage;
  io.out << request->output << ": " << size->width << " x " << size->height << " pixels, scale "
         << scale << '\n';
  return kExitOk;
}

}  // namespace plandrix::map_command
