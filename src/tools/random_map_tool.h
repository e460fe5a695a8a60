// Main menu option 8: a random map of a typed size from a typed seed.
#pragma once

#include <cstdint>
#include <string_view>

#include "console/console.h"
#include "random/random_source.h"

namespace plandrix {

// Refusal of a size that a map file cannot hold.
inline constexpr std::string_view kMapSizeMessage =
    "ERROR: Mapwidth and Mapheight must be between 1 and 65535!";
inline constexpr std::int32_t kMaxMapSide = 65535;
// The name that the generated map is saved under (written as nGen.wld).
inline constexpr std::string_view kGeneratedMapName = "Gen.wld";

// Main menu option 8: generates nGen.wld from a width, a height and a seed.
void RandomMapTool(Console& console, ProgramState& state);

}  // namespace plandrix
