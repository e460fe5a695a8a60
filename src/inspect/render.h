// A map drawn as RGB pixels, three bytes per pixel, row after row.
//
// Geometry: at scale s every vertex takes s x s pixels and vertex (x, y) sits at pixel
// (s x, s y); from scale 2 on, odd rows sit half a vertex (s / 2 pixels) further right,
// as the game draws them. Each vertex owns two triangles: the one of block 2 points up,
// with the vertex at its top and its base on the row below; the one of block 3 points
// down, between the vertex, its right neighbour and the vertex below them. Every pixel
// takes the triangle under its centre; the map wraps around at its edges as the game's
// world does. At scale 1 a pixel is a vertex and shows the triangle of block 2.
//
// Light comes from the upper left: a triangle that rises towards the lower right is
// lit, one that falls is shaded, by its slope. Trees, granite, other objects, animals
// and headquarters are drawn as small squares over the terrain layer.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "core/terrain.h"

namespace plandrix {

enum class Layer : std::uint8_t { kTerrain, kHeights, kResources };

// Colours of the marks and of the other layers.
inline constexpr Rgb kTreeColour = {24, 84, 28};
inline constexpr Rgb kGraniteColour = {208, 208, 200};
inline constexpr Rgb kObjectColour = {120, 78, 40};
inline constexpr Rgb kAnimalColour = {250, 150, 40};
inline constexpr Rgb kMarkBorderColour = {0, 0, 0};
// Headquarters by player; an object index beyond the seventh player is drawn grey.
inline constexpr std::array<Rgb, 8> kPlayerColours = {{{255, 215, 0},
                                                       {220, 30, 30},
                                                       {40, 80, 230},
                                                       {40, 40, 40},
                                                       {255, 255, 255},
                                                       {160, 60, 200},
                                                       {0, 200, 200},
                                                       {128, 128, 128}}};
// Heights above the game's highest are drawn in this colour on the heights layer.
inline constexpr Rgb kTooHighColour = {255, 0, 0};
// The resources layer by ResourceKind (nothing, water, coal, iron, gold, granite,
// fish), mined kinds brighter with their amount; a byte outside every range is magenta.
inline constexpr std::array<Rgb, 7> kResourceColours = {{{56, 56, 56},
                                                         {80, 140, 230},
                                                         {10, 10, 10},
                                                         {200, 96, 50},
                                                         {255, 210, 0},
                                                         {235, 235, 235},
                                                         {0, 210, 190}}};
inline constexpr Rgb kUnknownResourceColour = {255, 0, 255};
// A terrain code that the map's landscape does not know.
inline constexpr Rgb kUnknownTerrainColour = {255, 0, 255};

inline constexpr int kMaxScale = 16;
// Above scale 1 a picture has at most this many pixels (8192 x 8192, 192 MiB of RGB).
inline constexpr std::size_t kMaxScaledPixels = std::size_t{8192} * 8192;
// No picture is wider or higher than this: libpng's reader refuses larger ones unless a
// program raises its limits, so most viewers could not open them.
inline constexpr std::size_t kMaxPictureSide = 1000000;

struct PictureSize {
  std::size_t width = 0;
  std::size_t height = 0;
};

// The picture of a map of width x height at scale, or nothing when the map has no
// vertices, the scale is outside 1 to kMaxScale, or the picture would exceed
// kMaxScaledPixels (scale 1, a pixel per vertex, is always allowed) or kMaxPictureSide.
std::optional<PictureSize> PictureSizeFor(std::size_t width, std::size_t height, int scale);

// 2 for maps up to 512 vertices wide, else 1; 1 as well where scale 2 would exceed
// kMaxScaledPixels (a narrow map that is very high), so that the default always draws.
int DefaultScale(std::size_t width, std::size_t height);

// Draws picture rows first_row onwards into rgb, which holds whole rows of the picture
// (3 x picture width bytes each). A file that does not hold a whole map of its stated
// size, or a scale that PictureSizeFor refuses, gives black rows.
void RenderRows(std::span<const std::uint8_t> file, Layer layer, int scale, std::size_t first_row,
                std::span<std::uint8_t> rgb);

// The whole picture (empty when PictureSizeFor refuses).
std::vector<std::uint8_t> RenderPicture(std::span<const std::uint8_t> file, Layer layer, int scale);

}  // namespace plandrix
