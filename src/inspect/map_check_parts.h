// The parts of a map's check that look at players and harbours (map_check_players.cpp),
// apart from the file's structure and byte ranges (map_check.cpp).
#pragma once

#include <span>
#include <vector>

#include "core/map_format.h"
#include "inspect/building_quality.h"
#include "inspect/map_check.h"

namespace plandrix {

// Headquarters marks against the player count and the header: missing, duplicate and too
// close marks, marks on no castle site, and header positions that differ from them.
void CheckHeadquarters(std::span<const std::uint8_t> file, const MapStructure& structure,
                       std::span<const std::uint8_t> index, std::span<const std::uint8_t> type,
                       std::vector<Finding>& findings);

// Harbour bits that the game drops for want of a coast on a sea.
void CheckHarbours(std::span<const std::uint8_t> file, const MapStructure& structure,
                   const MapLayers& layers, std::vector<Finding>& findings);

}  // namespace plandrix
