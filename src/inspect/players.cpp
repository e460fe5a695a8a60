#include "inspect/players.h"

#include <algorithm>
#include <array>
#include <functional>
#include <limits>
#include <random>

#include "core/map_format.h"
#include "core/terrain.h"
#include "inspect/building_quality.h"

namespace plandrix::inspect {
namespace {

// At most this many candidate places are compared; a larger map is sampled on a grid.
constexpr std::size_t kMostCandidates = 8000;
// Room sizes tried, from the largest down, and farthest-point runs for each.
constexpr std::size_t kMostLevels = 8;
constexpr std::size_t kRestarts = 6;
// Room is counted up to this many steps: more is room enough for any headquarters.
constexpr std::uint8_t kMostRoom = 64;

MapGrid GridOf(std::span<const std::uint8_t> image) {
  return MapGrid(MapWidth(image), MapHeight(image));
}

// A place of the search: its vertex and the steps from it to the nearest vertex that is
// not open land (its room).
struct Place {
  Point at;
  std::size_t vertex;
  std::uint8_t room;
};

// The row above and below y and whether y is odd: the neighbours of (x, y) to the north
// and south are columns x - 1 and x of those rows in an even row, x and x + 1 in an odd one.
struct RowsAround {
  std::size_t up;
  std::size_t down;
  bool odd;
};
RowsAround RowsOf(const MapGrid& grid, std::size_t y) {
  return {(y == 0 ? grid.height() : y) - 1, y + 1 == grid.height() ? 0 : y + 1, (y & 1) != 0};
}

// Steps from each vertex to the nearest one that is not open land, up to kMostRoom: a
// forward and a backward sweep over the rows (a shortest walk on this grid uses at most
// two directions, one of each sweep), done twice so that walks across the map's wrapped
// edges are counted too. Rows are walked with their neighbours' columns worked out once,
// since a division per vertex would cost as much as the rest.
// room holds 1 for open land and 0 elsewhere on entry, the steps on return.
void SpreadRoom(const MapGrid& grid, std::vector<std::uint8_t>& room) {
  const std::size_t w = grid.width();
  for (std::uint8_t& r : room) r = r != 0 ? kMostRoom : 0;
  const auto relax = [&room](std::size_t v, std::size_t u) {
    room[v] = std::min(room[v], static_cast<std::uint8_t>(room[u] + 1));
  };
  for (int round = 0; round < 2; ++round) {
    for (std::size_t y = 0; y < grid.height(); ++y) {
      const RowsAround rows = RowsOf(grid, y);
      for (std::size_t x = 0; x < w; ++x) {
        const std::size_t left = x == 0 ? w - 1 : x - 1;
        const std::size_t right = x + 1 == w ? 0 : x + 1;
        const std::size_t v = y * w + x;
        relax(v, y * w + left);
        relax(v, rows.up * w + (rows.odd ? x : left));
        relax(v, rows.up * w + (rows.odd ? right : x));
      }
    }
    for (std::size_t y = grid.height(); y-- > 0;) {
      const RowsAround rows = RowsOf(grid, y);
      for (std::size_t x = w; x-- > 0;) {
        const std::size_t left = x == 0 ? w - 1 : x - 1;
        const std::size_t right = x + 1 == w ? 0 : x + 1;
        const std::size_t v = y * w + x;
        relax(v, y * w + right);
        relax(v, rows.down * w + (rows.odd ? right : x));
        relax(v, rows.down * w + (rows.odd ? x : left));
      }
    }
  }
}

// Castle sites with their room, every one or, on a large map, those on a grid.
std::vector<Place> CandidatePlaces(const MapGrid& grid, const std::vector<std::uint8_t>& room,
                                   const std::vector<std::uint8_t>& castle,
                                   std::size_t castle_count, std::size_t wanted) {
  std::size_t step = 1;
  while (castle_count / (step * step) > kMostCandidates) ++step;
  std::vector<Place> places;
  for (std::size_t pass = 0; pass < 2 && places.size() < wanted; ++pass) {
    places.clear();
    // Should the grid miss too many places, the second pass takes every one.
    const std::size_t every = pass == 0 ? step : 1;
    for (std::size_t y = 0; y < grid.height(); y += every) {
      for (std::size_t x = 0; x < grid.width(); x += every) {
        const std::size_t v = grid.Index({x, y});
        if (castle[v] != 0) places.push_back({{x, y}, v, room[v]});
      }
    }
  }
  return places;
}

// How good a set of places is: the steps between its nearest two, then the smallest room.
struct Score {
  std::size_t spread = 0;
  std::uint8_t room = 0;
  auto operator<=>(const Score&) const = default;
};

Score ScoreOf(const MapGrid& grid, const std::vector<Place>& chosen) {
  Score score{std::numeric_limits<std::size_t>::max(), kMostRoom};
  for (std::size_t i = 0; i < chosen.size(); ++i) {
    score.room = std::min(score.room, chosen[i].room);
    for (std::size_t j = i + 1; j < chosen.size(); ++j) {
      score.spread = std::min(score.spread, grid.Distance(chosen[i].at, chosen[j].at));
    }
  }
  return score;
}

// Farthest-point selection from start: each next place is the one farthest from all
// chosen so far (ties: the larger room, then the earlier vertex).
std::vector<Place> SpreadFrom(const MapGrid& grid, const std::vector<Place>& places,
                              std::size_t start, std::size_t count) {
  std::vector<Place> chosen = {places[start]};
  std::vector<std::size_t> nearest(places.size(), std::numeric_limits<std::size_t>::max());
  while (chosen.size() < count) {
    std::size_t best = places.size();
    for (std::size_t i = 0; i < places.size(); ++i) {
      nearest[i] = std::min(nearest[i], grid.Distance(places[i].at, chosen.back().at));
      if (nearest[i] == 0) continue;
      if (best == places.size() || nearest[i] > nearest[best] ||
          (nearest[i] == nearest[best] && places[i].room > places[best].room)) {
        best = i;
      }
    }
    if (best == places.size()) break;
    chosen.push_back(places[best]);
  }
  return chosen;
}

// Up to kMostLevels rooms of the places, largest first, spread over all of them.
std::vector<std::uint8_t> LevelsToTry(const std::vector<Place>& places) {
  std::vector<std::uint8_t> all;
  for (const Place& place : places) all.push_back(place.room);
  std::sort(all.begin(), all.end(), std::greater<>());
  all.erase(std::unique(all.begin(), all.end()), all.end());
  if (all.size() <= kMostLevels) return all;
  std::vector<std::uint8_t> levels;
  for (std::size_t i = 0; i < kMostLevels; ++i) {
    levels.push_back(all[i * (all.size() - 1) / (kMostLevels - 1)]);
  }
  return levels;
}

// The best of kRestarts farthest-point runs over places: the first from the roomiest
// place, the others from seeded draws.
std::pair<std::vector<Place>, Score> BestSpread(const MapGrid& grid,
                                                const std::vector<Place>& places, std::size_t count,
                                                std::mt19937& engine) {
  const auto roomiest = std::max_element(places.begin(), places.end(),
                                         [](auto& a, auto& b) { return a.room < b.room; });
  std::pair<std::vector<Place>, Score> best;
  for (std::size_t run = 0; run < kRestarts; ++run) {
    const std::size_t start =
        run == 0 ? static_cast<std::size_t>(roomiest - places.begin()) : engine() % places.size();
    std::vector<Place> chosen = SpreadFrom(grid, places, start, count);
    const Score score = ScoreOf(grid, chosen);
    if (best.first.empty() || score > best.second) best = {std::move(chosen), score};
  }
  return best;
}

// Moves each headquarters in turn to the place of the most room that keeps it at least
// min_spread steps from all others, where one has more room than it.
void WidenRoom(const MapGrid& grid, const std::vector<Place>& places, std::vector<Place>& chosen,
               std::size_t min_spread) {
  for (std::size_t i = 0; i < chosen.size(); ++i) {
    Place roomiest = chosen[i];
    for (const Place& place : places) {
      if (place.room <= roomiest.room) continue;
      bool apart = true;
      for (std::size_t j = 0; j < chosen.size() && apart; ++j) {
        apart = j == i || grid.Distance(place.at, chosen[j].at) >= min_spread;
      }
      if (apart) roomiest = place;
    }
    chosen[i] = roomiest;
  }
}

// The spread first, room as far as it allows: the largest room whose best spread comes
// within 4/5 of the best spread at any room, then each place moved to more room within
// that 4/5.
std::vector<Place> ChooseAmong(const MapGrid& grid, const std::vector<Place>& places,
                               std::size_t count, std::uint32_t seed) {
  // The draws of std::mt19937 are the same everywhere; only the raw numbers are used.
  std::mt19937 engine(seed);
  std::vector<std::pair<std::vector<Place>, Score>> by_level;
  for (const std::uint8_t level : LevelsToTry(places)) {
    std::vector<Place> subset;
    for (const Place& place : places) {
      if (place.room >= level) subset.push_back(place);
    }
    if (subset.size() >= count) by_level.push_back(BestSpread(grid, subset, count, engine));
  }
  std::size_t widest_spread = 0;
  for (const auto& level : by_level) widest_spread = std::max(widest_spread, level.second.spread);
  const std::size_t enough = count == 1 ? 0 : (widest_spread * 4 + 4) / 5;
  std::vector<Place> best;
  for (auto& [chosen, score] : by_level) {
    if (score.spread >= enough) {
      best = std::move(chosen);
      break;
    }
  }
  WidenRoom(grid, places, best, enough);
  return best;
}

std::optional<MapLayers> LayersOfImage(std::span<const std::uint8_t> image) {
  return LayersOf(image, LandscapeOf(image[kLandscapeOffset]).value_or(Landscape::kGreenland));
}

bool IsCastleSite(BuildingQuality quality) { return quality >= BuildingQuality::kCastle; }

// Castle sites and open land (1 for each), from one reading of the map's facts.
struct Sites {
  std::vector<std::uint8_t> castle;
  std::vector<std::uint8_t> open;
};
Sites FindSites(std::span<const std::uint8_t> image) {
  const auto layers = LayersOfImage(image);
  if (!layers) return {};
  const VertexFacts facts = ReadVertexFacts(*layers);
  const LayerVector<BuildingQuality> quality = ComputeBuildingQuality(*layers, facts);
  Sites sites{std::vector<std::uint8_t>(quality.size()), std::vector<std::uint8_t>(quality.size())};
  for (std::size_t v = 0; v < quality.size(); ++v) {
    sites.castle[v] = IsCastleSite(quality[v]) ? 1 : 0;
    sites.open[v] = (facts.around[v] & kNotAllBuildable) == 0 ? 1 : 0;
  }
  return sites;
}

// Takes the objects off each headquarters' vertex and its six neighbours, as SetPlayers
// does before it sets the marks.
void ClearGround(const MapGrid& grid, std::span<std::uint8_t> index, std::span<std::uint8_t> type,
                 std::span<const Point> headquarters) {
  for (const Point& at : headquarters) {
    for (const std::size_t v : grid.Neighbours(at)) {
      type[v] = 0;
      index[v] = 0;
    }
    type[grid.Index(at)] = 0;
    index[grid.Index(at)] = 0;
  }
}

// Whether position is a castle site once SetPlayers has set earlier and it.
bool IsCastleSiteOnceSet(std::span<const std::uint8_t> image, const MapGrid& grid,
                         std::span<const Point> earlier, Point position) {
  const std::size_t n = grid.size();
  const auto index_block = Block(image, kObjectIndexBlock, n);
  const auto type_block = Block(image, kObjectTypeBlock, n);
  LayerVector<std::uint8_t> index(index_block.begin(), index_block.end());
  LayerVector<std::uint8_t> type(type_block.begin(), type_block.end());
  std::vector<Point> set(earlier.begin(), earlier.end());
  set.push_back(position);
  ClearGround(grid, index, type, set);
  auto layers = LayersOfImage(image);
  if (!layers) return false;
  layers->object_index = index;
  layers->object_type = type;
  const LayerVector<BuildingQuality> quality = ComputeBuildingQuality(*layers);
  return !quality.empty() && IsCastleSite(quality[grid.Index(position)]);
}

}  // namespace

std::vector<std::uint8_t> FindCastleSites(std::span<const std::uint8_t> image) {
  return FindSites(image).castle;
}

std::size_t CountCastleSites(std::span<const std::uint8_t> image) {
  const std::vector<std::uint8_t> castle = FindCastleSites(image);
  return static_cast<std::size_t>(std::count(castle.begin(), castle.end(), 1));
}

std::vector<std::uint8_t> FindOpenLand(std::span<const std::uint8_t> image) {
  const MapGrid grid = GridOf(image);
  const std::size_t w = grid.width();
  const std::size_t n = grid.size();
  const auto first = Block(image, kTerrainBlock1, n);
  const auto second = Block(image, kTerrainBlock2, n);
  std::array<bool, 256> buildable{};
  for (std::size_t byte = 0; byte < buildable.size(); ++byte) {
    buildable[byte] = IsBuildable(static_cast<std::uint8_t>(byte));
  }
  std::vector<std::uint8_t> open(n);
  // The six triangles of (x, y): the first and second of the north-west neighbour, the
  // first of the north-east one, its own two and the second of the west one.
  for (std::size_t y = 0; y < grid.height(); ++y) {
    const RowsAround rows = RowsOf(grid, y);
    for (std::size_t x = 0; x < w; ++x) {
      const std::size_t left = x == 0 ? w - 1 : x - 1;
      const std::size_t right = x + 1 == w ? 0 : x + 1;
      const std::size_t north_west = rows.up * w + (rows.odd ? x : left);
      const std::size_t north_east = rows.up * w + (rows.odd ? right : x);
      const std::size_t v = y * w + x;
      open[v] = buildable[first[north_west]] && buildable[second[north_west]] &&
                        buildable[first[north_east]] && buildable[second[v]] &&
                        buildable[first[v]] && buildable[second[y * w + left]]
                    ? 1
                    : 0;
    }
  }
  return open;
}

std::size_t CountOpenLand(std::span<const std::uint8_t> image) {
  const std::vector<std::uint8_t> open = FindOpenLand(image);
  return static_cast<std::size_t>(std::count(open.begin(), open.end(), 1));
}

PlaceCheck CheckHeadquartersPlace(std::span<const std::uint8_t> image, Point position,
                                  std::span<const Point> earlier) {
  const MapGrid grid = GridOf(image);
  if (position.x >= grid.width() || position.y >= grid.height()) {
    return {PlaceProblem::kOutsideMap, 0};
  }
  if (std::find(earlier.begin(), earlier.end(), position) != earlier.end()) {
    return {PlaceProblem::kTaken, 0};
  }
  const std::size_t n = grid.size();
  const auto first = Block(image, kTerrainBlock1, n);
  const auto second = Block(image, kTerrainBlock2, n);
  for (const Triangle t : grid.TrianglesAround(position)) {
    const std::uint8_t byte = t.second ? second[t.vertex] : first[t.vertex];
    if (!IsWalkable(byte)) return {PlaceProblem::kUnusableGround, byte};
  }
  PlaceCheck check;
  check.castle_site = IsCastleSiteOnceSet(image, grid, earlier, position);
  return check;
}

std::optional<HeadquartersChoice> ChooseHeadquarters(std::span<const std::uint8_t> image,
                                                     std::size_t count, std::uint32_t seed) {
  const MapGrid grid = GridOf(image);
  if (count == 0) return HeadquartersChoice{};
  Sites sites = FindSites(image);
  const auto castle_count =
      static_cast<std::size_t>(std::count(sites.castle.begin(), sites.castle.end(), 1));
  if (castle_count < count) return std::nullopt;
  std::vector<std::uint8_t>& room = sites.open;
  SpreadRoom(grid, room);
  std::vector<Place> best = ChooseAmong(
      grid, CandidatePlaces(grid, room, sites.castle, castle_count, count), count, seed);
  std::sort(best.begin(), best.end(), [](auto& a, auto& b) { return a.vertex < b.vertex; });
  HeadquartersChoice choice;
  for (const Place& place : best) choice.positions.push_back(place.at);
  choice.nearest = NearestApart(grid, choice.positions);
  return choice;
}

std::size_t NearestApart(const MapGrid& grid, std::span<const Point> positions) {
  std::size_t nearest = positions.size() < 2 ? 0 : std::numeric_limits<std::size_t>::max();
  for (std::size_t i = 0; i < positions.size(); ++i) {
    for (std::size_t j = i + 1; j < positions.size(); ++j) {
      nearest = std::min(nearest, grid.Distance(positions[i], positions[j]));
    }
  }
  return nearest;
}

void SetPlayers(std::span<std::uint8_t> image, std::span<const Point> headquarters) {
  const MapGrid grid = GridOf(image);
  const std::size_t n = grid.size();
  const auto index = Block(image, kObjectIndexBlock, n);
  const auto type = Block(image, kObjectTypeBlock, n);
  for (std::size_t v = 0; v < n; ++v) {
    if (type[v] == kHeadquartersType) {
      type[v] = 0;
      index[v] = 0;
    }
  }
  const std::size_t players = std::min(headquarters.size(), kMostPlayers);
  image[kPlayerCountOffset] = static_cast<std::uint8_t>(players);
  for (std::size_t p = 0; p < kHeaderPlayerSlots; ++p) {
    const bool used = p < players;
    WriteU16(image, kHeadquartersXOffset + 2 * p, used ? headquarters[p].x : kUnusedSlot);
    WriteU16(image, kHeadquartersYOffset + 2 * p, used ? headquarters[p].y : kUnusedSlot);
  }
  // Trees, granite and other objects leave the ground around each headquarters first, so
  // that no clearing removes a headquarters set just before.
  ClearGround(grid, index, type, headquarters.first(players));
  for (std::size_t p = 0; p < players; ++p) {
    const std::size_t v = grid.Index(headquarters[p]);
    type[v] = kHeadquartersType;
    index[v] = static_cast<std::uint8_t>(p);
  }
}

}  // namespace plandrix::inspect
