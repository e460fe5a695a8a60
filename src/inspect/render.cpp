#include "inspect/render.h"

#include <algorithm>

#include "core/map_layout.h"
#include "core/terrain.h"

namespace plandrix {
namespace {

// Brightness per unit of slope, in 256ths, and its limits (a quarter to 1.75 of the colour).
constexpr int kLightPerSlope = 12;
constexpr int kDarkest = 64;
constexpr int kBrightest = 448;
// Rows of vertices drawn at once: the marks of a band are found in one scan of it.
constexpr std::size_t kBandVertexRows = 16;

struct MapView {
  std::size_t width = 0;
  std::size_t height = 0;
  std::size_t scale = 1;
  std::size_t picture_width = 0;
  std::span<const std::uint8_t> heights, up, down, indexes, types, animals, resources;
  // By terrain code: a code that the map's landscape does not know is drawn magenta, so
  // that what check reports can be found in the picture.
  std::array<Rgb, 64> colours{};
};

std::optional<MapView> ViewOf(std::span<const std::uint8_t> file, int scale) {
  if (!MapImageIsComplete(file)) return std::nullopt;
  MapView map;
  map.width = MapWidth(file);
  map.height = MapHeight(file);
  const auto size = PictureSizeFor(map.width, map.height, scale);
  if (!size) return std::nullopt;
  map.scale = static_cast<std::size_t>(scale);
  map.picture_width = size->width;
  // A landscape byte the game refuses is drawn as greenland.
  const Landscape shown = LandscapeOf(file[kLandscapeOffset]).value_or(Landscape::kGreenland);
  for (std::uint8_t code = 0; code < map.colours.size(); ++code) {
    map.colours[code] =
        IsDefinedTerrain(shown, code) ? TerrainOf(shown, code).colour : kUnknownTerrainColour;
  }
  const std::size_t n = map.width * map.height;
  map.heights = Block(file, kHeightBlock, n);
  map.up = Block(file, kTerrainBlock1, n);
  map.down = Block(file, kTerrainBlock2, n);
  map.indexes = Block(file, kObjectIndexBlock, n);
  map.types = Block(file, kObjectTypeBlock, n);
  map.animals = Block(file, kAnimalBlock, n);
  map.resources = Block(file, kResourceBlock, n);
  return map;
}

// The two rows a band of triangles spans: the vertex row y and the one below it (the
// last row's triangles reach down into row 0).
struct RowPair {
  std::size_t y;
  std::size_t below;
  bool odd;
};

std::uint8_t HeightAt(const MapView& map, std::size_t x, std::size_t y) {
  return map.heights[y * map.width + x];
}

std::size_t Right(const MapView& map, std::size_t x) { return x + 1 == map.width ? 0 : x + 1; }
std::size_t Left(const MapView& map, std::size_t x) { return x == 0 ? map.width - 1 : x - 1; }

// Slopes towards the lower right, twice the rise per vertex along x plus along y.
int UpSlope(const MapView& map, const RowPair& rows, std::size_t x) {
  const std::size_t below_left = rows.odd ? x : Left(map, x);
  const std::size_t below_right = rows.odd ? Right(map, x) : x;
  return 3 * HeightAt(map, below_right, rows.below) - HeightAt(map, below_left, rows.below) -
         2 * HeightAt(map, x, rows.y);
}

int DownSlope(const MapView& map, const RowPair& rows, std::size_t x) {
  const std::size_t below_right = rows.odd ? Right(map, x) : x;
  return HeightAt(map, Right(map, x), rows.y) + 2 * HeightAt(map, below_right, rows.below) -
         3 * HeightAt(map, x, rows.y);
}

void PutShaded(const Rgb& colour, int slope, std::uint8_t* pixel) {
  const int light = std::clamp(256 + kLightPerSlope * slope, kDarkest, kBrightest);
  for (std::size_t c = 0; c < 3; ++c) {
    pixel[c] = static_cast<std::uint8_t>(std::min(255, (colour[c] * light) >> 8));
  }
}

const Rgb& TerrainColour(const MapView& map, std::uint8_t terrain) {
  return map.colours[TerrainCode(terrain)];
}

// One picture row of the terrain layer.
void TerrainRow(const MapView& map, std::size_t row, std::uint8_t* out) {
  const std::size_t s = map.scale;
  const std::size_t y = row / s;
  const RowPair rows{y, y + 1 == map.height ? 0 : y + 1, (y & 1) != 0};
  const std::size_t first = y * map.width;
  if (s == 1) {
    for (std::size_t x = 0; x < map.width; ++x, out += 3) {
      PutShaded(TerrainColour(map, map.up[first + x]), UpSlope(map, rows, x), out);
    }
    return;
  }
  // In units of half a pixel: the pixel centre's depth into the band (1 to 2s - 1) and
  // its place along the row from vertex k (0 to 2s - 1). A triangle pointing up covers
  // the places within depth / 2 of its top vertex, the one pointing down the rest.
  const std::size_t depth = 2 * (row - y * s) + 1;
  const std::size_t period = 2 * s;
  const std::size_t start = period * map.width + 1 - (rows.odd ? s : 0);
  std::size_t k = (start / period) % map.width;
  std::size_t place = start % period;
  for (std::size_t x = 0; x < map.picture_width; ++x, out += 3) {
    if (2 * place < depth) {
      PutShaded(TerrainColour(map, map.up[first + k]), UpSlope(map, rows, k), out);
    } else if (2 * (period - place) < depth) {
      const std::size_t next = Right(map, k);
      PutShaded(TerrainColour(map, map.up[first + next]), UpSlope(map, rows, next), out);
    } else {
      PutShaded(TerrainColour(map, map.down[first + k]), DownSlope(map, rows, k), out);
    }
    place += 2;
    if (place >= period) {
      place -= period;
      k = Right(map, k);
    }
  }
}

Rgb HeightColour(std::uint8_t height) {
  if (height > kHighestHeight) return kTooHighColour;
  const auto grey = static_cast<std::uint8_t>(height * 255 / kHighestHeight);
  return {grey, grey, grey};
}

Rgb ResourceColour(std::uint8_t resource) {
  const auto kind = ResourceKindOf(resource);
  if (!kind) return kUnknownResourceColour;
  Rgb colour = kResourceColours[static_cast<std::size_t>(*kind)];
  const bool mined = *kind != ResourceKind::kNothing && *kind != ResourceKind::kWater &&
                     *kind != ResourceKind::kFish;
  if (mined) {
    // Amounts 1 to 7 from 9/16 to the full colour.
    const int amount = resource & 7;
    for (auto& c : colour) c = static_cast<std::uint8_t>(c * (8 + amount) / 15);
  }
  return colour;
}

// One picture row of the heights or the resources layer: each vertex an s x s cell.
void CellRow(const MapView& map, Layer layer, std::size_t row, std::uint8_t* out) {
  const std::size_t s = map.scale;
  const std::size_t y = row / s;
  const std::size_t shift = (y & 1) != 0 && s > 1 ? s / 2 : 0;
  const std::size_t first = y * map.width;
  for (std::size_t px = 0; px < map.picture_width; ++px, out += 3) {
    const std::size_t x = ((px + s * map.width - shift) / s) % map.width;
    const Rgb colour = layer == Layer::kHeights ? HeightColour(map.heights[first + x])
                                                : ResourceColour(map.resources[first + x]);
    std::copy(colour.begin(), colour.end(), out);
  }
}

}  // namespace

namespace {

enum class Mark : std::uint8_t { kNone, kTree, kGranite, kObject, kHeadquarters };

constexpr std::array<Mark, 256> kMarkOfType = [] {
  std::array<Mark, 256> marks{};
  marks.fill(Mark::kObject);
  marks[0] = Mark::kNone;
  for (int type = kFirstTreeType; type <= kLastTreeType; ++type) {
    marks[static_cast<std::size_t>(type)] = Mark::kTree;
  }
  for (int type = kFirstGraniteType; type <= kLastGraniteType; ++type) {
    marks[static_cast<std::size_t>(type)] = Mark::kGranite;
  }
  marks[kHeadquartersType] = Mark::kHeadquarters;
  return marks;
}();

// The rows of the picture being drawn.
struct Band {
  std::span<std::uint8_t> rgb;
  std::size_t first_row;
  std::size_t rows;
  std::size_t width;
};

// Fills the part inside the band of the size x size square whose centre is the vertex
// point (cx, cy), the corner between four pixels.
void FillSquare(const Band& band, std::size_t cx, std::size_t cy, std::size_t size,
                const Rgb& colour) {
  const std::size_t half = size / 2;
  const std::size_t left = cx > half ? cx - half : 0;
  const std::size_t right = std::min(band.width, cx + size - half);
  const std::size_t top = std::max(band.first_row, cy > half ? cy - half : 0);
  const std::size_t bottom = std::min(band.first_row + band.rows, cy + size - half);
  for (std::size_t row = top; row < bottom; ++row) {
    std::uint8_t* line = band.rgb.data() + (row - band.first_row) * band.width * 3;
    for (std::size_t x = left; x < right; ++x)
      std::copy(colour.begin(), colour.end(), line + 3 * x);
  }
}

std::size_t HeadquartersSize(std::size_t scale) { return std::max<std::size_t>(5, 2 * scale + 1); }
std::size_t SmallMarkSize(std::size_t scale) { return std::max<std::size_t>(1, scale / 2); }

void DrawMark(const MapView& map, const Band& band, std::size_t x, std::size_t y, bool large) {
  const std::size_t i = y * map.width + x;
  const Mark mark = kMarkOfType[map.types[i]];
  const std::size_t s = map.scale;
  const std::size_t cx = s * x + ((y & 1) != 0 && s > 1 ? s / 2 : 0);
  const std::size_t cy = s * y;
  if (large) {
    if (mark != Mark::kHeadquarters) return;
    const std::size_t size = HeadquartersSize(s);
    FillSquare(band, cx, cy, size, kMarkBorderColour);
    FillSquare(band, cx, cy, size - 2, kPlayerColours[std::min<std::size_t>(map.indexes[i], 7)]);
    return;
  }
  if (mark == Mark::kHeadquarters) return;
  // By mark; a vertex without an object is drawn only for its animal.
  constexpr std::array<const Rgb*, 4> kColours = {&kAnimalColour, &kTreeColour, &kGraniteColour,
                                                  &kObjectColour};
  if (mark == Mark::kNone && map.animals[i] == 0) return;
  const Rgb& colour = *kColours[static_cast<std::size_t>(mark)];
  const std::size_t size = SmallMarkSize(s);
  if (size > 1) {
    FillSquare(band, cx, cy, size, colour);
    return;
  }
  // One pixel, up to scale 3: a quarter of a random map's vertices carry a mark.
  if (cy < band.first_row || cy >= band.first_row + band.rows || cx >= band.width) return;
  std::uint8_t* pixel = band.rgb.data() + 3 * ((cy - band.first_row) * band.width + cx);
  std::copy(colour.begin(), colour.end(), pixel);
}

// The marks of every vertex that reaches into the band: small ones first, then the
// headquarters over them. Each pass scans only the vertex rows its marks can reach from.
void DrawMarks(const MapView& map, const Band& band) {
  const std::size_t w = map.width;
  for (const bool large : {false, true}) {
    const std::size_t reach = large ? HeadquartersSize(map.scale) : SmallMarkSize(map.scale);
    const std::size_t first_y = band.first_row > reach ? (band.first_row - reach) / map.scale : 0;
    const std::size_t last_y =
        std::min(map.height - 1, (band.first_row + band.rows + reach) / map.scale);
    for (std::size_t y = first_y; y <= last_y; ++y) {
      for (std::size_t x = 0; x < w; ++x) {
        const std::size_t i = y * w + x;
        const bool marked =
            large ? map.types[i] == kHeadquartersType : (map.types[i] | map.animals[i]) != 0;
        if (marked) DrawMark(map, band, x, y, large);
      }
    }
  }
}

}  // namespace

std::optional<PictureSize> PictureSizeFor(std::size_t width, std::size_t height, int scale) {
  if (width == 0 || height == 0 || scale < 1 || scale > kMaxScale) return std::nullopt;
  const auto s = static_cast<std::size_t>(scale);
  if (s > 1 && width * s * height * s > kMaxScaledPixels) return std::nullopt;
  if (width * s > kMaxPictureSide || height * s > kMaxPictureSide) return std::nullopt;
  return PictureSize{width * s, height * s};
}

int DefaultScale(std::size_t width, std::size_t height) {
  return width <= 512 && PictureSizeFor(width, height, 2) ? 2 : 1;
}

void RenderRows(std::span<const std::uint8_t> file, Layer layer, int scale, std::size_t first_row,
                std::span<std::uint8_t> rgb) {
  std::fill(rgb.begin(), rgb.end(), std::uint8_t{0});
  const auto map = ViewOf(file, scale);
  if (!map) return;
  const std::size_t row_bytes = 3 * map->picture_width;
  const std::size_t picture_height = map->height * map->scale;
  if (first_row >= picture_height) return;
  const std::size_t rows = std::min(rgb.size() / row_bytes, picture_height - first_row);
  for (std::size_t row = 0; row < rows; ++row) {
    std::uint8_t* out = rgb.data() + row * row_bytes;
    if (layer == Layer::kTerrain) {
      TerrainRow(*map, first_row + row, out);
    } else {
      CellRow(*map, layer, first_row + row, out);
    }
  }
  if (layer == Layer::kTerrain) DrawMarks(*map, Band{rgb, first_row, rows, map->picture_width});
}

std::vector<std::uint8_t> RenderPicture(std::span<const std::uint8_t> file, Layer layer,
                                        int scale) {
  if (!MapImageIsComplete(file)) return {};
  const auto size = PictureSizeFor(MapWidth(file), MapHeight(file), scale);
  if (!size) return {};
  std::vector<std::uint8_t> rgb(3 * size->width * size->height);
  const std::size_t band_rows = kBandVertexRows * static_cast<std::size_t>(scale);
  for (std::size_t row = 0; row < size->height; row += band_rows) {
    const std::size_t rows = std::min(band_rows, size->height - row);
    RenderRows(file, layer, scale, row,
               std::span(rgb).subspan(3 * size->width * row, 3 * size->width * rows));
  }
  return rgb;
}

}  // namespace plandrix
