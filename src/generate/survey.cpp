#include "generate/survey.h"

#include <array>

namespace plandrix::generate {
namespace {

constexpr std::uint8_t kAllBits =
    kAllWater | kAllVital | kAllAnimalGround | kAllHumid | kAllBuildable;

// The bits of one triangle of each code, for a landscape.
std::array<std::uint8_t, 64> TriangleBits(Landscape landscape) {
  std::array<std::uint8_t, 64> bits{};
  for (std::uint8_t code = 0; code < bits.size(); ++code) {
    const auto set = [&](bool yes, std::uint8_t bit) {
      if (yes) bits[code] = static_cast<std::uint8_t>(bits[code] | bit);
    };
    set(IsWaterKind(landscape, code), kAllWater);
    set(IsVital(landscape, code), kAllVital);
    set(IsAnimalGround(landscape, code), kAllAnimalGround);
    set(IsDefinedTerrain(landscape, code) && TerrainOf(landscape, code).humidity > 0, kAllHumid);
    set(IsBuildable(code), kAllBuildable);
    set(IsDanger(code), kAnyDanger);
    set(IsWalkable(code), kAnyWalkable);
  }
  return bits;
}

}  // namespace

std::uint8_t WalkableAround(const MapGrid& grid, std::span<const std::uint8_t> first,
                            std::span<const std::uint8_t> second, std::size_t v) {
  const auto six = grid.TrianglesAround(grid.PointOf(v));
  std::uint8_t walkable = 0;
  for (std::size_t i = 0; i < six.size(); ++i) {
    const std::uint8_t byte = six[i].second ? second[six[i].vertex] : first[six[i].vertex];
    if (IsWalkable(byte)) walkable = static_cast<std::uint8_t>(walkable | (1u << i));
  }
  return walkable;
}

std::vector<std::uint8_t> SurveyVertices(const MapGrid& grid, Landscape landscape,
                                         std::span<const std::uint8_t> first,
                                         std::span<const std::uint8_t> second) {
  const std::array<std::uint8_t, 64> bits = TriangleBits(landscape);
  const auto of = [&](std::uint8_t byte) { return bits[TerrainCode(byte)]; };
  std::vector<std::uint8_t> survey(grid.size());
  const std::size_t w = grid.width();
  for (std::size_t y = 0; y < grid.height(); ++y) {
    const bool odd = (y & 1) != 0;
    const std::size_t row = y * w;
    const std::size_t up = (y == 0 ? grid.height() - 1 : y - 1) * w;
    for (std::size_t x = 0; x < w; ++x) {
      const std::size_t left = x == 0 ? w - 1 : x - 1;
      const std::size_t right = x + 1 == w ? 0 : x + 1;
      // The six triangles: north-west's two, north-east's first, the vertex's own two and
      // the west neighbour's second.
      const std::size_t north_west = up + (odd ? x : left);
      const std::size_t north_east = up + (odd ? right : x);
      const std::array<std::uint8_t, 6> six = {of(first[north_west]), of(second[north_west]),
                                               of(first[north_east]), of(second[row + x]),
                                               of(first[row + x]),    of(second[row + left])};
      std::uint8_t all = kAllBits;
      std::uint8_t any = 0;
      for (const std::uint8_t b : six) {
        all &= b;
        any |= b;
      }
      survey[row + x] = static_cast<std::uint8_t>((all & kAllBits) | (any & ~kAllBits));
    }
  }
  return survey;
}

}  // namespace plandrix::generate
