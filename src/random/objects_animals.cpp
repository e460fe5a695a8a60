#include "random/objects_animals.h"

#include <algorithm>
#include <array>
#include <bit>

#include "core/map_file.h"
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

// ANDed with a first draw: non-zero exactly when the vertex is passed by at once, which
// is never for an unlisted code (its warning comes before the draw).
constexpr std::array<std::uint8_t, 256> kPassMask = [] {
  std::array<std::uint8_t, 256> mask{};
  for (std::size_t code = 0; code < mask.size(); ++code) {
    mask[code] = terrain_detail::kTerrainClassOfCode[code] == terrain_detail::kUnlisted ? 0 : 3;
  }
  return mask;
}();

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
    for (std::uint32_t row = 0; row < modulus; ++row) rules.all_choices[offset + row] = table.choices[row];
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

}  // namespace

// The same draws, bytes and warnings as PlaceObjectsWith over RandomNumber, made faster:
// the first draws are tested in a tight loop over a block drawn ahead, and a hit is
// settled without branches on the draws. A vertex with an unlisted code, its own or a
// neighbour's, is left to the one-draw-at-a-time step, which prints its warnings in turn.
void PlaceObjects(std::span<std::uint8_t> image, std::size_t width, std::size_t height,
                  RandomSource& source, std::uint32_t seed, std::ostream& out) {
  const std::size_t n = width * height;
  if (image.size() >= MapLength(width, height)) {
    const auto terrain = Block(std::span<const std::uint8_t>(image), kTerrainBlock1, n);
    const auto object_index = Block(image, kObjectIndexBlock, n);
    const auto object_type = Block(image, kObjectTypeBlock, n);
    const std::uint8_t* codes = terrain.data();
    std::uint8_t* indices = object_index.data();
    std::uint8_t* types = object_type.data();
    const auto& classes = terrain_detail::kTerrainClassOfCode;
    DrawAhead ahead(source, seed);
    std::size_t i = 0;
    while (i < n) {
      ahead.Reserve(kObjectRunDraws);
      // A run of vertices that the waiting draws cover whatever the draws turn out to be.
      const std::size_t run_end = i + std::min(n - i, ahead.Waiting() / kMostObjectDraws);
      const std::uint32_t* const first = ahead.WaitingDraws();
      const std::uint32_t* next = first;
      while (i < run_end) {
        // Passes by the vertices whose first draw has low bits other than 0, eight at a
        // time where eight are left: the lanes are vertices and draws alike, one draw
        // each, and counting the lanes passed needs no branch per vertex.
        if (run_end - i >= 8) {
          std::uint32_t stops = 0;
          for (unsigned lane = 0; lane < 8; ++lane) {
            stops |= static_cast<std::uint32_t>((next[lane] & kPassMask[codes[i + lane]]) == 0)
                     << lane;
          }
          const auto passed = static_cast<std::size_t>(std::countr_zero(stops | 0x100U));
          i += passed;
          next += passed;
          if (passed == 8) continue;
        } else if ((next[0] & kPassMask[codes[i]]) != 0) {
          ++i;
          ++next;
          continue;
        }
        const std::uint8_t terrain_class = classes[codes[i]];
        if (terrain_class == terrain_detail::kUnlisted) break;
        bool picked = false;
        ObjectChoice choice{};
        if (terrain_class == kWaterClass) {
          if (i <= 2 * width || i + 2 * width >= n) {
            next += 2;
            ++i;
            continue;
          }
          const std::uint8_t east = classes[codes[i + 2]];
          const std::uint8_t west = classes[codes[i - 2]];
          const std::uint8_t north = classes[codes[i - 2 * width]];
          const std::uint8_t south = classes[codes[i + 2 * width]];
          if ((east == terrain_detail::kUnlisted) | (west == terrain_detail::kUnlisted) |
              (north == terrain_detail::kUnlisted) | (south == terrain_detail::kUnlisted)) {
            break;
          }
          picked = (east != kWaterClass) | (west != kWaterClass) | (north != kWaterClass) |
                   (south != kWaterClass);
          choice = objects_detail::kShoreObjects[next[1] % 6];
        } else {
          const LandRule& rule = kLandRules.by_class[terrain_class];
          if (rule.modulus == 0) {
            ++next;
            ++i;
            continue;
          }
          // The remainder of the draw read as a signed number stands only when it is not
          // negative: for a negative draw, only when it divides evenly (giving row 0).
          const std::uint32_t draw = next[1];
          const bool negative = (draw >> 31) != 0;
          const std::uint32_t magnitude = negative ? 0U - draw : draw;
          const std::uint32_t remainder = Remainder(magnitude, rule.magic, rule.modulus);
          picked = !negative | (remainder == 0);
          choice = kLandRules.all_choices[rule.offset + (negative ? 0 : remainder)];
        }
        // Whether a pick stands is a coin toss, so it decides the bytes without a branch.
        // Whether a chance draw follows is mostly foreseeable (most objects have none), and
        // a branch lets the next vertices start before the pick is worked out.
        bool placed = picked;
        if (picked & (choice.chance != 0)) [[unlikely]] {
          placed = IsMultiple(next[2], kChanceMagic[choice.chance]);
          next += 3;
        } else {
          next += 2;
        }
        const auto keep = static_cast<std::uint8_t>(placed ? 0x00 : 0xFF);
        indices[i] = static_cast<std::uint8_t>((indices[i] & keep) | (choice.index & ~keep));
        types[i] = static_cast<std::uint8_t>((types[i] & keep) |
                                             (objects_detail::kObjectType & ~keep));
        ++i;
      }
      ahead.Consume(static_cast<std::size_t>(next - first));
      if (i < run_end) {
        PlaceObjectAt(object_index, object_type, terrain, i, width, TerrainClassAt(terrain, i, out),
                      ahead, out);
        ++i;
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

void RandomObjectsTool(Console& console, ProgramState& state) {
  InputFile file;
  std::optional<MapImage> loaded = LoadMap(console.in, console.out, file);
  if (!loaded) return;
  const std::span<std::uint8_t> image(*loaded);
  const std::size_t width = MapWidth(image);
  const std::size_t height = MapHeight(image);
  WarnLargeMap(console.out, width, height);

  // A typed seed only replaces the shared seed; the source is not restarted, so it
  // decides the result only while nothing has been drawn in this program run.
  if (AskYesNo(console, "Use own userseed? (1 = yes, else = no)")) {
    state.shared_seed = AskSeed(console.in, console.out);
  }
  // Fixed order: later passes overwrite blocks 5 and 6 where earlier ones wrote.
  if (AskYesNo(console, "Place Trees? (1 = yes, else = no)")) {
    PlaceTrees(image, width, height, state.random, state.shared_seed, console.out);
  }
  if (AskYesNo(console, "Place Objects? (1 = yes, else = no)")) {
    PlaceObjects(image, width, height, state.random, state.shared_seed, console.out);
  }
  if (AskYesNo(console, "Place Granite? (1 = yes, else = no)")) {
    PlaceGranite(image, width, height, state.random, state.shared_seed, console.out);
  }
  if (AskYesNo(console, "Place Animals? (1 = yes, else = no)")) {
    PlaceAnimals(image, width, height, state.random, state.shared_seed, console.out);
  }
  if (AskYesNo(console, "Place Resources? (1 = yes, else = no)")) {
    PlaceResources(image, width, height);
  }
  const std::array<const InputFile*, 1> inputs = {&file};
  SaveMap(console.out, image, file.name, inputs);
}

}  // namespace plandrix
