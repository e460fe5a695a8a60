// A whole generated map, ready to play: the natural world, its players on castle sites
// spread the shortest way around it, their first territories prepared, the header's
// players and title, and the layers the original game reads; several placements tried
// and the fairest kept, by the game's own rules (inspect/balance.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/large_buffer.h"
#include "core/map_grid.h"
#include "generate/headquarters.h"
#include "generate/world.h"
#include "inspect/balance.h"

namespace plandrix::generate {

struct MapOptions {
  WorldOptions world;
  std::string title;  // at most 19 printable ASCII characters (IsValidHeaderText)
  std::uint32_t mountain_steps = kMountainsNormal;
  std::size_t tries = 8;
};

struct GeneratedMap {
  LargeBuffer image;                 // empty when no map was made
  std::vector<Point> headquarters;   // in player order
  std::optional<Fairness> fairness;  // none for one player
  bool reachable = true;             // every player can walk, or sail, to every other
  bool by_ship = false;              // ...and some of them only by sailing
  std::size_t try_kept = 0;          // which placement was kept
  std::uint32_t farthest_mine = 0;   // steps from a headquarters to its nearest mine site, at most
  std::string problem;               // why no map was made
};

GeneratedMap GenerateMap(const MapOptions& options);

}  // namespace plandrix::generate
