#include "random/random_map.h"

#include "random/objects_animals.h"
#include "random/random_heights.h"
#include "random/resources.h"
#include "random/trees_granite.h"

namespace plandrix {

MapLayout ComputeMapLayout(MapLayout layout, std::int32_t width, std::int32_t height) {
  layout.map_width = width;
  layout.map_height = height;
  if (layout.region_width <= 0 || layout.region_height <= 0 || width <= 0 || height <= 0) {
    // Nothing to divide by, or nothing to divide: the whole map is margin.
    layout.region_columns = 0;
    layout.region_rows = 0;
    layout.region_count = 0;
    layout.leftover_x = width;
    layout.leftover_y = height;
    return layout;
  }
  layout.region_columns = width / layout.region_width;
  layout.leftover_x = width - layout.region_columns * layout.region_width;
  layout.region_rows = height / layout.region_height;
  layout.leftover_y = height - layout.region_rows * layout.region_height;
  // An exact fit would put the last column's triangles past the right edge (and the last
  // row's past the bottom): give up one region and keep its size as margin, split in two.
  if (layout.leftover_x == 0) {
    --layout.region_columns;
    layout.leftover_x = layout.region_width;
  }
  if (layout.leftover_y == 0) {
    --layout.region_rows;
    layout.leftover_y = layout.region_height;
  }
  // A side up to 65535 gives at most 5461 x 5461 regions of 12, well inside 32 bits.
  const std::int64_t count = std::int64_t{layout.region_columns} * layout.region_rows;
  layout.region_count = count > INT32_MAX ? INT32_MAX : static_cast<std::int32_t>(count);
  return layout;
}

std::uint32_t RegionKindFor(std::uint32_t draw, const MapLayout& layout) {
  const std::int64_t p = draw % 100U;
  std::int64_t upper = 0;  // sum of the percentages of kinds 0 to k
  for (std::size_t kind = 0; kind < layout.kind_percent.size(); ++kind) {
    const std::int64_t lower = upper;
    upper += layout.kind_percent[kind];
    // Kind 0 takes everything below its share; every later kind its own band.
    if ((kind == 0 || lower <= p) && p < upper) return static_cast<std::uint32_t>(kind);
  }
  return kUnpaintedKind;
}

void AssignRegionKinds(std::span<std::uint32_t> kinds, MapLayout layout, RandomSource& source,
                       std::uint32_t seed) {
  AssignRegionKindsWith(kinds, layout, [&] { return RandomNumber(source, seed, 0); });
}

void SetVertexTriangles(std::span<std::uint8_t> image, std::size_t width, std::size_t height,
                        std::size_t p, std::size_t y, std::uint8_t code) {
  if (width == 0 || height == 0 || y >= height) return;
  if (!HoldsMap(image, width, height)) return;
  if (p < y * width || p - y * width >= width) return;
  const std::size_t n = width * height;
  SetVertexTrianglesAt(Block(image, kTerrainBlock1, n), Block(image, kTerrainBlock2, n), width,
                       p - y * width, y, code);
}

void PaintRegion(std::span<std::uint8_t> image, std::span<const std::uint32_t> kinds,
                 std::int32_t row, std::int32_t column, MapLayout layout, RandomSource& source,
                 std::uint32_t seed) {
  PaintRegionWith(image, kinds, row, column, layout, [&] { return RandomNumber(source, seed, 0); });
}

void GenerateMap(std::span<std::uint8_t> image, std::span<std::uint32_t> kinds,
                 const MapLayout& layout, RandomSource& source, std::uint32_t seed,
                 std::ostream& out) {
  const auto width = static_cast<std::size_t>(layout.map_width);
  const auto height = static_cast<std::size_t>(layout.map_height);
  AssignRegionKinds(kinds, layout, source, seed);
  // Region-index order: where cells' triangles overlap, the later region wins.
  for (std::int32_t row = 0; row < layout.region_rows; ++row) {
    for (std::int32_t column = 0; column < layout.region_columns; ++column) {
      PaintRegion(image, kinds, row, column, layout, source, seed);
    }
  }
  out << '\n';

  // Each of the four drawing passes starts from the same fresh sequence of the map's seed.
  (void)RandomNumber(source, seed, 1);
  PlaceObjects(image, width, height, source, seed, out);
  (void)RandomNumber(source, seed, 1);
  PlaceTrees(image, width, height, source, seed, out);
  (void)RandomNumber(source, seed, 1);
  PlaceGranite(image, width, height, source, seed, out);
  (void)RandomNumber(source, seed, 1);
  PlaceAnimals(image, width, height, source, seed, out);
  PlaceResources(image, width, height);
  // The heights continue the sequence right after the animals.
  RandomizeHeights(image, width, height, source, seed);
}

}  // namespace plandrix
