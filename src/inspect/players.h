// Players and their headquarters: the header's player count and positions, and the
// headquarters marks in the object blocks that the game starts them from. Positions are
// typed or chosen on castle sites, as far apart the shortest way around the wrapped map as
// the map allows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "core/map_grid.h"

namespace plandrix::inspect {

// Why a typed position cannot hold a headquarters.
enum class PlaceProblem {
  kNone,
  kOutsideMap,
  kUnusableGround,  // a triangle around it that no one may walk on (code says which)
  kTaken,           // another player's headquarters stands there
};
struct PlaceCheck {
  PlaceProblem problem = PlaceProblem::kNone;
  std::uint8_t code = 0;  // the terrain byte for kUnusableGround
  // For kNone: whether the position is a castle (or harbour) site once the headquarters
  // before it and it are set (SetPlayers clears their ground). The game builds a
  // headquarters on any other site too, and levels the ground around it.
  bool castle_site = false;
};

// Whether position may hold a headquarters, given the positions of the players before it.
// The image holds its map.
PlaceCheck CheckHeadquartersPlace(std::span<const std::uint8_t> image, Point position,
                                  std::span<const Point> earlier);

// Open land: vertices whose six triangles are all buildable, the ground a castle needs;
// --auto prefers places with much open land around them. One byte per vertex, 1 for open
// land.
std::vector<std::uint8_t> FindOpenLand(std::span<const std::uint8_t> image);

// The number of vertices that are open land.
std::size_t CountOpenLand(std::span<const std::uint8_t> image);

// Castle sites: vertices whose building quality on the map as it is (building_quality.h)
// is castle or harbour, the places --auto chooses from. One byte per vertex, 1 for a
// castle site.
std::vector<std::uint8_t> FindCastleSites(std::span<const std::uint8_t> image);

// The number of castle sites.
std::size_t CountCastleSites(std::span<const std::uint8_t> image);

struct HeadquartersChoice {
  std::vector<Point> positions;  // in row order: player 0 is the first
  std::size_t nearest = 0;       // steps between the nearest two, 0 for one player
};

// Chooses count (1 to 8) castle sites as far from each other as the map allows, the
// shortest way around it, then with as much open land around each as that spread leaves.
// SetPlayers only clears objects around them, which leaves them castle sites (unless a
// cleared castle ruin had taken away an earlier one, which then stands again). The same
// image, count and seed give the same positions. Empty when the map has fewer castle
// sites than count.
std::optional<HeadquartersChoice> ChooseHeadquarters(std::span<const std::uint8_t> image,
                                                     std::size_t count, std::uint32_t seed);

// Steps between the nearest two positions, the shortest way around the map (0 for fewer
// than two).
std::size_t NearestApart(const MapGrid& grid, std::span<const Point> positions);

// Writes the players: the count at offset 35, player p's position at 56 + 2p and 70 + 2p
// for the header's seven slots (0xFFFF in unused ones), every earlier headquarters mark
// removed, objects on each position and its six neighbours cleared, and object type 0x80
// with index p at player p's position. At most 8 positions, each inside the map.
void SetPlayers(std::span<std::uint8_t> image, std::span<const Point> headquarters);

}  // namespace plandrix::inspect
