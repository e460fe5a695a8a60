// Tree and granite placement. Each pass is written once over a draw callable, so that the
// program draws from its random source and a caller may feed a chosen sequence instead;
// the order of the draws, discarded ones included, is what makes a seed give one map.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <span>

#include "core/map_format.h"
#include "core/map_layout.h"
#include "random/random_source.h"
#include "random/terrain_classes.h"

namespace plandrix {

namespace trees_detail {

// A tree: block 5 gets base plus the low three bits of a draw, block 6 gets type.
struct TreeKind {
  std::uint8_t base;
  std::uint8_t type;
};
constexpr TreeKind Grow(TreeSpecies species) {
  const TreeBytes bytes = TreeBytesOf(species);
  return {bytes.index, bytes.type};
}
inline constexpr TreeKind kNoTree = {0, 0};
inline constexpr TreeKind kPine = Grow(TreeSpecies::kPine);
inline constexpr TreeKind kBirch = Grow(TreeSpecies::kBirch);
inline constexpr TreeKind kOak = Grow(TreeSpecies::kOak);
inline constexpr TreeKind kPalm1 = Grow(TreeSpecies::kPalm1);
inline constexpr TreeKind kPalm2 = Grow(TreeSpecies::kPalm2);
inline constexpr TreeKind kPineapple = Grow(TreeSpecies::kPineapple);
inline constexpr TreeKind kCypress = Grow(TreeSpecies::kCypress);
inline constexpr TreeKind kCherry = Grow(TreeSpecies::kCherry);
inline constexpr TreeKind kFir = Grow(TreeSpecies::kFir);

// The trees of the placement pass by the menu program's terrain class.
// Class 0 by the low three bits of the second draw; 0 grows nothing.
inline constexpr std::array<TreeKind, 8> kClass0Trees = {
    {kNoTree, kPalm1, kPalm1, kPalm2, kPalm2, kCypress, kCypress, kPineapple}};
// Class 3 by the second draw mod 6.
inline constexpr std::array<TreeKind, 6> kClass3Trees = {{kPine, kPine, kPine, kOak, kOak, kOak}};
// Class 8 by the second draw mod 9.
inline constexpr std::array<TreeKind, 9> kClass8Trees = {
    {kPine, kPine, kPine, kOak, kOak, kOak, kBirch, kBirch, kCherry}};
// Classes 1 and 18 grow only this kind.
inline constexpr TreeKind kClass1And18Tree = kFir;

// The chance of a tree by terrain class: a tree grows when the first draw is a multiple
// of it. 0 for classes that grow nothing and make no draw (2, 5 = water, 16 and 17).
inline constexpr std::array<std::uint32_t, 256> kTreeChance = [] {
  std::array<std::uint32_t, 256> chance{};
  chance[0] = 10;
  chance[1] = 15;
  chance[3] = 7;
  chance[8] = 7;
  chance[18] = 20;
  return chance;
}();

// The tree that a class with a chance grows, by the second draw; type 0 for none (class
// 0 when the draw's low three bits are 0). Classes 1 and 18 ignore the draw.
inline TreeKind TreeAfterHit(std::uint8_t terrain_class, std::uint32_t second) {
  switch (terrain_class) {
    case 0:
      return kClass0Trees[second & 7];
    case 3:
      return kClass3Trees[second % 6];
    case 8:
      return kClass8Trees[second % 9];
    default:
      return kClass1And18Tree;
  }
}

// The pass lays granite of the first kind only.
inline constexpr std::uint8_t kGraniteType = kFirstGraniteType;

}  // namespace trees_detail

// The draws and the tree of one vertex of the given class: a draw against the class's
// chance, then on a hit one that picks the kind (thrown away for classes 1 and 18), and
// for a kind one for the variant, the low three bits added to the kind's base.
template <class Draw>
void PlaceTreeAt(std::span<std::uint8_t> object_index, std::span<std::uint8_t> object_type,
                 std::size_t i, std::uint8_t terrain_class, Draw&& draw) {
  const std::uint32_t chance = trees_detail::kTreeChance[terrain_class];
  if (chance == 0 || std::uint32_t{draw()} % chance != 0) return;
  const trees_detail::TreeKind tree = trees_detail::TreeAfterHit(terrain_class, draw());
  if (tree.type == 0) return;
  const std::uint32_t variant = std::uint32_t{draw()} & 7;
  object_index[i] = static_cast<std::uint8_t>(tree.base + variant);
  object_type[i] = tree.type;
}

// PlaceTrees over any draw callable returning std::uint32_t.
template <class Draw>
void PlaceTreesWith(std::span<std::uint8_t> image, std::size_t width, std::size_t height,
                    Draw&& draw, std::ostream& out) {
  if (const auto blocks = BlocksOf(image, width, height)) {
    const std::size_t n = blocks->n;
    const std::span<const std::uint8_t> terrain = blocks->first;
    const auto object_index = blocks->object_index;
    const auto object_type = blocks->object_type;
    for (std::size_t i = 0; i < n; ++i) {
      PlaceTreeAt(object_index, object_type, i, TerrainClassAt(terrain, i, out), draw);
    }
  }
  out << "You will need some woodcutters now...\n";
}

// PlaceGranite over any draw callable returning std::uint32_t.
template <class Draw>
void PlaceGraniteWith(std::span<std::uint8_t> image, std::size_t width, std::size_t height,
                      Draw&& draw, std::ostream& out) {
  if (const auto blocks = BlocksOf(image, width, height)) {
    const std::size_t n = blocks->n;
    const std::span<const std::uint8_t> terrain = blocks->first;
    const auto object_index = blocks->object_index;
    const auto object_type = blocks->object_type;
    for (std::size_t centre = 0; centre < n; ++centre) {
      if (std::uint32_t{draw()} % 85 != 0) continue;
      const std::uint32_t stones = std::uint32_t{draw()} % 6 + 3;
      for (std::uint32_t stone = 0; stone < stones; ++stone) {
        const std::size_t row_step = std::uint32_t{draw()} % 3;
        const std::size_t column_step = std::uint32_t{draw()} % 3;
        // centre + (row_step - 1) * W + (column_step - 1), kept unsigned by adding W + 1
        // first; a target before the first vertex or past the last one falls back to the
        // centre. Steps past a row's end wrap into the neighbouring row.
        const std::size_t shifted = centre + row_step * width + column_step;
        std::size_t target = centre;
        if (shifted >= width + 1 && shifted - (width + 1) < n) target = shifted - (width + 1);
        if (TerrainClassAt(terrain, target, out) == kWaterClass) continue;
        object_index[target] = static_cast<std::uint8_t>(std::uint32_t{draw()} % 6 + 1);
        object_type[target] = trees_detail::kGraniteType;
      }
    }
  }
  out << "There are some rocks in your way...\n";
}

// Scatters trees into blocks 5 and 6 by terrain class; prints its closing line on out.
// Every draw is RandomNumber(source, seed, 0).
void PlaceTrees(std::span<std::uint8_t> image, std::size_t width, std::size_t height,
                RandomSource& source, std::uint32_t seed, std::ostream& out);

// Drops small granite clusters anywhere but on water; prints its closing line on out.
void PlaceGranite(std::span<std::uint8_t> image, std::size_t width, std::size_t height,
                  RandomSource& source, std::uint32_t seed, std::ostream& out);

}  // namespace plandrix
