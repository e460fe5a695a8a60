// What is on a map: its size, landscape and players, the range of its heights, the
// triangles of each terrain code and the count of trees, granite, other objects,
// headquarters, animals and resources.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/terrain.h"

namespace plandrix {

// A player's headquarters: the mark the game starts it from (the last in row order).
struct PlayerMark {
  std::size_t player = 0;
  std::size_t x = 0;
  std::size_t y = 0;
};

struct MapStats {
  std::string title;  // the header's texts, up to their zero byte
  std::string author;
  std::size_t width = 0;
  std::size_t height = 0;
  std::uint8_t landscape = 0;
  std::uint8_t players = 0;
  std::uint8_t height_min = 0;  // both 0 for a map without vertices
  std::uint8_t height_max = 0;
  // Triangles of both terrain blocks by code (the low six bits of a terrain byte).
  std::array<std::uint64_t, 64> terrain{};
  std::uint64_t trees = 0;         // object types 196 to 198
  std::uint64_t granite = 0;       // object types 204 and 205
  std::uint64_t objects = 0;       // any other non-zero type but a headquarters
  std::uint64_t headquarters = 0;  // object type 0x80
  std::vector<PlayerMark> marks;   // players 0 to 7 that have a mark, in player order
  std::uint64_t animals = 0;       // bytes 1 to 6 of block 7, the animals the game places
  // Vertices of each resource kind by ResourceKind (index 0: nothing).
  std::array<std::uint64_t, kResourceNames.size()> resources{};
  std::uint64_t unknown_resources = 0;  // resource bytes outside every range
};

// The counts of a map, or nothing when the file is shorter than its header or than the
// stated size (check says which).
std::optional<MapStats> CountMap(std::span<const std::uint8_t> file);

}  // namespace plandrix
