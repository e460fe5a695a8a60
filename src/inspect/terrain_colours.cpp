#include "inspect/terrain_colours.h"

#include <algorithm>
#include <array>
#include <bit>
#include <limits>
#include <new>
#include <optional>
#include <utility>

#include "core/large_buffer.h"
#include "core/map_layout.h"
#include "core/terrain.h"
#include "transform/bitmap_terrain.h"

namespace plandrix::inspect {
namespace {

// The texture that a triangle keeps when no vertex paints it: the blank map's water.
constexpr std::uint8_t kBlankTexture = kWater;
// Colour 0 paints nothing; the choice gives it where no colour helps.
constexpr std::uint8_t kNothingColour = 0;

// A zeroed work array of one byte per triangle or vertex, from the storage that the maps
// use: on a large map, large pages save most of the cost of touching it the first time.
LargeBuffer WorkBytes(std::size_t size) {
  std::optional<LargeBuffer> bytes = LargeBuffer::Allocate(size);
  if (!bytes) throw std::bad_alloc();
  return std::move(*bytes);
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

std::uint8_t TextureOf(ColourPaint paint) {
  return paint.rank == 0 ? kBlankTexture : paint.texture;
}

ColourPaint Stronger(ColourPaint a, ColourPaint b) { return a.rank >= b.rank ? a : b; }

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

TerrainTriangle TriangleOfId(std::size_t id) {
  return {id % 2 == 0 ? kTerrainBlock1 : kTerrainBlock2, id / 2};
}

std::size_t IdOf(TerrainTriangle triangle) {
  return 2 * triangle.index + (triangle.block == kTerrainBlock1 ? 0 : 1);
}

// The choice as it reads: every triangle's painters and every vertex's triangles come
// from the conversion's own PaintersOfTriangle and TrianglesPaintedBy.
namespace simple {

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
      const std::uint8_t rank = wanted[IdOf(triangles[i])];
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

}  // namespace simple

// The same choice with the conversion's painting worked out by rows and columns: a vertex
// away from the border paints the six triangles of its row's shape, and a triangle away
// from the border is painted by three vertices at fixed places (as GetCurrentTexture
// paints them); the vertices at the border, which wrap or borrow a shape, are asked once.
// A set of colours is one bit per colour in increasing rank, so that the best colour of a
// vertex is its highest bit; a triangle's winner is the largest key of its painters.
namespace fast {

using Painters = std::array<std::size_t, kMostPainters>;
using VertexTriangles = std::array<std::size_t, 6>;
using PaintKey = std::uint16_t;

class PaintGeometry {
 public:
  PaintGeometry(std::size_t width, std::size_t height);

  std::size_t width() const { return width_; }
  std::size_t height() const { return height_; }

  // The triangles (ids) that vertex (x, y) paints, in the order of TrianglesPaintedBy.
  std::size_t TrianglesOf(std::size_t x, std::size_t y, VertexTriangles& ids) const;

  // The vertices that paint triangle id, in increasing order, as PaintersOfTriangle
  // gives them.
  std::size_t PaintersOf(std::size_t id, Painters& painters) const;

  // Calls visit(v, ids, count) for every vertex in increasing order with the triangles
  // it paints, as TrianglesOf gives them.
  template <typename Visit>
  void ForEachVertex(Visit&& visit) const {
    VertexTriangles ids{};
    for (std::size_t y = 0; y < height_; ++y) {
      const std::size_t row = VertexIndex(0, y, width_);
      if (y == 0 || y + 1 >= height_) {
        for (std::size_t x = 0; x < width_; ++x) visit(row + x, ids, TrianglesOf(x, y, ids));
        continue;
      }
      visit(row, ids, TrianglesOf(0, y, ids));
      // The plain shapes of TrianglesOf; the last vertex of an odd row is a border one.
      const std::size_t shift = 2 * (y % 2);
      const std::size_t end = width_ - y % 2;
      for (std::size_t x = 1; x < end; ++x) {
        const std::size_t here = 2 * (row + x);
        const std::size_t up = here - 2 * width_ + shift;
        ids = {up - 2, up, here, up - 1, here - 1, here + 1};
        visit(row + x, ids, std::size_t{6});
      }
      if (y % 2 == 1 && width_ > 1) {
        visit(row + width_ - 1, ids, TrianglesOf(width_ - 1, y, ids));
      }
    }
  }

  // Calls visit(id, key) for every triangle in increasing order with the largest
  // key_of(v) among the vertices v that paint it, or none when no vertex paints it. Keys
  // are taken once per vertex, a row at a time.
  template <typename KeyOf, typename Visit>
  void ForEachTriangleWinner(PaintKey none, KeyOf&& key_of, Visit&& visit) const {
    std::vector<PaintKey> here_keys(width_);
    std::vector<PaintKey> below_keys(width_);
    const auto fill = [&](std::vector<PaintKey>& keys, std::size_t row) {
      for (std::size_t c = 0; c < width_; ++c) keys[c] = key_of(VertexIndex(c, row, width_));
    };
    fill(here_keys, 0);
    Painters painters{};
    const auto near_border = [&](std::size_t r, std::size_t c) {
      for (std::size_t layer = 0; layer < 2; ++layer) {
        const std::size_t count = PaintersNearBorder(r, c, layer, painters);
        PaintKey key = none;
        for (std::size_t k = 0; k < count; ++k) key = std::max(key, key_of(painters[k]));
        visit(2 * VertexIndex(c, r, width_) + layer, key);
      }
    };
    for (std::size_t r = 0; r < height_; ++r) {
      if (r + 1 < height_) fill(below_keys, r + 1);
      const auto [begin, end] = FixedColumns(r);
      for (std::size_t c = 0; c < begin; ++c) near_border(r, c);
      const std::size_t odd = r % 2;
      for (std::size_t c = begin; c < end; ++c) {
        // As PaintersOf: the own vertex, and below or beside it (odd rows lie half a
        // vertex to the right of the next row).
        const std::size_t here = VertexIndex(c, r, width_);
        const PaintKey own = here_keys[c];
        const PaintKey below = below_keys[c + odd];
        visit(2 * here, std::max({own, below_keys[c + odd - 1], below}));
        visit(2 * here + 1, std::max({own, here_keys[c + 1], below}));
      }
      for (std::size_t c = end; c < width_; ++c) near_border(r, c);
      std::swap(here_keys, below_keys);
    }
  }

  // Calls visit(id) for every triangle that no vertex paints (they keep the blank map's
  // water); all of them lie near the border.
  template <typename Visit>
  void ForEachUnpaintedTriangle(Visit&& visit) const {
    Painters painters{};
    const auto look = [&](std::size_t r, std::size_t c) {
      for (std::size_t layer = 0; layer < 2; ++layer) {
        if (PaintersNearBorder(r, c, layer, painters) == 0) {
          visit(2 * VertexIndex(c, r, width_) + layer);
        }
      }
    };
    for (std::size_t r = 0; r < height_; ++r) {
      const auto [begin, end] = FixedColumns(r);
      for (std::size_t c = 0; c < begin; ++c) look(r, c);
      for (std::size_t c = end; c < width_; ++c) look(r, c);
    }
  }

 private:
  // The columns [begin, end) of row r whose triangles have fixed painters
  // (HasFixedPainters): 2 to W - 5 in rows 2 to H - 4, none in the others.
  std::pair<std::size_t, std::size_t> FixedColumns(std::size_t r) const {
    if (r < 2 || r + 4 > height_ || width_ < 6) return {width_, width_};
    return {2, width_ - 4};
  }
  // Whether the triangles at row r and column c are painted by three plain vertices at
  // fixed places, and by nobody else.
  bool HasFixedPainters(std::size_t r, std::size_t c) const {
    return r >= 2 && r + 4 <= height_ && c >= 2 && c + 5 <= width_;
  }
  // Whether vertex (x, y) paints its row's shape in place, with no row or column taken
  // from elsewhere (every other vertex lies on the border).
  bool IsPlain(std::size_t x, std::size_t y) const {
    return y != 0 && y + 1 < height_ && x != 0 && (y % 2 == 0 || x + 1 < width_);
  }
  std::size_t PaintersNearBorder(std::size_t r, std::size_t c, std::size_t layer,
                                 Painters& painters) const;

  std::size_t width_;
  std::size_t height_;
  // (triangle id, vertex) for every triangle that a border vertex paints, in order.
  std::vector<std::pair<std::size_t, std::size_t>> border_;
};

PaintGeometry::PaintGeometry(std::size_t width, std::size_t height)
    : width_(width), height_(height) {
  const auto add = [&](std::size_t x, std::size_t y) {
    std::array<TerrainTriangle, 6> triangles{};
    const std::size_t count = TrianglesPaintedBy(x, y, width, height, triangles);
    for (std::size_t i = 0; i < count; ++i) {
      border_.emplace_back(IdOf(triangles[i]), VertexIndex(x, y, width));
    }
  };
  for (std::size_t y = 0; y < height; ++y) {
    if (y == 0 || y + 1 == height) {
      for (std::size_t x = 0; x < width; ++x) add(x, y);
      continue;
    }
    add(0, y);
    if (y % 2 == 1 && width > 1) add(width - 1, y);
  }
  std::sort(border_.begin(), border_.end());
}

std::size_t PaintGeometry::TrianglesOf(std::size_t x, std::size_t y, VertexTriangles& ids) const {
  if (!IsPlain(x, y)) {
    std::array<TerrainTriangle, 6> triangles{};
    const std::size_t count = TrianglesPaintedBy(x, y, width_, height_, triangles);
    for (std::size_t i = 0; i < count; ++i) ids[i] = IdOf(triangles[i]);
    return count;
  }
  // The shapes of SetVertexTexture: first triangles, then second ones, of the row above
  // and of the vertex's own row; an odd row's shape lies half a vertex to the right.
  const std::size_t here = 2 * VertexIndex(x, y, width_);
  const std::size_t up = here - 2 * width_ + 2 * (y % 2);
  ids = {up - 2, up, here, up - 1, here - 1, here + 1};
  return 6;
}

std::size_t PaintGeometry::PaintersOf(std::size_t id, Painters& painters) const {
  const std::size_t index = id / 2;
  const std::size_t r = index / width_;
  const std::size_t c = index - r * width_;
  const std::size_t layer = id % 2;
  if (!HasFixedPainters(r, c)) return PaintersNearBorder(r, c, layer, painters);
  const std::size_t below = index + width_ + r % 2;
  painters[0] = index;
  painters[1] = layer == 0 ? below - 1 : index + 1;
  painters[2] = below;
  return 3;
}

std::size_t PaintGeometry::PaintersNearBorder(std::size_t r, std::size_t c, std::size_t layer,
                                              Painters& painters) const {
  std::size_t count = 0;
  // The plain shapes that would reach the triangle, where their vertices paint one.
  const auto add_plain = [&](std::size_t x, std::size_t y) {
    if (x < width_ && y < height_ && IsPlain(x, y)) painters[count++] = VertexIndex(x, y, width_);
  };
  const std::size_t odd = r % 2;
  add_plain(c, r);
  if (layer == 0) {
    if (c + odd >= 1) add_plain(c + odd - 1, r + 1);
  } else {
    add_plain(c + 1, r);
  }
  add_plain(c + odd, r + 1);
  const std::size_t id = 2 * VertexIndex(c, r, width_) + layer;
  auto at =
      std::lower_bound(border_.begin(), border_.end(), std::pair<std::size_t, std::size_t>{id, 0});
  for (; at != border_.end() && at->first == id && count < painters.size(); ++at) {
    painters[count++] = at->second;
  }
  std::sort(painters.begin(), painters.begin() + static_cast<long>(count));
  return count;
}

// One bit per colour that paints, in increasing rank.
using ColourSet = std::uint32_t;
constexpr std::size_t kColourSetBits = 16;

// What the choice looks up: the map's bytes by triangle id, each colour's key, and the
// colours that a triangle allows and wants.
struct Choice {
  const Painting& painting;
  PaintGeometry geometry;
  LargeBuffer targets;  // by triangle id: the byte it should get back
  std::array<std::uint8_t, kColourSetBits> colour_of_bit{};
  // By colour: rank x 256 + the texture a triangle gets when the colour wins it; the
  // blank map's water for a colour that paints nothing.
  std::array<PaintKey, 16> key{};
  std::array<ColourSet, 256> painting_byte{};  // by terrain byte: the colours that paint it
  std::array<std::uint8_t, 256> first_wish{};  // by terrain byte: the rank first wanted
  // By wanted rank x 256 + byte: the colours that a triangle of that byte and wish allows
  // (below its rank, or at it painting its byte), and above them the colours that paint it.
  std::vector<ColourSet> allows;

  explicit Choice(const Painting& of);
  std::uint8_t Target(std::size_t id) const { return targets[id]; }
  PaintKey KeyOf(std::span<const std::uint8_t> colours, std::size_t v) const {
    return key[colours[v]];
  }
};

Choice::Choice(const Painting& of)
    : painting(of),
      geometry(of.width, of.height),
      targets(WorkBytes(2 * of.first.size())),
      allows(256 * 256) {
  for (std::size_t i = 0; i < of.first.size(); ++i) {
    targets[2 * i] = of.first[i];
    targets[2 * i + 1] = of.second[i];
  }
  std::array<std::uint8_t, 16> by_rank{};
  std::size_t painting_colours = 0;
  for (std::uint8_t colour = 0; colour < 16; ++colour) {
    const ColourPaint paint = PaintOfColour(colour);
    key[colour] = paint.rank == 0 ? PaintKey{kBlankTexture}
                                  : static_cast<PaintKey>(paint.rank << 8 | paint.texture);
    if (paint.rank != 0) by_rank[painting_colours++] = colour;
  }
  std::sort(
      by_rank.begin(), by_rank.begin() + static_cast<long>(painting_colours),
      [](std::uint8_t a, std::uint8_t b) { return PaintOfColour(a).rank < PaintOfColour(b).rank; });
  std::array<ColourSet, 256> below{};  // by wanted rank: the colours of lower rank
  std::array<ColourSet, 256> at{};     // by wanted rank: the colour of that rank
  for (std::size_t bit = 0; bit < painting_colours; ++bit) {
    const ColourPaint paint = PaintOfColour(by_rank[bit]);
    const ColourSet set = ColourSet{1} << bit;
    colour_of_bit[bit] = by_rank[bit];
    for (std::size_t rank = paint.rank + 1U; rank < 256; ++rank) below[rank] |= set;
    at[paint.rank] |= set;
    painting_byte[paint.texture] |= set;
  }
  for (std::size_t byte = 0; byte < 256; ++byte) {
    first_wish[byte] = NextRankBelow(of, static_cast<std::uint8_t>(byte), kAnyRank - 1);
    for (std::size_t rank = 0; rank < 256; ++rank) {
      const ColourSet holds = painting_byte[byte];
      allows[256 * rank + byte] = (below[rank] | (at[rank] & holds)) | holds << kColourSetBits;
    }
  }
}

// simple::HighestAllowedColour over the vertex's triangles ids.
std::uint8_t HighestAllowedColour(const Choice& choice, std::span<const std::uint8_t> wanted,
                                  const VertexTriangles& ids, std::size_t count) {
  ColourSet all = std::numeric_limits<ColourSet>::max();
  ColourSet any = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const ColourSet allows =
        choice.allows[256 * std::size_t{wanted[ids[i]]} + choice.Target(ids[i])];
    all &= allows;
    any |= allows;
  }
  const ColourSet best = all & (any >> kColourSetBits) & ((ColourSet{1} << kColourSetBits) - 1);
  return best == 0 ? kNothingColour : choice.colour_of_bit[std::bit_width(best) - 1];
}

// simple::LowerIfUnreached, given the largest key among the triangle's painters.
bool LowerIfUnreached(const Choice& choice, std::span<std::uint8_t> wanted, std::size_t id,
                      PaintKey winner) {
  if (wanted[id] == kAnyRank || winner >> 8 == wanted[id]) return false;
  wanted[id] = NextRankBelow(choice.painting, choice.Target(id), wanted[id]);
  return true;
}

// The largest key among the painters of triangle id.
PaintKey WinnerOf(const Choice& choice, std::span<const std::uint8_t> colours, std::size_t id) {
  Painters painters{};
  const std::size_t count = choice.geometry.PaintersOf(id, painters);
  PaintKey key = kBlankTexture;
  for (std::size_t k = 0; k < count; ++k) key = std::max(key, choice.KeyOf(colours, painters[k]));
  return key;
}

// simple::FirstColours's first round, row by row: the wanted ranks, every vertex's
// colour, and the triangles that lowered their wish.
std::vector<std::size_t> FirstRound(const Choice& choice, std::span<std::uint8_t> wanted,
                                    std::span<std::uint8_t> colours) {
  for (std::size_t id = 0; id < wanted.size(); ++id) {
    wanted[id] = choice.first_wish[choice.Target(id)];
  }
  choice.geometry.ForEachVertex([&](std::size_t v, const VertexTriangles& ids, std::size_t count) {
    colours[v] = HighestAllowedColour(choice, wanted, ids, count);
  });
  std::vector<std::size_t> lowered;
  choice.geometry.ForEachTriangleWinner(
      kBlankTexture, [&](std::size_t v) { return choice.KeyOf(colours, v); },
      [&](std::size_t id, PaintKey winner) {
        if (LowerIfUnreached(choice, wanted, id, winner)) lowered.push_back(id);
      });
  return lowered;
}

// simple::FirstColours.
void FirstColours(const Choice& choice, std::span<std::uint8_t> colours) {
  const std::size_t n = colours.size();
  const std::size_t width = choice.geometry.width();
  LargeBuffer wanted = WorkBytes(2 * n);
  std::vector<std::size_t> lowered = FirstRound(choice, wanted, colours);
  LargeBuffer marked = WorkBytes(lowered.empty() ? 0 : 2 * n);
  std::vector<std::size_t> again;
  Painters painters{};
  VertexTriangles painted{};
  for (int round = 1; round < kMostRounds && !lowered.empty(); ++round) {
    again = lowered;
    for (std::size_t id : lowered) marked[id] = 1;
    for (std::size_t id : lowered) {
      const std::size_t count = choice.geometry.PaintersOf(id, painters);
      for (std::size_t k = 0; k < count; ++k) {
        const std::size_t v = painters[k];
        const std::size_t triangles = choice.geometry.TrianglesOf(v % width, v / width, painted);
        const std::uint8_t colour = HighestAllowedColour(choice, wanted, painted, triangles);
        if (colour == colours[v]) continue;
        colours[v] = colour;
        for (std::size_t t = 0; t < triangles; ++t) {
          if (marked[painted[t]] == 0) {
            marked[painted[t]] = 1;
            again.push_back(painted[t]);
          }
        }
      }
    }
    lowered.clear();
    for (std::size_t id : again) {
      marked[id] = 0;
      if (wanted[id] == kAnyRank) continue;
      if (LowerIfUnreached(choice, wanted, id, WinnerOf(choice, colours, id))) {
        lowered.push_back(id);
      }
    }
  }
}

// Per triangle: whether it is settled, that is, the conversion gives it back with these
// colours, or no colour paints its byte, so that no colour of a vertex changes whether it
// comes back. Per vertex: whether it may paint a triangle that is not settled.
struct Settling {
  LargeBuffer settled;
  LargeBuffer suspect;
};

Settling SettleTriangles(const Choice& choice, std::span<const std::uint8_t> colours) {
  Settling settling{WorkBytes(2 * colours.size()), WorkBytes(colours.size())};
  Painters painters{};
  choice.geometry.ForEachTriangleWinner(
      kBlankTexture, [&](std::size_t v) { return choice.KeyOf(colours, v); },
      [&](std::size_t id, PaintKey winner) {
        const std::uint8_t target = choice.Target(id);
        settling.settled[id] = choice.painting_byte[target] == 0 || (winner & 0xFF) == target;
        if (settling.settled[id] != 0) return;
        const std::size_t count = choice.geometry.PaintersOf(id, painters);
        for (std::size_t k = 0; k < count; ++k) settling.suspect[painters[k]] = 1;
      });
  return settling;
}

// What simple::ImproveVertex weighs for a vertex: its triangles, their painters, and for
// those whose byte some colour paints (the others count for no colour) the strongest key
// among the other painters and the byte.
struct VertexView {
  VertexTriangles ids{};
  std::size_t count = 0;
  std::array<Painters, 6> painters;  // filled by LookAround before any use
  std::array<std::size_t, 6> painter_counts{};
  std::array<std::size_t, 6> scored{};  // indexes into ids
  std::size_t scored_count = 0;
  std::array<PaintKey, 6> others{};
  std::array<std::uint8_t, 6> targets{};

  int Score(const Choice& choice, std::uint8_t colour) const {
    const PaintKey key = choice.key[colour];
    int right = 0;
    for (std::size_t k = 0; k < scored_count; ++k) {
      const std::size_t i = scored[k];
      right += (std::max(key, others[i]) & 0xFF) == targets[i] ? 1 : 0;
    }
    return right;
  }
};

// Fills the view of vertex v from its triangles (view.ids and view.count) and gives the
// colours that simple::ImproveVertex tries, in its order, each once: a colour tried
// again cannot score more than the first time.
std::size_t LookAround(const Choice& choice, std::span<const std::uint8_t> colours, std::size_t v,
                       VertexView& view, std::array<std::uint8_t, 13>& candidates) {
  std::size_t candidate_count = 0;
  std::uint32_t tried = 1U << kNothingColour;
  candidates[candidate_count++] = kNothingColour;
  const auto add = [&](std::uint8_t colour) {
    if ((tried >> colour & 1U) != 0) return;
    tried |= 1U << colour;
    candidates[candidate_count++] = colour;
  };
  for (std::size_t i = 0; i < view.count; ++i) {
    Painters& painters = view.painters[i];
    view.painter_counts[i] = choice.geometry.PaintersOf(view.ids[i], painters);
    view.targets[i] = choice.Target(view.ids[i]);
    const TextureColours& wanted = choice.painting.by_texture[view.targets[i]];
    if (wanted.low == 0) continue;
    PaintKey other = kBlankTexture;
    for (std::size_t k = 0; k < view.painter_counts[i]; ++k) {
      if (painters[k] != v) other = std::max(other, choice.KeyOf(colours, painters[k]));
    }
    view.others[i] = other;
    view.scored[view.scored_count++] = i;
    add(wanted.low);
    add(wanted.high);
  }
  return candidate_count;
}

// simple::ImproveVertex for vertex v and its triangles, which it leaves at once when all
// of them are settled: no colour can then make more of them right.
bool ImproveVertex(const Choice& choice, std::span<std::uint8_t> colours,
                   std::span<std::uint8_t> settled, std::size_t v, const VertexTriangles& ids,
                   std::size_t count, std::vector<std::size_t>& neighbours) {
  std::uint8_t all_settled = 1;
  for (std::size_t i = 0; i < count; ++i) all_settled &= settled[ids[i]];
  if (all_settled != 0) return false;
  VertexView view;
  view.ids = ids;
  view.count = count;
  std::array<std::uint8_t, 13> candidates{};
  const std::size_t candidate_count = LookAround(choice, colours, v, view, candidates);
  std::uint8_t best = colours[v];
  int best_score = view.Score(choice, best);
  for (std::size_t i = 0; i < candidate_count; ++i) {
    const int score = view.Score(choice, candidates[i]);
    if (score > best_score) {
      best = candidates[i];
      best_score = score;
    }
  }
  if (best == colours[v]) return false;
  colours[v] = best;
  for (std::size_t k = 0; k < view.scored_count; ++k) {
    const std::size_t i = view.scored[k];
    settled[view.ids[i]] = (std::max(choice.key[best], view.others[i]) & 0xFF) == view.targets[i];
  }
  neighbours.clear();
  for (std::size_t i = 0; i < view.count; ++i) {
    const Painters& painters = view.painters[i];
    neighbours.insert(neighbours.end(), painters.begin(),
                      painters.begin() + static_cast<long>(view.painter_counts[i]));
  }
  return true;
}

// simple::ImproveAll. Its first pass over all vertices in order visits only those that
// may paint a triangle that is not settled, the others would not change; a vertex next
// to a change may become one.
void ImproveAll(const Choice& choice, std::span<std::uint8_t> colours) {
  Settling settling = SettleTriangles(choice, colours);
  const std::size_t width = choice.geometry.width();
  LargeBuffer queued = WorkBytes(colours.size());  // waiting in pending
  std::vector<std::size_t> pending;
  std::vector<std::size_t> neighbours;
  VertexTriangles ids{};
  std::size_t passed = 0;  // the vertices below have been visited once (or needed not)
  const auto visit = [&](std::size_t v) {
    queued[v] = 0;
    const std::size_t count = choice.geometry.TrianglesOf(v % width, v / width, ids);
    if (!ImproveVertex(choice, colours, settling.settled, v, ids, count, neighbours)) return;
    for (std::size_t u : neighbours) {
      settling.suspect[u] = 1;
      if (u < passed && queued[u] == 0) {
        queued[u] = 1;
        pending.push_back(u);
      }
    }
  };
  for (std::size_t v = 0; v < colours.size(); ++v) {
    if (settling.suspect[v] == 0) continue;
    passed = v + 1;
    visit(v);
  }
  passed = colours.size();
  while (!pending.empty()) {
    const std::size_t v = pending.back();
    pending.pop_back();
    if (queued[v] != 0) visit(v);
  }
}

}  // namespace fast

}  // namespace

std::vector<std::uint8_t> ChooseTerrainColours(std::span<const std::uint8_t> image) {
  const Painting painting = MakePainting(image);
  const fast::Choice choice(painting);
  std::vector<std::uint8_t> colours(painting.width * painting.height);
  fast::FirstColours(choice, colours);
  fast::ImproveAll(choice, colours);
  return colours;
}

std::vector<std::uint8_t> ChooseTerrainColoursSimple(std::span<const std::uint8_t> image) {
  const Painting painting = MakePainting(image);
  std::vector<std::uint8_t> colours(painting.width * painting.height);
  simple::FirstColours(painting, colours);
  simple::ImproveAll(painting, colours);
  return colours;
}

std::vector<std::size_t> UnpaintedTriangles(std::size_t width, std::size_t height) {
  std::vector<std::size_t> unpainted;
  fast::PaintGeometry(width, height).ForEachUnpaintedTriangle([&](std::size_t id) {
    unpainted.push_back(id);
  });
  return unpainted;
}

}  // namespace plandrix::inspect
