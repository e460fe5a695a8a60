#include "tools/mirror_map_tool.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "console/map_tool.h"
#include "core/file_prompt.h"
#include "transform/mirror.h"

namespace plandrix {
namespace {

// The tool's own menu, printed before every choice.
constexpr std::array<std::string_view, 6> kSubmenuLines = {
    "You can mirror maps in X and Y direction.",
    "-----------------------------------------",
    "00 - Close Program",
    "01 - Mirror Y-Axis",
    "02 - Mirror X-Axis",
    "03 - Rotate Map 180",
};

// The submenu, applying the chosen operations to image until 0 is typed.
void MirrorUntilLeaving(Console& console, MapImage& image, const MapImage& stored,
                        std::size_t width, std::size_t height) {
  for (;;) {
    for (std::string_view line : kSubmenuLines) console.out << line << '\n';
    console.out << "What do you want to do:";
    console.out.flush();
    const std::int32_t choice = ReadNumber(console.in);
    if (choice == 0) {
      console.out << "Leaving Tool\n";
      return;
    }
    switch (choice) {
      case 1:
        console.out << "\nMap is mirrored in Y direction\n";
        MirrorY(image, width, height, console.out);
        break;
      case 2:
        console.out << "Mirroring X is now under construction\n\nMap is mirrored in X direction\n";
        MirrorX(image, width, height, console.out);
        break;
      case 3:
        console.out << "Rotating Map 180\n";
        Rotate180(image, stored, width, height);
        break;
      default:
        console.out << "Not an option\n";
        break;
    }
  }
}

}  // namespace

void MirrorMapTool(Console& console) {
  console.out << "Mirror Map tool still under construction\n";
  RunMapTool(console, [&](MapToolRun& run) {
    if (run.image() == nullptr) return false;
    // Every rotation starts from the terrain as stored, whatever the mirrors did since, so
    // the stored bytes are kept from this first read.
    const std::optional<MapImage> stored = MapImage::Copy(*run.image());
    if (!stored) {
      console.out << kNoMemoryMessage << '\n';
      return false;
    }
    MirrorUntilLeaving(console, *run.image(), *stored, run.width(), run.height());
    return true;
  });
}

}  // namespace plandrix
