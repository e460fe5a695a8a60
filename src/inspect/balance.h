// Whether a map is fair and playable, by the game's own rules: the building quality of
// every vertex (building_quality.h), each player's home, what each home holds, how far
// the players are from each other and from the mountains, and who can reach whom.
//
// Players: those the game starts, the players below the header's count (at most 8)
// that have a headquarters mark (object type 0x80, the player as index); of two marks of
// one player the game takes the later in row order. Marks of players at or above the
// count are left out, and so is a player below the count without a mark (check reports
// it as an error).
//
// Homes: a walk from every headquarters at once (walking.h). Each vertex that can be
// walked on belongs to the headquarters that reaches it in the fewest steps, the lower
// player on a tie, up to the radius (24 steps by default); a headquarters' own vertex
// belongs to it even where it cannot be walked on. A vertex that cannot be walked on
// (granite, water, a blocking decoration...) and lies in no home joins the home of its
// neighbour that is in a home, can be walked on and has the fewest steps, the lower player
// on a tie, when those steps are below the radius: it lies one step beyond that
// neighbour, as the stones a stonemason takes and the fish a fisher catches do.
//
// Per home: `area` counts the vertices reached by the walk (the vertices joined to a home
// are not walked on); the sites count those vertices by building quality (a castle site is
// not also a house site; a harbour site is a harbour only); trees (those that give wood),
// stones (the sizes of the granite piles), coal, iron, gold and granite (the amounts 1 to 7
// of the resource bytes), fish and water (vertices with that resource) count over the
// whole home, joined vertices included.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/map_grid.h"
#include "inspect/building_quality.h"
#include "inspect/walking.h"

namespace plandrix {

inline constexpr std::uint32_t kDefaultHomeRadius = 24;

// ---- Players and homes ----

struct PlayerStart {
  std::uint8_t player = 0;
  Point at;
  friend bool operator==(const PlayerStart&, const PlayerStart&) = default;
};

// The players measured (see above), in player order. Empty when the image does not hold
// a whole map.
std::vector<PlayerStart> FindPlayerStarts(std::span<const std::uint8_t> image);

// The home of every vertex: the player, kNoHome in no home.
inline constexpr std::uint8_t kNoHome = 0xFF;

// The home of each vertex up to radius steps; facts are ReadVertexFacts(layers). Empty
// when the layers or facts do not hold the map.
LayerVector<std::uint8_t> FindHomes(const MapLayers& layers, const VertexFacts& facts,
                                    std::span<const PlayerStart> players, std::uint32_t radius);

// ---- The report ----

// A home's amounts, in the order of kMeasureNames.
enum class Measure : std::uint8_t {
  kArea,
  kCastle,
  kHouse,
  kHut,
  kMine,
  kHarbour,
  kTrees,
  kStones,
  kCoal,
  kIron,
  kGold,
  kGranite,
  kFish,
  kWaterVertices,  // "water": vertices with ground water
};
inline constexpr std::size_t kMeasureCount = 14;
inline constexpr std::array<std::string_view, kMeasureCount> kMeasureNames = {
    "area",   "castle", "house", "hut",  "mine",    "harbour", "trees",
    "stones", "coal",   "iron",  "gold", "granite", "fish",    "water"};

struct PlayerBalance {
  std::uint8_t player = 0;
  Point at;  // the headquarters
  std::array<std::uint64_t, kMeasureCount> amounts{};
  // Steps to the nearest other headquarters (as far as the ground goes), none when no
  // other can be walked to.
  std::optional<std::uint32_t> nearest;
  // Steps from the headquarters to the nearest mine site, none when none can be walked to.
  std::optional<std::uint32_t> mountain_distance;

  std::uint64_t Amount(Measure measure) const { return amounts[static_cast<std::size_t>(measure)]; }
};

// Weakest over strongest: exact, compared by cross products. A strongest of 0 (every
// player has none) is 1.
struct Ratio {
  std::uint64_t weakest = 0;
  std::uint64_t strongest = 0;
};
bool IsBelow(const Ratio& a, const Ratio& b);
// The ratio with three decimals, cut (not rounded) so that only equal amounts give 1.000:
// "0.666" for 2 / 3. Integer arithmetic only: the same text on every platform.
std::string RatioText(const Ratio& ratio);

// The measures compared between players: every amount, and castle + house together (the
// sites of the large buildings). The distances are left out: they are no amounts, and may
// have no value.
inline constexpr std::size_t kFairnessCount = kMeasureCount + 1;
inline constexpr std::size_t kCastleHouse = kMeasureCount;  // its place in Fairness::ratios
inline constexpr std::array<std::string_view, kFairnessCount> kFairnessNames = {
    "area", "castle", "house", "hut",     "mine", "harbour", "trees",       "stones",
    "coal", "iron",   "gold",  "granite", "fish", "water",   "castle_house"};
// The measures the overall fairness is the lowest of; on a tie, the first in this order
// names it.
inline constexpr std::array<std::size_t, 8> kOverallMeasures = {
    kCastleHouse,
    static_cast<std::size_t>(Measure::kMine),
    static_cast<std::size_t>(Measure::kTrees),
    static_cast<std::size_t>(Measure::kStones),
    static_cast<std::size_t>(Measure::kCoal),
    static_cast<std::size_t>(Measure::kIron),
    static_cast<std::size_t>(Measure::kGold),
    static_cast<std::size_t>(Measure::kGranite)};

struct Fairness {
  std::array<Ratio, kFairnessCount> ratios{};  // in the order of kFairnessNames
  Ratio overall;
  std::size_t weakest = kCastleHouse;  // the measure that sets overall
};

// Two players who cannot walk to each other (first below second), and whether both homes
// hold a harbour site on one sea, so that ships can join them.
struct UnreachablePair {
  std::uint8_t first = 0;
  std::uint8_t second = 0;
  bool shared_sea = false;
  friend bool operator==(const UnreachablePair&, const UnreachablePair&) = default;
};

struct BalanceReport {
  std::uint32_t radius = kDefaultHomeRadius;
  // The whole map's vertices by building quality, in the order of BuildingQuality.
  std::array<std::uint64_t, kQualityCount> sites{};
  std::vector<PlayerBalance> players;  // in player order
  // None for a map of fewer than two players: there is no one to compare with.
  std::optional<Fairness> fairness;
  std::vector<UnreachablePair> unreachable;  // in the order of first, then second
};

// The report of a whole map image (the landscape from its header, greenland for a byte the
// game refuses); none when the image does not hold a whole map of its stated size.
std::optional<BalanceReport> MeasureBalance(std::span<const std::uint8_t> image,
                                            std::uint32_t radius = kDefaultHomeRadius);

// The fairness of players' amounts; none for fewer than two players.
std::optional<Fairness> JudgeFairness(std::span<const PlayerBalance> players);

// ---- Output ----

// A line of the whole map's sites, a line naming the radius of the homes, a table of one
// line per player under a line of column names ("-" where a distance has no value), the
// fairness line (the overall ratio and the measure that sets it, then the ratio of each
// measure it is the lowest of), and a line per pair of players who cannot walk to each
// other or one saying that every player can walk to every other.
void PrintBalance(std::ostream& out, const BalanceReport& report);

// One JSON object on one line (no line end):
// {"file":NAME,"radius":R,"sites":{"castle":N,"house":N,"hut":N,"mine":N,"harbour":N,
//  "flag":N,"nothing":N},"players":[{"player":P,"x":X,"y":Y,"area":N,...,"water":N,
//  "nearest":N|null,"mountain_distance":N|null}],"fairness":{"area":R,...,
//  "castle_house":R,"overall":R,"weakest_measure":NAME}|null,
//  "unreachable":[[P,Q,true|false],...]}
// Ratios are numbers with three decimals (RatioText); fairness is null for fewer than two
// players.
std::string BalanceJson(const BalanceReport& report, std::string_view file_name);

}  // namespace plandrix
