// Object and animal placement.
// As with trees and granite, each pass is written once over a draw callable.
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

namespace objects_detail {

// The decorations of the placement pass by the menu program's terrain class.
// One outcome of an object draw: the object index, placed at once when chance is 0, else
// only when one more draw is a multiple of chance.
struct ObjectChoice {
  std::uint8_t index;
  std::uint8_t chance;
};

// The objects of one terrain class, chosen by the signed remainder of a draw by modulus;
// a modulus of 0 means the class gets no object and no further draw.
struct ObjectTable {
  std::int32_t modulus;
  std::array<ObjectChoice, 22> choices;
};

constexpr std::array<ObjectTable, 19> MakeObjectTables() {
  std::array<ObjectTable, 19> tables{};
  tables[0] = {
      10,
      {{{5, 0}, {6, 0}, {7, 0}, {8, 0}, {12, 0}, {13, 0}, {37, 0}, {38, 0}, {39, 0}, {48, 100}}}};
  tables[1] = {12,
               {{{37, 0},
                 {38, 0},
                 {39, 0},
                 {5, 0},
                 {6, 0},
                 {7, 0},
                 {8, 0},
                 {2, 0},
                 {9, 0},
                 {41, 0},
                 {2, 0},
                 {42, 0}}}};
  tables[2] = {4, {{{37, 0}, {38, 0}, {39, 0}, {43, 0}}}};
  tables[3] = {9, {{{5, 0}, {6, 0}, {7, 0}, {8, 0}, {14, 0}, {15, 0}, {19, 0}, {20, 0}, {40, 0}}}};
  tables[8] = {22, {{{0, 0},  {1, 0},  {2, 0},   {3, 0},   {4, 0},   {6, 0},  {5, 0},  {9, 0},
                     {10, 0}, {16, 0}, {17, 0},  {18, 0},  {34, 0},  {35, 0}, {36, 0}, {40, 0},
                     {41, 0}, {42, 0}, {44, 75}, {45, 75}, {46, 75}, {47, 75}}}};
  tables[16] = {7, {{{6, 5}, {5, 5}, {7, 5}, {8, 5}, {37, 5}, {38, 5}, {39, 5}}}};
  tables[18] = {17,
                {{{2, 0},
                  {3, 0},
                  {4, 0},
                  {6, 0},
                  {5, 0},
                  {10, 0},
                  {16, 0},
                  {17, 0},
                  {18, 0},
                  {35, 0},
                  {36, 0},
                  {37, 0},
                  {38, 0},
                  {39, 0},
                  {40, 0},
                  {42, 0},
                  {45, 50}}}};
  return tables;
}

// Indexed by TerrainClass; water (5) has its own shore rule and table.
inline constexpr std::array<ObjectTable, 19> kObjectTables = MakeObjectTables();

// Water vertices on a shore, by the unsigned remainder of a draw by 6.
inline constexpr std::array<ObjectChoice, 6> kShoreObjects = {
    {{11, 10}, {21, 10}, {14, 0}, {15, 0}, {19, 0}, {20, 0}}};

// The objects of the tables are decorations, the indexes above.
inline constexpr std::uint8_t kObjectType = kDecorationType;

// The animals of the placement pass by the menu program's terrain class: classes 1 and
// 18 by a draw mod 3, class 8 by a draw mod 5.
inline constexpr std::array<std::uint8_t, 3> kClass1And18Animals = {kSheep, kRabbit, kFox};
inline constexpr std::array<std::uint8_t, 5> kClass8Animals = {kRabbit, kFox, kStag, kDeer, kSheep};
inline constexpr std::uint8_t kClass0Animal = kRabbit;
inline constexpr std::uint8_t kWaterAnimal = kDuck;

}  // namespace objects_detail

// The draws and the object of vertex i (of n, in rows of width), whose terrain class is
// terrain_class: a draw whose low two bits must be 0, then for water on a shore or a
// class with objects one that picks the object, and one more for an object placed only
// by chance. An unlisted neighbour code is reported as it is looked at.
template <class Draw>
void ScatterObjectAt(std::span<std::uint8_t> object_index, std::span<std::uint8_t> object_type,
                     std::span<const std::uint8_t> terrain, std::size_t i, std::size_t width,
                     std::uint8_t terrain_class, Draw&& draw, std::ostream& out) {
  using objects_detail::ObjectChoice;
  using objects_detail::ObjectTable;
  const std::size_t n = terrain.size();
  if ((std::uint32_t{draw()} & 3) != 0) return;
  ObjectChoice choice{};
  if (terrain_class == kWaterClass) {
    // Only shore water gets an object: not within two rows of the map's top or bottom
    // edge, and with land two columns or two rows away. The four neighbours are looked
    // at in this order and only until the first land; the bounds above keep all four
    // inside the block.
    const bool near_edge = i <= 2 * width || i + 2 * width >= n;
    if (near_edge || (TerrainClassAt(terrain, i + 2, out) == kWaterClass &&
                      TerrainClassAt(terrain, i - 2, out) == kWaterClass &&
                      TerrainClassAt(terrain, i - 2 * width, out) == kWaterClass &&
                      TerrainClassAt(terrain, i + 2 * width, out) == kWaterClass)) {
      draw();  // thrown away; it still moves the sequence on
      return;
    }
    choice = objects_detail::kShoreObjects[std::uint32_t{draw()} % 6];
  } else {
    if (terrain_class >= objects_detail::kObjectTables.size()) return;
    const ObjectTable& table = objects_detail::kObjectTables[terrain_class];
    if (table.modulus == 0) return;
    // The remainder of the draw read as a signed number: a negative one places nothing.
    const std::int32_t pick = static_cast<std::int32_t>(std::uint32_t{draw()}) % table.modulus;
    if (pick < 0) return;
    choice = table.choices[static_cast<std::size_t>(pick)];
  }
  if (choice.chance != 0 && std::uint32_t{draw()} % choice.chance != 0) return;
  object_index[i] = choice.index;
  object_type[i] = objects_detail::kObjectType;
}

// PlaceObjects over any draw callable returning std::uint32_t.
template <class Draw>
void PlaceObjectsWith(std::span<std::uint8_t> image, std::size_t width, std::size_t height,
                      Draw&& draw, std::ostream& out) {
  if (const auto blocks = BlocksOf(image, width, height)) {
    const std::size_t n = blocks->n;
    const std::span<const std::uint8_t> terrain = blocks->first;
    const auto object_index = blocks->object_index;
    const auto object_type = blocks->object_type;
    for (std::size_t i = 0; i < n; ++i) {
      ScatterObjectAt(object_index, object_type, terrain, i, width, TerrainClassAt(terrain, i, out),
                      draw, out);
    }
  }
  out << "You are now able to discover objects...\n";
}

// PlaceAnimals over any draw callable returning std::uint32_t.
template <class Draw>
void PlaceAnimalsWith(std::span<std::uint8_t> image, std::size_t width, std::size_t height,
                      Draw&& draw, std::ostream& out) {
  if (const auto blocks = BlocksOf(image, width, height)) {
    const std::size_t n = blocks->n;
    const std::span<const std::uint8_t> terrain = blocks->first;
    const auto animals = blocks->animals;
    for (std::size_t i = 0; i < n; ++i) {
      // The terrain is looked at (and an unlisted code reported) only past this test.
      if (std::uint32_t{draw()} % 25 != 0) continue;
      std::uint8_t animal = 0;
      switch (TerrainClassAt(terrain, i, out)) {
        case 0:
          animal = objects_detail::kClass0Animal;
          break;
        case 1:
        case 18:
          animal = objects_detail::kClass1And18Animals[std::uint32_t{draw()} % 3];
          break;
        case kWaterClass:
          animal = objects_detail::kWaterAnimal;
          break;
        case 8:
          animal = objects_detail::kClass8Animals[std::uint32_t{draw()} % 5];
          break;
        default:  // classes 2, 3, 16 and 17
          continue;
      }
      animals[i] = animal;
    }
  }
  out << "God invented live on your map...\n";
}

// Scatters decorative objects into blocks 5 and 6 by terrain class; prints its closing
// line on out. Every draw is RandomNumber(source, seed, 0).
void PlaceObjects(std::span<std::uint8_t> image, std::size_t width, std::size_t height,
                  RandomSource& source, std::uint32_t seed, std::ostream& out);

// Scatters animals into block 7 by terrain class; prints its closing line on out.
void PlaceAnimals(std::span<std::uint8_t> image, std::size_t width, std::size_t height,
                  RandomSource& source, std::uint32_t seed, std::ostream& out);

}  // namespace plandrix
