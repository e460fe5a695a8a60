// export-heights: a map's heights as the 8-bit grey bitmap the height-map tool reads.
#include <array>
#include <span>
#include <string>
#include <vector>

#include "commands/command.h"
#include "commands/map_files.h"
#include "core/map_layout.h"
#include "inspect/bitmap_export.h"

namespace plandrix::commands {
namespace {

constexpr std::string_view kCommand = "export-heights";
constexpr std::string_view kExportHeightsUsage =
    "Usage: plandrix-map export-heights MAP [-o OUT.bmp]\n\n"
    "Writes the heights of MAP as an 8-bit grey bitmap of the map's size (default: the\n"
    "map's name with .heights.bmp) whose pixel is 4 x the height of its vertex. The menu\n"
    "program's height-map tool (option 9, answering no to the black question and to the\n"
    "offer of help) gives these heights back exactly when the width is a multiple of 4.\n"
    "A map with a height above 63 is refused.\n";

constexpr std::array<OptionRule, 1> kOptions = {{{"-o", true, "--output"}}};

std::string Describe(inspect::Vertex v) { return std::to_string(v.x) + "," + std::to_string(v.y); }

std::uint8_t HeightAt(std::span<const std::uint8_t> image, inspect::Vertex v) {
  const std::size_t width = MapWidth(image);
  return Block(image, kHeightBlock, width * MapHeight(image))[VertexIndex(v.x, v.y, width)];
}

// The bitmap, or the refusal of a height that no grey pixel holds.
Step<std::vector<std::uint8_t>> Act(const LoadedMap& map) {
  if (const auto high = inspect::FindHeightAbove(map.image(), inspect::kHighestExportedHeight)) {
    return Stop{kExitFindings, std::string(kCommand) + ": " + map.path() + ": vertex " +
                                   Describe(*high) + " has height " +
                                   std::to_string(HeightAt(map.image(), *high)) +
                                   "; a grey pixel of 4 x the height holds at most 63"};
  }
  std::vector<std::uint8_t> bitmap = inspect::ExportHeights(map.image());
  if (bitmap.empty()) {
    return Stop{kExitFindings, std::string(kCommand) + ": the bitmap would exceed 4 GiB"};
  }
  return bitmap;
}

void Warn(const LoadedMap& map, Io& io) {
  if (map.width() % 4 != 0) {
    PrintWarning(io, kCommand,
                 "the width " + std::to_string(map.width()) +
                     " is not a multiple of 4: the height-map tool reads rows without their "
                     "padding, so it will not give these heights back");
  }
  if (const auto top = inspect::FindHeightAbove(map.image(), inspect::kHighestImportedHeight)) {
    PrintWarning(
        io, kCommand,
        "vertex " + Describe(*top) + " has height 63, which the height-map tool cuts to 62");
  }
}

}  // namespace

int RunExportHeights(std::span<const std::string> args, Io& io) {
  const auto arguments = ParseArguments(args, kOptions, kCommand, kExportHeightsUsage, io);
  if (!arguments) return Finish(io, arguments.stop());
  const auto path = OneMap(*arguments, kCommand, "--help");
  if (!path) return Finish(io, path.stop());
  const auto map = LoadMap({*path, kCommand});
  if (!map) return Finish(io, map.stop());
  const auto bitmap = Act(*map);
  if (!bitmap) return Finish(io, bitmap.stop());
  const std::string output = arguments->Value("-o").value_or(WithExtension(*path, ".heights.bmp"));
  const auto written = WriteOutput(output, *path, *bitmap, kCommand);
  if (!written) return Finish(io, written.stop());
  Warn(*map, io);
  io.out << output << ": " << map->width() << " x " << map->height()
         << ", 8-bit grey, pixel = 4 x height\n";
  return kExitOk;
}

}  // namespace plandrix::commands
