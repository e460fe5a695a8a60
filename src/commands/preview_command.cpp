// preview: a map drawn as a PNG picture.
#include <algorithm>
#include <array>
#include <charconv>
#include <optional>
#include <span>
#include <string>
#include <utility>

#include "commands/command.h"
#include "commands/map_files.h"
#include "inspect/png_writer.h"
#include "inspect/render.h"

namespace plandrix::commands {
namespace {

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
    "                        mid grey for a flat map); resources (nothing dark grey,\n"
    "                        ground water pale blue, fish deep blue, coal violet, iron\n"
    "                        red, gold yellow, granite green, ores brighter with their\n"
    "                        amount, other bytes magenta); or quality, the building\n"
    "                        quality of every vertex as the game works it out (castle\n"
    "                        green, house yellow-green, hut ochre, mine grey-brown, flag\n"
    "                        rust, nothing dark grey, harbour steel blue) with each\n"
    "                        player's home (see balance) outlined in the player's colour\n\n"
    "Exit status: 0 written, 1 the map cannot be drawn (too short, no vertices, picture\n"
    "too large), 2 bad arguments or a file that cannot be read or written.\n";

constexpr std::array<OptionRule, 3> kOptions = {
    {{"-o", true, "--output"}, {"--scale", true}, {"--layer", true}}};

constexpr std::array<std::pair<std::string_view, Layer>, 4> kLayers = {
    {{"terrain", Layer::kTerrain},
     {"heights", Layer::kHeights},
     {"resources", Layer::kResources},
     {"quality", Layer::kQuality}}};

struct PreviewRequest {
  std::string map;
  std::string output;
  std::optional<int> scale;  // nothing: the default for the map's width
  Layer layer = Layer::kTerrain;
};

Step<PreviewRequest> ParseRequest(std::span<const std::string> args, Io& io) {
  const auto arguments = ParseArguments(args, kOptions, "preview", kPreviewUsage, io);
  if (!arguments) return arguments.stop();
  const auto map = OneMap(*arguments, "preview", "plandrix-map preview --help");
  if (!map) return map.stop();
  PreviewRequest request{
      *map, arguments->Value("-o").value_or(WithExtension(*map, ".png")), {}, Layer::kTerrain};
  if (const auto scale = arguments->Value("--scale")) {
    int value = 0;
    const auto [end, error] = std::from_chars(scale->data(), scale->data() + scale->size(), value);
    if (error != std::errc() || end != scale->data() + scale->size() || value < 1 ||
        value > kMaxScale) {
      return Stop{kExitUsage, "preview: scale " + Quoted(*scale) +
                                  " is not a whole number from 1 to " + std::to_string(kMaxScale)};
    }
    request.scale = value;
  }
  if (const auto layer = arguments->Value("--layer")) {
    const auto found = std::find_if(kLayers.begin(), kLayers.end(),
                                    [&](const auto& named) { return named.first == *layer; });
    if (found == kLayers.end()) {
      return Stop{kExitUsage, "preview: layer " + Quoted(*layer) +
                                  " is none of terrain, heights, resources, quality"};
    }
    request.layer = found->second;
  }
  return request;
}

// Why a map of width x height cannot be drawn at scale, for the refusal.
std::string WhyNotDrawn(std::size_t width, std::size_t height, int scale) {
  if (width == 0 || height == 0) return "the map has no vertices, there is nothing to draw";
  int largest = 1;
  while (largest < kMaxScale && PictureSizeFor(width, height, largest + 1)) ++largest;
  const std::size_t side = std::max(width, height) * static_cast<std::size_t>(scale);
  const std::string why =
      side > kMaxPictureSide
          ? "would be " + std::to_string(side) + " pixels " + (width >= height ? "wide" : "high") +
                ", more than the " + std::to_string(kMaxPictureSide) +
                " a side that PNG readers take"
          : "would have more than " + std::to_string(kMaxScaledPixels) + " pixels";
  return "at scale " + std::to_string(scale) + " the picture " + why +
         "; the largest scale for this map is " + std::to_string(largest);
}

// The picture's PNG bytes, or why there are none.
Step<std::vector<std::uint8_t>> Draw(const LoadedMap& map, const PreviewRequest& request, int scale,
                                     PictureSize size, Io& io) {
  const PictureView picture = PreparePicture(map.image(), request.layer, scale);
  PngMessages libpng;
  auto png = EncodePng(
      size.width, size.height, 16 * static_cast<std::size_t>(scale),
      [&](std::size_t row, std::span<std::uint8_t> rgb) { RenderRows(picture, row, rgb); },
      &libpng);
  for (const std::string& warning : libpng.warnings) {
    PrintError(io, "preview: warning: libpng: " + warning);
  }
  if (!png) {
    return Stop{
        kExitUsage,
        request.output + (libpng.error.empty()
                              ? ": not enough memory for the picture"
                              : ": the picture cannot be made (libpng: " + libpng.error + ")")};
  }
  return std::move(*png);
}

}  // namespace

int RunPreview(std::span<const std::string> args, Io& io) {
  const auto request = ParseRequest(args, io);
  if (!request) return Finish(io, request.stop());
  const auto map = LoadMap({request->map, "preview", Reading::kMapPart, Naming::kSeeCheck, false});
  if (!map) return Finish(io, map.stop());
  const int scale = request->scale.value_or(DefaultScale(map->width(), map->height()));
  const auto size = PictureSizeFor(map->width(), map->height(), scale);
  if (!size) {
    return Finish(io, Stop{kExitFindings,
                           request->map + ": " + WhyNotDrawn(map->width(), map->height(), scale)});
  }
  if (SameFile(request->map, request->output)) {
    return Finish(io,
                  Stop{kExitUsage,
                       request->output + ": that is the map itself; name another picture with -o"});
  }
  const auto png = Draw(*map, *request, scale, *size, io);
  if (!png) return Finish(io, png.stop());
  const auto written = WriteOutput(request->output, request->map, *png, "preview");
  if (!written) return Finish(io, written.stop());
  io.out << request->output << ": " << size->width << " x " << size->height << " pixels, scale "
         << scale << '\n';
  return kExitOk;
}

}  // namespace plandrix::commands
