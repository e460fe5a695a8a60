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
// lit, one that falls is shaded, by its slope. Trees, granite, other objects and animals
// are drawn as small squares over the terrain layer, headquarters as larger outlined
// squares over those; every mark wraps around the picture's edges as the map does.
//
// The quality layer draws each vertex as an s x s cell in the colour of its building
// quality on the map as it is (building_quality.h), each player's home (balance.h, 24
// steps) outlined by its border vertices in the player's colour, and the headquarters as
// on the terrain layer.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "core/terrain.h"
#include "inspect/building_quality.h"

namespace plandrix {

enum class Layer : std::uint8_t { kTerrain, kHeights, kResources, kQuality };

// Colours of the marks and of the other layers.
inline constexpr Rgb kTreeColour = {24, 84, 28};
inline constexpr Rgb kGraniteColour = {208, 208, 200};
inline constexpr Rgb kObjectColour = {120, 78, 40};
inline constexpr Rgb kAnimalColour = {250, 150, 40};
// Headquarters: a square of 7 x 7 pixels up to scale 3 and 2s + 1 from scale 4 on, its
// outer ring black and the rest in the player's colour. The players' colours are bright
// and far from each other and from the terrain's greens and browns, so that the black
// ring stands out against each of them and around them on all but the darkest terrain.
inline constexpr Rgb kMarkBorderColour = {0, 0, 0};
inline constexpr std::array<Rgb, 8> kPlayerColours = {{{255, 220, 0},
                                                       {230, 30, 30},
                                                       {40, 90, 255},
                                                       {255, 255, 255},
                                                       {0, 225, 225},
                                                       {160, 60, 220},
                                                       {255, 130, 0},
                                                       {255, 130, 200}}};
// A mark whose index is no player (8 and above): the game starts nobody there.
inline constexpr Rgb kStrayMarkColour = {128, 128, 128};
// The heights layer: grey from black at the map's lowest height to white at its highest,
// one mid grey for a flat map; heights above the original game's highest (which check
// warns about) in a colour of their own, left out of the stretch.
inline constexpr Rgb kFlatHeightColour = {128, 128, 128};
inline constexpr Rgb kTooHighColour = {255, 0, 0};
// The resources layer by ResourceKind (nothing, water, coal, iron, gold, granite, fish):
// nothing dark grey, the ground water under most land a pale blue grey, the ores in
// bright colours that stand out from it, from 9/15 of the colour at amount 1 to the full
// colour at amount 7, and fish the deep blue of the sea; a byte outside every range is
// magenta.
inline constexpr std::array<Rgb, 7> kResourceColours = {{{56, 56, 56},
                                                         {170, 196, 214},
                                                         {160, 90, 255},
                                                         {240, 60, 40},
                                                         {255, 214, 0},
                                                         {60, 220, 100},
                                                         {20, 70, 200}}};
inline constexpr Rgb kUnknownResourceColour = {255, 0, 255};
// The quality layer by BuildingQuality (nothing, flag, mine, hut, house, castle, harbour):
// the large sites green, paling to yellow-green for a house and ochre for a hut, a mine
// grey-brown, a flag rust, nothing dark grey and a harbour steel blue; all of them duller
// than the players' bright colours, which outline the homes over them.
inline constexpr std::array<Rgb, kQualityCount> kQualityColours = {{{48, 48, 48},
                                                                    {190, 100, 50},
                                                                    {130, 110, 90},
                                                                    {200, 175, 80},
                                                                    {140, 180, 60},
                                                                    {40, 130, 50},
                                                                    {60, 100, 150}}};
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

// What every band of one picture shares, worked out once by PreparePicture: the map's
// blocks, the picture's size and the layer's colours (the heights layer's grey runs from
// the lowest to the highest height of the whole map); for the quality layer, the cell of
// every vertex. Empty (no pixels) when the file
// does not hold a whole map of its stated size or PictureSizeFor refuses the scale. It
// points into the file, which must outlive it.
struct PictureView {
  std::size_t width = 0;  // of the map, in vertices
  std::size_t height = 0;
  std::size_t scale = 1;
  std::size_t picture_width = 0;  // in pixels
  std::size_t picture_height = 0;
  Layer layer = Layer::kTerrain;
  std::span<const std::uint8_t> heights, up, down, indexes, types, animals, resources;
  std::array<Rgb, 64> terrain_colours{};  // by terrain code
  std::array<Rgb, 256> cell_colours{};    // by byte of the heights, resources or quality cells
  // The quality layer's cell of each vertex: its BuildingQuality, or kOutlineCell + p on
  // the border of player p's home.
  LayerVector<std::uint8_t> quality_cells;
};
inline constexpr std::uint8_t kOutlineCell = 16;

PictureView PreparePicture(std::span<const std::uint8_t> file, Layer layer, int scale);

// Draws picture rows first_row onwards into rgb, which holds whole rows of the picture
// (3 x picture width bytes each); an empty view gives black rows. Reads the view only,
// so that bands may be drawn at once on several threads.
void RenderRows(const PictureView& picture, std::size_t first_row, std::span<std::uint8_t> rgb);

// The same with the view prepared for this call alone; on the heights layer that scans
// the whole map and on the quality layer it works the map out, so a picture of many
// bands is drawn from one PreparePicture.
void RenderRows(std::span<const std::uint8_t> file, Layer layer, int scale, std::size_t first_row,
                std::span<std::uint8_t> rgb);

// The whole picture (empty when PictureSizeFor refuses).
std::vector<std::uint8_t> RenderPicture(std::span<const std::uint8_t> file, Layer layer, int scale);

}  // namespace plandrix
