#include "inspect/render.h"

#include <algorithm>

#include "core/map_layout.h"
#include "core/terrain.h"
#include "inspect/balance.h"

namespace plandrix {
namespace {

// Brightness per unit of slope, in 256ths, and its limits (a quarter to 1.75 of the colour).
constexpr int kLightPerSlope = 12;
constexpr int kDarkest = 64;
constexpr int kBrightest = 448;
// Rows of vertices drawn at once: the marks of a band are found in one scan of it.
constexpr std::size_t kBandVertexRows = 16;

// The lowest and highest of the heights drawn in grey (those up to kHighestHeight);
// lowest above highest when there is none.
std::pair<int, int> GreyHeightRange(std::span<const std::uint8_t> heights) {
  std::uint8_t lowest = 255;
  std::uint8_t highest = 0;
  for (const std::uint8_t h : heights) {
    const bool grey = h <= kHighestHeight;
    lowest = std::min(lowest, grey ? h : std::uint8_t{255});
    highest = std::max(highest, grey ? h : std::uint8_t{0});
  }
  return {lowest, highest};
}

std::array<Rgb, 256> HeightColours(std::span<const std::uint8_t> heights) {
  std::array<Rgb, 256> colours{};
  colours.fill(kTooHighColour);
  const auto [lowest, highest] = GreyHeightRange(heights);
  for (int h = lowest; h <= highest; ++h) {
    const auto grey = static_cast<std::uint8_t>(
        lowest == highest ? kFlatHeightColour[0] : (h - lowest) * 255 / (highest - lowest));
    colours[static_cast<std::size_t>(h)] = {grey, grey, grey};
  }
  return colours;
}

Rgb ResourceColour(std::uint8_t resource) {
  const auto kind = ResourceKindOf(resource);
  if (!kind) return kUnknownResourceColour;
  Rgb colour = kResourceColours[static_cast<std::size_t>(*kind)];
  if (const int amount = OreAmount(resource); amount != 0) {
    // Amounts 1 to 7 from 9/15 to the full colour.
    for (auto& c : colour) c = static_cast<std::uint8_t>(c * (8 + amount) / 15);
  }
  return colour;
}

// The two rows a band of triangles spans: the vertex row y and the one below it (the
// last row's triangles reach down into row 0).
struct RowPair {
  std::size_t y;
  std::size_t below;
  bool odd;
};

std::uint8_t HeightAt(const PictureView& map, std::size_t x, std::size_t y) {
  return map.heights[y * map.width + x];
}

std::size_t Right(const PictureView& map, std::size_t x) { return x + 1 == map.width ? 0 : x + 1; }
std::size_t Left(const PictureView& map, std::size_t x) { return x == 0 ? map.width - 1 : x - 1; }

// Slopes towards the lower right, twice the rise per vertex along x plus along y.
int UpSlope(const PictureView& map, const RowPair& rows, std::size_t x) {
  const std::size_t below_left = rows.odd ? x : Left(map, x);
  const std::size_t below_right = rows.odd ? Right(map, x) : x;
  return 3 * HeightAt(map, below_right, rows.below) - HeightAt(map, below_left, rows.below) -
         2 * HeightAt(map, x, rows.y);
}

int DownSlope(const PictureView& map, const RowPair& rows, std::size_t x) {
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

const Rgb& TerrainColour(const PictureView& map, std::uint8_t terrain) {
  return map.terrain_colours[TerrainCode(terrain)];
}

// One picture row of the terrain layer.
void TerrainRow(const PictureView& map, std::size_t row, std::uint8_t* out) {
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

// The quality layer's cells: each vertex's quality, and the border vertices of each home
// (those with a neighbour outside it) in its player's cell.
// The file holds a whole map.
LayerVector<std::uint8_t> QualityCells(std::span<const std::uint8_t> file) {
  const MapGrid grid(MapWidth(file), MapHeight(file));
  LayerVector<std::uint8_t> cells(grid.size());
  const auto layers =
      LayersOf(file, LandscapeOf(file[kLandscapeOffset]).value_or(Landscape::kGreenland));
  if (!layers) return cells;
  const VertexFacts facts = ReadVertexFacts(*layers);
  const LayerVector<BuildingQuality> quality = ComputeBuildingQuality(*layers, facts);
  const LayerVector<std::uint8_t> homes =
      FindHomes(*layers, facts, FindPlayerStarts(file), kDefaultHomeRadius);
  if (quality.size() != cells.size() || homes.size() != cells.size()) return cells;
  std::size_t v = 0;
  for (std::size_t y = 0; y < grid.height(); ++y) {
    for (std::size_t x = 0; x < grid.width(); ++x, ++v) {
      cells[v] = static_cast<std::uint8_t>(quality[v]);
      if (homes[v] == kNoHome) continue;
      for (const Point q : grid.NeighbourPoints({x, y})) {
        if (homes[grid.Index(q)] != homes[v]) {
          cells[v] = static_cast<std::uint8_t>(kOutlineCell + homes[v]);
          break;
        }
      }
    }
  }
  return cells;
}

std::array<Rgb, 256> QualityCellColours() {
  std::array<Rgb, 256> colours{};
  std::copy(kQualityColours.begin(), kQualityColours.end(), colours.begin());
  std::copy(kPlayerColours.begin(), kPlayerColours.end(), colours.begin() + kOutlineCell);
  return colours;
}

std::span<const std::uint8_t> CellsOf(const PictureView& map) {
  switch (map.layer) {
    case Layer::kHeights:
      return map.heights;
    case Layer::kQuality:
      return map.quality_cells;
    default:
      return map.resources;
  }
}

// One picture row of the heights, resources or quality layer: each vertex an s x s cell.
void CellRow(const PictureView& map, std::size_t row, std::uint8_t* out) {
  const std::size_t s = map.scale;
  const std::size_t y = row / s;
  const std::size_t shift = (y & 1) != 0 && s > 1 ? s / 2 : 0;
  const auto cells = CellsOf(map).subspan(y * map.width);
  for (std::size_t px = 0; px < map.picture_width; ++px, out += 3) {
    const std::size_t x = ((px + s * map.width - shift) / s) % map.width;
    const Rgb& colour = map.cell_colours[cells[x]];
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
  std::size_t width;   // of the picture
  std::size_t height;  // of the picture
};

// The place of v on a circle of n places; v lies within a few turns of it (a mark is at
// most 2 x 16 + 1 pixels, a picture at least 1).
std::size_t Wrapped(std::int64_t v, std::size_t n) {
  const auto turn = static_cast<std::int64_t>(n);
  while (v < 0) v += turn;
  while (v >= turn) v -= turn;
  return static_cast<std::size_t>(v);
}

// Fills the part inside the band of the size x size square whose top left pixel is
// (left, top), wrapped around the picture's edges as the map wraps around its own.
void FillSquare(const Band& band, std::int64_t left, std::int64_t top, std::size_t size,
                const Rgb& colour) {
  const auto side = static_cast<std::int64_t>(size);
  for (std::int64_t dy = 0; dy < side; ++dy) {
    const std::size_t row = Wrapped(top + dy, band.height);
    if (row < band.first_row || row >= band.first_row + band.rows) continue;
    std::uint8_t* line = band.rgb.data() + (row - band.first_row) * band.width * 3;
    for (std::int64_t dx = 0; dx < side; ++dx) {
      std::copy(colour.begin(), colour.end(), line + 3 * Wrapped(left + dx, band.width));
    }
  }
}

std::size_t HeadquartersSize(std::size_t scale) { return std::max<std::size_t>(7, 2 * scale + 1); }
std::size_t SmallMarkSize(std::size_t scale) { return std::max<std::size_t>(1, scale / 2); }

// The top left pixel of a mark of size pixels on vertex (x, y): the vertex point is the
// pixel (x, y) at scale 1, else the corner at (s x, s y), half a vertex further right on
// odd rows; the mark's centre pixel lies on it or just below and right of it.
std::pair<std::int64_t, std::int64_t> MarkCorner(const PictureView& map, std::size_t x,
                                                 std::size_t y, std::size_t size) {
  const std::size_t s = map.scale;
  const std::size_t cx = s * x + ((y & 1) != 0 && s > 1 ? s / 2 : 0);
  const auto half = static_cast<std::int64_t>(size / 2);
  return {static_cast<std::int64_t>(cx) - half, static_cast<std::int64_t>(s * y) - half};
}

// The vertex rows whose marks of size pixels reach into the band, at most every row once,
// in order from the first such row (wrapping past the last row to row 0).
struct RowSpan {
  std::size_t first;
  std::size_t count;
};
RowSpan RowsReaching(const PictureView& map, const Band& band, std::size_t size) {
  const auto s = static_cast<std::int64_t>(map.scale);
  const auto half = static_cast<std::int64_t>(size / 2);
  const auto below = static_cast<std::int64_t>(size) - half - 1;  // rows below the centre
  const auto floor_div = [s](std::int64_t v) { return v >= 0 ? v / s : -((s - 1 - v) / s); };
  const std::int64_t first = floor_div(static_cast<std::int64_t>(band.first_row) - below);
  const std::int64_t last =
      floor_div(static_cast<std::int64_t>(band.first_row + band.rows) - 1 + half);
  const auto count = static_cast<std::size_t>(last - first + 1);
  return {Wrapped(first, map.height), std::min(count, map.height)};
}

// By mark: an animal on a vertex without an object, a tree, granite, another object.
constexpr std::array<const Rgb*, 4> kSmallMarkColours = {&kAnimalColour, &kTreeColour,
                                                         &kGraniteColour, &kObjectColour};

void DrawSmallMarks(const PictureView& map, const Band& band) {
  const std::size_t size = SmallMarkSize(map.scale);
  const RowSpan rows = RowsReaching(map, band, size);
  for (std::size_t i = 0; i < rows.count; ++i) {
    const std::size_t y = (rows.first + i) % map.height;
    for (std::size_t x = 0; x < map.width; ++x) {
      const std::size_t v = y * map.width + x;
      const Mark mark = kMarkOfType[map.types[v]];
      if (mark == Mark::kNone && !IsAnimal(map.animals[v])) continue;
      if (mark == Mark::kHeadquarters) continue;
      const auto [left, top] = MarkCorner(map, x, y, size);
      FillSquare(band, left, top, size, *kSmallMarkColours[static_cast<std::size_t>(mark)]);
    }
  }
}

// The headquarters reaching into the band, from the last player to the first and, for
// one player, in the map's row order: the lower a player, the more surely the game
// starts someone there (a map of N players uses the marks 0 to N - 1), so player 0 is
// never covered; of two marks of one player the game takes the later one, drawn on top.
// Marks that are no player go below all.
void DrawHeadquarters(const PictureView& map, const Band& band) {
  const std::size_t size = HeadquartersSize(map.scale);
  const RowSpan rows = RowsReaching(map, band, size);
  struct Headquarters {
    std::size_t player;  // kPlayerColours.size() for every index that is no player
    std::size_t vertex;
  };
  std::vector<Headquarters> marks;
  for (std::size_t i = 0; i < rows.count; ++i) {
    const std::size_t y = (rows.first + i) % map.height;
    for (std::size_t v = y * map.width; v < (y + 1) * map.width; ++v) {
      if (map.types[v] != kHeadquartersType) continue;
      marks.push_back({std::min<std::size_t>(map.indexes[v], kPlayerColours.size()), v});
    }
  }
  std::sort(marks.begin(), marks.end(), [](const Headquarters& a, const Headquarters& b) {
    return a.player != b.player ? a.player > b.player : a.vertex < b.vertex;
  });
  for (const auto& [player, v] : marks) {
    const Rgb& fill = player < kPlayerColours.size() ? kPlayerColours[player] : kStrayMarkColour;
    const auto [left, top] = MarkCorner(map, v % map.width, v / map.width, size);
    FillSquare(band, left, top, size, kMarkBorderColour);
    FillSquare(band, left + 1, top + 1, size - 2, fill);
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

PictureView PreparePicture(std::span<const std::uint8_t> file, Layer layer, int scale) {
  if (!MapImageIsComplete(file)) return {};
  PictureView map;
  map.width = MapWidth(file);
  map.height = MapHeight(file);
  const auto size = PictureSizeFor(map.width, map.height, scale);
  if (!size) return {};
  map.scale = static_cast<std::size_t>(scale);
  map.picture_width = size->width;
  map.picture_height = size->height;
  map.layer = layer;
  const std::size_t n = map.width * map.height;
  map.heights = Block(file, kHeightBlock, n);
  map.up = Block(file, kTerrainBlock1, n);
  map.down = Block(file, kTerrainBlock2, n);
  map.indexes = Block(file, kObjectIndexBlock, n);
  map.types = Block(file, kObjectTypeBlock, n);
  map.animals = Block(file, kAnimalBlock, n);
  map.resources = Block(file, kResourceBlock, n);
  if (layer == Layer::kTerrain) {
    // A landscape byte the game refuses is drawn as greenland.
    const Landscape shown = LandscapeOf(file[kLandscapeOffset]).value_or(Landscape::kGreenland);
    for (std::uint8_t code = 0; code < map.terrain_colours.size(); ++code) {
      map.terrain_colours[code] =
          IsDefinedTerrain(shown, code) ? TerrainOf(shown, code).colour : kUnknownTerrainColour;
    }
  } else if (layer == Layer::kHeights) {
    map.cell_colours = HeightColours(map.heights);
  } else if (layer == Layer::kQuality) {
    map.quality_cells = QualityCells(file);
    map.cell_colours = QualityCellColours();
  } else {
    for (std::size_t byte = 0; byte < map.cell_colours.size(); ++byte) {
      map.cell_colours[byte] = ResourceColour(static_cast<std::uint8_t>(byte));
    }
  }
  return map;
}

void RenderRows(const PictureView& picture, std::size_t first_row, std::span<std::uint8_t> rgb) {
  std::fill(rgb.begin(), rgb.end(), std::uint8_t{0});
  const std::size_t row_bytes = 3 * picture.picture_width;
  if (row_bytes == 0 || first_row >= picture.picture_height) return;
  const std::size_t rows = std::min(rgb.size() / row_bytes, picture.picture_height - first_row);
  for (std::size_t row = 0; row < rows; ++row) {
    std::uint8_t* out = rgb.data() + row * row_bytes;
    if (picture.layer == Layer::kTerrain) {
      TerrainRow(picture, first_row + row, out);
    } else {
      CellRow(picture, first_row + row, out);
    }
  }
  const Band band{rgb, first_row, rows, picture.picture_width, picture.picture_height};
  if (picture.layer == Layer::kTerrain) DrawSmallMarks(picture, band);
  if (picture.layer == Layer::kTerrain || picture.layer == Layer::kQuality) {
    DrawHeadquarters(picture, band);
  }
}

void RenderRows(std::span<const std::uint8_t> file, Layer layer, int scale, std::size_t first_row,
                std::span<std::uint8_t> rgb) {
  RenderRows(PreparePicture(file, layer, scale), first_row, rgb);
}

std::vector<std::uint8_t> RenderPicture(std::span<const std::uint8_t> file, Layer layer,
                                        int scale) {
  const PictureView picture = PreparePicture(file, layer, scale);
  std::vector<std::uint8_t> rgb(3 * picture.picture_width * picture.picture_height);
  const std::size_t band_rows = kBandVertexRows * picture.scale;
  for (std::size_t row = 0; row < picture.picture_height; row += band_rows) {
    const std::size_t rows = std::min(band_rows, picture.picture_height - row);
    RenderRows(
        picture, row,
        std::span(rgb).subspan(3 * picture.picture_width * row, 3 * picture.picture_width * rows));
  }
  return rgb;
}

}  // namespace plandrix
