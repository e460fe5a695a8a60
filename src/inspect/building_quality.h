// What the game lets a player build on every vertex of a map that has no roads, flags or
// buildings yet, and what it finds standing on every vertex when it loads the map. The
// walking rules (walking.h), the fairness report and the map generator stand on both.
//
// The building quality of a fresh map, vertex by vertex, in the order of the game's own
// steps (a vertex's six triangles are those of core/map_grid.h; the map wraps both ways):
//  1. A tree, granite, a blocking decoration or a castle ruin or its part on the vertex:
//     nothing. A plain decoration, a headquarters mark or an unknown byte is no object.
//  2. Its six triangles: any danger: nothing; all mine: mine; all buildable: castle;
//     otherwise any walkable (buildable, mine or walkable ground): flag; else nothing.
//  3. Heights (a = its own): a castle becomes a flag when the south-east neighbour is
//     above a + 1 or any neighbour differs by more than 3, else a hut when any of the 12
//     vertices two steps away differs by more than 2; a mine becomes a flag when the
//     south-east neighbour is above a + 3.
//  5. Granite on a neighbour: flag (mines too); else a tree on a neighbour: at most a hut;
//     else a castle with anything but a plain decoration on its west, north-west or
//     north-east neighbour (where a castle's extensions stand): house.
//  6. A castle on a harbour place (harbour flag, a coastal neighbour other than the
//     north-west one) is a harbour.
//  7. Every building needs its flag on the south-east neighbour: no object there but a
//     plain decoration, no danger triangle around it and at least one walkable one; else
//     the vertex takes a flag only.
// Step 4 and the other clauses of 5 to 7 ask for what only a running game has (charburner
// piles, fires, fields, flags, roads, buildings, territory): none of it is in a map file.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <new>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "core/large_buffer.h"
#include "core/map_format.h"
#include "core/map_grid.h"
#include "core/terrain.h"

namespace plandrix {

// ---- Building quality ----

// In the game's order: a site takes every building up to its quality, but a mine only on
// a mine site.
enum class BuildingQuality : std::uint8_t {
  kNothing,
  kFlag,
  kMine,
  kHut,
  kHouse,
  kCastle,
  kHarbour,
};
inline constexpr std::size_t kQualityCount = 7;
inline constexpr std::array<std::string_view, kQualityCount> kQualityNames = {
    "nothing", "flag", "mine", "hut", "house", "castle", "harbour"};

// The byte the building quality block (block 9) holds for each quality, in the order of
// BuildingQuality. The block's numbering has no harbour that we know of: a harbour site is
// a castle site by every rule of the block, so it is written as a castle.
inline constexpr std::array<std::uint8_t, kQualityCount> kQualityBlockBytes = {0, 1, 5, 2, 3, 4, 4};
constexpr std::uint8_t QualityBlockByte(BuildingQuality quality) {
  return kQualityBlockBytes[static_cast<std::size_t>(quality)];
}

// ---- What stands on a vertex ----

enum class VertexObject : std::uint8_t {
  kNone,             // nothing, a headquarters mark, or bytes the game places nothing for
  kTree,             // a tree that gives wood
  kTreeWithoutWood,  // tree type 5: a tree in every rule, but woodcutters leave it
  kGranite,
  kPlainDecoration,     // stands aside for walkers, flags and buildings
  kBlockingDecoration,  // blocks its vertex
  kCastleRuin,          // blocks its vertex; its parts block the W, NW and NE neighbours
  kCastleRuinPart,
};

constexpr bool IsTree(VertexObject object) {
  return object == VertexObject::kTree || object == VertexObject::kTreeWithoutWood;
}
// Flags and buildings stand only where nothing but a plain decoration stands.
constexpr bool LeavesVertexFree(VertexObject object) {
  return object == VertexObject::kNone || object == VertexObject::kPlainDecoration;
}

namespace object_detail {
struct IndexRange {
  std::uint8_t first;
  std::uint8_t last;
  VertexObject object;
};
// Decoration indexes that the game places; every other index places nothing.
inline constexpr std::array<IndexRange, 8> kDecorations = {{
    {0x00, 0x0A, VertexObject::kPlainDecoration},
    {0x0B, 0x0B, VertexObject::kBlockingDecoration},  // water stone
    {0x0C, 0x14, VertexObject::kPlainDecoration},
    {0x15, 0x21, VertexObject::kBlockingDecoration},  // wreck, gates, stalagmites...
    {0x22, 0x2B, VertexObject::kPlainDecoration},
    {0x2C, 0x2E, VertexObject::kBlockingDecoration},  // tent, ruins
    {kCastleRuinIndex, kCastleRuinIndex, VertexObject::kCastleRuin},
    {0x30, 0x35, VertexObject::kBlockingDecoration},  // cross, viking, whale skeletons, cave
}};
}  // namespace object_detail

// The object that one vertex's type and index bytes place, before castle ruins put their
// parts on the neighbours.
constexpr VertexObject ObjectOf(std::uint8_t type, std::uint8_t index) {
  using namespace object_detail;
  if (type >= kFirstTreeType && type <= kLastTreeType) {
    const auto species = TreeSpeciesOf(type, index);
    if (!species) return VertexObject::kNone;
    return GivesWood(*species) ? VertexObject::kTree : VertexObject::kTreeWithoutWood;
  }
  if (type >= kFirstGraniteType && type <= kLastGraniteType) {
    return index >= 1 && index <= kMostGraniteSize ? VertexObject::kGranite : VertexObject::kNone;
  }
  if (type == kDecorationType || type == kDecorationType2) {
    for (const IndexRange& range : kDecorations) {
      if (index >= range.first && index <= range.last) return range.object;
    }
  }
  return VertexObject::kNone;
}

// What stands on every vertex once the game has read the object blocks (width x height
// bytes each) in row order. Empty when the blocks are shorter or a side is 0 or above
// 65535.
LayerVector<VertexObject> ReadObjects(std::span<const std::uint8_t> object_index,
                                      std::span<const std::uint8_t> object_type, std::size_t width,
                                      std::size_t height);

// ---- The layers the rules read ----

// The blocks of one map (each at least width x height bytes; only the first width x height
// are read) and its landscape.
struct MapLayers {
  std::size_t width = 0;
  std::size_t height = 0;
  Landscape landscape = Landscape::kGreenland;
  std::span<const std::uint8_t> heights;
  std::span<const std::uint8_t> first;   // terrain of each vertex's first triangle
  std::span<const std::uint8_t> second;  // and of its second
  std::span<const std::uint8_t> object_index;
  std::span<const std::uint8_t> object_type;
};

// Whether every block holds the map: sides from 1 to 65535 (what a file can state) and
// width x height bytes in each block. Every operation here gives an empty answer otherwise.
bool HoldsLayers(const MapLayers& layers);

// The layers of a whole map image laid out as MapLength says (every block present).
std::optional<MapLayers> LayersOf(std::span<const std::uint8_t> image, Landscape landscape);

// The six triangles around each vertex, in one byte: the OR of one bit mask per triangle.
// The "all" questions are asked through negated bits: all six are mine ground when no
// triangle sets kNotAllMine.
inline constexpr std::uint8_t kAnyDanger = 0x01;
inline constexpr std::uint8_t kAnyWalkable = 0x02;  // buildable, mine or walkable ground
inline constexpr std::uint8_t kNotAllMine = 0x04;
inline constexpr std::uint8_t kNotAllBuildable = 0x08;
inline constexpr std::uint8_t kNotAllShippable = 0x10;
inline constexpr std::uint8_t kNotAllWaterKind = 0x20;

// A sea point: ships sail on all six of its triangles.
constexpr bool IsSeaPoint(std::uint8_t around) { return (around & kNotAllShippable) == 0; }

// A vertex's walk byte: bit i (0 to 5) set for the edge in direction kDirections[i] that has
// a walkable triangle on one side (walking.h names the two triangles of each edge), and
// kWalkableVertex when the vertex can be walked on (IsWalkableVertex). An edge can be
// walked along when its bit is set and both its vertices can be walked on.
inline constexpr std::uint8_t kWalkableVertex = 0x40;

// What every rule reads of each vertex, worked out once per map.
struct VertexFacts {
  LayerVector<std::uint8_t> around;  // the bits above
  LayerVector<VertexObject> objects;
  LayerVector<std::uint8_t> walk;  // the walk byte
};
VertexFacts ReadVertexFacts(const MapLayers& layers);

// ---- Seas ----

inline constexpr std::uint32_t kNoSea = 0xFFFFFFFF;
// A harbour needs a sea of at least this many points.
inline constexpr std::uint32_t kSmallestHarbourSea = 21;

// The seas: sets of sea points joined by steps between sea points, around the wrap too.
struct Seas {
  LayerVector<std::uint32_t> sea_of;  // per vertex: its sea, kNoSea for a vertex on no sea
  std::vector<std::uint32_t> sizes;   // per sea: its points; seas numbered in row order
};
Seas FindSeas(std::span<const std::uint8_t> around, std::size_t width, std::size_t height);

// The seas of at least kSmallestHarbourSea points that a harbour on vertex v sails on:
// those next to a coastal neighbour of v other than its north-west one (coastal: neither
// a sea point nor all six triangles of water kind). Empty: v is no harbour place, whatever
// its harbour flag says. around and seas are those of the same width x height map.
std::vector<std::uint32_t> HarbourSeas(std::span<const std::uint8_t> around, const Seas& seas,
                                       std::size_t width, std::size_t height, std::size_t v);

// ---- Building quality of every vertex ----

// facts are ReadVertexFacts(layers). Empty when the layers or facts do not hold the map.
LayerVector<BuildingQuality> ComputeBuildingQuality(const MapLayers& layers,
                                                    const VertexFacts& facts);
LayerVector<BuildingQuality> ComputeBuildingQuality(const MapLayers& layers);

// The same rules vertex by vertex through MapGrid, without shortcuts: slow, and what the
// tests hold the fast version to.
LayerVector<BuildingQuality> ComputeBuildingQualityPlain(const MapLayers& layers);

}  // namespace plandrix
