// The random map generator: a grid of equal regions laid over a blank map, a kind drawn
// for every region, each region painted by its kind, then the placement and height passes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <ostream>
#include <span>
#include <string_view>

#include "core/map_layout.h"
#include "core/terrain.h"
#include "random/random_source.h"

namespace plandrix {

inline constexpr int kRegionKindCount = 8;  // kinds 0 to 7 paint; 8 and above leave the cell
inline constexpr std::uint32_t kUnpaintedKind = 8;

// The generator's parameters and the grid worked out from them. Every map of the tool is
// laid out with these start values: regions of 12 x 12, 45 % kind 3, 15 % kind 4 and the
// remaining 40 % kind 8.
struct MapLayout {
  std::array<std::int32_t, kRegionKindCount> kind_percent = {0, 0, 0, 45, 15, 0, 0, 0};
  std::int32_t region_width = 12;
  std::int32_t region_height = 12;
  std::int32_t leftover_x = 0;  // vertices of a row outside the grid; set by ComputeMapLayout
  std::int32_t leftover_y = 0;  // rows outside the grid; set by ComputeMapLayout
  std::int32_t region_columns = 0;
  std::int32_t region_rows = 0;
  std::int32_t region_count = 0;
  std::int32_t seed = 12345678;
  std::int32_t map_width = 0;
  std::int32_t map_height = 0;
};

// A copy of layout with the grid for a width x height map: as many whole regions as fit,
// always leaving at least one vertex (one row) of margin on the right (at the bottom), so
// that the triangles of the last painted column and row stay inside the map. The grid is
// centred: the left margin is leftover_x / 2, rounded down. A region size below 1 or a
// side below 1 gives no region.
MapLayout ComputeMapLayout(MapLayout layout, std::int32_t width, std::int32_t height);

// The kind that a draw gives: its remainder modulo 100 looked up in the prefix sums of
// the eight percentages; past the last of them the region keeps the blank terrain.
std::uint32_t RegionKindFor(std::uint32_t draw, const MapLayout& layout);

// Writes the kinds of the first region_count regions (no more than kinds holds), one draw
// each, in region-index order.
template <typename Draw>
void AssignRegionKindsWith(std::span<std::uint32_t> kinds, MapLayout layout, Draw&& draw) {
  std::size_t count = layout.region_count > 0 ? static_cast<std::size_t>(layout.region_count) : 0;
  if (count > kinds.size()) count = kinds.size();
  for (std::size_t i = 0; i < count; ++i) kinds[i] = RegionKindFor(draw(), layout);
}

void AssignRegionKinds(std::span<std::uint32_t> kinds, MapLayout layout, RandomSource& source,
                       std::uint32_t seed);

// Sets the six triangles around a vertex: the vertex at index p of row y (of a width-wide
// map, n = first.size() vertices) owns its two triangles; the other four are the triangles
// of the row above and of the next vertex, reached by plain index arithmetic, so that x + 1
// and x + 2 past the end of a row land at the start of the next row. Odd rows lie half a
// vertex to the right, so their row-above triangles are one index further on; row 0 takes
// its row above from the last row. The set is the neighbourhood of (x + 1, y), which is
// where this generator's paint has always landed. The caller gives x < width and a row
// inside the map; a triangle that would lie past the last vertex is not written.
inline void SetVertexTrianglesAt(std::span<std::uint8_t> first, std::span<std::uint8_t> second,
                                 std::size_t width, std::size_t x, std::size_t y,
                                 std::uint8_t code) {
  const std::size_t n = first.size();
  const std::size_t p = y * width + x;
  const std::size_t above = y == 0 ? n - width + x : p - width + (y & 1U);
  first[above] = code;
  second[above] = code;
  second[p] = code;
  if (above + 1 < n) first[above + 1] = code;
  if (p + 1 < n) {
    first[p + 1] = code;
    second[p + 1] = code;
  }
}

// The same for a whole map image of width x height vertices. Writes only bytes of blocks
// 2 and 3; does nothing when p does not lie in row y, y is not a row of the map, or the
// image is too short for its size.
void SetVertexTriangles(std::span<std::uint8_t> image, std::size_t width, std::size_t height,
                        std::size_t p, std::size_t y, std::uint8_t code);

// How a region kind fills its cell: one code per vertex, chosen by a draw or fixed.
enum class FillDraw : std::uint8_t {
  kNone,    // codes[0], no draw
  kMod3,    // codes[draw % 3]
  kAnd3,    // codes[draw & 3]
  kLowBit,  // codes[draw & 1]
};

// Where the code number of a scattered vertex is drawn, if at all.
enum class ScatterCode : std::uint8_t {
  kFixed,      // codes[0], no draw
  kDrawFirst,  // before the two position draws
  kDrawLast,   // after the two position draws
};

struct RegionPaint {
  FillDraw fill;
  std::array<std::uint8_t, 4> fill_codes;
  bool scatter;
  ScatterCode scatter_code;
  std::array<std::uint8_t, 3> scatter_codes;  // by the code number modulo 3
  bool water_mark;  // one fixed water vertex near the centre, after the scatter
};

inline constexpr std::uint8_t kWaterCode = kWater;

// The random map's region kinds and the terrain each paints.
constexpr std::array<std::uint8_t, 4> kAllDesert = {kDesert1, kDesert1, kDesert1, kDesert1};
constexpr std::array<std::uint8_t, 4> kMountains = {kMountain1, kMountain2, kMountain3, kMountain4};
constexpr std::array<std::uint8_t, 3> kNoScatter = {kSavannah, kSavannah, kSavannah};
inline constexpr std::array<RegionPaint, kRegionKindCount> kRegionPaints = {{
    // 0: all desert
    {FillDraw::kNone, kAllDesert, false, ScatterCode::kFixed, kNoScatter, false},
    // 1: a mix of savannah, steppe and desert
    {FillDraw::kMod3,
     {kSavannah, kSteppe, kDesert1, kDesert1},
     false,
     ScatterCode::kFixed,
     kNoScatter,
     false},
    // 2: desert with spots of savannah and steppe and a water vertex
    {FillDraw::kNone,
     kAllDesert,
     true,
     ScatterCode::kDrawFirst,
     {kSavannah, kSteppe, kSteppe},
     true},
    // 3: a mix of the three meadows and flower meadow
    {FillDraw::kAnd3,
     {kMeadow1, kMeadow2, kMeadow3, kFlowerMeadow},
     false,
     ScatterCode::kFixed,
     kNoScatter,
     false},
    // 4: a mix of the four mountains with spots of snow and mountain meadow
    {FillDraw::kAnd3,
     kMountains,
     true,
     ScatterCode::kDrawLast,
     {kSnow, kMountainMeadow, kMountainMeadow},
     false},
    // 5: as 4, with spots of lava
    {FillDraw::kAnd3, kMountains, true, ScatterCode::kFixed, {kLava, kLava, kLava}, false},
    // 6: swamp and meadow by the lowest bit
    {FillDraw::kLowBit,
     {kSwamp, kMeadow1, kMeadow1, kMeadow1},
     false,
     ScatterCode::kFixed,
     kNoScatter,
     false},
    // 7: water with spots of desert
    {FillDraw::kNone,
     {kWater, kWater, kWater, kWater},
     true,
     ScatterCode::kFixed,
     {kDesert1, kDesert1, kDesert1},
     false},
}};

namespace random_map_detail {

// A remainder that cannot divide by zero: regions too small for a quarter or a half
// give 0, and the draw is still taken.
constexpr std::int64_t Mod(std::uint32_t value, std::int64_t divisor) {
  return divisor > 0 ? static_cast<std::int64_t>(value % static_cast<std::uint64_t>(divisor)) : 0;
}

template <typename Choose>
void FillCell(std::span<std::uint8_t> first, std::span<std::uint8_t> second, std::size_t width,
              std::size_t x0, std::size_t y0, std::size_t cell_width, std::size_t cell_height,
              Choose&& choose) {
  const std::size_t n = first.size();
  // With a vertex right of the cell in every row (the margin of ComputeMapLayout), all six
  // triangles of every cell vertex lie inside the blocks: no test per vertex is needed.
  const bool inside = x0 + cell_width < width;
  for (std::size_t y = y0; y < y0 + cell_height; ++y) {
    if (!inside) {
      for (std::size_t x = x0; x < x0 + cell_width; ++x) {
        SetVertexTrianglesAt(first, second, width, x, y, choose());
      }
      continue;
    }
    const std::size_t row = y * width;
    const std::size_t row_above = y == 0 ? n - width : row - width + (y & 1U);
    for (std::size_t x = x0; x < x0 + cell_width; ++x) {
      const std::uint8_t code = choose();
      const std::size_t p = row + x;
      const std::size_t above = row_above + x;
      first[above] = code;
      first[above + 1] = code;
      first[p + 1] = code;
      second[above] = code;
      second[p + 1] = code;
      second[p] = code;
    }
  }
}

// The cell of one region: its top left vertex and size inside a map of width x height,
// and the terrain layers it paints.
struct Cell {
  std::int64_t x0;
  std::int64_t y0;
  std::int64_t width;   // of the region
  std::int64_t height;  // of the region
  std::int64_t map_width;
  std::int64_t map_height;
  std::span<std::uint8_t> first;
  std::span<std::uint8_t> second;

  // Writes one vertex if it lies in the map (it always does for regions of 4 or more).
  void SetVertex(std::int64_t x, std::int64_t y, std::uint8_t code) const {
    if (x < 0 || y < 0 || x >= map_width || y >= map_height) return;
    SetVertexTrianglesAt(first, second, static_cast<std::size_t>(map_width),
                         static_cast<std::size_t>(x), static_cast<std::size_t>(y), code);
  }
};

// The cell of region (row, column) of the grid; empty for a region outside the grid, a
// layout without regions, or a cell that does not lie inside the map.
inline std::optional<Cell> CellOf(std::span<std::uint8_t> image, std::int32_t row,
                                  std::int32_t column, const MapLayout& layout) {
  if (row < 0 || row >= layout.region_rows || column < 0 || column >= layout.region_columns) {
    return std::nullopt;
  }
  if (layout.map_width <= 0 || layout.map_height <= 0) return std::nullopt;
  if (layout.region_width <= 0 || layout.region_height <= 0) return std::nullopt;
  Cell cell{};
  cell.width = layout.region_width;
  cell.height = layout.region_height;
  cell.map_width = layout.map_width;
  cell.map_height = layout.map_height;
  cell.x0 = column * cell.width + layout.leftover_x / 2;
  cell.y0 = row * cell.height + layout.leftover_y / 2;
  if (cell.x0 < 0 || cell.y0 < 0 || cell.x0 + cell.width > cell.map_width ||
      cell.y0 + cell.height > cell.map_height) {
    return std::nullopt;
  }
  const auto blocks = BlocksOf(image, static_cast<std::size_t>(cell.map_width),
                               static_cast<std::size_t>(cell.map_height));
  if (!blocks) return std::nullopt;
  cell.first = blocks->first;
  cell.second = blocks->second;
  return cell;
}

// Fills every vertex of the cell with a code of the paint, drawn as its fill says.
template <typename Draw>
void FillCellWith(const Cell& cell, const RegionPaint& paint, Draw&& draw) {
  const auto& codes = paint.fill_codes;
  const auto fill = [&](auto&& choose) {
    FillCell(cell.first, cell.second, static_cast<std::size_t>(cell.map_width),
             static_cast<std::size_t>(cell.x0), static_cast<std::size_t>(cell.y0),
             static_cast<std::size_t>(cell.width), static_cast<std::size_t>(cell.height), choose);
  };
  switch (paint.fill) {
    case FillDraw::kNone:
      fill([&] { return codes[0]; });
      break;
    case FillDraw::kMod3:
      fill([&] { return codes[draw() % 3U]; });
      break;
    case FillDraw::kAnd3:
      fill([&] { return codes[draw() & 3U]; });
      break;
    case FillDraw::kLowBit:
      fill([&] { return codes[draw() & 1U]; });
      break;
  }
}

// The scattered vertices of the paint: a drawn count of them, each at a drawn place
// around the middle of the cell, within a quarter of its size.
template <typename Draw>
void ScatterInCell(const Cell& cell, const RegionPaint& paint, Draw&& draw) {
  const std::int64_t half_width = cell.width / 2;
  const std::int64_t half_height = cell.height / 2;
  const std::int64_t limit = (half_width + half_height) / 2;
  const std::int64_t quarter_width = cell.width / 4;
  const std::int64_t quarter_height = cell.height / 4;
  const std::int64_t top = cell.y0 + half_height - 1 - quarter_height / 2;
  const std::int64_t left = cell.x0 + half_width - 1 - quarter_width / 2;
  const std::int64_t count = Mod(draw(), limit);
  for (std::int64_t i = 0; i < count; ++i) {
    std::uint32_t code_number = 0;
    if (paint.scatter_code == ScatterCode::kDrawFirst) code_number = draw();
    const std::int64_t dy = Mod(draw(), quarter_height);
    const std::int64_t dx = Mod(draw(), quarter_width);
    if (paint.scatter_code == ScatterCode::kDrawLast) code_number = draw();
    cell.SetVertex(left + dx, top + dy, paint.scatter_codes[code_number % 3U]);
  }
}

}  // namespace random_map_detail

// Paints the cell of region (row, column) by its kind in kinds (region-index order).
// Kinds above 7, regions outside the grid, and cells that do not lie inside the map
// paint nothing and draw nothing.
template <typename Draw>
void PaintRegionWith(std::span<std::uint8_t> image, std::span<const std::uint32_t> kinds,
                     std::int32_t row, std::int32_t column, MapLayout layout, Draw&& draw) {
  if (row < 0 || row >= layout.region_rows || column < 0 || column >= layout.region_columns) {
    return;
  }
  const auto index = static_cast<std::size_t>(std::int64_t{row} * layout.region_columns + column);
  if (index >= kinds.size() || kinds[index] >= static_cast<std::uint32_t>(kRegionKindCount)) return;
  const RegionPaint& paint = kRegionPaints[kinds[index]];
  const std::optional<random_map_detail::Cell> cell =
      random_map_detail::CellOf(image, row, column, layout);
  if (!cell) return;
  random_map_detail::FillCellWith(*cell, paint, draw);
  if (paint.scatter) random_map_detail::ScatterInCell(*cell, paint, draw);
  if (paint.water_mark) {
    cell->SetVertex(cell->x0 + cell->width / 2 - 2, cell->y0 + cell->height / 2 - 1, kWaterCode);
  }
}

void PaintRegion(std::span<std::uint8_t> image, std::span<const std::uint32_t> kinds,
                 std::int32_t row, std::int32_t column, MapLayout layout, RandomSource& source,
                 std::uint32_t seed);

// The steps of the generator on a blank map of layout's size (kinds holds
// layout.region_count entries): kinds and painting, then the placement and height
// passes in this fixed order. The tool restarts the source from seed just before.
void GenerateMap(std::span<std::uint8_t> image, std::span<std::uint32_t> kinds,
                 const MapLayout& layout, RandomSource& source, std::uint32_t seed,
                 std::ostream& out);

}  // namespace plandrix
