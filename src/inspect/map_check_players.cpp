#include <algorithm>
#include <array>
#include <string>
#include <string_view>

#include "core/map_grid.h"
#include "core/terrain.h"
#include "inspect/building_quality.h"
#include "inspect/map_check_parts.h"

namespace plandrix {
namespace {

// Two headquarters closer than this overlap in their first territories (radius 9 each).
constexpr std::size_t kHeadquartersApart = 18;
// A finding lists at most this many vertices.
constexpr std::size_t kMostListed = 8;

std::string At(Point p) { return std::to_string(p.x) + "," + std::to_string(p.y); }

void Add(std::vector<Finding>& findings, Severity severity, std::string_view code,
         std::string message) {
  findings.push_back({severity, code, std::move(message)});
}

// The marks of players 0 to 7, each player's in row order.
using Marks = std::array<std::vector<Point>, kMostPlayers>;

Marks FindMarks(const MapGrid& grid, std::span<const std::uint8_t> index,
                std::span<const std::uint8_t> type) {
  Marks marks;
  for (std::size_t v = 0; v < type.size(); ++v) {
    if (type[v] == kHeadquartersType && index[v] < kMostPlayers) {
      marks[index[v]].push_back(grid.PointOf(v));
    }
  }
  return marks;
}

void CheckDuplicates(const Marks& marks, std::vector<Finding>& findings) {
  for (std::size_t p = 0; p < marks.size(); ++p) {
    if (marks[p].size() < 2) continue;
    std::string where;
    for (std::size_t i = 0; i < marks[p].size() && i < kMostListed; ++i) {
      where += (i == 0 ? "" : ", ") + At(marks[p][i]);
    }
    if (marks[p].size() > kMostListed) where += ", ...";
    Add(findings, Severity::kWarning, "duplicate-headquarters",
        "player " + std::to_string(p) + " has " + std::to_string(marks[p].size()) +
            " headquarters marks (" + where + "); the game takes the last in row order, " +
            At(marks[p].back()));
  }
}

void CheckDistances(const MapGrid& grid, const Marks& marks, std::size_t players,
                    std::vector<Finding>& findings) {
  for (std::size_t p = 0; p < players; ++p) {
    for (std::size_t q = p + 1; q < players; ++q) {
      if (marks[p].empty() || marks[q].empty()) continue;
      const std::size_t steps = grid.Distance(marks[p].back(), marks[q].back());
      if (steps >= kHeadquartersApart) continue;
      Add(findings, Severity::kWarning, "headquarters-too-close",
          "the headquarters of players " + std::to_string(p) + " (" + At(marks[p].back()) +
              ") and " + std::to_string(q) + " (" + At(marks[q].back()) + ") are " +
              std::to_string(steps) + " steps apart, the shortest way around the map: " +
              "fewer than 18, so their first territories overlap");
    }
  }
}

void CheckHeader(std::span<const std::uint8_t> file, const Marks& marks, std::size_t players,
                 std::vector<Finding>& findings) {
  std::string differ;
  for (std::size_t p = 0; p < std::min(players, kHeaderPlayerSlots); ++p) {
    if (marks[p].empty()) continue;
    const Point header{ReadU16(file, kHeadquartersXOffset + 2 * p),
                       ReadU16(file, kHeadquartersYOffset + 2 * p)};
    if (header == marks[p].back()) continue;
    differ += (differ.empty() ? "" : "; ") + std::string("player ") + std::to_string(p) + " " +
              At(header) + " (mark at " + At(marks[p].back()) + ")";
  }
  if (differ.empty()) return;
  Add(findings, Severity::kWarning, "header-headquarters-differ",
      "the header's headquarters positions differ from the marks the game starts from: " + differ);
}

// What fits on a site below a castle, by BuildingQuality.
constexpr std::array<std::string_view, 5> kWhatFits = {
    "nothing fits there", "only a flag fits there", "only a mine fits there",
    "at most a hut fits there", "at most a house fits there"};
static_assert(static_cast<std::size_t>(BuildingQuality::kHouse) + 1 == kWhatFits.size());

// A headquarters the game takes that stands on no castle site, by the quality of the map
// as it is (a headquarters mark is no object).
void CheckCastleSites(std::span<const std::uint8_t> file, const MapStructure& structure,
                      const Marks& marks, std::size_t players, std::vector<Finding>& findings) {
  const MapLayers layers{structure.width,
                         structure.height,
                         LandscapeOf(file[kLandscapeOffset]).value_or(Landscape::kGreenland),
                         BlockData(file, structure, kHeightBlock),
                         BlockData(file, structure, kTerrainBlock1),
                         BlockData(file, structure, kTerrainBlock2),
                         BlockData(file, structure, kObjectIndexBlock),
                         BlockData(file, structure, kObjectTypeBlock)};
  // A map without one of the layers that the quality reads has its missing-layer error.
  if (!HoldsLayers(layers)) return;
  const MapGrid grid(structure.width, structure.height);
  LayerVector<BuildingQuality> quality;
  for (std::size_t p = 0; p < players; ++p) {
    if (marks[p].empty()) continue;
    if (quality.empty()) quality = ComputeBuildingQuality(layers);
    const Point at = marks[p].back();
    const BuildingQuality site = quality[grid.Index(at)];
    if (site >= BuildingQuality::kCastle) continue;
    Add(findings, Severity::kWarning, "headquarters-not-castle",
        "the headquarters of player " + std::to_string(p) + " (" + At(at) +
            ") stands on no castle site (" +
            std::string(kWhatFits[static_cast<std::size_t>(site)]) +
            "): the game builds it there anyway and levels the ground");
  }
}

}  // namespace

void CheckHeadquarters(std::span<const std::uint8_t> file, const MapStructure& structure,
                       std::span<const std::uint8_t> index, std::span<const std::uint8_t> type,
                       std::vector<Finding>& findings) {
  if (index.empty() || type.empty()) return;
  const MapGrid grid(structure.width, structure.height);
  const Marks marks = FindMarks(grid, index, type);
  const std::size_t count = file[kPlayerCountOffset];
  // Above 8 the game refuses the map for its count alone.
  const std::size_t players = count > kMostPlayers ? 0 : count;
  for (std::size_t p = 0; p < players; ++p) {
    if (!marks[p].empty()) continue;
    Add(findings, Severity::kError, "missing-headquarters",
        "player " + std::to_string(p) + " has no headquarters (no vertex with object type " +
            "0x80 and object index " + std::to_string(p) + "): the game cannot start a match");
  }
  CheckDuplicates(marks, findings);
  CheckDistances(grid, marks, players, findings);
  CheckCastleSites(file, structure, marks, players, findings);
  CheckHeader(file, marks, players, findings);
}

void CheckHarbours(std::span<const std::uint8_t> file, const MapStructure& structure,
                   const MapLayers& layers, std::vector<Finding>& findings) {
  const auto has_bit = [](std::uint8_t byte) { return (byte & kHarbourFlag) != 0; };
  // A map without one of the layers that the quality reads has its missing-layer error.
  if (!HoldsLayers(layers) || std::none_of(layers.first.begin(), layers.first.end(), has_bit)) {
    return;
  }
  (void)file;
  const MapGrid grid(structure.width, structure.height);
  const VertexFacts facts = ReadVertexFacts(layers);
  const Seas seas = FindSeas(facts.around, grid.width(), grid.height());
  std::size_t dropped = 0;
  std::string where;
  for (std::size_t v = 0; v < layers.first.size(); ++v) {
    if (!has_bit(layers.first[v]) ||
        !HarbourSeas(facts.around, seas, grid.width(), grid.height(), v).empty()) {
      continue;
    }
    if (dropped < kMostListed) where += (dropped == 0 ? "" : ", ") + At(grid.PointOf(v));
    ++dropped;
  }
  if (dropped == 0) return;
  if (dropped > kMostListed) where += ", ...";
  Add(findings, Severity::kWarning, "harbour-without-sea",
      std::to_string(dropped) + (dropped == 1 ? " harbour place (" : " harbour places (") + where +
          ") with no coast on a sea of at least 21 points: the game drops " +
          (dropped == 1 ? "it" : "them"));
}

}  // namespace plandrix
