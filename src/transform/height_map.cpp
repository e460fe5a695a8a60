#include "transform/height_map.h"

#include <array>
#include <cstddef>
#include <ostream>

#include "core/map_layout.h"
#include "transform/bitmap_terrain.h"

namespace plandrix {
namespace {

constexpr int kStartDivisor = 4;
constexpr int kBlackOffset = 10;
constexpr int kHighestHeight = 62;
// Steps between consecutive heights of more than this cannot be used by the game.
constexpr int kLargestStep = 5;

// Height of every pixel value for one divisor, before the cut at 62.
std::array<int, 256> HeightTable(int divisor, int offset) {
  std::array<int, 256> table{};
  for (int pixel = 0; pixel < 256; ++pixel) {
    table[static_cast<std::size_t>(pixel)] = pixel / divisor + offset;
  }
  return table;
}

// One conversion of a bitmap into heights, and what it keeps across restarts.
struct HeightConversion {
  std::ostream& out;
  const std::function<bool()>& take_help;
  std::span<std::uint8_t> heights;
  std::span<const std::uint8_t> bitmap;
  std::size_t width;
  std::size_t height;
  std::size_t start;  // offset of the pixels in the bitmap
  int problem_count = 0;
  bool help_offered = true;

  // Stored rows run bottom-up: map row y is stored row H - 1 - y.
  std::span<const std::uint8_t> PixelRow(std::size_t y) const {
    return bitmap.subspan(start + (height - 1 - y) * width, width);
  }
};

// Reports a step between neighbouring heights that is too large. True when the user takes
// the offered help: the conversion then starts over with the next divisor.
bool ReportStep(HeightConversion& c, std::size_t x, std::size_t y, int difference) {
  std::ostream& out = c.out;
  out << "Warning: Extreme heights detected\n"
      << "Row: " << y << '\n'
      << "ID: " << x << '\n'
      << "Difference: " << difference << '\n';
  if (c.help_offered && c.take_help()) {
    out << "I would also restart the task for you.\n"
           "(Your heightmap has extreme heights which are not working in SettlersII)\n";
    c.problem_count = 0;
    return true;
  }
  c.help_offered = false;
  ++c.problem_count;
  return false;
}

// Writes the heights of every pixel through height_of, in map order. False when the user
// took the help at a pixel (which is then not written) and the conversion must restart.
bool WriteHeights(HeightConversion& c, const std::array<int, 256>& height_of) {
  // Copies of the sizes: a store of a height byte could alias any field of c, so the loop
  // would read them again after every pixel.
  const std::size_t width = c.width;
  const std::size_t height = c.height;
  // The first pixel is compared with its own height, so it never counts as a step.
  int previous = height_of[c.PixelRow(0)[0]];
  for (std::size_t y = 0; y < height; ++y) {
    const std::uint8_t* pixels = c.PixelRow(y).data();
    std::uint8_t* row = c.heights.data() + VertexIndex(0, y, width);
    for (std::size_t x = 0; x < width; ++x) {
      int value = height_of[pixels[x]];
      const int difference = value - previous;
      if (difference > kLargestStep || difference < -kLargestStep) [[unlikely]] {
        if (ReportStep(c, x, y, difference)) return false;
      }
      if (value > kHighestHeight) [[unlikely]] {
        c.out << "Warning: Changed height information!\n";
        value = kHighestHeight;
      }
      row[x] = static_cast<std::uint8_t>(value);
      previous = value;
    }
  }
  return true;
}

}  // namespace

bool ApplyHeightMap(std::ostream& out, std::span<std::uint8_t> image,
                    std::span<const std::uint8_t> bitmap, const HeightMapAnswers& answers) {
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
  const int offset = answers.black_is_base() ? kBlackOffset : 0;
  if (n == 0) return true;
  HeightConversion conversion{
      out, answers.take_help, Block(image, kHeightBlock, n), bitmap, width, height, start};
  while (!WriteHeights(conversion, HeightTable(divisor, offset))) ++divisor;
  const int problem_count = conversion.problem_count;
  if (problem_count > 0) {
    out << "You got 99 Problems, but the Converter found " << problem_count
        << ". Get your shit together!\n";
  }
  return true;
}

}  // namespace plandrix
