#include "generate/game_layers.h"

#include <algorithm>

#include "core/map_format.h"
#include "core/map_grid.h"
#include "core/map_layout.h"
#include "core/terrain.h"
#include "inspect/building_quality.h"

namespace plandrix::generate {

std::uint8_t ShadingAt(std::span<const std::uint8_t> heights, std::size_t width, std::size_t height,
                       std::size_t x, std::size_t y) {
  const MapGrid grid(width, height);
  const Point p{x, y};
  const Point west = grid.Neighbour(p, Direction::kWest);
  const auto rise = [&](Point q) {
    return static_cast<int>(heights[grid.Index(q)]) - static_cast<int>(heights[grid.Index(p)]);
  };
  const int a = rise(grid.Neighbour(p, Direction::kNorthEast));
  const int b = rise(grid.Neighbour(west, Direction::kWest));
  const int c = rise(west);
  const int d = rise(grid.Neighbour(west, Direction::kSouthWest));
  return static_cast<std::uint8_t>(std::clamp(64 + 9 * a - 3 * b - 6 * c - 9 * d, 0, 128));
}

void FillGameLayers(std::span<std::uint8_t> image) {
  if (!MapImageIsComplete(image)) return;
  const std::size_t width = MapWidth(image);
  const std::size_t height = MapHeight(image);
  const std::size_t n = width * height;
  const auto landscape = LandscapeOf(image[kLandscapeOffset]).value_or(Landscape::kGreenland);
  if (const auto layers = LayersOf(image, landscape)) {
    const auto quality = ComputeBuildingQuality(*layers);
    const auto block = Block(image, kQualityBlock, n);
    for (std::size_t v = 0; v < n && v < quality.size(); ++v) {
      block[v] = QualityBlockByte(quality[v]);
    }
  }
  const auto heights = Block(std::span<const std::uint8_t>(image), kHeightBlock, n);
  const auto shading = Block(image, kShadingBlock, n);
  for (std::size_t y = 0; y < height; ++y) {
    for (std::size_t x = 0; x < width; ++x)
      shading[y * width + x] = ShadingAt(heights, width, height, x, y);
  }
}

}  // namespace plandrix::generate
