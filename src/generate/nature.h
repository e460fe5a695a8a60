// What grows, lies and lives on a generated world: resources (ores in the mountains, fish
// along the shores, ground water), forests, granite piles near the mountains and animals.
//
// Every vertex decides from slow noises (forests, ore veins) and from its own draw, a mix
// of the seed and the vertex, so the result does not depend on the order of the vertices.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "core/map_format.h"
#include "core/map_grid.h"
#include "core/terrain.h"
#include "generate/noise.h"
#include "generate/relief.h"

namespace plandrix::generate {

// One byte per vertex: 1 for the vertices within radius steps of a centre, where no tree or
// stone may stand (castle ground of a harbour).
std::vector<std::uint8_t> ReserveAround(const MapGrid& grid, std::span<const std::size_t> centres,
                                        std::size_t radius);

// Resources (block 12): coal, iron, gold and granite in veins on mountain vertices, amounts
// 1 to 7; fish in the water within two steps of a shore; ground water on land where every
// triangle around has some humidity (the game keeps it there).
// survey: SurveyVertices of the terrain.
void PlaceResources(const MapGrid& grid, std::span<const std::uint8_t> survey, const Phases& phases,
                    const Relief& relief, std::uint32_t seed, const MapBlocks& blocks);

// Trees in forests of the landscape's wood-giving kinds on farmland, granite piles in small
// groups near the mountains (and a few elsewhere), never on a reserved vertex nor one that
// touches water or dangerous ground.
void PlaceObjects(const MapGrid& grid, Landscape landscape, std::span<const std::uint8_t> survey,
                  const Phases& phases, const Relief& relief,
                  std::span<const std::uint8_t> reserved, std::uint32_t seed,
                  const MapBlocks& blocks);

// Land animals where they may stand, off objects; ducks on the water near shores.
void PlaceAnimals(const MapGrid& grid, std::span<const std::uint8_t> survey, std::uint32_t seed,
                  const MapBlocks& blocks);

}  // namespace plandrix::generate
