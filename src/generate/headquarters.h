// The players of a generated map: where their headquarters go and the ground around them
// (no tree or granite within 5 steps; a starting kit of wood, stone and building sites
// within the first territory, 9 steps).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "core/large_buffer.h"
#include "core/map_grid.h"
#include "generate/symmetry.h"
#include "generate/world.h"
#include "inspect/building_quality.h"

namespace plandrix::generate {

// Steps from a headquarters to a mine site that the --mountains choice asks for at most.
inline constexpr std::uint32_t kMountainsNear = 8;
inline constexpr std::uint32_t kMountainsNormal = 15;
inline constexpr std::uint32_t kMountainsFar = 25;

// No tree or granite stands within this many steps of a headquarters...
inline constexpr std::size_t kClearSteps = 5;
// ...and the first territory, this many steps, holds the starting kit:
inline constexpr std::size_t kTerritorySteps = 9;
inline constexpr std::size_t kKitTrees = 8;       // trees that give wood
inline constexpr std::size_t kKitGranite = 2;     // granite piles
inline constexpr std::size_t kKitLargeSites = 6;  // house or castle sites besides its own

// What the placement reads of a world: the quality of every vertex, what stands on and
// around it, the land masses one can walk across and the steps to the nearest mine site.
struct GroundFacts {
  MapGrid grid{0, 0};
  LayerVector<BuildingQuality> quality;
  VertexFacts facts;
  std::vector<std::uint32_t> mass_of;     // land mass of each walkable vertex, else kNoMass
  std::vector<std::size_t> mass_sizes;    // vertices of each mass
  std::vector<std::uint16_t> mine_steps;  // walking steps to the nearest mine site, capped
};
inline constexpr std::uint32_t kNoMass = 0xFFFFFFFF;

// Reads the ground of a world image (empty when the image does not hold its map).
GroundFacts ReadGround(std::span<const std::uint8_t> image);

// Where players may start: castle (or harbour) sites with no danger within two steps and
// a mine site within mountain_steps, on the largest land mass (every mass that holds a
// home, on island worlds). In row order.
std::vector<std::size_t> HeadquartersSites(const GroundFacts& ground, std::span<const Point> homes,
                                           std::uint32_t mountain_steps);

// Positions for the players, spread the shortest way around the world: on island worlds
// one per home island, else as far apart as the sites allow from the try-th start; on a
// symmetric world one set in its first part and their images. Empty when the sites do not
// hold the players. In player order (row order of the first part's choice).
std::vector<Point> PlaceHeadquarters(const GroundFacts& ground, std::span<const std::size_t> sites,
                                     const WorldOptions& options, std::span<const Point> homes,
                                     std::size_t try_index);

// Clears trees and granite within kClearSteps of every headquarters and lays the starting
// kit within kTerritorySteps; on a symmetric world every change at all images. Gives false
// when a headquarters' territory cannot hold the kit.
bool PrepareTerritories(std::span<std::uint8_t> image, const GroundFacts& ground,
                        std::span<const Point> headquarters, const SymmetryGroup& symmetry,
                        std::uint32_t seed);

}  // namespace plandrix::generate
