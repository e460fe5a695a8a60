// How placement sees the terrain: the class of one texture code, and the class of the
// six triangles around a vertex.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <ostream>
#include <span>

#include "core/map_layout.h"
#include "core/terrain.h"

namespace plandrix {

// TerrainClass values that the passes treat specially.
inline constexpr std::uint8_t kWaterClass = 5;
// Known codes on which nothing is placed, and every code that no class lists.
inline constexpr std::uint8_t kBarrenClass = 17;

namespace terrain_detail {

// Marks a code that no class lists: it counts as kBarrenClass after a warning.
inline constexpr std::uint8_t kUnlisted = 0xFF;

struct CodeClass {
  std::uint8_t code;
  std::uint8_t terrain_class;
};

// The menu program's terrain classes, by the terrain byte of block 2: its placement
// passes decide on these, not on what the game lets a player do.
inline constexpr CodeClass kListedCodes[] = {
    {kSavannah, 0},
    {kDesert1, 0},
    {kDesert2, 0},
    {kSteppe, 0},
    {kMountain1, 1},
    {kMountain2, 1},
    {kMountain3, 1},
    {kMountain4, 1},
    {kFlatMountain, 1},
    {kSnow, 2},
    {kSwamp, 3},
    {kWater, 5},
    {kShallowWater, 5},
    {kReefWater, 5},  // water
    {kMeadow1, 8},
    {kMeadow2, 8},
    {kMeadow3, 8},
    {kFlowerMeadow, 8},
    {kLava, 16},
    {kLava2, 16},
    {kLava3, 16},
    {kLava4, 16},
    {kMountainMeadow, 18},
    // These codes with the harbour bit are known, but barren.
    {kHarbourFlag | kSavannah, 17},
    {kHarbourFlag | kMeadow1, 17},
    {kHarbourFlag | kMeadow2, 17},
    {kHarbourFlag | kMeadow3, 17},
    {kHarbourFlag | kSteppe, 17},
    {kHarbourFlag | kFlowerMeadow, 17},
    {kHarbourFlag | kMountainMeadow, 17},
    {kHarbourFlag | kFlatMountain, 17},
};

constexpr std::array<std::uint8_t, 256> MakeTerrainClassTable() {
  std::array<std::uint8_t, 256> table{};
  table.fill(kUnlisted);
  for (const CodeClass& listed : kListedCodes) table[listed.code] = listed.terrain_class;
  return table;
}

inline constexpr std::array<std::uint8_t, 256> kTerrainClassOfCode = MakeTerrainClassTable();

// Triangle classes as single bits (class 1 -> 1, class 2 -> 2, class 3 -> 4, class 0 -> 0),
// so that the AND of six triangles is non-zero exactly when all six share one class.
// The menu program's triangle classes for its resources pass: water, land, mountain.
inline constexpr std::uint8_t kTriangleClass1Codes[] = {kWater, kShallowWater, kReefWater};
inline constexpr std::uint8_t kTriangleClass2Codes[] = {
    kSavannah, kMeadow1, kMeadow2, kMeadow3, kSteppe, kFlowerMeadow, kMountainMeadow};
inline constexpr std::uint8_t kTriangleClass3Codes[] = {kMountain1, kMountain2, kMountain3,
                                                        kMountain4, kFlatMountain};

constexpr std::array<std::uint8_t, 256> MakeTriangleBitTable() {
  std::array<std::uint8_t, 256> table{};
  for (std::uint8_t code : kTriangleClass1Codes) table[code] = 1;
  for (std::uint8_t code : kTriangleClass2Codes) table[code] = 2;
  for (std::uint8_t code : kTriangleClass3Codes) table[code] = 4;
  return table;
}

inline constexpr std::array<std::uint8_t, 256> kTriangleBits = MakeTriangleBitTable();
// Vertex class of the AND of six triangle bits.
inline constexpr std::array<std::uint8_t, 8> kVertexClassOfBits = {0, 1, 2, 0, 3, 0, 0, 0};

// The three warning lines of an unlisted code: at most this many bytes.
inline constexpr std::size_t kMostWarningBytes = 128;

// Writes the warning lines of the code at block-2 index `index` to text (room for
// kMostWarningBytes) and gives their length.
std::size_t FormatUnlistedCodeWarning(char* text, std::size_t index, std::uint8_t code);

void PrintUnlistedCodeWarning(std::ostream& out, std::size_t index, std::uint8_t code);

// Warning lines gathered in a buffer of their own and handed to the stream some kilobytes
// at a time, for a pass that may warn for every vertex: one stream write per vertex would
// cost more than the text. What is left goes out on Flush and when it is destroyed; the
// owner flushes before anything else is written to the stream.
class UnlistedCodeWarnings {
 public:
  explicit UnlistedCodeWarnings(std::ostream& out) : out_(out) {}
  UnlistedCodeWarnings(const UnlistedCodeWarnings&) = delete;
  UnlistedCodeWarnings& operator=(const UnlistedCodeWarnings&) = delete;
  ~UnlistedCodeWarnings() { Flush(); }

  void Add(std::size_t index, std::uint8_t code);
  void Flush();

 private:
  std::ostream& out_;
  std::size_t used_ = 0;
  std::array<char, 8192> text_{};
};

}  // namespace terrain_detail

// TerrainClass of the block-2 code at `index` of an already addressed block 2; the form
// that the passes use in their loops. An unlisted code prints the three warning lines.
inline std::uint8_t TerrainClassAt(std::span<const std::uint8_t> terrain, std::size_t index,
                                   std::ostream& out) {
  const std::uint8_t code = terrain[index];
  const std::uint8_t terrain_class = terrain_detail::kTerrainClassOfCode[code];
  if (terrain_class != terrain_detail::kUnlisted) [[likely]] {
    return terrain_class;
  }
  terrain_detail::PrintUnlistedCodeWarning(out, index, code);
  return kBarrenClass;
}

// TerrainClass of the block-2 code of vertex `index` (0 to n - 1). An unlisted code
// prints the three warning lines on out and gives 17.
std::uint8_t GetTerrainClass(std::span<const std::uint8_t> image, std::size_t n, std::size_t index,
                             std::ostream& out);

// The six triangles around a vertex: three indices into block 2 and three into block 3.
struct VertexTriangles {
  std::array<std::size_t, 3> first;
  std::array<std::size_t, 3> second;
};

// Where the six triangles of vertex (x, y) lie, or nothing for the vertices that have no
// defined set (corners of the staggering, the inner last row when it is even, and every
// vertex of a map with fewer than three rows or columns). Every index is below W x H.
std::optional<VertexTriangles> FindVertexTriangles(std::size_t width, std::size_t height,
                                                   std::size_t x, std::size_t y);

// Vertex class 0 to 3 of vertex (x, y) with blocks 2 and 3 already addressed.
int VertexClassIn(std::span<const std::uint8_t> first, std::span<const std::uint8_t> second,
                  std::size_t width, std::size_t height, std::size_t x, std::size_t y);

// Vertex class 0 to 3 of vertex (x, y): the common triangle class of its six triangles,
// 0 when they differ. Reads only bytes of blocks 2 and 3.
int GetVertexClass(std::span<const std::uint8_t> image, std::size_t width, std::size_t height,
                   std::size_t x, std::size_t y);

}  // namespace plandrix
