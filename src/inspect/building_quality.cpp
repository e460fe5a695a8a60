#include "inspect/building_quality.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

#include "core/map_grid.h"
#include "core/map_layout.h"
#include "inspect/walking.h"

namespace plandrix {
namespace {

using Q = BuildingQuality;
using O = VertexObject;

constexpr std::size_t kMostSide = 0xFFFF;

bool HoldsSides(std::size_t width, std::size_t height) {
  return width >= 1 && height >= 1 && width <= kMostSide && height <= kMostSide;
}

// ---- Objects ----

// The object of a (type, index) pair in two look-ups: the type picks a row of indexes.
enum ObjectRow : std::uint8_t { kNoRow, kTreeRow1, kTreeRow2, kTreeRow3, kGraniteRow, kDecorRow };
constexpr std::array<std::uint8_t, kDecorRow + 1> kRowTypes = {
    0, kFirstTreeType, kFirstTreeType + 1, kFirstTreeType + 2, kFirstGraniteType, kDecorationType};
static_assert(kFirstTreeType + 2 == kLastTreeType);

constexpr std::array<ObjectRow, 256> kObjectRowOfType = [] {
  std::array<ObjectRow, 256> rows{};
  rows[kFirstTreeType] = kTreeRow1;
  rows[kFirstTreeType + 1] = kTreeRow2;
  rows[kLastTreeType] = kTreeRow3;
  rows[kFirstGraniteType] = kGraniteRow;
  rows[kLastGraniteType] = kGraniteRow;
  rows[kDecorationType] = kDecorRow;
  rows[kDecorationType2] = kDecorRow;
  return rows;
}();

constexpr std::array<std::array<VertexObject, 256>, kDecorRow + 1> kObjectRows = [] {
  std::array<std::array<VertexObject, 256>, kDecorRow + 1> rows{};
  for (std::size_t row = 0; row < rows.size(); ++row) {
    for (std::size_t index = 0; index < 256; ++index) {
      rows[row][index] = ObjectOf(kRowTypes[row], static_cast<std::uint8_t>(index));
    }
  }
  return rows;
}();

VertexObject ObjectAt(std::uint8_t type, std::uint8_t index) {
  return kObjectRows[kObjectRowOfType[type]][index];
}

// A castle ruin's parts, in the order the game puts them.
constexpr std::array<Direction, 3> kRuinParts = {Direction::kWest, Direction::kNorthWest,
                                                 Direction::kNorthEast};

// Takes away whatever stands on vertex t. A castle ruin goes with its parts: the game
// clears its W, NW and NE neighbours, whatever stands on them by then, and a castle ruin
// among them goes the same way. Every vertex cleared ends empty, so the order in which the
// ruins are taken does not matter.
void RemoveObject(std::span<VertexObject> objects, const MapGrid& grid, std::size_t t) {
  if (objects[t] != O::kCastleRuin) {
    objects[t] = O::kNone;
    return;
  }
  std::vector<std::size_t> ruins = {t};
  while (!ruins.empty()) {
    const std::size_t ruin = ruins.back();
    ruins.pop_back();
    if (objects[ruin] != O::kCastleRuin) continue;  // taken already
    objects[ruin] = O::kNone;
    for (const Direction d : kRuinParts) {
      const std::size_t part = grid.Neighbour(ruin, d);
      if (objects[part] == O::kCastleRuin) {
        ruins.push_back(part);
      } else {
        objects[part] = O::kNone;
      }
    }
  }
}

// ---- Triangles ----

// The bits of one triangle byte (see kAnyDanger and the others) in a landscape.
using TriangleBits = std::array<std::uint8_t, 256>;

TriangleBits TriangleBitsOf(Landscape landscape) {
  TriangleBits bits{};
  for (std::size_t i = 0; i < bits.size(); ++i) {
    const auto byte = static_cast<std::uint8_t>(i);
    int mask = 0;
    if (IsDanger(byte)) mask |= kAnyDanger;
    if (IsWalkable(byte)) mask |= kAnyWalkable;
    if (!IsMineable(byte)) mask |= kNotAllMine;
    if (!IsBuildable(byte)) mask |= kNotAllBuildable;
    if (!IsShippable(byte)) mask |= kNotAllShippable;
    if (!IsWaterKind(landscape, byte)) mask |= kNotAllWaterKind;
    bits[i] = static_cast<std::uint8_t>(mask);
  }
  return bits;
}

// The edges of a vertex with a walkable triangle on one side, from the bits of its six
// triangles in the order of MapGrid::TrianglesAround: the edge in direction i lies between
// triangles i - 1 and i, so its bit is set in the triangles' walkable bits or in them
// turned one place round.
constexpr int kWalkableBit = 1;
static_assert(kAnyWalkable == 1 << kWalkableBit);
std::uint8_t EdgeBits(std::uint8_t north_west_first, std::uint8_t north_west_second,
                      std::uint8_t north_east_first, std::uint8_t own_second,
                      std::uint8_t own_first, std::uint8_t west_second) {
  const auto at = [](std::uint8_t bits, int k) { return ((bits >> kWalkableBit) & 1) << k; };
  const int sides = at(north_west_first, 0) | at(north_west_second, 1) | at(north_east_first, 2) |
                    at(own_second, 3) | at(own_first, 4) | at(west_second, 5);
  return static_cast<std::uint8_t>((sides | (sides << 1) | (sides >> 5)) & 0x3F);
}

// The bits of the first and second triangles of one row.
struct RowBits {
  std::vector<std::uint8_t> first;
  std::vector<std::uint8_t> second;
};

void ReadRowBits(const MapLayers& layers, const TriangleBits& bits, std::size_t y, RowBits& row) {
  const std::uint8_t* first = layers.first.data() + y * layers.width;
  const std::uint8_t* second = layers.second.data() + y * layers.width;
  for (std::size_t x = 0; x < layers.width; ++x) {
    row.first[x] = bits[first[x]];
    row.second[x] = bits[second[x]];
  }
}

void ReadFactsThroughGrid(const MapLayers& layers, const TriangleBits& bits, const MapGrid& grid,
                          Point p, VertexFacts& facts) {
  const std::array<Triangle, 6> triangles = grid.TrianglesAround(p);
  std::array<std::uint8_t, 6> six{};
  for (std::size_t i = 0; i < six.size(); ++i) {
    const Triangle& t = triangles[i];
    six[i] = bits[(t.second ? layers.second : layers.first)[t.vertex]];
  }
  const std::size_t v = grid.Index(p);
  facts.around[v] = static_cast<std::uint8_t>(six[0] | six[1] | six[2] | six[3] | six[4] | six[5]);
  facts.walk[v] = EdgeBits(six[0], six[1], six[2], six[3], six[4], six[5]);
}

// Columns 1 to end - 1 of one row, where the six triangles lie at fixed places: the vertex's
// own two, its west neighbour's second, and three in the row above, half a vertex further
// right on odd rows (o is 1 on them). Byte operations only, many vertices at once.
void ReadInteriorFacts(const std::uint8_t* __restrict up_first,
                       const std::uint8_t* __restrict up_second,
                       const std::uint8_t* __restrict first, const std::uint8_t* __restrict second,
                       std::uint8_t* __restrict around, std::uint8_t* __restrict walk,
                       std::ptrdiff_t o, std::ptrdiff_t end) {
  for (std::ptrdiff_t x = 1; x < end; ++x) {
    const std::uint8_t north_west_first = up_first[x - 1 + o];
    const std::uint8_t north_west_second = up_second[x - 1 + o];
    const std::uint8_t north_east_first = up_first[x + o];
    around[x] = static_cast<std::uint8_t>(north_west_first | north_west_second | north_east_first |
                                          second[x] | first[x] | second[x - 1]);
    walk[x] = EdgeBits(north_west_first, north_west_second, north_east_first, second[x], first[x],
                       second[x - 1]);
  }
}

// Sets kWalkableVertex in the walk byte of every vertex that IsWalkableVertex, in byte
// operations only (conditions worked out whole): the compiler takes many vertices at once.
void MarkWalkableVertices(VertexFacts& facts) {
  // Nothing, a tree or a plain decoration: the objects up to a tree without wood, or a
  // plain decoration.
  static_assert(O::kNone < O::kTree && O::kTree < O::kTreeWithoutWood);
  constexpr auto kLastTree = static_cast<std::uint8_t>(O::kTreeWithoutWood);
  constexpr auto kPlain = static_cast<std::uint8_t>(O::kPlainDecoration);
  const std::uint8_t* around = facts.around.data();
  const VertexObject* objects = facts.objects.data();
  std::uint8_t* walk = facts.walk.data();
  const std::size_t n = facts.walk.size();
  for (std::size_t v = 0; v < n; ++v) {
    const auto object = static_cast<std::uint8_t>(objects[v]);
    const bool free = (object <= kLastTree) | (object == kPlain);
    const bool ground = (around[v] & (kAnyDanger | kAnyWalkable)) == kAnyWalkable;
    walk[v] = static_cast<std::uint8_t>(walk[v] | ((free & ground) ? kWalkableVertex : 0));
  }
}

// The triangle bits and edges of every vertex, row by row from the bits of each row's
// triangles (the row above row 0 is the last one). The two end columns wrap and go
// through the grid.
void ReadTriangleFacts(const MapLayers& layers, VertexFacts& facts) {
  const MapGrid grid(layers.width, layers.height);
  const TriangleBits bits = TriangleBitsOf(layers.landscape);
  const std::size_t width = layers.width;
  RowBits up{std::vector<std::uint8_t>(width), std::vector<std::uint8_t>(width)};
  RowBits row = up;
  ReadRowBits(layers, bits, layers.height - 1, up);
  for (std::size_t y = 0; y < layers.height; ++y) {
    ReadRowBits(layers, bits, y, row);
    if (width > 2) {
      ReadInteriorFacts(up.first.data(), up.second.data(), row.first.data(), row.second.data(),
                        facts.around.data() + y * width, facts.walk.data() + y * width,
                        static_cast<std::ptrdiff_t>(y & 1U),
                        static_cast<std::ptrdiff_t>(width - 1));
    }
    ReadFactsThroughGrid(layers, bits, grid, {0, y}, facts);
    ReadFactsThroughGrid(layers, bits, grid, {width - 1, y}, facts);
    std::swap(up, row);
  }
}

// ---- Seas ----

std::uint32_t PackPoint(Point p) { return static_cast<std::uint32_t>(p.x | (p.y << 16)); }
Point UnpackPoint(std::uint32_t packed) { return {packed & 0xFFFFU, packed >> 16}; }

// Gives sea id to every sea point joined to start; the number of them.
std::uint32_t FloodSea(std::span<const std::uint8_t> around, const MapGrid& grid, Point start,
                       std::uint32_t id, LayerVector<std::uint32_t>& sea_of,
                       LayerVector<std::uint32_t>& queue) {
  queue.clear();
  queue.push_back(PackPoint(start));
  sea_of[grid.Index(start)] = id;
  for (std::size_t head = 0; head < queue.size(); ++head) {
    for (const Point q : grid.NeighbourPoints(UnpackPoint(queue[head]))) {
      const std::size_t u = grid.Index(q);
      if (sea_of[u] == kNoSea && IsSeaPoint(around[u])) {
        sea_of[u] = id;
        queue.push_back(PackPoint(q));
      }
    }
  }
  return static_cast<std::uint32_t>(queue.size());
}

// Calls visit(sea) for every sea of a harbour on p (see HarbourSeas), a sea once per
// coastal neighbour that touches it, until visit gives false.
template <typename Visit>
void VisitHarbourSeas(std::span<const std::uint8_t> around, const Seas& seas, const MapGrid& grid,
                      Point p, Visit&& visit) {
  for (const Direction d : kDirections) {
    if (d == Direction::kNorthWest) continue;
    const Point coast = grid.Neighbour(p, d);
    const std::uint8_t coast_around = around[grid.Index(coast)];
    if (IsSeaPoint(coast_around) || (coast_around & kNotAllWaterKind) == 0) continue;
    for (const Direction e : kDirections) {
      const std::uint32_t sea = seas.sea_of[grid.Index(grid.Neighbour(coast, e))];
      if (sea < seas.sizes.size() && seas.sizes[sea] >= kSmallestHarbourSea && !visit(sea)) {
        return;
      }
    }
  }
}

// ---- Building quality ----

// What the rules read, as plain pointers for the loop over every vertex.
struct QualityRules {
  const std::uint8_t* heights;
  const std::uint8_t* around;
  const VertexObject* objects;
  const std::uint8_t* marks;  // see ReadMarks
};

// The 18 vertices within two steps: the six neighbours in the order of kDirections (W, NW,
// NE, E, SE, SW), then the twelve two steps away.
constexpr std::size_t kNeighbours = 6;
constexpr std::size_t kWithinTwo = 18;
constexpr std::size_t kSouthEastAt = static_cast<std::size_t>(Direction::kSouthEast);
constexpr std::size_t kExtensionsEnd = 3;  // W, NW and NE: where a castle's extensions stand
static_assert(static_cast<std::size_t>(Direction::kWest) == 0 &&
              static_cast<std::size_t>(Direction::kNorthEast) == 2);

// What a neighbour's object does to a vertex (step 5), by bit.
constexpr int kGraniteBit = 0;
constexpr int kTreeBit = 1;
constexpr int kTakenBit = 2;  // anything but a plain decoration
constexpr std::uint8_t kNearGranite = 1 << kGraniteBit;
constexpr std::uint8_t kNearTree = 1 << kTreeBit;
constexpr std::uint8_t kNearTaken = 1 << kTakenBit;
constexpr std::array<std::uint8_t, 8> kNearBits = {
    0,                          // none
    kNearTree | kNearTaken,     // tree
    kNearTree | kNearTaken,     // tree without wood
    kNearGranite | kNearTaken,  // granite
    0,                          // plain decoration
    kNearTaken,                 // blocking decoration
    kNearTaken,                 // castle ruin
    kNearTaken,                 // castle ruin part
};

constexpr Q QualityOfTriangles(std::uint8_t around) {
  if ((around & kAnyDanger) != 0) return Q::kNothing;
  if ((around & kNotAllMine) == 0) return Q::kMine;
  if ((around & kNotAllBuildable) == 0) return Q::kCastle;
  return (around & kAnyWalkable) != 0 ? Q::kFlag : Q::kNothing;
}

// Step 3, for a castle or a mine.
template <typename Near>
Q QualityByHeights(const std::uint8_t* heights, std::size_t v, Q quality, const Near& near) {
  const int own = heights[v];
  const int south_east = heights[near(kSouthEastAt)];
  if (quality == Q::kMine) return south_east > own + 3 ? Q::kFlag : quality;
  if (south_east > own + 1) return Q::kFlag;
  for (std::size_t i = 0; i < kNeighbours; ++i) {
    if (std::abs(heights[near(i)] - own) > 3) return Q::kFlag;
  }
  for (std::size_t i = kNeighbours; i < kWithinTwo; ++i) {
    if (std::abs(heights[near(i)] - own) > 2) return Q::kHut;
  }
  return quality;
}

// Step 5, for a mine, hut or castle.
template <typename Near>
Q QualityByNeighbours(const VertexObject* objects, Q quality, const Near& near) {
  int extensions = 0;
  for (std::size_t i = 0; i < kExtensionsEnd; ++i) {
    extensions |= kNearBits[static_cast<std::size_t>(objects[near(i)])];
  }
  int all = extensions;
  for (std::size_t i = kExtensionsEnd; i < kNeighbours; ++i) {
    all |= kNearBits[static_cast<std::size_t>(objects[near(i)])];
  }
  if ((all & kNearGranite) != 0) return Q::kFlag;
  if ((all & kNearTree) != 0) return std::min(quality, Q::kHut);
  if (quality == Q::kCastle && (extensions & kNearTaken) != 0) return Q::kHouse;
  return quality;
}

// Steps 1, 2, 3, 5 and 7; a castle here may still turn out a harbour (step 6).
template <typename Near>
Q QualityAt(const QualityRules& rules, std::size_t v, const Near& near) {
  if (!LeavesVertexFree(rules.objects[v])) return Q::kNothing;
  Q quality = QualityOfTriangles(rules.around[v]);
  if (quality <= Q::kFlag) return quality;
  quality = QualityByHeights(rules.heights, v, quality, near);
  if (quality <= Q::kFlag) return quality;
  quality = QualityByNeighbours(rules.objects, quality, near);
  const std::size_t flag = near(kSouthEastAt);
  const bool takes_flag = LeavesVertexFree(rules.objects[flag]) &&
                          (rules.around[flag] & (kAnyDanger | kAnyWalkable)) == kAnyWalkable;
  return takes_flag ? quality : Q::kFlag;
}

// The twelve vertices two steps away, as two steps one after the other: the row two above,
// the ends of the row above, of the own row and of the row below, the row two below.
using D = Direction;
constexpr std::array<std::array<Direction, 2>, kWithinTwo - kNeighbours> kTwoSteps = {{
    {D::kNorthWest, D::kNorthWest},
    {D::kNorthWest, D::kNorthEast},
    {D::kNorthEast, D::kNorthEast},
    {D::kNorthWest, D::kWest},
    {D::kNorthEast, D::kEast},
    {D::kWest, D::kWest},
    {D::kEast, D::kEast},
    {D::kSouthWest, D::kWest},
    {D::kSouthEast, D::kEast},
    {D::kSouthWest, D::kSouthWest},
    {D::kSouthWest, D::kSouthEast},
    {D::kSouthEast, D::kSouthEast},
}};

std::array<std::size_t, kWithinTwo> WithinTwoOf(const MapGrid& grid, Point p) {
  std::array<std::size_t, kWithinTwo> indexes{};
  const std::array<Point, kNeighbours> near = grid.NeighbourPoints(p);
  for (std::size_t i = 0; i < kNeighbours; ++i) indexes[i] = grid.Index(near[i]);
  for (std::size_t i = 0; i < kTwoSteps.size(); ++i) {
    const auto [first, second] = kTwoSteps[i];
    indexes[kNeighbours + i] = grid.Index(grid.Neighbour(grid.Neighbour(p, first), second));
  }
  return indexes;
}

Q QualityThroughGrid(const QualityRules& rules, const MapGrid& grid, Point p) {
  const std::array<std::size_t, kWithinTwo> near = WithinTwoOf(grid, p);
  return QualityAt(rules, grid.Index(p), [&near](std::size_t i) { return near[i]; });
}

// What each vertex means to the vertices around it, one byte per vertex, so that the loop
// over the inside of the map reads bytes only: the kNear bits of its object, and whether a
// flag can stand on it (nothing but a plain decoration, no danger, a walkable triangle).
constexpr int kFlagFitsBit = 3;
constexpr std::uint8_t kFlagFits = 1 << kFlagFitsBit;

LayerVector<std::uint8_t> ReadMarks(const VertexFacts& facts) {
  const std::size_t n = facts.objects.size();
  LayerVector<std::uint8_t> marks(n);
  const std::uint8_t* around = facts.around.data();
  const VertexObject* objects = facts.objects.data();
  std::uint8_t* out = marks.data();
  for (std::size_t v = 0; v < n; ++v) {
    const VertexObject object = objects[v];
    // kNearBits by compares rather than a look-up, so that the loop takes many at once.
    const bool taken = !LeavesVertexFree(object);
    const bool tree = IsTree(object);
    const bool granite = object == O::kGranite;
    const bool ground = (around[v] & (kAnyDanger | kAnyWalkable)) == kAnyWalkable;
    out[v] =
        static_cast<std::uint8_t>((granite ? kNearGranite : 0) | (tree ? kNearTree : 0) |
                                  (taken ? kNearTaken : 0) | ((!taken & ground) ? kFlagFits : 0));
  }
  return marks;
}

std::uint8_t AbsDiff(std::uint8_t p, std::uint8_t q) {
  return static_cast<std::uint8_t>(std::max(p, q) - std::min(p, q));
}
std::uint8_t Max(std::uint8_t p, std::uint8_t q) { return std::max(p, q); }
// Conditions as bytes of 0 or 1, so that they combine with & and | without a branch.
std::uint8_t Is(bool condition) { return static_cast<std::uint8_t>(condition); }
std::uint8_t Bit(std::uint8_t byte, int bit) {
  return static_cast<std::uint8_t>((byte >> bit) & 1);
}
// value where condition (0 or 1) is 1, otherwise where it is 0.
std::uint8_t Pick(std::uint8_t condition, std::uint8_t value, std::uint8_t otherwise) {
  const auto mask = static_cast<std::uint8_t>(0U - condition);
  return static_cast<std::uint8_t>(otherwise ^ ((value ^ otherwise) & mask));
}

// Steps 1, 2, 3, 5 and 7 for columns [begin, end) of a row at least two rows and two
// columns away from the map's edges, where the 18 vertices within two steps lie at fixed
// distances (odd rows half a vertex to the right: o is 1 on them). The same rules as
// QualityAt, written as selects over bytes without a branch (conditions worked out whole
// and taken with Pick), so that the compiler takes 16 or more vertices at once. h, around,
// marks and out point at column 0 of the row.
void QualityOfInteriorRow(const std::uint8_t* __restrict h, const std::uint8_t* __restrict around,
                          const std::uint8_t* __restrict marks, std::uint8_t* __restrict out,
                          std::ptrdiff_t w, std::ptrdiff_t o, std::ptrdiff_t begin,
                          std::ptrdiff_t end) {
  constexpr auto kN = static_cast<std::uint8_t>(Q::kNothing);
  constexpr auto kF = static_cast<std::uint8_t>(Q::kFlag);
  constexpr auto kM = static_cast<std::uint8_t>(Q::kMine);
  constexpr auto kH = static_cast<std::uint8_t>(Q::kHut);
  constexpr auto kHouse = static_cast<std::uint8_t>(Q::kHouse);
  constexpr auto kC = static_cast<std::uint8_t>(Q::kCastle);
  for (std::ptrdiff_t x = begin; x < end; ++x) {
    const std::uint8_t a = h[x];
    const std::uint8_t se = h[x + w + o];
    const std::uint8_t rise = AbsDiff(se, a);  // a rise where se > a
    const std::uint8_t rises = Is(se > a);
    const std::uint8_t near = Max(Max(Max(AbsDiff(h[x - 1], a), AbsDiff(h[x + 1], a)),
                                      Max(AbsDiff(h[x - w - 1 + o], a), AbsDiff(h[x - w + o], a))),
                                  Max(AbsDiff(h[x + w - 1 + o], a), rise));
    const std::uint8_t far_up =
        Max(Max(Max(AbsDiff(h[x - 2 * w - 1], a), AbsDiff(h[x - 2 * w], a)),
                Max(AbsDiff(h[x - 2 * w + 1], a), AbsDiff(h[x - w - 2 + o], a))),
            Max(AbsDiff(h[x - w + 1 + o], a), AbsDiff(h[x - 2], a)));
    const std::uint8_t far_down =
        Max(Max(Max(AbsDiff(h[x + 2], a), AbsDiff(h[x + w - 2 + o], a)),
                Max(AbsDiff(h[x + w + 1 + o], a), AbsDiff(h[x + 2 * w - 1], a))),
            Max(AbsDiff(h[x + 2 * w], a), AbsDiff(h[x + 2 * w + 1], a)));
    const std::uint8_t far = Max(far_up, far_down);
    const std::uint8_t t = around[x];
    std::uint8_t q = Pick(Is((t & kAnyWalkable) != 0), kF, kN);
    q = Pick(Is((t & kNotAllBuildable) == 0), kC, q);
    q = Pick(Is((t & kNotAllMine) == 0), kM, q);
    q = Pick(Is((t & kAnyDanger) != 0), kN, q);
    const std::uint8_t castle = Is(q == kC);
    const std::uint8_t castle_hut = castle & Is(far > 2);
    const std::uint8_t castle_flag = castle & ((rises & Is(rise > 1)) | Is(near > 3));
    const std::uint8_t mine_flag = Is(q == kM) & rises & Is(rise > 3);
    q = Pick(castle_hut, kH, q);
    q = Pick(castle_flag | mine_flag, kF, q);
    const auto extensions =
        static_cast<std::uint8_t>(marks[x - 1] | marks[x - w - 1 + o] | marks[x - w + o]);
    const auto all = static_cast<std::uint8_t>(extensions | marks[x + 1] | marks[x + w + o] |
                                               marks[x + w - 1 + o]);
    q = Pick(Is(q > kF) & Bit(all, kGraniteBit), kF, q);
    q = Pick(Is(q > kH) & Bit(all, kTreeBit), kH, q);
    q = Pick(Is(q == kC) & Bit(extensions, kTakenBit), kHouse, q);
    q = Pick(Is(q > kF) & (Bit(marks[x + w + o], kFlagFitsBit) ^ 1U), kF, q);
    out[x] = Pick(Bit(marks[x], kTakenBit), kN, q);
  }
}

void ComputeQualityRow(const QualityRules& rules, const MapGrid& grid, std::size_t y,
                       std::span<Q> quality) {
  const std::size_t width = grid.width();
  const std::size_t row = y * width;
  // Columns [begin, end) of rows two away from the top and bottom need no wrap.
  std::size_t begin = 0;
  std::size_t end = 0;
  if (y >= 2 && y + 2 < grid.height() && width >= 5) {
    begin = 2;
    end = width - 2;
  }
  for (std::size_t x = 0; x < begin; ++x)
    quality[row + x] = QualityThroughGrid(rules, grid, {x, y});
  if (begin < end) {
    QualityOfInteriorRow(rules.heights + row, rules.around + row, rules.marks + row,
                         reinterpret_cast<std::uint8_t*>(quality.data() + row),
                         static_cast<std::ptrdiff_t>(width), static_cast<std::ptrdiff_t>(y & 1U),
                         static_cast<std::ptrdiff_t>(begin), static_cast<std::ptrdiff_t>(end));
  }
  for (std::size_t x = end; x < width; ++x) {
    quality[row + x] = QualityThroughGrid(rules, grid, {x, y});
  }
}

// Step 6: castles on a harbour place. The seas are found only when a castle carries the
// harbour flag.
void MarkHarbours(const MapLayers& layers, std::span<const std::uint8_t> around,
                  std::span<Q> quality) {
  // Most maps have no harbour flag at all: one pass over the bytes tells.
  std::uint8_t any = 0;
  for (std::size_t v = 0; v < quality.size(); ++v) any |= layers.first[v];
  if ((any & kHarbourFlag) == 0) return;
  const MapGrid grid(layers.width, layers.height);
  std::optional<Seas> seas;
  for (std::size_t v = 0; v < quality.size(); ++v) {
    if (quality[v] != Q::kCastle || (layers.first[v] & kHarbourFlag) == 0) continue;
    if (!seas) seas = FindSeas(around, layers.width, layers.height);
    bool harbour = false;
    VisitHarbourSeas(around, *seas, grid, grid.PointOf(v), [&harbour](std::uint32_t) {
      harbour = true;
      return false;
    });
    if (harbour) quality[v] = Q::kHarbour;
  }
}

bool HoldsFacts(const VertexFacts& facts, std::size_t n) {
  return facts.around.size() == n && facts.objects.size() == n && facts.walk.size() == n;
}

// ---- The same rules, vertex by vertex through the grid ----

struct PlainTriangles {
  bool any_danger = false;
  bool all_mine = true;
  bool all_buildable = true;
  bool any_walkable = false;
  bool all_shippable = true;
  bool all_water = true;
};

PlainTriangles PlainTrianglesAt(const MapLayers& layers, const MapGrid& grid, Point p) {
  PlainTriangles t;
  for (const Triangle& triangle : grid.TrianglesAround(p)) {
    const std::uint8_t byte = (triangle.second ? layers.second : layers.first)[triangle.vertex];
    t.any_danger = t.any_danger || IsDanger(byte);
    t.all_mine = t.all_mine && IsMineable(byte);
    t.all_buildable = t.all_buildable && IsBuildable(byte);
    t.any_walkable = t.any_walkable || IsWalkable(byte);
    t.all_shippable = t.all_shippable && IsShippable(byte);
    t.all_water = t.all_water && IsWaterKind(layers.landscape, byte);
  }
  return t;
}

// The twelve vertices two steps away: on a map of at least 5 x 6 (an even height), those
// of the 5 x 5 block around p at a distance of 2; on smaller maps, where the world's wrap
// folds that block onto itself, two steps taken one after the other.
std::vector<std::size_t> PlainTwoAway(const MapGrid& grid, Point p) {
  std::vector<std::size_t> found;
  if (grid.width() < 5 || grid.height() < 6 || grid.height() % 2 != 0) {
    const auto near = WithinTwoOf(grid, p);
    found.assign(near.begin() + kNeighbours, near.end());
    return found;
  }
  for (std::size_t dy = 0; dy < 5; ++dy) {
    for (std::size_t dx = 0; dx < 5; ++dx) {
      const Point q{(p.x + grid.width() - 2 + dx) % grid.width(),
                    (p.y + grid.height() - 2 + dy) % grid.height()};
      if (grid.Distance(p, q) == 2) found.push_back(grid.Index(q));
    }
  }
  return found;
}

Q PlainQualityByHeights(const MapLayers& layers, const MapGrid& grid, Point p, Q quality) {
  const auto height_at = [&](std::size_t v) { return static_cast<int>(layers.heights[v]); };
  const int own = height_at(grid.Index(p));
  const int south_east = height_at(grid.Neighbour(grid.Index(p), Direction::kSouthEast));
  if (quality == Q::kMine) return south_east > own + 3 ? Q::kFlag : Q::kMine;
  if (south_east > own + 1) return Q::kFlag;
  for (const std::size_t u : grid.Neighbours(p)) {
    if (std::abs(height_at(u) - own) > 3) return Q::kFlag;
  }
  for (const std::size_t u : PlainTwoAway(grid, p)) {
    if (std::abs(height_at(u) - own) > 2) return Q::kHut;
  }
  return Q::kCastle;
}

Q PlainQualityByNeighbours(std::span<const O> objects, const MapGrid& grid, Point p, Q quality) {
  bool granite = false;
  bool tree = false;
  for (const std::size_t u : grid.Neighbours(p)) {
    granite = granite || objects[u] == O::kGranite;
    tree = tree || IsTree(objects[u]);
  }
  if (granite) return Q::kFlag;
  if (tree) return quality > Q::kHut ? Q::kHut : quality;
  if (quality != Q::kCastle) return quality;
  for (const Direction d : {Direction::kWest, Direction::kNorthWest, Direction::kNorthEast}) {
    if (!LeavesVertexFree(objects[grid.Index(grid.Neighbour(p, d))])) return Q::kHouse;
  }
  return quality;
}

bool PlainIsHarbourPlace(const MapLayers& layers, const MapGrid& grid,
                         std::span<const PlainTriangles> triangles, const Seas& seas, Point p) {
  if ((layers.first[grid.Index(p)] & kHarbourFlag) == 0) return false;
  for (const Direction d : kDirections) {
    if (d == Direction::kNorthWest) continue;
    const Point coast = grid.Neighbour(p, d);
    const PlainTriangles& t = triangles[grid.Index(coast)];
    if (t.all_shippable || t.all_water) continue;
    for (const std::size_t u : grid.Neighbours(coast)) {
      if (triangles[u].all_shippable && seas.sizes[seas.sea_of[u]] > 20) return true;
    }
  }
  return false;
}

Q PlainQualityAt(const MapLayers& layers, const MapGrid& grid, std::span<const O> objects,
                 std::span<const PlainTriangles> triangles, const Seas& seas, Point p) {
  const std::size_t v = grid.Index(p);
  if (!LeavesVertexFree(objects[v])) return Q::kNothing;
  const PlainTriangles& t = triangles[v];
  Q quality = Q::kNothing;
  if (t.any_danger) {
    quality = Q::kNothing;
  } else if (t.all_mine) {
    quality = Q::kMine;
  } else if (t.all_buildable) {
    quality = Q::kCastle;
  } else if (t.any_walkable) {
    quality = Q::kFlag;
  }
  if (quality != Q::kMine && quality != Q::kCastle) return quality;
  quality = PlainQualityByHeights(layers, grid, p, quality);
  if (quality == Q::kFlag) return quality;
  quality = PlainQualityByNeighbours(objects, grid, p, quality);
  if (quality == Q::kCastle && PlainIsHarbourPlace(layers, grid, triangles, seas, p)) {
    quality = Q::kHarbour;
  }
  if (quality == Q::kFlag) return quality;
  const std::size_t flag = grid.Index(grid.Neighbour(p, Direction::kSouthEast));
  const bool flag_fits = LeavesVertexFree(objects[flag]) && !triangles[flag].any_danger &&
                         triangles[flag].any_walkable;
  return flag_fits ? quality : Q::kFlag;
}

}  // namespace

// The game reads the object blocks vertex by vertex in row order and puts each vertex's
// object on it (nothing included), replacing whatever stands there. A castle ruin first
// puts its parts on its W, NW and NE neighbours, in that order, each replacing what stands
// there. So:
// - a part lands on a vertex read before the ruin, and stays unless a later ruin's part
//   replaces it;
// - except across the wrap seam: the W neighbour of column 0 is the last column of the
//   same row, the NW and NE neighbours of row 0 lie in the last row; those vertices are
//   read later, and their own object (nothing included) replaces the part;
// - a part that lands on an earlier castle ruin removes it with its parts: its W, NW and
//   NE neighbours are cleared, whatever stands there by then (RemoveObject). That happens
//   when the later ruin stands E of the earlier one, or SW or SE of it. For a ruin SW of
//   another, its NW part lands on the other's W neighbour first and is cleared again when
//   its NE part removes the other: of its own parts, only W and NE stay. For a ruin in
//   column 0 removed from the row below, the last-column vertex W of it has been read by
//   then and its own object is cleared too.
LayerVector<VertexObject> ReadObjects(std::span<const std::uint8_t> object_index,
                                      std::span<const std::uint8_t> object_type, std::size_t width,
                                      std::size_t height) {
  if (!HoldsSides(width, height)) return {};
  const std::size_t n = width * height;
  if (object_index.size() < n || object_type.size() < n) return {};
  const MapGrid grid(width, height);
  LayerVector<VertexObject> objects(n, O::kNone);
  for (std::size_t v = 0; v < n; ++v) {
    const VertexObject object = ObjectAt(object_type[v], object_index[v]);
    if (object == O::kCastleRuin) {
      for (const Direction d : kRuinParts) {
        const std::size_t part = grid.Neighbour(v, d);
        RemoveObject(objects, grid, part);
        objects[part] = O::kCastleRuinPart;
      }
    }
    objects[v] = object;
  }
  return objects;
}

bool HoldsLayers(const MapLayers& layers) {
  if (!HoldsSides(layers.width, layers.height)) return false;
  const std::size_t n = layers.width * layers.height;
  return layers.heights.size() >= n && layers.first.size() >= n && layers.second.size() >= n &&
         layers.object_index.size() >= n && layers.object_type.size() >= n;
}

std::optional<MapLayers> LayersOf(std::span<const std::uint8_t> image, Landscape landscape) {
  if (!MapImageIsComplete(image)) return std::nullopt;
  MapLayers layers;
  layers.width = MapWidth(image);
  layers.height = MapHeight(image);
  layers.landscape = landscape;
  const std::size_t n = layers.width * layers.height;
  layers.heights = Block(image, kHeightBlock, n);
  layers.first = Block(image, kTerrainBlock1, n);
  layers.second = Block(image, kTerrainBlock2, n);
  layers.object_index = Block(image, kObjectIndexBlock, n);
  layers.object_type = Block(image, kObjectTypeBlock, n);
  return layers;
}

VertexFacts ReadVertexFacts(const MapLayers& layers) {
  VertexFacts facts;
  if (!HoldsLayers(layers)) return facts;
  const std::size_t n = layers.width * layers.height;
  facts.around.resize(n);
  facts.walk.resize(n);
  ReadTriangleFacts(layers, facts);
  facts.objects = ReadObjects(layers.object_index, layers.object_type, layers.width, layers.height);
  MarkWalkableVertices(facts);
  return facts;
}

Seas FindSeas(std::span<const std::uint8_t> around, std::size_t width, std::size_t height) {
  Seas seas;
  if (!HoldsSides(width, height) || around.size() < width * height) return seas;
  const MapGrid grid(width, height);
  seas.sea_of.assign(grid.size(), kNoSea);
  LayerVector<std::uint32_t> queue;
  std::size_t v = 0;
  for (std::size_t y = 0; y < height; ++y) {
    for (std::size_t x = 0; x < width; ++x, ++v) {
      if (seas.sea_of[v] != kNoSea || !IsSeaPoint(around[v])) continue;
      const auto id = static_cast<std::uint32_t>(seas.sizes.size());
      seas.sizes.push_back(FloodSea(around, grid, {x, y}, id, seas.sea_of, queue));
    }
  }
  return seas;
}

std::vector<std::uint32_t> HarbourSeas(std::span<const std::uint8_t> around, const Seas& seas,
                                       std::size_t width, std::size_t height, std::size_t v) {
  std::vector<std::uint32_t> found;
  if (!HoldsSides(width, height)) return found;
  const MapGrid grid(width, height);
  if (v >= grid.size() || around.size() < grid.size() || seas.sea_of.size() < grid.size()) {
    return found;
  }
  VisitHarbourSeas(around, seas, grid, grid.PointOf(v), [&found](std::uint32_t sea) {
    if (std::find(found.begin(), found.end(), sea) == found.end()) found.push_back(sea);
    return true;
  });
  return found;
}

LayerVector<BuildingQuality> ComputeBuildingQuality(const MapLayers& layers,
                                                    const VertexFacts& facts) {
  if (!HoldsLayers(layers)) return {};
  const MapGrid grid(layers.width, layers.height);
  if (!HoldsFacts(facts, grid.size())) return {};
  const LayerVector<std::uint8_t> marks = ReadMarks(facts);
  const QualityRules rules{layers.heights.data(), facts.around.data(), facts.objects.data(),
                           marks.data()};
  LayerVector<BuildingQuality> quality(grid.size());
  for (std::size_t y = 0; y < layers.height; ++y) ComputeQualityRow(rules, grid, y, quality);
  MarkHarbours(layers, facts.around, quality);
  return quality;
}

LayerVector<BuildingQuality> ComputeBuildingQuality(const MapLayers& layers) {
  return ComputeBuildingQuality(layers, ReadVertexFacts(layers));
}

LayerVector<BuildingQuality> ComputeBuildingQualityPlain(const MapLayers& layers) {
  if (!HoldsLayers(layers)) return {};
  const MapGrid grid(layers.width, layers.height);
  const LayerVector<O> objects =
      ReadObjects(layers.object_index, layers.object_type, layers.width, layers.height);
  std::vector<PlainTriangles> triangles(grid.size());
  std::vector<std::uint8_t> sea_points(grid.size(), kNotAllShippable);
  for (std::size_t v = 0; v < grid.size(); ++v) {
    triangles[v] = PlainTrianglesAt(layers, grid, grid.PointOf(v));
    if (triangles[v].all_shippable) sea_points[v] = 0;
  }
  const Seas seas = FindSeas(sea_points, layers.width, layers.height);
  LayerVector<BuildingQuality> quality(grid.size());
  for (std::size_t v = 0; v < grid.size(); ++v) {
    quality[v] = PlainQualityAt(layers, grid, objects, triangles, seas, grid.PointOf(v));
  }
  return quality;
}

}  // namespace plandrix
