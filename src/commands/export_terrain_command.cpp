// export-terrain: a map's terrain as the 4-bit bitmap the bitmap conversion reads, and
// what that conversion gives back from it.
#include <array>
#include <new>
#include <span>
#include <string>
#include <vector>

#include "commands/command.h"
#include "commands/map_files.h"
#include "core/terrain.h"
#include "inspect/bitmap_export.h"

namespace plandrix::commands {
namespace {

constexpr std::string_view kCommand = "export-terrain";
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

constexpr std::array<OptionRule, 1> kOptions = {{{"-o", true, "--output"}}};

Step<std::vector<std::uint8_t>> Act(const LoadedMap& map) {
  std::vector<std::uint8_t> bitmap;
  try {
    bitmap = inspect::Write4BitBitmap(inspect::ChooseTerrainColours(map.image()), map.width(),
                                      map.height());
  } catch (const std::bad_alloc&) {
    // Memory that runs out gives 2, as in every command.
    return Stop{kExitUsage, std::string(kCommand) + ": " + map.path() +
                                ": not enough memory to choose the colours; nothing written"};
  }
  if (bitmap.empty()) {
    return Stop{kExitFindings, std::string(kCommand) + ": the bitmap would exceed 4 GiB"};
  }
  return bitmap;
}

// What the bitmap gives back is told only as the conversion itself gives it.
void Report(const LoadedMap& map, const std::string& output, std::span<const std::uint8_t> bitmap,
            Io& io) {
  io.out << output << ": " << map.width() << " x " << map.height() << ", 4-bit";
  const auto check = inspect::CheckConversion(map.image(), bitmap);
  if (!check) {
    io.out << '\n';
    PrintWarning(io, kCommand,
                 "no memory to run the bitmap conversion; what it gives back is unknown");
    return;
  }
  const Landscape landscape =
      LandscapeOf(map.image()[kLandscapeOffset]).value_or(Landscape::kGreenland);
  io.out << "; the bitmap conversion gives " << check->same << " of " << check->triangles
         << " triangles back\n"
         << inspect::DescribeChanges(*check, landscape);
}

}  // namespace

int RunExportTerrain(std::span<const std::string> args, Io& io) {
  const auto arguments = ParseArguments(args, kOptions, kCommand, kExportTerrainUsage, io);
  if (!arguments) return Finish(io, arguments.stop());
  const auto path = OneMap(*arguments, kCommand, "--help");
  if (!path) return Finish(io, path.stop());
  const auto map = LoadMap({*path, kCommand});
  if (!map) return Finish(io, map.stop());
  const auto bitmap = Act(*map);
  if (!bitmap) return Finish(io, bitmap.stop());
  const std::string output = arguments->Value("-o").value_or(WithExtension(*path, ".terrain.bmp"));
  const auto written = WriteOutput(output, *path, *bitmap, kCommand);
  if (!written) return Finish(io, written.stop());
  Report(*map, output, *bitmap, io);
  return kExitOk;
}

}  // namespace plandrix::commands
