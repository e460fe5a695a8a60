#include "transform/height_map.h"

#include <array>
#include <cstddef>
#include <optional>
#include <vector>

#include "core/map_file.h"
#include "core/map_layout.h"
#include "transform/bitmap_terrain.h"

namespace plandrix {
namespace {

constexpr int kStartDivisor = 4;
constexpr int kBlackOffset = 10;
constexpr int kHighestHeight = 62;
// Steps between consecutive heights of more than this cannot be used by the game.
constexpr int kLargestStep = 5;

constexpr std::string_view kBlackQuestion =
    "Are you using black (0x00) as default height(10)? (1 = yes, else = no)";
constexpr std::string_view kHelpQuestion = "Maybe I could help you, should I? (1 = yes, else = no)";

// Height of every pixel value for one divisor, before the cut at 62.
std::array<int, 256> HeightTable(int divisor, int offset) {
  std::array<int, 256> table{};
  for (int pixel = 0; pixel < 256; ++pixel) {
    table[static_cast<std::size_t>(pixel)] = pixel / divisor + offset;
  }
  return table;
}

}  // namespace

bool ApplyHeightMap(Console& console, std::span<std::uint8_t> image,
                    std::span<const std::uint8_t> bitmap) {
  std::ostream& out = console.out;
  if (!MapImageIsComplete(image)) return false;
  const std::size_t width = MapWidth(image);
  const std::size_t height = MapHeight(image);
  const std::size_t n = width * height;
  if (bitmap.size() < n) {
    out << kBmpTooShortMessage << '\n';
    return false;
  }
  const std::size_t start = bitmap.size() - n;
  out << ' ' << width << '\n' << ' ' << height << '\n' << ' ' << start << '\n';

  int divisor = kStartDivisor;
  const int offset = AskYesNo(console, kBlackQuestion) ? kBlackOffset : 0;
  int problem_count = 0;
  bool help_offered = true;
  if (n == 0) return true;

  const auto heights = Block(image, kHeightBlock, n);
  // Stored rows run bottom-up: map row y is stored row H - 1 - y.
  const auto pixel_row = [&](std::size_t y) {
    return bitmap.subspan(start + (height - 1 - y) * width, width);
  };
  const std::uint8_t first_pixel = pixel_row(0)[0];

  bool restart = true;
  while (restart) {
    restart = false;
    const std::array<int, 256> height_of = HeightTable(divisor, offset);
    // The first pixel is compared with its own height, so it never counts as a step.
    int previous = height_of[first_pixel];
    for (std::size_t y = 0; y < height && !restart; ++y) {
      const auto pixels = pixel_row(y);
      std::uint8_t* row = heights.data() + VertexIndex(0, y, width);
      for (std::size_t x = 0; x < width; ++x) {
        int value = height_of[pixels[x]];
        const int difference = value - previous;
        if (difference > kLargestStep || difference < -kLargestStep) {
          out << "Warning: Extreme heights detected\n"
              << "Row: " << y << '\n'
              << "ID: " << x << '\n'
              << "Difference: " << difference << '\n';
          if (help_offered && AskYesNo(console, kHelpQuestion)) {
            out << "I would also restart the task for you.\n"
                   "(Your heightmap has extreme heights which are not working in SettlersII)\n";
            ++divisor;
            problem_count = 0;
            restart = true;  // this pixel is not written
            break;
          }
          help_offered = false;
          ++problem_count;
        }
        if (value > kHighestHeight) {
          out << "Warning: Changed height information!\n";
          value = kHighestHeight;
        }
        row[x] = static_cast<std::uint8_t>(value);
        previous = value;
      }
    }
  }
  if (problem_count > 0) {
    out << "You got 99 Problems, but the Converter found " << problem_count
        << ". Get your shit together!\n";
  }
  return true;
}

void ApplyHeightMapTool(Console& console) {
  std::ostream& out = console.out;
  out << "Let's add some Heightmaps...\n";
  InputFile map_file;
  // A refused map counts as an aborted prompt; the bitmap prompt comes all the same.
  std::optional<MapImage> image = LoadMap(console.in, out, map_file);
  InputFile bitmap_file;
  std::optional<MapImage> bitmap;
  if (OpenInputFile(console.in, out, kBitmapKind, bitmap_file)) {
    bitmap = ReadInputFile(out, bitmap_file);
  }
  if (!image || !bitmap) return;
  if (bitmap->size() < kBmpSizeFieldsEnd) {
    out << kBmpTooShortMessage << '\n';
    return;
  }
  const std::size_t width = MapWidth(*image);
  const std::size_t height = MapHeight(*image);
  const std::size_t bmp_width = BitmapWidth(*bitmap);
  const std::size_t bmp_height = BitmapHeight(*bitmap);
  // Odd or zero sizes are only reported; the conversion goes on when the sizes fit.
  CheckBmpSize(out, bmp_width, bmp_height);
  const bool fits = CheckMapFitsBmp(out, width, bmp_width, height, bmp_height);
  WarnLargeMap(out, width, height);
  if (!fits || !ApplyHeightMap(console, *image, *bitmap)) return;
  const std::array<const InputFile*, 2> inputs = {&map_file, &bitmap_file};
  SaveMap(out, *image, map_file.name, inputs);
}

}  // namespace plandrix
