#include "random/resources.h"

#include <array>
#include <bit>
#include <optional>
#include <utility>
#include <vector>

#include "core/byte_lanes.h"
#include "core/map_format.h"
#include "core/map_layout.h"
#include "random/terrain_classes.h"

namespace plandrix {
namespace {

// Block-12 values by vertex class; class 3 takes its value from kClass3Rotation and
// class 0 keeps the byte.
// The resources of the pass by vertex class: water vertices (class 1) hold fish, land of
// class 2 ground water.
constexpr std::uint8_t kClass1Resource = kFishResource;
constexpr std::uint8_t kClass2Resource = kWaterResource;
// Class-3 vertices (mountains) take these in turn, in the order the pass meets them,
// across rows: coal, iron, coal, gold, coal, granite, each of the largest amount.
constexpr std::array<std::uint8_t, 6> kClass3Rotation = {
    kCoalBase + kMostOreAmount, kIronBase + kMostOreAmount, kCoalBase + kMostOreAmount,
    kGoldBase + kMostOreAmount, kCoalBase + kMostOreAmount, kGraniteBase + kMostOreAmount};

void WriteResource(std::uint8_t& resource, int vertex_class, std::size_t& rotation) {
  switch (vertex_class) {
    case 1:
      resource = kClass1Resource;
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

// Triangle bits of a row of codes. Eight codes come in one load and their bits go out in
// one store, which halves the instructions of a byte-by-byte loop; the lanes are in
// memory order on any machine, as loads and stores are alike.
void RowTriangleBits(const std::uint8_t* codes, std::size_t count, std::uint8_t* bits) {
  std::size_t x = 0;
  for (; x + 8 <= count; x += 8) {
    const std::uint64_t eight = LoadEightBytes(codes + x);
    std::uint64_t looked_up = 0;
    for (int lane = 0; lane < 8; ++lane) {
      looked_up |= std::uint64_t{terrain_detail::kTriangleBits[(eight >> (8 * lane)) & 0xFF]}
                   << (8 * lane);
    }
    StoreEightBytes(bits + x, looked_up);
  }
  for (; x < count; ++x) bits[x] = terrain_detail::kTriangleBits[codes[x]];
}

// New block-12 bytes of eight vertices at once (a byte per vertex, in memory order), from
// the common bits of their triangles (each byte 0, 1, 2 or 4) and the old bytes; rotation
// is the turn of the first class-3 vertex and is moved on past the eight. Every byte
// stays within its own lane: no sum below exceeds 255.
std::uint64_t EightResources(std::uint64_t common, std::uint64_t old, std::size_t& rotation) {
  const std::uint64_t class1 = common & kLaneOnes;
  const std::uint64_t class2 = (common >> 1) & kLaneOnes;
  const std::uint64_t class3 = (common >> 2) & kLaneOnes;
  // The product sums the class-3 lanes up to each lane (on little-endian machines the
  // lowest byte is the first vertex). Less the lane itself and plus the starting turn,
  // that is 0 to 12, brought into 0 to 5 by taking 6 off twice where it fits.
  const std::uint64_t up_to = class3 * kLaneOnes;
  std::uint64_t turn = up_to - class3 + rotation * kLaneOnes;
  for (int pass = 0; pass < 2; ++pass) {
    const std::uint64_t at_least_6 = ((turn + (0x80 - 6) * kLaneOnes) >> 7) & kLaneOnes;
    turn -= at_least_6 * 6;
  }
  // The rotation 71, 79, 71, 87, 71, 95: 71 on even turns, 75 + 4 * turn on odd ones.
  const std::uint64_t odd = turn & kLaneOnes;
  const std::uint64_t rotated = 71 * kLaneOnes + (((turn + kLaneOnes) << 2) & (odd * 0xFF));
  const std::uint64_t value = ((kClass1Resource * kLaneOnes) & (class1 * 0xFF)) |
                              ((kClass2Resource * kLaneOnes) & (class2 * 0xFF)) |
                              (rotated & (class3 * 0xFF));
  const std::uint64_t written = (class1 | class2 | class3) * 0xFF;
  // At most 5 + 8: two conditional subtractions are shorter than a division.
  std::size_t next = rotation + (up_to >> 56);
  next -= next >= 6 ? 6 : 0;
  next -= next >= 6 ? 6 : 0;
  rotation = next;
  return (old & ~written) | value;
}

// Block-12 bytes of the vertices x = 1 to width - 2 of inner row y, whose six triangles
// lie in the triangle bits of this row and the row above; eight vertices at a time, the
// rest one by one.
void WriteInnerRow(const std::uint8_t* first_above, const std::uint8_t* second_above,
                   const std::uint8_t* first_here, const std::uint8_t* second_here,
                   std::size_t width, std::size_t y, std::uint8_t* resources,
                   std::size_t& rotation) {
  // Even rows share the column to the left in the row above, odd rows the one to the right.
  const bool even = y % 2 == 0;
  const std::size_t side = even ? 0 : 2;    // first_above[x - 1] or first_above[x + 1]
  const std::size_t shared = even ? 0 : 1;  // second_above[x - 1] or second_above[x]
  std::size_t x = 1;
  if constexpr (std::endian::native == std::endian::little) {
    for (; x + 8 < width; x += 8) {
      const std::uint64_t common =
          LoadEightBytes(first_above + x - 1 + side) & LoadEightBytes(first_above + x) &
          LoadEightBytes(first_here + x) & LoadEightBytes(second_above + x - 1 + shared) &
          LoadEightBytes(second_here + x - 1) & LoadEightBytes(second_here + x);
      StoreEightBytes(resources + x,
                      EightResources(common, LoadEightBytes(resources + x), rotation));
    }
  }
  for (; x + 1 < width; ++x) {
    const unsigned common = first_above[x - 1 + side] & first_above[x] & first_here[x] &
                            second_above[x - 1 + shared] & second_here[x - 1] & second_here[x];
    WriteResource(resources[x], terrain_detail::kVertexClassOfBits[common], rotation);
  }
}

}  // namespace

void PlaceResources(std::span<std::uint8_t> image, std::size_t width, std::size_t height) {
  const auto blocks = BlocksOf(image, width, height);
  if (!blocks) return;
  const std::span<const std::uint8_t> first = blocks->first;
  const std::span<const std::uint8_t> second = blocks->second;
  const auto resources = blocks->resources;
  // Triangle bits of the row above and of this row, for both blocks; each row's bits are
  // worked out once and serve as the row above of the next row.
  std::vector<std::uint8_t> rows(4 * width);
  std::uint8_t* first_above = rows.data();
  std::uint8_t* second_above = first_above + width;
  std::uint8_t* first_here = second_above + width;
  std::uint8_t* second_here = first_here + width;
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
    if (y == 1) {
      RowTriangleBits(&first[VertexIndex(0, 0, width)], width, first_here);
      RowTriangleBits(&second[VertexIndex(0, 0, width)], width, second_here);
    }
    std::swap(first_above, first_here);
    std::swap(second_above, second_here);
    RowTriangleBits(&first[VertexIndex(0, y, width)], width, first_here);
    RowTriangleBits(&second[VertexIndex(0, y, width)], width, second_here);
    WriteInnerRow(first_above, second_above, first_here, second_here, width, y, row.data(),
                  rotation);
    WriteResource(row[width - 1], VertexClassIn(first, second, width, height, width - 1, y),
                  rotation);
  }
}

void PlaceResourcesVertexByVertex(std::span<std::uint8_t> image, std::size_t width,
                                  std::size_t height) {
  const auto blocks = BlocksOf(image, width, height);
  if (!blocks) return;
  std::size_t rotation = 0;
  for (std::size_t y = 0; y < height; ++y) {
    for (std::size_t x = 0; x < width; ++x) {
      WriteResource(blocks->resources[VertexIndex(x, y, width)],
                    GetVertexClass(image, width, height, x, y), rotation);
    }
  }
}

}  // namespace plandrix
