#include "transform/bitmap_terrain.h"

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

#include "core/map_layout.h"
#include "core/terrain.h"

namespace plandrix {
namespace {

// The intermediate codes that are no terrain code: lava and water painted early in the
// walk, mountain meadow painted late (each then painted as its terrain).
constexpr std::uint8_t kEarlyLava = 37;
constexpr std::uint8_t kEarlyWater = 36;
constexpr std::uint8_t kLateMountainMeadow = 35;

// The conversion's colour list: the intermediate code of each 4-bit colour number (the
// palette is never read).
constexpr std::array<std::uint8_t, 16> kCodeOfColour = {
    kUnpaintedCode, kEarlyLava,     kMeadow1,        kSteppe, kEarlyWater, kLateMountainMeadow,
    kSwamp,         kMountain1,     kMountainMeadow, kLava,   kSavannah,   kDesert1,
    kWater,         kUnpaintedCode, kFlowerMeadow,   kSnow};

// Both codes of one pixel byte: the left pixel sits in the high four bits.
constexpr std::array<std::array<std::uint8_t, 2>, 256> kCodesOfByte = [] {
  std::array<std::array<std::uint8_t, 2>, 256> table{};
  for (std::size_t byte = 0; byte < 256; ++byte) {
    table[byte] = {kCodeOfColour[byte >> 4], kCodeOfColour[byte & 0x0F]};
  }
  return table;
}();

// The walk over the codes: one step per entry, in this order. A step whose code is
// kUnpaintedCode paints nothing; the early lava and water and the late mountain meadow
// are painted as their terrain.
struct WalkStep {
  std::uint8_t code;
  std::uint8_t texture;
};
constexpr std::array<WalkStep, 16> kWalk = {{{kEarlyLava, kLava},
                                             {kEarlyWater, kWater},
                                             {kUnpaintedCode, 0},
                                             {kDesert1, kDesert1},
                                             {kMountainMeadow, kMountainMeadow},
                                             {kSteppe, kSteppe},
                                             {kSavannah, kSavannah},
                                             {kMeadow1, kMeadow1},
                                             {kSwamp, kSwamp},
                                             {kUnpaintedCode, 0},
                                             {kMountain1, kMountain1},
                                             {kFlowerMeadow, kFlowerMeadow},
                                             {kLateMountainMeadow, kMountainMeadow},
                                             {kSnow, kSnow},
                                             {kWater, kWater},
                                             {kLava, kLava}}};

// A triangle ends up with the texture of the last step that paints it: vertices of one
// step all paint the same texture, and later steps overwrite earlier ones. So every code
// gets a key, (1 + its step) x 256 + its texture, and a triangle takes the low byte of
// the largest key among the vertices that paint it. Key 0: the code is never painted.
using PaintKey = std::uint16_t;
constexpr std::array<PaintKey, 256> kKeyOfCode = [] {
  std::array<PaintKey, 256> table{};
  for (std::size_t step = 0; step < kWalk.size(); ++step) {
    if (kWalk[step].code != kUnpaintedCode) {
      table[kWalk[step].code] = static_cast<PaintKey>(((step + 1) << 8) | kWalk[step].texture);
    }
  }
  return table;
}();

// One triangle of a shape: its layer, and its row and column relative to the shape's
// vertex (row -1 is the row above, column -1/+1 the left/right neighbour).
struct ShapeTriangle {
  int block;
  int row;
  int column;
};
using Shape = std::array<ShapeTriangle, 6>;

// The six triangles that a vertex paints in an even row ...
constexpr Shape kEvenShape = {{{kTerrainBlock1, -1, -1},
                               {kTerrainBlock1, -1, 0},
                               {kTerrainBlock1, 0, 0},
                               {kTerrainBlock2, -1, -1},
                               {kTerrainBlock2, 0, -1},
                               {kTerrainBlock2, 0, 0}}};
// ... and in an odd row, which lies half a vertex to the right.
constexpr Shape kOddShape = {{{kTerrainBlock1, -1, 0},
                              {kTerrainBlock1, -1, 1},
                              {kTerrainBlock1, 0, 0},
                              {kTerrainBlock2, -1, 0},
                              {kTerrainBlock2, 0, -1},
                              {kTerrainBlock2, 0, 0}}};

// Which shape a vertex paints, and where. Row -1 of a shape is always read as the last
// row. With wrap_column, column -1 is read as the last column of the same row; without
// it, a column -1 or W is the neighbouring position in the layer.
struct Placement {
  const Shape* shape = nullptr;  // nullptr: the vertex paints nothing of its own
  std::size_t x = 0;
  std::size_t y = 0;
  bool wrap_column = false;
};

Placement PlacementOf(std::size_t x, std::size_t y, std::size_t width, std::size_t height) {
  const std::size_t last_row = height - 1;
  const bool odd_row = (y % 2) == 1;
  // A map of one row is all row 0.
  if (y == 0) {
    if (x == 0) return {};
    return {&kEvenShape, x, 0, false};
  }
  if (y == last_row) {
    if (odd_row) {
      if (x == 0) return {};
      return {&kOddShape, x, y, false};
    }
    if (x == 0) return {&kEvenShape, 0, y, true};
    if (x == width - 1) return {&kEvenShape, x, y, false};
    return {};
  }
  if (!odd_row) return {&kEvenShape, x, y, x == 0};
  // Odd rows borrow their first vertex's triangles from the even row above, and the last
  // vertex paints the shape of its left neighbour.
  if (x == 0) return {&kEvenShape, 0, y - 1, true};
  if (x == width - 1) return {&kOddShape, width - 2, y, false};
  return {&kOddShape, x, y, false};
}

// Calls paint(block, index) for every triangle that vertex (x, y) paints and that lies
// inside the layer of n = W x H positions.
template <typename Paint>
void ForEachPaintedTriangle(std::size_t x, std::size_t y, std::size_t width, std::size_t height,
                            Paint&& paint) {
  const std::size_t n = width * height;
  if (x >= width || y >= height) return;
  const Placement place = PlacementOf(x, y, width, height);
  if (place.shape == nullptr) return;
  for (const ShapeTriangle& triangle : *place.shape) {
    const std::size_t row = triangle.row == 0 ? place.y : (place.y == 0 ? height - 1 : place.y - 1);
    const std::size_t row_start = VertexIndex(0, row, width);
    std::size_t index = 0;
    if (triangle.column < 0) {
      if (place.x > 0) {
        index = row_start + place.x - 1;
      } else if (place.wrap_column) {
        index = row_start + width - 1;
      } else if (row_start == 0) {
        continue;  // would lie before the layer
      } else {
        index = row_start - 1;
      }
    } else {
      index = row_start + place.x + static_cast<std::size_t>(triangle.column);
    }
    if (index >= n) continue;
    paint(triangle.block, index);
  }
}

// Whether vertex (x, y) paints its own plain shape (even or odd by its row) with no row
// or column taken from elsewhere. Every other vertex lies on the border of the map.
bool PaintsPlainShape(std::size_t x, std::size_t y, std::size_t width, std::size_t height) {
  if (y == 0 || y + 1 >= height || x == 0) return false;
  return (y % 2) == 0 || x + 1 < width;
}

constexpr PaintKey Max3(PaintKey a, PaintKey b, PaintKey c) {
  const PaintKey ab = a > b ? a : b;
  return ab > c ? ab : c;
}

// Largest keys of the plain-shape vertices that paint the two triangles at column c of a
// row. here and below point at the keys of columns c - 1, c and c + 1 of that row and the
// next (0 for vertices that do not paint a plain shape or lie outside the map). A triangle
// of the first layer is painted by its own vertex and two vertices below; one of the
// second layer by its own vertex, the right neighbour and one vertex below.
struct TriangleKeys {
  PaintKey first;
  PaintKey second;
};
template <bool kOddRow>
constexpr TriangleKeys PlainKeys(const PaintKey* here, const PaintKey* below) {
  if constexpr (kOddRow) {
    return {Max3(here[1], below[1], below[2]), Max3(here[1], here[2], below[2])};
  } else {
    return {Max3(here[1], below[1], below[0]), Max3(here[1], here[2], below[1])};
  }
}

constexpr std::uint8_t TextureOf(PaintKey key, std::uint8_t unpainted) {
  return key != 0 ? static_cast<std::uint8_t>(key & 0xFF) : unpainted;
}

// Plain loops over arrays, so that the compiler can work on many columns at once.
template <bool kOddRow>
void PaintPlainRow(const PaintKey* here, const PaintKey* below, std::uint8_t* first,
                   std::uint8_t* second, std::size_t width) {
  for (std::size_t c = 0; c < width; ++c) {
    const TriangleKeys keys = PlainKeys<kOddRow>(here + c, below + c);
    first[c] = TextureOf(keys.first, first[c]);
    second[c] = TextureOf(keys.second, second[c]);
  }
}

// Keys of row y of the plain-shape vertices, with one 0 on either side (size W + 2).
void FillPlainKeys(std::span<const std::uint8_t> codes, std::size_t y, std::size_t width,
                   std::size_t height, std::vector<PaintKey>& keys) {
  std::fill(keys.begin(), keys.end(), PaintKey{0});
  if (y == 0 || y + 1 >= height || width < 2) return;
  const std::uint8_t* row = codes.data() + VertexIndex(0, y, width);
  const std::size_t end = (y % 2) == 0 ? width : width - 1;
  for (std::size_t x = 1; x < end; ++x) keys[x + 1] = kKeyOfCode[row[x]];
}

PaintKey PlainKeyAt(std::span<const std::uint8_t> codes, std::size_t x, std::size_t y,
                    std::size_t width, std::size_t height) {
  if (x >= width || y >= height || !PaintsPlainShape(x, y, width, height)) return 0;
  return kKeyOfCode[codes[VertexIndex(x, y, width)]];
}

}  // namespace

std::size_t BitmapWidth(std::span<const std::uint8_t> bitmap) {
  return ReadU16(bitmap, kBmpWidthOffset);
}

std::size_t BitmapHeight(std::span<const std::uint8_t> bitmap) {
  return ReadU16(bitmap, kBmpHeightOffset);
}

std::size_t BmpRowBytes(std::size_t width) { return (width + 7) / 8 * 4; }

std::size_t BmpRowPadding(std::size_t width) { return BmpRowBytes(width) - (width + 1) / 2; }

bool BmpHoldsItsPixels(std::span<const std::uint8_t> bitmap) {
  if (bitmap.size() < kBmpSizeFieldsEnd) return false;
  const std::size_t row_bytes = BmpRowBytes(BitmapWidth(bitmap));
  return bitmap.size() >= kBmp4BitPixelOffset + BitmapHeight(bitmap) * row_bytes;
}

bool CheckBmpSize(std::ostream& out, std::size_t bmp_width, std::size_t bmp_height) {
  if (bmp_width > 0 && bmp_width % 2 == 0 && bmp_height > 0 && bmp_height % 2 == 0) return true;
  out << "Warning, your BMP Sizes are not even or 0!\n"
         "BMP to SWD will stop now!\n";
  return false;
}

bool CheckMapFitsBmp(std::ostream& out, std::size_t map_width, std::size_t bmp_width,
                     std::size_t map_height, std::size_t bmp_height) {
  if (map_width != bmp_width) {
    out << "ERROR: Mapwidth and BMP size do not fit!\n";
    return false;
  }
  if (map_height != bmp_height) {
    out << "ERROR: Mapheight and BMP size do not fit!\n";
    return false;
  }
  return true;
}

bool TranslateBMPNumbertoTexture(std::span<const std::uint8_t> bitmap,
                                 std::span<std::uint8_t> codes, std::size_t width,
                                 std::size_t height, std::size_t row_padding) {
  const std::size_t pair_count = width / 2;
  // An odd width ends each row with a byte of which only the high four bits are a pixel.
  const std::size_t row_bytes = (width + 1) / 2 + row_padding;
  if (codes.size() < width * height) return false;
  if (height > 0) {
    // H x row_bytes <= available, written so that it cannot overflow.
    if (bitmap.size() < kBmp4BitPixelOffset) return false;
    if ((bitmap.size() - kBmp4BitPixelOffset) / height < row_bytes) return false;
  }
  for (std::size_t y = 0; y < height; ++y) {
    // Stored rows run bottom-up: map row 0 is the last stored row.
    const std::uint8_t* pixels = bitmap.data() + kBmp4BitPixelOffset + (height - 1 - y) * row_bytes;
    std::uint8_t* row = codes.data() + VertexIndex(0, y, width);
    for (std::size_t pair = 0; pair < pair_count; ++pair) {
      const auto& pair_codes = kCodesOfByte[pixels[pair]];
      row[2 * pair] = pair_codes[0];
      row[2 * pair + 1] = pair_codes[1];
    }
    if (width % 2 == 1) row[width - 1] = kCodesOfByte[pixels[pair_count]][0];
  }
  return true;
}

void SetVertexTexture(std::size_t x, std::size_t y, std::span<std::uint8_t> image,
                      std::uint8_t texture, std::size_t width, std::size_t height) {
  const std::size_t n = width * height;
  if (!HoldsMap(image, width, height)) return;
  const auto first = Block(image, kTerrainBlock1, n);
  const auto second = Block(image, kTerrainBlock2, n);
  ForEachPaintedTriangle(x, y, width, height, [&](int block, std::size_t index) {
    (block == kTerrainBlock1 ? first : second)[index] = texture;
  });
}

namespace {

// A border triangle, as 2 x its index + its layer (0 for block 2, 1 for block 3), with the
// key of one vertex that paints it.
using BorderPaint = std::pair<std::size_t, PaintKey>;

// Every triangle inside the map is painted by three known vertices of its own row and the
// row below; their keys are gathered row by row.
void PaintPlainRows(std::span<const std::uint8_t> codes, std::span<std::uint8_t> first,
                    std::span<std::uint8_t> second, std::size_t width, std::size_t height) {
  std::vector<PaintKey> here(width + 2);
  std::vector<PaintKey> below(width + 2);
  FillPlainKeys(codes, 0, width, height, here);
  for (std::size_t r = 0; r < height; ++r) {
    FillPlainKeys(codes, r + 1, width, height, below);
    std::uint8_t* first_row = first.data() + VertexIndex(0, r, width);
    std::uint8_t* second_row = second.data() + VertexIndex(0, r, width);
    if (r % 2 == 1) {
      PaintPlainRow<true>(here.data(), below.data(), first_row, second_row, width);
    } else {
      PaintPlainRow<false>(here.data(), below.data(), first_row, second_row, width);
    }
    std::swap(here, below);
  }
}

// The triangles painted by border vertices (first and last row, first column, last column
// of odd rows), which take rows and columns from elsewhere, sorted by position.
std::vector<BorderPaint> BorderPaints(std::span<const std::uint8_t> codes, std::size_t width,
                                      std::size_t height) {
  std::vector<BorderPaint> border;
  const auto collect = [&](std::size_t x, std::size_t y) {
    const PaintKey key = kKeyOfCode[codes[VertexIndex(x, y, width)]];
    if (key == 0) return;
    ForEachPaintedTriangle(x, y, width, height, [&](int block, std::size_t index) {
      border.emplace_back(2 * index + (block == kTerrainBlock1 ? 0 : 1), key);
    });
  };
  for (std::size_t y = 0; y < height; ++y) {
    if (y == 0 || y + 1 == height) {
      for (std::size_t x = 0; x < width; ++x) collect(x, y);
      continue;
    }
    collect(0, y);
    if (y % 2 == 1 && width > 1) collect(width - 1, y);
  }
  std::sort(border.begin(), border.end());
  return border;
}

// Settles each border triangle together with the plain-shape vertices that paint it too.
void PaintBorder(std::span<const BorderPaint> border, std::span<const std::uint8_t> codes,
                 std::span<std::uint8_t> first, std::span<std::uint8_t> second, std::size_t width,
                 std::size_t height) {
  for (std::size_t i = 0; i < border.size();) {
    const std::size_t position = border[i].first;
    PaintKey key = 0;
    for (; i < border.size() && border[i].first == position; ++i) {
      key = std::max(key, border[i].second);
    }
    const std::size_t index = position / 2;
    const bool in_first = position % 2 == 0;
    const std::size_t r = index / width;
    const std::size_t c = index % width;
    std::array<PaintKey, 3> here_keys{};
    std::array<PaintKey, 3> below_keys{};
    for (std::size_t k = 0; k < 3; ++k) {
      if (c + k == 0) continue;  // column -1
      here_keys[k] = PlainKeyAt(codes, c + k - 1, r, width, height);
      below_keys[k] = PlainKeyAt(codes, c + k - 1, r + 1, width, height);
    }
    const TriangleKeys plain = r % 2 == 1 ? PlainKeys<true>(here_keys.data(), below_keys.data())
                                          : PlainKeys<false>(here_keys.data(), below_keys.data());
    key = std::max(key, in_first ? plain.first : plain.second);
    auto& triangle = (in_first ? first : second)[index];
    triangle = TextureOf(key, triangle);
  }
}

}  // namespace

void GetCurrentTexture(std::span<std::uint8_t> image, std::span<const std::uint8_t> codes,
                       std::size_t width, std::size_t height) {
  const std::size_t n = width * height;
  if (n == 0 || !HoldsMap(image, width, height) || codes.size() < n) return;
  const auto first = Block(image, kTerrainBlock1, n);
  const auto second = Block(image, kTerrainBlock2, n);
  // Instead of 16 walks, every triangle takes the texture of the largest key among the
  // vertices that paint it.
  PaintPlainRows(codes, first, second, width, height);
  PaintBorder(BorderPaints(codes, width, height), codes, first, second, width, height);
}

void GetCurrentTextureStepByStep(std::span<std::uint8_t> image, std::span<const std::uint8_t> codes,
                                 std::size_t width, std::size_t height) {
  if (height != 0 && width > codes.size() / height) return;
  for (const WalkStep& step : kWalk) {
    if (step.code == kUnpaintedCode) continue;
    for (std::size_t y = 0; y < height; ++y) {
      for (std::size_t x = 0; x < width; ++x) {
        if (codes[VertexIndex(x, y, width)] == step.code) {
          SetVertexTexture(x, y, image, step.texture, width, height);
        }
      }
    }
  }
}

ColourPaint PaintOfColour(std::uint8_t colour) {
  const PaintKey key = kKeyOfCode[kCodeOfColour[colour & 0x0F]];
  return {static_cast<std::uint8_t>(key & 0xFF), static_cast<std::uint8_t>(key >> 8)};
}

std::size_t TrianglesPaintedBy(std::size_t x, std::size_t y, std::size_t width, std::size_t height,
                               std::array<TerrainTriangle, 6>& triangles) {
  std::size_t count = 0;
  ForEachPaintedTriangle(x, y, width, height, [&](int block, std::size_t index) {
    const TerrainTriangle triangle{block, index};
    // On maps of one or two columns a shape can name one triangle twice.
    if (std::find(triangles.begin(), triangles.begin() + static_cast<long>(count), triangle) ==
        triangles.begin() + static_cast<long>(count)) {
      triangles[count++] = triangle;
    }
  });
  return count;
}

std::size_t PaintersOfTriangle(TerrainTriangle triangle, std::size_t width, std::size_t height,
                               std::array<std::size_t, kMostPainters>& painters) {
  if (width == 0 || height == 0 || triangle.index >= width * height) return 0;
  const std::size_t r = triangle.index / width;
  const std::size_t c = triangle.index % width;
  const bool first = triangle.block == kTerrainBlock1;
  if (r >= 2 && r + 4 <= height && c >= 2 && c + 5 <= width) {
    // Away from the border only plain shapes reach the triangle: a first-layer triangle
    // is painted by its own vertex and two below, a second-layer one by its own vertex,
    // its right neighbour and one below (PlainKeys).
    const std::size_t odd = r % 2;
    const std::size_t below = first ? c + odd - (1 - odd) : c + odd;
    std::array<std::size_t, 3> found = {VertexIndex(c, r, width),
                                        VertexIndex(first ? c : c + 1, first ? r + 1 : r, width),
                                        VertexIndex(below, r + 1, width)};
    std::sort(found.begin(), found.end());
    std::copy(found.begin(), found.end(), painters.begin());
    return found.size();
  }
  // Near the border: every vertex that can reach the triangle through a wrapped row or
  // column, a borrowed shape or the step into the next row is asked.
  std::array<std::size_t, 8> rows = {r, r + 1, r + 2, 0, 1, 2, height - 1, r == 0 ? 0 : r - 1};
  std::array<std::size_t, 9> columns = {
      c, c + 1, c + 2, 0, 1, width - 1, width - 2, c == 0 ? 0 : c - 1, c < 2 ? 0 : c - 2};
  std::size_t count = 0;
  std::array<TerrainTriangle, 6> painted{};
  for (std::size_t y : rows) {
    for (std::size_t x : columns) {
      if (y >= height || x >= width) continue;
      const std::size_t vertex = VertexIndex(x, y, width);
      const auto end = painters.begin() + static_cast<long>(count);
      if (std::find(painters.begin(), end, vertex) != end) continue;
      const std::size_t n = TrianglesPaintedBy(x, y, width, height, painted);
      if (std::find(painted.begin(), painted.begin() + static_cast<long>(n), triangle) ==
          painted.begin() + static_cast<long>(n)) {
        continue;
      }
      if (count < painters.size()) painters[count++] = vertex;
    }
  }
  std::sort(painters.begin(), painters.begin() + static_cast<long>(count));
  return count;
}

}  // namespace plandrix
