#include "tools/height_map_tool.h"

#include <cstddef>
#include <optional>
#include <string_view>

#include "console/map_tool.h"
#include "core/file_prompt.h"
#include "transform/bitmap_terrain.h"
#include "transform/height_map.h"

namespace plandrix {
namespace {

constexpr std::string_view kBlackQuestion =
    "Are you using black (0x00) as default height(10)? (1 = yes, else = no)";
constexpr std::string_view kHelpQuestion = "Maybe I could help you, should I? (1 = yes, else = no)";

}  // namespace

bool ApplyHeightMap(Console& console, std::span<std::uint8_t> image,
                    std::span<const std::uint8_t> bitmap) {
  const HeightMapAnswers answers{[&] { return AskYesNo(console, kBlackQuestion); },
                                 [&] { return AskYesNo(console, kHelpQuestion); }};
  return ApplyHeightMap(console.out, image, bitmap, answers);
}

void ApplyHeightMapTool(Console& console) {
  std::ostream& out = console.out;
  out << "Let's add some Heightmaps...\n";
  InputFile bitmap_file;
  // A refused map counts as an aborted prompt; the bitmap prompt comes all the same.
  RunMapTool(console, [&](MapToolRun& run) {
    std::optional<MapImage> bitmap;
    if (OpenInputFile(console.in, out, kBitmapKind, bitmap_file)) {
      bitmap = ReadInputFile(out, bitmap_file);
    }
    run.AddInput(bitmap_file);
    if (run.image() == nullptr || !bitmap) return false;
    if (bitmap->size() < kBmpSizeFieldsEnd) {
      out << kBmpTooShortMessage << '\n';
      return false;
    }
    const std::size_t bmp_width = BitmapWidth(*bitmap);
    const std::size_t bmp_height = BitmapHeight(*bitmap);
    // Odd or zero sizes are only reported; the conversion goes on when the sizes fit.
    CheckBmpSize(out, bmp_width, bmp_height);
    const bool fits = CheckMapFitsBmp(out, run.width(), bmp_width, run.height(), bmp_height);
    WarnLargeMap(out, run.width(), run.height());
    return fits && ApplyHeightMap(console, *run.image(), *bitmap);
  });
}

}  // namespace plandrix
