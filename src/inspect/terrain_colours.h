// The colour number of every vertex of a terrain bitmap, chosen so that the menu
// program's bitmap conversion (GetCurrentTexture) paints as many triangles as it can as
// the map has them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace plandrix::inspect {

// The colours (W x H, row 0 first) by the rule in terrain_colours.cpp. The image holds
// its map.
std::vector<std::uint8_t> ChooseTerrainColours(std::span<const std::uint8_t> image);

// The same choice as it reads, asking the conversion's PaintersOfTriangle and
// TrianglesPaintedBy for every triangle and vertex it looks at; ChooseTerrainColours must
// give the same colours (the tests and the export fuzzer hold the two side by side).
std::vector<std::uint8_t> ChooseTerrainColoursSimple(std::span<const std::uint8_t> image);

// The triangles of a W x H map that no vertex paints in the conversion, which keep the
// blank map's water whatever the colours, as 2 x index + 0 (first layer) or 1 (second
// layer), in increasing order. They lie on the border of maps of one or two rows.
std::vector<std::size_t> UnpaintedTriangles(std::size_t width, std::size_t height);

}  // namespace plandrix::inspect
