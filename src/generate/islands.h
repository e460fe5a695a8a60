// Islands and harbours of a generated world: where the home islands go, which vertices
// belong to one land mass (a settler walks from any to any), and harbour places on the
// coasts of the largest sea that the game keeps.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "core/map_format.h"
#include "core/map_grid.h"
#include "core/terrain.h"
#include "generate/fields.h"
#include "generate/noise.h"
#include "generate/symmetry.h"

namespace plandrix::generate {

// Home islands for a number of players: enough in the canonical part that its images give
// every player one, spread as far apart (their images too) as some tries find, each with
// a hill beside its middle; the radius a share of the nearest two's distance.
struct HomeChoice {
  HomeIslands islands;
  std::vector<std::size_t> middles;  // of the canonical part's home islands
};
HomeChoice ChooseHomes(const MapGrid& grid, const SymmetryGroup& group, const Phases& phases,
                       std::size_t players, std::uint32_t seed);

// The open vertex (survey bit kAllBuildable) nearest to v over ground a settler stands on,
// at most reach steps away; v when there is none.
std::size_t NearestOpen(const MapGrid& grid, std::span<const std::uint8_t> survey, std::size_t v,
                        std::size_t reach);

// The least open vertices (buildable all around) of a home island on a map of n vertices:
// 200 on 128 x 128, in proportion to the vertices.
std::size_t LeastHomeOpen(std::size_t n);

struct LandMasses {
  static constexpr std::uint32_t kNoMass = 0xFFFFFFFF;
  std::vector<std::uint32_t> mass_of;  // by vertex: its land mass, or kNoMass
  std::vector<std::size_t> open;       // by land mass: its open vertices
};

// Vertices a settler may stand on (a walkable triangle around and no dangerous one),
// joined along edges that a walkable triangle borders (survey: SurveyVertices).
LandMasses FindLandMasses(const MapGrid& grid, std::span<const std::uint8_t> survey,
                          std::span<const std::uint8_t> first,
                          std::span<const std::uint8_t> second);

// Sets harbour bits on the land masses of homes and those with at least least_open open
// vertices: at least one on each that has a place for it, more on larger ones, kept apart; each on
// castle ground on a coast of the largest sea (the game keeps it), with its symmetric images. Gives
// the harbour vertices.
std::vector<std::size_t> PlaceHarbours(const MapGrid& grid, const SymmetryGroup& group,
                                       const LandMasses& masses, std::span<const Point> homes,
                                       std::size_t least_open, std::uint32_t seed,
                                       std::span<const std::uint8_t> survey,
                                       std::span<const std::uint8_t> heights,
                                       std::span<std::uint8_t> first,
                                       std::span<const std::uint8_t> second);

}  // namespace plandrix::generate
