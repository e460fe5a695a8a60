#include "inspect/players.h"

#include <algorithm>
#include <array>
#include <functional>
#include <limits>
#include <random>

#include "core/map_layout.h"
#include "random/terrain_classes.h"

namespace plandrix::inspect {
namespace {

constexpr std::array<std::uint8_t, 9> kOpenLandCodes = {0, 4, 7, 8, 9, 10, 14, 15, 18};
constexpr std::array<std::uint8_t, 8> kUnusableCodes = {2, 5, 6, 16, 19, 20, 21, 22};

// At most this many candidate places are compared; a larger map is sampled on a grid.
constexpr std::size_t kMostCandidates = 20000;
// Free radii tried, from the largest down, and farthest-point runs for each.
constexpr std::size_t kMostLevels = 16;
constexpr std::size_t kRestarts = 8;

bool HasCode(std::span<const std::uint8_t> codes, std::uint8_t byte) {
  return std::find(codes.begin(), codes.end(), TerrainCode(byte)) != codes.end();
}

// The six terrain bytes around (x, y) as the game gathers them, or nothing.
std::optional<std::array<std::uint8_t, 6>> SixTriangles(std::span<const std::uint8_t> image,
                                                        std::size_t x, std::size_t y) {
  const std::size_t width = MapWidth(image);
  const std::size_t height = MapHeight(image);
  const auto where = FindVertexTriangles(width, height, x, y);
  if (!where) return std::nullopt;
  const std::size_t n = width * height;
  const auto first = Block(image, kTerrainBlock1, n);
  const auto second = Block(image, kTerrainBlock2, n);
  return std::array<std::uint8_t, 6>{first[where->first[0]],   first[where->first[1]],
                                     first[where->first[2]],   second[where->second[0]],
                                     second[where->second[1]], second[where->second[2]]};
}

// A place of the search: its vertex, its position in half vertices (odd rows lie half a
// vertex to the right) and its free radius in vertices.
struct Place {
  std::size_t vertex;
  std::int64_t px;
  std::int64_t py;
  std::uint32_t clearance;
};

std::uint64_t DistanceSquared(const Place& a, const Place& b) {
  const std::int64_t dx = a.px - b.px;
  const std::int64_t dy = a.py - b.py;
  return static_cast<std::uint64_t>(dx * dx + dy * dy);
}

// Steps from each vertex to the nearest vertex that is not open land (0 on such ground),
// through the six neighbours; "far" everywhere on a map without such ground.
std::vector<std::uint32_t> StepsFromClosedGround(std::span<const std::uint8_t> image,
                                                 const std::vector<std::uint8_t>& open) {
  const std::size_t width = MapWidth(image);
  const std::size_t height = MapHeight(image);
  constexpr std::uint32_t kFar = std::numeric_limits<std::uint32_t>::max();
  std::vector<std::uint32_t> steps(open.size(), kFar);
  std::vector<std::size_t> frontier;
  for (std::size_t v = 0; v < open.size(); ++v) {
    if (open[v] == 0) {
      steps[v] = 0;
      frontier.push_back(v);
    }
  }
  std::vector<std::size_t> next;
  std::array<Vertex, 6> neighbours{};
  for (std::uint32_t level = 1; !frontier.empty(); ++level) {
    next.clear();
    for (std::size_t v : frontier) {
      const std::size_t count = NeighboursOf(v % width, v / width, width, height, neighbours);
      for (std::size_t i = 0; i < count; ++i) {
        const std::size_t u = VertexIndex(neighbours[i].x, neighbours[i].y, width);
        if (steps[u] != kFar) continue;
        steps[u] = level;
        next.push_back(u);
      }
    }
    frontier.swap(next);
  }
  return steps;
}

// Open-land places with their free radius: the steps to closed ground or past the edge.
std::vector<Place> CandidatePlaces(std::span<const std::uint8_t> image,
                                   const std::vector<std::uint8_t>& open, std::size_t open_count,
                                   std::size_t wanted) {
  const std::size_t width = MapWidth(image);
  const std::size_t height = MapHeight(image);
  const std::vector<std::uint32_t> steps = StepsFromClosedGround(image, open);
  std::size_t grid = 1;
  while (open_count / (grid * grid) > kMostCandidates) ++grid;
  std::vector<Place> places;
  for (std::size_t pass = 0; pass < 2 && places.size() < wanted; ++pass) {
    places.clear();
    // Should the grid miss too many places, the second pass takes every one.
    const std::size_t step = pass == 0 ? grid : 1;
    for (std::size_t y = 0; y < height; y += step) {
      for (std::size_t x = 0; x < width; x += step) {
        const std::size_t v = VertexIndex(x, y, width);
        if (open[v] == 0) continue;
        const std::size_t edge = 1 + std::min({x, y, width - 1 - x, height - 1 - y});
        const auto clearance = static_cast<std::uint32_t>(std::min<std::size_t>(steps[v], edge));
        places.push_back({v, static_cast<std::int64_t>(2 * x + y % 2),
                          static_cast<std::int64_t>(2 * y), clearance});
      }
    }
  }
  return places;
}

// How good a set of places is: the smallest distance between two of them (squared, in
// half vertices; unbounded for one place), then the smallest free radius among them.
struct Score {
  std::uint64_t spread = 0;
  std::uint32_t clearance = 0;
  auto operator<=>(const Score&) const = default;
};

Score ScoreOf(const std::vector<Place>& chosen) {
  Score score{std::numeric_limits<std::uint64_t>::max(), std::numeric_limits<std::uint32_t>::max()};
  for (std::size_t i = 0; i < chosen.size(); ++i) {
    score.clearance = std::min(score.clearance, chosen[i].clearance);
    for (std::size_t j = i + 1; j < chosen.size(); ++j) {
      score.spread = std::min(score.spread, DistanceSquared(chosen[i], chosen[j]));
    }
  }
  return score;
}

// Farthest-point selection from start: each next place is the one farthest from all
// chosen so far (ties: the larger free radius, then the earlier vertex).
std::vector<Place> SpreadFrom(const std::vector<Place>& places, std::size_t start,
                              std::size_t count) {
  std::vector<Place> chosen = {places[start]};
  std::vector<std::uint64_t> nearest(places.size(), std::numeric_limits<std::uint64_t>::max());
  while (chosen.size() < count) {
    std::size_t best = places.size();
    for (std::size_t i = 0; i < places.size(); ++i) {
      nearest[i] = std::min(nearest[i], DistanceSquared(places[i], chosen.back()));
      if (nearest[i] == 0) continue;
      if (best == places.size() || nearest[i] > nearest[best] ||
          (nearest[i] == nearest[best] && places[i].clearance > places[best].clearance)) {
        best = i;
      }
    }
    if (best == places.size()) break;
    chosen.push_back(places[best]);
  }
  return chosen;
}

}  // namespace

std::size_t NeighboursOf(std::size_t x, std::size_t y, std::size_t width, std::size_t height,
                         std::array<Vertex, 6>& neighbours) {
  // Column offsets (+1 so they stay unsigned) of the rows above and below: an even row's
  // neighbours there are x - 1 and x, an odd row's x and x + 1.
  const std::size_t left = y % 2 == 0 ? 0 : 1;
  const std::array<std::array<std::size_t, 2>, 6> steps = {
      {{0, 1}, {2, 1}, {left, 0}, {left + 1, 0}, {left, 2}, {left + 1, 2}}};
  std::size_t count = 0;
  for (const auto& [dx, dy] : steps) {
    if (x + dx < 1 || y + dy < 1) continue;
    const std::size_t nx = x + dx - 1;
    const std::size_t ny = y + dy - 1;
    if (nx < width && ny < height) neighbours[count++] = {nx, ny};
  }
  return count;
}

PlaceCheck CheckHeadquartersPlace(std::span<const std::uint8_t> image, Vertex position,
                                  std::span<const Vertex> earlier) {
  if (position.x >= MapWidth(image) || position.y >= MapHeight(image)) {
    return {PlaceProblem::kOutsideMap, 0};
  }
  for (const Vertex& other : earlier) {
    if (other.x == position.x && other.y == position.y) return {PlaceProblem::kTaken, 0};
  }
  const auto six = SixTriangles(image, position.x, position.y);
  if (!six) return {PlaceProblem::kNoTriangles, 0};
  for (std::uint8_t byte : *six) {
    if (HasCode(kUnusableCodes, byte)) {
      return {PlaceProblem::kUnusableGround, TerrainCode(byte)};
    }
  }
  return {};
}

bool IsOpenLand(std::span<const std::uint8_t> image, std::size_t x, std::size_t y) {
  const auto six = SixTriangles(image, x, y);
  return six && std::all_of(six->begin(), six->end(),
                            [](std::uint8_t byte) { return HasCode(kOpenLandCodes, byte); });
}

std::size_t CountOpenLand(std::span<const std::uint8_t> image) {
  std::size_t count = 0;
  for (std::size_t y = 0; y < MapHeight(image); ++y) {
    for (std::size_t x = 0; x < MapWidth(image); ++x) count += IsOpenLand(image, x, y) ? 1 : 0;
  }
  return count;
}

namespace {

// Up to kMostLevels free radii of the places, largest first, spread over all of them.
std::vector<std::uint32_t> LevelsToTry(const std::vector<Place>& places) {
  std::vector<std::uint32_t> all;
  for (const Place& place : places) all.push_back(place.clearance);
  std::sort(all.begin(), all.end(), std::greater<>());
  all.erase(std::unique(all.begin(), all.end()), all.end());
  if (all.size() <= kMostLevels) return all;
  std::vector<std::uint32_t> levels;
  for (std::size_t i = 0; i < kMostLevels; ++i) {
    levels.push_back(all[i * (all.size() - 1) / (kMostLevels - 1)]);
  }
  return levels;
}

// The best of kRestarts farthest-point runs over places: the first from the most open
// place, the others from seeded draws.
std::pair<std::vector<Place>, Score> BestSpread(const std::vector<Place>& places, std::size_t count,
                                                std::mt19937& engine) {
  const auto widest = std::max_element(places.begin(), places.end(),
                                       [](auto& a, auto& b) { return a.clearance < b.clearance; });
  std::pair<std::vector<Place>, Score> best;
  for (std::size_t run = 0; run < kRestarts; ++run) {
    const std::size_t start =
        run == 0 ? static_cast<std::size_t>(widest - places.begin()) : engine() % places.size();
    std::vector<Place> chosen = SpreadFrom(places, start, count);
    const Score score = ScoreOf(chosen);
    if (best.first.empty() || score > best.second) best = {std::move(chosen), score};
  }
  return best;
}

// Moves each headquarters in turn to the place of the largest free radius that keeps it
// at least min_spread (squared, in half vertices) from all others, where one has more
// room than it.
void WidenRoom(const std::vector<Place>& places, std::vector<Place>& chosen,
               std::uint64_t min_spread) {
  for (std::size_t i = 0; i < chosen.size(); ++i) {
    Place roomiest = chosen[i];
    for (const Place& place : places) {
      if (place.clearance <= roomiest.clearance) continue;
      bool apart = true;
      for (std::size_t j = 0; j < chosen.size() && apart; ++j) {
        apart = j == i || DistanceSquared(place, chosen[j]) >= min_spread;
      }
      if (apart) roomiest = place;
    }
    chosen[i] = roomiest;
  }
}

}  // namespace

std::optional<std::vector<Vertex>> ChooseHeadquarters(std::span<const std::uint8_t> image,
                                                      std::size_t count, std::uint32_t seed) {
  const std::size_t width = MapWidth(image);
  const std::size_t height = MapHeight(image);
  if (count == 0) return std::vector<Vertex>{};
  std::vector<std::uint8_t> open(width * height);
  std::size_t open_count = 0;
  for (std::size_t v = 0; v < open.size(); ++v) {
    open[v] = IsOpenLand(image, v % width, v / width) ? 1 : 0;
    open_count += open[v];
  }
  if (open_count < count) return std::nullopt;
  const std::vector<Place> places = CandidatePlaces(image, open, open_count, count);
  // The draws of std::mt19937 are the same everywhere; only the raw numbers are used.
  std::mt19937 engine(seed);
  // The best spread found among the places of at least each free radius, largest first.
  std::vector<std::pair<std::vector<Place>, Score>> by_level;
  for (std::uint32_t level : LevelsToTry(places)) {
    std::vector<Place> subset;
    for (const Place& place : places) {
      if (place.clearance >= level) subset.push_back(place);
    }
    if (subset.size() < count) continue;
    by_level.push_back(BestSpread(subset, count, engine));
  }
  // The widest free radius whose spread comes within 4/5 of the best spread on any
  // radius: distance between players first, room around them as far as that allows.
  std::uint64_t widest_spread = 0;
  for (const auto& level : by_level) widest_spread = std::max(widest_spread, level.second.spread);
  std::vector<Place> best;
  for (auto& [chosen, score] : by_level) {
    const long double ratio = static_cast<long double>(score.spread) / widest_spread;
    if (25 * ratio >= 16) {
      best = std::move(chosen);
      break;
    }
  }
  // Then room: each may move to a more open place within the same 4/5 of the best spread.
  WidenRoom(places, best, count == 1 ? 0 : (widest_spread * 16 + 24) / 25);
  std::sort(best.begin(), best.end(), [](auto& a, auto& b) { return a.vertex < b.vertex; });
  std::vector<Vertex> positions;
  for (const Place& place : best) positions.push_back({place.vertex % width, place.vertex / width});
  return positions;
}

void SetPlayers(std::span<std::uint8_t> image, std::span<const Vertex> headquarters) {
  const std::size_t width = MapWidth(image);
  const std::size_t height = MapHeight(image);
  const std::size_t n = width * height;
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
  std::array<Vertex, 6> neighbours{};
  for (std::size_t p = 0; p < players; ++p) {
    const Vertex& at = headquarters[p];
    const std::size_t count = NeighboursOf(at.x, at.y, width, height, neighbours);
    for (std::size_t i = 0; i < count; ++i) {
      const std::size_t v = VertexIndex(neighbours[i].x, neighbours[i].y, width);
      type[v] = 0;
      index[v] = 0;
    }
  }
  for (std::size_t p = 0; p < players; ++p) {
    const std::size_t v = VertexIndex(headquarters[p].x, headquarters[p].y, width);
    type[v] = kHeadquartersType;
    index[v] = static_cast<std::uint8_t>(p);
  }
}

}  // namespace plandrix::inspect
