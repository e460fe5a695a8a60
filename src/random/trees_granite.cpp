#include "random/trees_granite.h"

#include <algorithm>
#include <array>

#include "random/draw_ahead.h"

namespace plandrix {
namespace {

// The most draws one vertex takes: chance, kind, variant.
constexpr std::size_t kMostTreeDraws = 3;
// Draws kept waiting before a run of vertices, so that a run is never short.
constexpr std::size_t kTreeRunDraws = 768;

// How a vertex's block-2 code decides its chance draw, in a form that one comparison
// tests: the vertex needs a closer look when draw * magic (modulo 2^64) < limit. For a
// chance c, magic and limit are DivisibilityMagic(c), which makes the test "the draw is a
// multiple of c"; codes without a draw have 0 and 0 (never), unlisted ones 0 and 1
// (always, for the warning). Three flat tables, so that each is one indexed load.
struct TreeCodeRules {
  std::array<std::uint64_t, 256> magic{};
  std::array<std::uint64_t, 256> limit{};
  std::array<std::size_t, 256> draws{};
};

constexpr TreeCodeRules kTreeCodeRules = [] {
  TreeCodeRules rules;
  for (std::size_t code = 0; code < 256; ++code) {
    const std::uint8_t terrain_class = terrain_detail::kTerrainClassOfCode[code];
    if (terrain_class == terrain_detail::kUnlisted) {
      rules.limit[code] = 1;
    } else if (trees_detail::kTreeChance[terrain_class] != 0) {
      rules.magic[code] = DivisibilityMagic(trees_detail::kTreeChance[terrain_class]);
      rules.limit[code] = rules.magic[code];
      rules.draws[code] = 1;
    }
  }
  return rules;
}();

// Places the trees of vertices i to run_end - 1 from the draws at next, which cover them
// whatever the draws turn out to be. Stops early at an unlisted code, to be reported by
// the caller. Returns the vertex it stopped at; next is left at the first unused draw.
std::size_t PlaceTreeRun(const std::uint8_t* codes, std::uint8_t* indices, std::uint8_t* types,
                         std::size_t i, std::size_t run_end, const std::uint32_t*& next) {
  for (; i < run_end; ++i) {
    const std::uint8_t code = codes[i];
    // One test for the common cases (a miss, or no draw at all), so that only a hit,
    // which no predictor can foresee, costs a jump.
    if (std::uint64_t{*next} * kTreeCodeRules.magic[code] >= kTreeCodeRules.limit[code])
        [[likely]] {
      next += kTreeCodeRules.draws[code];
      continue;
    }
    // An unlisted code ends the run: with no call in it, the loop keeps all it needs in
    // registers.
    if (kTreeCodeRules.draws[code] == 0) break;
    const trees_detail::TreeKind tree =
        trees_detail::TreeAfterHit(terrain_detail::kTerrainClassOfCode[code], next[1]);
    if (tree.type == 0) {
      next += 2;
      continue;
    }
    indices[i] = static_cast<std::uint8_t>(tree.base + (next[2] & 7));
    types[i] = tree.type;
    next += 3;
  }
  return i;
}

// From an unlisted code at i, reports the unlisted codes up to the next vertex that draws
// (a map of unlisted codes warns for every vertex, and needs no new run for each).
// Returns that vertex.
std::size_t WarnUpToNextDraw(const std::uint8_t* codes, std::size_t i, std::size_t n,
                             std::ostream& out) {
  terrain_detail::UnlistedCodeWarnings warnings(out);
  do {
    if (terrain_detail::kTerrainClassOfCode[codes[i]] == terrain_detail::kUnlisted) {
      warnings.Add(i, codes[i]);
    }
    ++i;
  } while (i < n && kTreeCodeRules.draws[codes[i]] == 0);
  return i;
}

}  // namespace

// The same draws and bytes as PlaceTreesWith over RandomNumber, made faster: the chance
// draws are tested in a tight loop over a block drawn ahead, which only a hit leaves.
void PlaceTrees(std::span<std::uint8_t> image, std::size_t width, std::size_t height,
                RandomSource& source, std::uint32_t seed, std::ostream& out) {
  if (const auto blocks = BlocksOf(image, width, height)) {
    const std::size_t n = blocks->n;
    const std::uint8_t* codes = blocks->first.data();
    DrawAhead ahead(source, seed);
    std::size_t i = 0;
    // Near the end of the map no more is drawn ahead than the rest of it will use: each
    // vertex that draws takes one draw at least.
    CertainDraws certain_draws(n, [&](std::size_t k) { return kTreeCodeRules.draws[codes[k]]; });
    while (i < n) {
      const std::size_t certain = certain_draws.From(i);
      if (certain == 0) {
        // Nothing left draws; unlisted codes are still reported.
        for (; i < n; ++i) {
          PlaceTreeAt(blocks->object_index, blocks->object_type, i,
                      TerrainClassAt(blocks->first, i, out), ahead);
        }
        break;
      }
      ahead.Reserve(std::min(kTreeRunDraws, std::max(kMostTreeDraws, certain)), certain);
      // A run of vertices that the waiting draws cover whatever the draws turn out to be.
      const std::size_t run_end = i + std::min(n - i, ahead.Waiting() / kMostTreeDraws);
      const std::uint32_t* const first = ahead.WaitingDraws();
      const std::uint32_t* next = first;
      i = PlaceTreeRun(codes, blocks->object_index.data(), blocks->object_type.data(), i, run_end,
                       next);
      ahead.Consume(static_cast<std::size_t>(next - first));
      if (i < run_end) i = WarnUpToNextDraw(codes, i, n, out);
    }
  }
  out << "You will need some woodcutters now...\n";
}

void PlaceGranite(std::span<std::uint8_t> image, std::size_t width, std::size_t height,
                  RandomSource& source, std::uint32_t seed, std::ostream& out) {
  PlaceGraniteWith(
      image, width, height, [&] { return RandomNumber(source, seed, 0); }, out);
}

}  // namespace plandrix
