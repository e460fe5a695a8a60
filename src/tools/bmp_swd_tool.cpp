#include "tools/bmp_swd_tool.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <new>
#include <optional>
#include <stdexcept>
#include <vector>

#include "core/blank_map.h"
#include "core/file_prompt.h"
#include "core/map_layout.h"
#include "transform/bitmap_terrain.h"

namespace plandrix {

void BmpSwdTool(Console& console) {
  InputFile bitmap_file;
  if (!OpenInputFile(console.in, console.out, kBitmapKind, bitmap_file)) return;
  const std::optional<MapImage> bitmap = ReadInputFile(console.out, bitmap_file);
  if (!bitmap) return;
  // Checked before anything is allocated: a few bytes may state a size of 65535 x 65535.
  if (!BmpHoldsItsPixels(*bitmap)) {
    console.out << kBmpTooShortMessage << '\n';
    return;
  }
  const std::size_t width = BitmapWidth(*bitmap);
  const std::size_t height = BitmapHeight(*bitmap);
  std::optional<MapImage> image = MapImage::Allocate(MapLength(width, height));
  if (!image) {
    console.out << kNoMemoryMessage << '\n';
    return;
  }
  try {
    std::vector<std::uint8_t> codes(width * height);
    CreateBlankMap(*image, width, height);
    WarnLargeMap(console.out, width, height);
    TranslateBMPNumbertoTexture(*bitmap, codes, width, height, BmpRowPadding(width));
    GetCurrentTexture(*image, codes, width, height);
  } catch (const std::bad_alloc&) {
    console.out << kNoMemoryMessage << '\n';
    return;
  } catch (const std::length_error&) {
    console.out << kNoMemoryMessage << '\n';
    return;
  }
  const std::array<const InputFile*, 1> inputs = {&bitmap_file};
  SaveMap(console.out, *image, "Tavik.wld", inputs);
}

}  // namespace plandrix
