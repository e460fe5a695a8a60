// Makes the players' homes hold the same, as balance measures them: the homes are the
// vertices each headquarters walks to first (inspect/balance.h), and what a home holds is
// changed only in ways that keep every vertex as walkable as it was, so that the homes
// stay where they are:
// - mine sites: a mountain triangle of a stronger home turns to mountain meadow at the
//   mountains' feet, and its corners are mine sites no longer;
// - castle and house sites: a buildable triangle of a stronger home turns to dry land
//   (desert, wasteland or ice), and its corners take flags only;
// - trees, stones: trees are planted where they spoil no large site, or felled from the
//   outside in; granite piles are laid beside the mountains and their sizes set;
// - coal, iron, gold and granite: each home's ore vertices get the same amounts, in
//   clusters, in the ratio 40 : 35 : 10 : 15.
// Changes are made from each home's outer edge inwards; within the first territory the
// starting kit stays.
#pragma once

#include <cstdint>
#include <span>

#include "inspect/balance.h"

namespace plandrix::generate {

// Equalizes the homes of the map's headquarters (a whole map image with its players set)
// until the fairness reaches aim, weakest over strongest, or the passes run out.
void EqualizeHomes(std::span<std::uint8_t> image, std::uint32_t seed, Ratio aim);

}  // namespace plandrix::generate
