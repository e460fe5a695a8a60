// Players and their headquarters: the header's player count and positions, and the
// headquarters marks in the object blocks that the game places them by. Positions are
// typed or chosen on open land, spread as evenly as the map allows.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "core/terrain.h"
#include "inspect/bitmap_export.h"

namespace plandrix::inspect {

// Why a typed position cannot hold a headquarters.
enum class PlaceProblem {
  kNone,
  kOutsideMap,
  kNoTriangles,     // a border vertex that the game gives no six triangles of its own
  kUnusableGround,  // water, lava or snow among its six triangles (code says which)
  kTaken,           // another player's headquarters stands there
};
struct PlaceCheck {
  PlaceProblem problem = PlaceProblem::kNone;
  std::uint8_t code = 0;  // the terrain code for kUnusableGround
};

// Whether position may hold a headquarters, given the positions of the players before it.
// The image holds its map.
PlaceCheck CheckHeadquartersPlace(std::span<const std::uint8_t> image, Vertex position,
                                  std::span<const Vertex> earlier);

// Whether all six triangles around (x, y) are meadow, savannah, steppe, flower meadow,
// mountain meadow or desert: the ground that --auto places on.
bool IsOpenLand(std::span<const std::uint8_t> image, std::size_t x, std::size_t y);

// The number of vertices that are open land.
std::size_t CountOpenLand(std::span<const std::uint8_t> image);

// Chooses count (1 to 7) positions on open land that give every headquarters as large a
// free circle as possible: as far from the others (half their distance) as from the map's
// edge and from ground that is not open land; then as far apart as possible. The same
// image, count and seed give the same positions. Empty when the map has fewer open-land
// vertices than count.
std::optional<std::vector<Vertex>> ChooseHeadquarters(std::span<const std::uint8_t> image,
                                                      std::size_t count, std::uint32_t seed);

// Writes the players: the count at offset 35, player p's position at 56 + 2p and 70 + 2p
// (0xFFFF in unused slots), every earlier headquarters mark removed, objects on each
// position and its six neighbours cleared, and object type 0x80 with index p at player
// p's position. At most 7 positions, each inside the map.
void SetPlayers(std::span<std::uint8_t> image, std::span<const Vertex> headquarters);

// The six neighbours of (x, y) that lie inside the map (odd rows sit half a vertex to the
// right). Gives their number.
std::size_t NeighboursOf(std::size_t x, std::size_t y, std::size_t width, std::size_t height,
                         std::array<Vertex, 6>& neighbours);

}  // namespace plandrix::inspect
