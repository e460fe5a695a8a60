#include "random/terrain_classes.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <string_view>

namespace plandrix {
namespace terrain_detail {

std::size_t FormatUnlistedCodeWarning(char* text, std::size_t index, std::uint8_t code) {
  // Decimal by std::to_chars, and upper-case hex without a leading zero by hand, so that
  // no stream formatting flag of the caller's matters.
  constexpr std::string_view kFirstLines =
      "Warning: Some map information couldn't be read!\nBlock2,Position:";
  constexpr std::string_view kCodeLabel = "\nInformation: ";
  constexpr std::array<char, 16> kHexDigits = {'0', '1', '2', '3', '4', '5', '6', '7',
                                               '8', '9', 'A', 'B', 'C', 'D', 'E', 'F'};
  char* cursor = std::copy(kFirstLines.begin(), kFirstLines.end(), text);
  cursor = std::to_chars(cursor, cursor + 20, index).ptr;
  cursor = std::copy(kCodeLabel.begin(), kCodeLabel.end(), cursor);
  if (code >= 16) *cursor++ = kHexDigits[code >> 4];
  *cursor++ = kHexDigits[code & 0x0F];
  *cursor++ = '\n';
  return static_cast<std::size_t>(cursor - text);
}

void PrintUnlistedCodeWarning(std::ostream& out, std::size_t index, std::uint8_t code) {
  std::array<char, kMostWarningBytes> text{};
  out.write(text.data(),
            static_cast<std::streamsize>(FormatUnlistedCodeWarning(text.data(), index, code)));
}

void UnlistedCodeWarnings::Add(std::size_t index, std::uint8_t code) {
  if (text_.size() - used_ < kMostWarningBytes) Flush();
  used_ += FormatUnlistedCodeWarning(text_.data() + used_, index, code);
}

void UnlistedCodeWarnings::Flush() {
  if (used_ == 0) return;
  out_.write(text_.data(), static_cast<std::streamsize>(used_));
  used_ = 0;
}

}  // namespace terrain_detail

namespace {

// Even rows: the vertex's own two triangles, the second triangle of its left neighbour and
// the triangles of the row above; `left` and `above` say which column and row play those
// parts (they wrap at column 0 and at row 0).
VertexTriangles EvenRowTriangles(std::size_t width, std::size_t x, std::size_t left, std::size_t y,
                                 std::size_t above) {
  return {{VertexIndex(left, above, width), VertexIndex(x, above, width), VertexIndex(x, y, width)},
          {VertexIndex(left, above, width), VertexIndex(left, y, width), VertexIndex(x, y, width)}};
}

// Odd rows lie half a vertex to the right, so the row above is met one column further on;
// `upper_right` is the block-2 index of the upper-right triangle.
VertexTriangles OddRowTriangles(std::size_t width, std::size_t x, std::size_t y,
                                std::size_t upper_right) {
  return {{upper_right, VertexIndex(x, y - 1, width), VertexIndex(x, y, width)},
          {VertexIndex(x, y - 1, width), VertexIndex(x, y, width), VertexIndex(x - 1, y, width)}};
}

}  // namespace

std::uint8_t GetTerrainClass(std::span<const std::uint8_t> image, std::size_t n, std::size_t index,
                             std::ostream& out) {
  return TerrainClassAt(Block(image, kTerrainBlock1, n), index, out);
}

std::optional<VertexTriangles> FindVertexTriangles(std::size_t width, std::size_t height,
                                                   std::size_t x, std::size_t y) {
  if (width < 3 || height < 3 || x >= width || y >= height) return std::nullopt;
  const std::size_t last_column = width - 1;
  const std::size_t last_row = height - 1;
  if (y == 0) {
    // The map wraps: the last row stands above row 0.
    if (x == 0) return std::nullopt;
    return EvenRowTriangles(width, x, x - 1, 0, last_row);
  }
  if (y % 2 == 0) {
    if (x == 0) return EvenRowTriangles(width, 0, last_column, y, y - 1);
    if (x < last_column && y == last_row) return std::nullopt;
    return EvenRowTriangles(width, x, x - 1, y, y - 1);
  }
  if (x == 0) {
    // Column 0 of an odd row takes the set of the vertex above it.
    if (y >= 3 && y < last_row) return EvenRowTriangles(width, 0, last_column, y - 1, y - 2);
    return std::nullopt;
  }
  if (y == last_row) {
    // A step right of the last column lands on the first vertex of the same row.
    const std::size_t upper_right =
        x == last_column ? VertexIndex(0, y, width) : VertexIndex(x + 1, y - 1, width);
    return OddRowTriangles(width, x, y, upper_right);
  }
  // The last column of an inner odd row has the set of its left neighbour.
  const std::size_t column = x == last_column ? x - 1 : x;
  return OddRowTriangles(width, column, y, VertexIndex(column + 1, y - 1, width));
}

int VertexClassIn(std::span<const std::uint8_t> first, std::span<const std::uint8_t> second,
                  std::size_t width, std::size_t height, std::size_t x, std::size_t y) {
  const std::optional<VertexTriangles> triangles = FindVertexTriangles(width, height, x, y);
  if (!triangles) return 0;
  unsigned bits = 0xFF;
  for (std::size_t index : triangles->first) bits &= terrain_detail::kTriangleBits[first[index]];
  for (std::size_t index : triangles->second) {
    bits &= terrain_detail::kTriangleBits[second[index]];
  }
  return terrain_detail::kVertexClassOfBits[bits & 7];
}

int GetVertexClass(std::span<const std::uint8_t> image, std::size_t width, std::size_t height,
                   std::size_t x, std::size_t y) {
  const std::size_t n = width * height;
  return VertexClassIn(Block(image, kTerrainBlock1, n), Block(image, kTerrainBlock2, n), width,
                       height, x, y);
}

}  // namespace plandrix
