#include "random/resources.h"

#include <array>
#include <optional>

#include "core/map_file.h"
#include "core/map_layout.h"
#include "random/terrain_classes.h"

namespace plandrix {
namespace {

// Block-12 values by vertex class; class 3 takes its value from kClass3Rotation and
// class 0 keeps the byte.
constexpr std::uint8_t kWaterResource = 135;
constexpr std::uint8_t kClass2Resource = 33;
// Class-3 vertices take these in turn, in the order the pass meets them, across rows.
constexpr std::array<std::uint8_t, 6> kClass3Rotation = {71, 79, 71, 87, 71, 95};

void WriteResource(std::uint8_t& resource, int vertex_class, std::size_t& rotation) {
  switch (vertex_class) {
    case 1:
      resource = kWaterResource;
      break;
    case 2:
      resource = kClass2Resource;
      break;
    case 3:
      resource = kClass3Rotation[rotation];
      rotation = rotation + 1 == kClass3Rotation.size() ? 0 : rotation + 1;
      break;
    default:
      break;
  }
}

// The inner loops decide without branches: terrain varies from vertex to vertex, so a
// branch on the class would be mispredicted often on real maps.
inline void WriteResourceBranchless(std::uint8_t& resource, unsigned common,
                                    std::size_t& rotation) {
  const std::uint8_t vertex_class = terrain_detail::kVertexClassOfBits[common];
  const std::uint8_t fixed = vertex_class == 1 ? kWaterResource : kClass2Resource;
  const std::uint8_t value = vertex_class == 3 ? kClass3Rotation[rotation] : fixed;
  resource = vertex_class == 0 ? resource : value;
  const std::size_t next = rotation + 1 == kClass3Rotation.size() ? 0 : rotation + 1;
  rotation = vertex_class == 3 ? next : rotation;
}

}  // namespace

void PlaceResources(std::span<std::uint8_t> image, std::size_t width, std::size_t height) {
  const std::size_t n = width * height;
  if (image.size() < MapLength(width, height)) return;
  const auto first = Block(std::span<const std::uint8_t>(image), kTerrainBlock1, n);
  const auto second = Block(std::span<const std::uint8_t>(image), kTerrainBlock2, n);
  const auto resources = Block(image, kResourceBlock, n);
  const auto& bits = terrain_detail::kTriangleBits;
  std::size_t rotation = 0;
  for (std::size_t y = 0; y < height; ++y) {
    const auto row = resources.subspan(VertexIndex(0, y, width), width);
    const bool inner_row = width >= 3 && y >= 1 && y + 1 < height;
    if (!inner_row) {
      for (std::size_t x = 0; x < width; ++x) {
        WriteResource(row[x], VertexClassIn(first, second, width, height, x, y), rotation);
      }
      continue;
    }
    // Inner vertices of inner rows all follow the plain even or odd neighbourhood; only
    // the first and last column need the wrapping rules.
    WriteResource(row[0], VertexClassIn(first, second, width, height, 0, y), rotation);
    const auto first_above = first.subspan(VertexIndex(0, y - 1, width), width);
    const auto second_above = second.subspan(VertexIndex(0, y - 1, width), width);
    const auto first_here = first.subspan(VertexIndex(0, y, width), width);
    const auto second_here = second.subspan(VertexIndex(0, y, width), width);
    if (y % 2 == 0) {
      for (std::size_t x = 1; x + 1 < width; ++x) {
        const unsigned common = bits[first_above[x - 1]] & bits[first_above[x]] &
                                bits[first_here[x]] & bits[second_above[x - 1]] &
                                bits[second_here[x - 1]] & bits[second_here[x]];
        WriteResourceBranchless(row[x], common, rotation);
      }
    } else {
      for (std::size_t x = 1; x + 1 < width; ++x) {
        const unsigned common = bits[first_above[x + 1]] & bits[first_above[x]] &
                                bits[first_here[x]] & bits[second_above[x]] & bits[second_here[x]] &
                                bits[second_here[x - 1]];
        WriteResourceBranchless(row[x], common, rotation);
      }
    }
    WriteResource(row[width - 1], VertexClassIn(first, second, width, height, width - 1, y),
                  rotation);
  }
}

void RandomResourcesTool(Console& console) {
  console.out << "10 - Random-Resources-Tool(WIP)\n"
              << "This Tool will add some random resources to your map\n";
  InputFile file;
  std::optional<MapImage> loaded = LoadMap(console.in, console.out, file);
  if (!loaded) return;
  const std::span<std::uint8_t> image(*loaded);
  const std::size_t width = MapWidth(image);
  const std::size_t height = MapHeight(image);
  WarnLargeMap(console.out, width, height);
  PlaceResources(image, width, height);
  const std::array<const InputFile*, 1> inputs = {&file};
  SaveMap(console.out, image, file.name, inputs);
}

}  // namespace plandrix
