#include "inspect/bitmap_export.h"

#include <algorithm>
#include <array>
#include <limits>

#include "core/map_layout.h"
#include "core/terrain.h"
#include "transform/bitmap_terrain.h"

namespace plandrix::inspect {
namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;
// Pixels per metre stated in the header (72 dots per inch); viewers only show it.
constexpr std::uint32_t kPixelsPerMetre = 2835;
// The texture that a triangle keeps when no vertex paints it: the blank map's water.
constexpr std::uint8_t kBlankTexture = 5;
// Colour 0 paints nothing; the picture shows it in the colour of a terrain no map should
// hold, so that what the export could not express stands out.
constexpr std::uint8_t kNothingColour = 0;
constexpr std::uint8_t kUnknownCode = kTerrainCodeMask;

void PutU16(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value) {
  bytes[offset] = static_cast<std::uint8_t>(value & 0xFF);
  bytes[offset + 1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
}

void PutU32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value) {
  PutU16(bytes, offset, value & 0xFFFF);
  PutU16(bytes, offset + 2, value >> 16);
}

// File header, information header and palette of an uncompressed bitmap whose stored
// rows are row_bytes long; the pixel bytes are left 0. Empty when it exceeds 4 GiB.
std::vector<std::uint8_t> BitmapFrame(std::size_t width, std::size_t height, std::uint16_t bits,
                                      std::size_t row_bytes) {
  const std::size_t palette_entries = std::size_t{1} << bits;
  const std::size_t pixel_offset = kFileHeaderSize + kInfoHeaderSize + 4 * palette_entries;
  constexpr std::size_t kLargest = std::numeric_limits<std::uint32_t>::max();
  if (height != 0 && row_bytes > (kLargest - pixel_offset) / height) return {};
  const std::size_t pixel_bytes = row_bytes * height;
  std::vector<std::uint8_t> bytes(pixel_offset + pixel_bytes, 0);
  bytes[0] = 'B';
  bytes[1] = 'M';
  PutU32(bytes, 2, static_cast<std::uint32_t>(bytes.size()));
  PutU32(bytes, 10, static_cast<std::uint32_t>(pixel_offset));
  PutU32(bytes, 14, kInfoHeaderSize);
  PutU32(bytes, 18, static_cast<std::uint32_t>(width));
  PutU32(bytes, 22, static_cast<std::uint32_t>(height));  // positive: rows bottom-up
  PutU16(bytes, 26, 1);                                   // one plane
  PutU16(bytes, 28, bits);
  PutU32(bytes, 30, 0);  // no compression
  PutU32(bytes, 34, static_cast<std::uint32_t>(pixel_bytes));
  PutU32(bytes, 38, kPixelsPerMetre);
  PutU32(bytes, 42, kPixelsPerMetre);
  PutU32(bytes, 46, static_cast<std::uint32_t>(palette_entries));
  return bytes;
}

void PutPaletteEntry(std::vector<std::uint8_t>& bytes, std::size_t entry,
                     const std::array<std::uint8_t, 3>& rgb) {
  const std::size_t at = kFileHeaderSize + kInfoHeaderSize + 4 * entry;
  bytes[at] = rgb[2];  // stored blue, green, red, 0
  bytes[at + 1] = rgb[1];
  bytes[at + 2] = rgb[0];
}

// The colour choice. A triangle gets the texture of the highest-ranked colour among the
// vertices that paint it (PaintersOfTriangle), or keeps the blank map's water when none
// of them paints. A first choice (FirstColours) works out which rank each triangle's
// winner must have; then every vertex in turn takes the colour that makes the most of
// its own triangles come out right, given its neighbours' colours, until no vertex can
// improve: each change raises the number of right triangles, so this ends, and a map
// that the first choice gives back exactly is never changed. A code that no colour
// paints can never come back; it binds no vertex.
struct TextureColours {
  std::uint8_t low = 0;  // the colour of lower rank, 0 when no colour paints the texture
  std::uint8_t high = 0;
};

struct Painting {
  std::span<const std::uint8_t> first;
  std::span<const std::uint8_t> second;
  std::size_t width = 0;
  std::size_t height = 0;
  std::array<TextureColours, 256> by_texture{};
};

Painting MakePainting(std::span<const std::uint8_t> image) {
  Painting painting;
  painting.width = MapWidth(image);
  painting.height = MapHeight(image);
  const std::size_t n = painting.width * painting.height;
  painting.first = Block(image, kTerrainBlock1, n);
  painting.second = Block(image, kTerrainBlock2, n);
  for (std::uint8_t colour = 0; colour < 16; ++colour) {
    const ColourPaint paint = PaintOfColour(colour);
    if (paint.rank == 0) continue;
    TextureColours& colours = painting.by_texture[paint.texture];
    if (colours.low == 0) {
      colours.low = colour;
      colours.high = colour;
    } else if (paint.rank > PaintOfColour(colours.high).rank) {
      colours.high = colour;
    } else {
      colours.low = colour;
    }
  }
  return painting;
}

std::uint8_t TargetOf(const Painting& painting, TerrainTriangle triangle) {
  return (triangle.block == kTerrainBlock1 ? painting.first : painting.second)[triangle.index];
}

bool Expressible(const Painting& painting, std::uint8_t code) {
  return painting.by_texture[code].low != 0;
}

std::uint8_t TextureOf(ColourPaint paint) {
  return paint.rank == 0 ? kBlankTexture : paint.texture;
}

ColourPaint Stronger(ColourPaint a, ColourPaint b) { return a.rank >= b.rank ? a : b; }

// The strongest paint among the painters of triangle other than vertex except.
ColourPaint StrongestOther(const Painting& painting, std::span<const std::uint8_t> colours,
                           TerrainTriangle triangle, std::size_t except) {
  std::array<std::size_t, kMostPainters> painters{};
  const std::size_t count = PaintersOfTriangle(triangle, painting.width, painting.height, painters);
  ColourPaint strongest{0, 0};
  for (std::size_t i = 0; i < count; ++i) {
    if (painters[i] != except) strongest = Stronger(strongest, PaintOfColour(colours[painters[i]]));
  }
  return strongest;
}

// The first choice, by the rank that each triangle's winner must have. A triangle of a
// texture that two colours paint (or water, which also stays where nothing paints) first
// wants the higher rank. Each vertex takes the highest-ranked colour of a texture that
// one of its triangles holds and that wins no triangle it must lose: below each
// triangle's wanted rank, or at it with the right texture (colour 0 when there is none). When no
// painter of a triangle reaches its wanted rank, the triangle wants the next lower one, until it
// has none left and stops constraining its painters. Given the winning ranks of a map that the
// conversion made, this choice paints it exactly.
constexpr std::uint8_t kAnyRank = 0xFF;
// Rounds of lowering after which the first choice stands as it is.
constexpr int kMostRounds = 12;

std::uint8_t NextRankBelow(const Painting& painting, std::uint8_t texture, std::uint8_t rank) {
  const TextureColours& colours = painting.by_texture[texture];
  const std::uint8_t low = PaintOfColour(colours.low).rank;
  const std::uint8_t high = PaintOfColour(colours.high).rank;
  if (colours.low == 0 || rank == kAnyRank) return kAnyRank;
  if (rank > high) return high;
  if (rank > low) return low;
  return texture == kBlankTexture && rank > 0 ? 0 : kAnyRank;
}

std::uint8_t HighestAllowedColour(const Painting& painting, std::span<const std::uint8_t> wanted,
                                  std::size_t v) {
  std::array<TerrainTriangle, 6> triangles{};
  const std::size_t count = TrianglesPaintedBy(v % painting.width, v / painting.width,
                                               painting.width, painting.height, triangles);
  std::uint8_t best = kNothingColour;
  std::uint8_t best_rank = 0;
  for (std::uint8_t colour = 1; colour < 16; ++colour) {
    const ColourPaint paint = PaintOfColour(colour);
    if (paint.rank <= best_rank) continue;
    bool allowed = true;
    bool useful = false;  // a colour that no triangle of the vertex holds only does harm
    for (std::size_t i = 0; i < count && allowed; ++i) {
      const std::uint8_t rank =
          wanted[2 * triangles[i].index + (triangles[i].block == kTerrainBlock1 ? 0 : 1)];
      const bool holds = paint.texture == TargetOf(painting, triangles[i]);
      useful = useful || holds;
      allowed = rank == kAnyRank || paint.rank < rank || (paint.rank == rank && holds);
    }
    if (allowed && useful) {
      best = colour;
      best_rank = paint.rank;
    }
  }
  return best;
}

TerrainTriangle TriangleOfId(std::size_t id) {
  return {id % 2 == 0 ? kTerrainBlock1 : kTerrainBlock2, id / 2};
}

std::size_t IdOf(TerrainTriangle triangle) {
  return 2 * triangle.index + (triangle.block == kTerrainBlock1 ? 0 : 1);
}

// Lowers the wanted rank of triangle id when none of its painters reaches it; says
// whether it did.
bool LowerIfUnreached(const Painting& painting, std::span<const std::uint8_t> colours,
                      std::span<std::uint8_t> wanted, std::size_t id) {
  if (wanted[id] == kAnyRank) return false;
  const TerrainTriangle triangle = TriangleOfId(id);
  std::array<std::size_t, kMostPainters> painters{};
  const std::size_t count = PaintersOfTriangle(triangle, painting.width, painting.height, painters);
  std::uint8_t reached = 0;
  for (std::size_t k = 0; k < count; ++k) {
    reached = std::max(reached, PaintOfColour(colours[painters[k]]).rank);
  }
  if (reached == wanted[id]) return false;
  wanted[id] = NextRankBelow(painting, TargetOf(painting, triangle), wanted[id]);
  return true;
}

// Rounds of step 1 and 2 of the rule: all vertices and triangles once, then only the
// painters of triangles that lowered their wish, and the triangles those painters
// changed; the same as running every vertex and triangle each round.
void FirstColours(const Painting& painting, std::span<std::uint8_t> colours) {
  const std::size_t n = colours.size();
  std::vector<std::uint8_t> wanted(2 * n);
  std::vector<std::size_t> lowered;
  for (std::size_t id = 0; id < 2 * n; ++id) {
    wanted[id] = NextRankBelow(painting, TargetOf(painting, TriangleOfId(id)), kAnyRank - 1);
  }
  for (std::size_t v = 0; v < n; ++v) colours[v] = HighestAllowedColour(painting, wanted, v);
  for (std::size_t id = 0; id < 2 * n; ++id) {
    if (LowerIfUnreached(painting, colours, wanted, id)) lowered.push_back(id);
  }
  std::vector<std::uint8_t> marked(2 * n);  // a triangle to look at again this round
  std::vector<std::size_t> again;
  std::array<std::size_t, kMostPainters> painters{};
  std::array<TerrainTriangle, 6> painted{};
  for (int round = 1; round < kMostRounds && !lowered.empty(); ++round) {
    again = lowered;
    for (std::size_t id : lowered) marked[id] = 1;
    for (std::size_t id : lowered) {
      const std::size_t count =
          PaintersOfTriangle(TriangleOfId(id), painting.width, painting.height, painters);
      for (std::size_t k = 0; k < count; ++k) {
        const std::size_t v = painters[k];
        const std::uint8_t colour = HighestAllowedColour(painting, wanted, v);
        if (colour == colours[v]) continue;
        colours[v] = colour;
        const std::size_t triangles = TrianglesPaintedBy(v % painting.width, v / painting.width,
                                                         painting.width, painting.height, painted);
        for (std::size_t t = 0; t < triangles; ++t) {
          if (marked[IdOf(painted[t])] == 0) {
            marked[IdOf(painted[t])] = 1;
            again.push_back(IdOf(painted[t]));
          }
        }
      }
    }
    lowered.clear();
    for (std::size_t id : again) {
      marked[id] = 0;
      if (LowerIfUnreached(painting, colours, wanted, id)) lowered.push_back(id);
    }
  }
}

// Gives vertex v the colour that makes the most of its triangles right, keeping its
// colour on a tie. Returns whether it changed; then neighbours holds the vertices that
// share a triangle with it.
bool ImproveVertex(const Painting& painting, std::span<std::uint8_t> colours, std::size_t v,
                   std::vector<std::size_t>& neighbours) {
  std::array<TerrainTriangle, 6> triangles{};
  const std::size_t count = TrianglesPaintedBy(v % painting.width, v / painting.width,
                                               painting.width, painting.height, triangles);
  std::array<ColourPaint, 6> others{};
  std::array<std::uint8_t, 6> targets{};
  std::array<std::uint8_t, 13> candidates{};
  std::size_t candidate_count = 0;
  candidates[candidate_count++] = kNothingColour;
  for (std::size_t i = 0; i < count; ++i) {
    others[i] = StrongestOther(painting, colours, triangles[i], v);
    targets[i] = TargetOf(painting, triangles[i]);
    const TextureColours& wanted = painting.by_texture[targets[i]];
    if (wanted.low == 0) continue;
    candidates[candidate_count++] = wanted.low;
    candidates[candidate_count++] = wanted.high;
  }
  const auto score = [&](std::uint8_t colour) {
    const ColourPaint paint = PaintOfColour(colour);
    int right = 0;
    for (std::size_t i = 0; i < count; ++i) {
      right += TextureOf(Stronger(paint, others[i])) == targets[i] ? 1 : 0;
    }
    return right;
  };
  std::uint8_t best = colours[v];
  int best_score = score(best);
  for (std::size_t i = 0; i < candidate_count; ++i) {
    const int candidate_score = score(candidates[i]);
    if (candidate_score > best_score) {
      best = candidates[i];
      best_score = candidate_score;
    }
  }
  if (best == colours[v]) return false;
  colours[v] = best;
  neighbours.clear();
  for (std::size_t i = 0; i < count; ++i) {
    std::array<std::size_t, kMostPainters> painters{};
    const std::size_t n =
        PaintersOfTriangle(triangles[i], painting.width, painting.height, painters);
    neighbours.insert(neighbours.end(), painters.begin(), painters.begin() + static_cast<long>(n));
  }
  return true;
}

void ImproveAll(const Painting& painting, std::span<std::uint8_t> colours) {
  // Vertices still to look at: all of them once, in order, then those next to a change.
  std::vector<std::uint8_t> queued(colours.size(), 1);
  std::vector<std::size_t> pending;
  std::vector<std::size_t> neighbours;
  const auto visit = [&](std::size_t v) {
    queued[v] = 0;
    if (!ImproveVertex(painting, colours, v, neighbours)) return;
    for (std::size_t u : neighbours) {
      if (queued[u] == 0) {
        queued[u] = 1;
        pending.push_back(u);
      }
    }
  };
  for (std::size_t v = 0; v < colours.size(); ++v) {
    if (queued[v] != 0) visit(v);
  }
  while (!pending.empty()) {
    const std::size_t v = pending.back();
    pending.pop_back();
    if (queued[v] != 0) visit(v);
  }
}

void CountResult(const Painting& painting, std::span<const std::uint8_t> colours,
                 TerrainColours& result) {
  std::array<bool, 256> seen{};
  const std::size_t n = painting.width * painting.height;
  result.triangles = 2 * n;
  for (std::size_t i = 0; i < 2 * n; ++i) {
    const TerrainTriangle triangle{i % 2 == 0 ? kTerrainBlock1 : kTerrainBlock2, i / 2};
    std::array<std::size_t, kMostPainters> painters{};
    const std::size_t count =
        PaintersOfTriangle(triangle, painting.width, painting.height, painters);
    ColourPaint strongest{0, 0};
    for (std::size_t k = 0; k < count; ++k) {
      strongest = Stronger(strongest, PaintOfColour(colours[painters[k]]));
    }
    const std::uint8_t target = TargetOf(painting, triangle);
    if (TextureOf(strongest) == target) ++result.surviving;
    if ((count == 0 && target != kBlankTexture) || !Expressible(painting, target)) {
      ++result.inexpressible;
      seen[target] = true;
    }
  }
  for (std::size_t code = 0; code < seen.size(); ++code) {
    if (seen[code]) result.inexpressible_codes.push_back(static_cast<std::uint8_t>(code));
  }
}

}  // namespace

std::optional<Vertex> FindHeightAbove(std::span<const std::uint8_t> image, std::uint8_t limit) {
  const std::size_t width = MapWidth(image);
  const std::size_t n = width * MapHeight(image);
  const auto heights = Block(image, kHeightBlock, n);
  const auto found =
      std::find_if(heights.begin(), heights.end(), [&](std::uint8_t h) { return h > limit; });
  if (found == heights.end()) return std::nullopt;
  const auto index = static_cast<std::size_t>(found - heights.begin());
  return Vertex{index % width, index / width};
}

std::vector<std::uint8_t> ExportHeights(std::span<const std::uint8_t> image) {
  const std::size_t width = MapWidth(image);
  const std::size_t height = MapHeight(image);
  const std::size_t row_bytes = (width + 3) / 4 * 4;
  std::vector<std::uint8_t> bytes = BitmapFrame(width, height, 8, row_bytes);
  if (bytes.empty()) return bytes;
  for (std::size_t grey = 0; grey < 256; ++grey) {
    const auto level = static_cast<std::uint8_t>(grey);
    PutPaletteEntry(bytes, grey, {level, level, level});
  }
  const auto heights = Block(image, kHeightBlock, width * height);
  const std::size_t pixels = bytes.size() - row_bytes * height;
  for (std::size_t y = 0; y < height; ++y) {
    // Map row 0 is the top of the picture, stored last.
    const std::size_t stored = pixels + (height - 1 - y) * row_bytes;
    for (std::size_t x = 0; x < width; ++x) {
      bytes[stored + x] = static_cast<std::uint8_t>(4 * heights[VertexIndex(x, y, width)]);
    }
  }
  return bytes;
}

std::array<std::uint8_t, 3> TerrainPaletteColour(std::uint8_t colour) {
  const ColourPaint paint = PaintOfColour(colour);
  if (paint.rank != 0) return TerrainOf(Landscape::kGreenland, paint.texture).colour;
  // 13 also paints nothing; the export never writes it, a painter may: it shows what the
  // conversion leaves there.
  if (colour == kNothingColour) return Rgb{255, 0, 255};
  return TerrainOf(Landscape::kGreenland, kBlankTexture).colour;
}

TerrainColours ChooseTerrainColours(std::span<const std::uint8_t> image) {
  const Painting painting = MakePainting(image);
  TerrainColours result;
  result.colours.resize(painting.width * painting.height);
  FirstColours(painting, result.colours);
  ImproveAll(painting, result.colours);
  CountResult(painting, result.colours, result);
  return result;
}

std::vector<std::uint8_t> Write4BitBitmap(std::span<const std::uint8_t> colours, std::size_t width,
                                          std::size_t height) {
  const std::size_t row_bytes = (width + 7) / 8 * 4;
  if (colours.size() < width * height) return {};
  std::vector<std::uint8_t> bytes = BitmapFrame(width, height, 4, row_bytes);
  if (bytes.empty()) return bytes;
  for (std::uint8_t colour = 0; colour < 16; ++colour) {
    PutPaletteEntry(bytes, colour, TerrainPaletteColour(colour));
  }
  const std::size_t pixels = bytes.size() - row_bytes * height;
  for (std::size_t y = 0; y < height; ++y) {
    const std::size_t stored = pixels + (height - 1 - y) * row_bytes;
    for (std::size_t x = 0; x < width; ++x) {
      const auto colour = static_cast<std::uint8_t>(colours[VertexIndex(x, y, width)] & 0x0F);
      bytes[stored + x / 2] |= static_cast<std::uint8_t>(x % 2 == 0 ? colour << 4 : colour);
    }
  }
  return bytes;
}

}  // namespace plandrix::inspect
