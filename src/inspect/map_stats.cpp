#include "inspect/map_stats.h"

#include "core/map_format.h"
#include "core/map_layout.h"
#include "inspect/byte_counts.h"

namespace plandrix {
namespace {

std::uint64_t Sum(const ByteCounts& counts, std::size_t first, std::size_t last) {
  std::uint64_t sum = 0;
  for (std::size_t value = first; value <= last; ++value) sum += counts[value];
  return sum;
}

void CountHeights(std::span<const std::uint8_t> heights, MapStats& stats) {
  const ByteCounts counts = CountBytes(heights);
  bool seen = false;
  for (std::size_t value = 0; value < counts.size(); ++value) {
    if (counts[value] == 0) continue;
    if (!seen) stats.height_min = static_cast<std::uint8_t>(value);
    stats.height_max = static_cast<std::uint8_t>(value);
    seen = true;
  }
}

void CountObjects(std::span<const std::uint8_t> types, MapStats& stats) {
  const ByteCounts counts = CountBytes(types);
  stats.trees = Sum(counts, kFirstTreeType, kLastTreeType);
  stats.granite = Sum(counts, kFirstGraniteType, kLastGraniteType);
  stats.headquarters = counts[kHeadquartersType];
  stats.objects = Sum(counts, 1, 255) - stats.trees - stats.granite - stats.headquarters;
}

void FindMarks(std::span<const std::uint8_t> index, std::span<const std::uint8_t> type,
               MapStats& stats) {
  std::array<std::optional<std::size_t>, kMostPlayers> last{};
  for (std::size_t v = 0; v < type.size(); ++v) {
    if (type[v] == kHeadquartersType && index[v] < kMostPlayers) last[index[v]] = v;
  }
  for (std::size_t p = 0; p < last.size(); ++p) {
    if (last[p]) stats.marks.push_back({p, *last[p] % stats.width, *last[p] / stats.width});
  }
}

void CountResources(std::span<const std::uint8_t> resources, MapStats& stats) {
  const ByteCounts counts = CountBytes(resources);
  for (std::size_t value = 0; value < counts.size(); ++value) {
    const auto kind = ResourceKindOf(static_cast<std::uint8_t>(value));
    if (kind) {
      stats.resources[static_cast<std::size_t>(*kind)] += counts[value];
    } else {
      stats.unknown_resources += counts[value];
    }
  }
}

}  // namespace

std::optional<MapStats> CountMap(std::span<const std::uint8_t> file) {
  if (!MapImageIsComplete(file)) return std::nullopt;
  MapStats stats;
  stats.title = HeaderText(file, kTitleOffset);
  stats.author = HeaderText(file, kAuthorOffset);
  stats.width = MapWidth(file);
  stats.height = MapHeight(file);
  stats.landscape = file[kLandscapeOffset];
  stats.players = file[kPlayerCountOffset];
  const std::size_t n = stats.width * stats.height;
  CountHeights(Block(file, kHeightBlock, n), stats);
  for (const int block : {kTerrainBlock1, kTerrainBlock2}) {
    const ByteCounts counts = CountBytes(Block(file, block, n));
    for (std::size_t value = 0; value < counts.size(); ++value) {
      stats.terrain[TerrainCode(static_cast<std::uint8_t>(value))] += counts[value];
    }
  }
  CountObjects(Block(file, kObjectTypeBlock, n), stats);
  FindMarks(Block(file, kObjectIndexBlock, n), Block(file, kObjectTypeBlock, n), stats);
  const ByteCounts animals = CountBytes(Block(file, kAnimalBlock, n));
  for (std::uint8_t animal = kRabbit; animal <= kSheep; ++animal) stats.animals += animals[animal];
  CountResources(Block(file, kResourceBlock, n), stats);
  return stats;
}

}  // namespace plandrix
