#include "random/objects_animals.h"

#include <algorithm>
#include <array>
#include <bit>
#include <utility>

#include "core/byte_lanes.h"
#include "random/draw_ahead.h"
#include "random/resources.h"
#include "random/trees_granite.h"

namespace plandrix {

namespace {

using objects_detail::ObjectChoice;

// The most draws one vertex takes: the first test, the pick, the chance.
constexpr std::size_t kMostObjectDraws = 3;
// Draws kept waiting before a run of vertices, so that a run is never short.
constexpr std::size_t kObjectRunDraws = 768;

// Divisibility constants of the chances by chance.
constexpr std::array<std::uint64_t, 256> kChanceMagic = [] {
  std::array<std::uint64_t, 256> magic{};
  for (std::size_t chance = 1; chance < magic.size(); ++chance) {
    magic[chance] = DivisibilityMagic(static_cast<std::uint32_t>(chance));
  }
  return magic;
}();

// How a hit on a land class picks its object: the modulus of its table (0 for a class
// without objects, which makes no pick draw), the division constant of the modulus, and
// where its choices start in kAllChoices.
struct LandRule {
  std::uint32_t modulus = 0;
  std::uint64_t magic = 0;
  std::uint32_t offset = 0;
};

struct LandRules {
  std::array<LandRule, 256> by_class{};
  std::array<ObjectChoice, 19 * 22> all_choices{};
};

constexpr LandRules kLandRules = [] {
  LandRules rules;
  std::uint32_t offset = 0;
  for (std::size_t c = 0; c < objects_detail::kObjectTables.size(); ++c) {
    const auto& table = objects_detail::kObjectTables[c];
    if (table.modulus <= 0) continue;
    const auto modulus = static_cast<std::uint32_t>(table.modulus);
    rules.by_class[c] = {modulus, DivisibilityMagic(modulus), offset};
    for (std::uint32_t row = 0; row < modulus; ++row)
      rules.all_choices[offset + row] = table.choices[row];
    offset += modulus;
  }
  return rules;
}();

// n mod d for a 32-bit n and a divisor below 2^16 from magic = DivisibilityMagic(d): the
// low 64 bits of n * magic, times d, have the remainder in their top 64 bits.
inline std::uint32_t Remainder(std::uint32_t n, std::uint64_t magic, std::uint32_t divisor) {
  const std::uint64_t fraction = magic * n;
  const std::uint64_t low = (fraction & 0xFFFFFFFF) * divisor;
  const std::uint64_t high = (fraction >> 32) * divisor + (low >> 32);
  return static_cast<std::uint32_t>(high >> 32);
}

// Whether every code is listed. Eight codes at a time pass when all are below 23 and none
// is 17 (the codes of painted maps); other words are looked up code by code.
bool AllCodesListed(std::span<const std::uint8_t> codes) {
  const auto& classes = terrain_detail::kTerrainClassOfCode;
  std::size_t i = 0;
  for (; i + 8 <= codes.size(); i += 8) {
    const std::uint64_t eight = LoadEightBytes(codes.data() + i);
    // A lane's high bit is set by adding 105 exactly when the lane is above 22, or when it
    // was 128 or more already; a lane of 17 becomes 0 after the XOR, found the usual way.
    const std::uint64_t above_22 = ((eight + 105 * kLaneOnes) | eight) & (0x80 * kLaneOnes);
    const std::uint64_t seventeen = eight ^ (17 * kLaneOnes);
    const std::uint64_t zero_lane = (seventeen - kLaneOnes) & ~seventeen & (0x80 * kLaneOnes);
    if ((above_22 | zero_lane) == 0) continue;
    for (std::size_t k = i; k < i + 8; ++k) {
      if (classes[codes[k]] == terrain_detail::kUnlisted) return false;
    }
  }
  for (; i < codes.size(); ++i) {
    if (classes[codes[i]] == terrain_detail::kUnlisted) return false;
  }
  return true;
}

// stops[p] is 1 when draw p has its low two bits 0: where the vertex that meets it gets a
// closer look. A plain loop of byte flags, which the compiler turns into a few vector
// operations per 16 draws.
void MarkStops(const std::uint32_t* draws, std::size_t count, std::uint8_t* stops) {
  for (std::size_t p = 0; p < count; ++p) stops[p] = (draws[p] & 3) == 0 ? 1 : 0;
}

// How many of the eight flags from stops on are 0 before the first 1 (8 when all are).
std::size_t ZerosBeforeFirstFlag(const std::uint8_t* stops) {
  const std::uint64_t eight = LoadEightBytes(stops);
  if (eight == 0) return 8;
  const int zero_bits = std::endian::native == std::endian::little ? std::countr_zero(eight)
                                                                   : std::countl_zero(eight);
  return static_cast<std::size_t>(zero_bits) / 8;
}

// The object of vertex i, whose first draw had its low two bits 0, from its next draws at
// next; codes are all listed. Returns how many draws the vertex took in all.
std::size_t ScatterListedObjectAt(const std::uint8_t* codes, std::size_t n, std::size_t width,
                                  std::size_t i, const std::uint32_t* next, std::uint8_t* indices,
                                  std::uint8_t* types) {
  const auto& classes = terrain_detail::kTerrainClassOfCode;
  const std::uint8_t terrain_class = classes[codes[i]];
  bool picked = false;
  ObjectChoice choice{};
  if (terrain_class == kWaterClass) {
    // Shore water only, away from the top and bottom edges (see ScatterObjectAt).
    if (i > 2 * width && i + 2 * width < n) {
      const auto land = [&](std::size_t at) {
        return static_cast<unsigned>(classes[codes[at]] != kWaterClass);
      };
      picked = (land(i + 2) | land(i - 2) | land(i - 2 * width) | land(i + 2 * width)) != 0;
    }
    choice = objects_detail::kShoreObjects[next[1] % 6];
  } else {
    const LandRule& rule = kLandRules.by_class[terrain_class];
    if (rule.modulus == 0) return 1;  // no objects: no pick draw
    // The remainder of the draw read as a signed number stands only when it is not
    // negative: for a negative draw, only when it divides evenly (giving row 0).
    const std::uint32_t draw = next[1];
    const bool negative = (draw >> 31) != 0;
    const std::uint32_t magnitude = negative ? 0U - draw : draw;
    const std::uint32_t remainder = Remainder(magnitude, rule.magic, rule.modulus);
    picked = (static_cast<unsigned>(!negative) | static_cast<unsigned>(remainder == 0)) != 0;
    choice = kLandRules.all_choices[rule.offset + (negative ? 0 : remainder)];
  }
  // Whether a pick stands is a coin toss, so it decides the bytes without a branch.
  // Whether a chance draw follows is mostly foreseeable (most objects have none), and a
  // branch lets the next vertices start before the pick is worked out.
  bool placed = picked;
  std::size_t used = 2;
  if (picked && choice.chance != 0) [[unlikely]] {
    placed = IsMultiple(next[2], kChanceMagic[choice.chance]);
    used = 3;
  }
  const auto keep = static_cast<std::uint8_t>(placed ? 0x00 : 0xFF);
  indices[i] = static_cast<std::uint8_t>((indices[i] & keep) | (choice.index & ~keep));
  types[i] = static_cast<std::uint8_t>((types[i] & keep) | (objects_detail::kObjectType & ~keep));
  return used;
}

// PlaceObjects on a map whose codes are all listed, so that no warning can come between
// two draws. The stopping draws of a block drawn ahead are marked in a bitmap; as every
// vertex passed by takes one draw, the next vertex to look at is as far on as the next
// marked draw, found with one count of trailing zeros. A vertex looked at works out its
// pick with a division by multiplication and decides its bytes without branches.
void PlaceObjectsOnListedTerrain(std::span<const std::uint8_t> terrain, std::size_t width,
                                 std::uint8_t* indices, std::uint8_t* types, DrawAhead& ahead) {
  const std::size_t n = terrain.size();
  // Sixteen flags more than a full block, always 0, so that a window may reach past the
  // waiting draws.
  std::array<std::uint8_t, DrawAhead::kCapacity + 16> stops{};
  std::size_t i = 0;
  while (i < n) {
    // Every vertex left takes at least one draw.
    ahead.Reserve(std::min(kObjectRunDraws, std::max(kMostObjectDraws, n - i)), n - i);
    const std::uint32_t* const draws = ahead.WaitingDraws();
    const std::size_t waiting = ahead.Waiting();
    MarkStops(draws, waiting, stops.data());
    std::fill(stops.begin() + static_cast<std::ptrdiff_t>(waiting), stops.end(), std::uint8_t{0});
    // A vertex may start at draw `last` at the latest, so that its three draws wait.
    const std::size_t last = waiting - kMostObjectDraws;
    std::size_t p = 0;
    while (i < n && p <= last) {
      // The vertices passed by before the next flag among the next sixteen draws.
      const std::size_t near = ZerosBeforeFirstFlag(stops.data() + p);
      const std::size_t passed = near < 8 ? near : 8 + ZerosBeforeFirstFlag(stops.data() + p + 8);
      const std::size_t room = std::min(n - i, last + 1 - p);
      if (passed >= room) {
        i += room;
        p += room;
        continue;
      }
      i += passed;
      p += passed;
      if (passed == 16) continue;
      p += ScatterListedObjectAt(terrain.data(), n, width, i, draws + p, indices, types);
      ++i;
    }
    ahead.Consume(p);
  }
}

}  // namespace

// The same draws, bytes and warnings as PlaceObjectsWith over RandomNumber. On a map with
// unlisted codes, whose warnings come between the draws, it is that loop over a block
// drawn ahead; on other maps the faster loop above.
void PlaceObjects(std::span<std::uint8_t> image, std::size_t width, std::size_t height,
                  RandomSource& source, std::uint32_t seed, std::ostream& out) {
  if (const auto blocks = BlocksOf(image, width, height)) {
    const std::size_t n = blocks->n;
    const std::span<const std::uint8_t> terrain = blocks->first;
    const auto object_index = blocks->object_index;
    const auto object_type = blocks->object_type;
    DrawAhead ahead(source, seed);
    if (AllCodesListed(terrain)) {
      PlaceObjectsOnListedTerrain(terrain, width, object_index.data(), object_type.data(), ahead);
    } else {
      for (std::size_t i = 0; i < n; ++i) {
        ScatterObjectAt(object_index, object_type, terrain, i, width,
                        TerrainClassAt(terrain, i, out), ahead, out);
      }
    }
  }
  out << "You are now able to discover objects...\n";
}

void PlaceAnimals(std::span<std::uint8_t> image, std::size_t width, std::size_t height,
                  RandomSource& source, std::uint32_t seed, std::ostream& out) {
  PlaceAnimalsWith(
      image, width, height, [&] { return RandomNumber(source, seed, 0); }, out);
}

}  // namespace plandrix
