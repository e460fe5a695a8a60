#include "random/random_heights.h"

#include <algorithm>
#include <array>

#include "core/map_file.h"
#include "random/draw_ahead.h"

namespace plandrix {
namespace {

// Whether a vertex draws, from its two codes without a branch: it does when its block-2
// code is always random, or undecided over a block-3 code that is not water.
struct HeightDrawTables {
  std::array<std::uint8_t, 256> always{};     // by block-2 code
  std::array<std::uint8_t, 256> undecided{};  // by block-2 code
  std::array<std::uint8_t, 256> not_water{};  // by block-3 code
};

constexpr HeightDrawTables kHeightDrawTables = [] {
  HeightDrawTables tables;
  for (std::size_t code = 0; code < 256; ++code) {
    tables.always[code] = kHeightRules[code] == HeightRule::kAlwaysRandom ? 1 : 0;
    tables.undecided[code] = kHeightRules[code] == HeightRule::kUndecided ? 1 : 0;
    tables.not_water[code] = kHeightRules[code] == HeightRule::kWater ? 0 : 1;
  }
  return tables;
}();

// 1 when a vertex with these block-2 and block-3 codes draws, else 0.
inline std::uint32_t DrawsAt(std::uint8_t first, std::uint8_t second) {
  return kHeightDrawTables.always[first] |
         (kHeightDrawTables.undecided[first] & kHeightDrawTables.not_water[second]);
}

// Draws kept waiting before a run of vertices; each vertex takes at most one.
constexpr std::size_t kHeightRunDraws = 256;

}  // namespace

// The same draws and bytes as RandomizeHeightsWith over RandomNumber, made faster: how
// many draws a vertex takes depends on its terrain alone, so a run of vertices takes its
// draws from a block drawn ahead without a single branch on the terrain.
void RandomizeHeights(std::span<std::uint8_t> image, std::size_t width, std::size_t height,
                      RandomSource& source, std::uint32_t seed) {
  if (width == 0 || height == 0) return;
  if (width > image.size() / height) return;
  const std::size_t n = width * height;
  if (image.size() < MapLength(width, height)) return;
  std::uint8_t* heights = Block(image, kHeightBlock, n).data();
  const std::uint8_t* first = Block(std::span<const std::uint8_t>(image), kTerrainBlock1, n).data();
  const std::uint8_t* second =
      Block(std::span<const std::uint8_t>(image), kTerrainBlock2, n).data();
  DrawAhead ahead(source, seed);
  std::size_t i = 0;
  // Near the end of the map no more is drawn ahead than the rest of it will use.
  CertainDraws certain_draws(
      n, [&](std::size_t k) { return std::size_t{DrawsAt(first[k], second[k])}; });
  while (i < n) {
    const std::size_t certain = certain_draws.From(i);
    if (certain == 0) {
      std::fill(heights + i, heights + n, kBaseHeight);
      break;
    }
    ahead.Reserve(std::min(kHeightRunDraws, certain), certain);
    const std::size_t run_end = i + std::min(n - i, ahead.Waiting());
    const std::uint32_t* const start = ahead.WaitingDraws();
    const std::uint32_t* next = start;
    for (; i < run_end; ++i) {
      const std::uint32_t draws = DrawsAt(first[i], second[i]);
      // The waiting draw is read whether or not it is taken: a vertex that takes none
      // keeps only its mask of 0.
      heights[i] = static_cast<std::uint8_t>(kBaseHeight + (*next & 3U & (0U - draws)));
      next += draws;
    }
    ahead.Consume(static_cast<std::size_t>(next - start));
  }
}

void RandomHeightsTool(Console& console, ProgramState& state) {
  console.out << "Random set heights tool is still under construction\n"
                 "Just works for all areas and not for water, there are no special heights "
                 "(mountains,desert etc.)\n";
  InputFile file;
  std::optional<MapImage> image = LoadMap(console.in, console.out, file);
  if (!image) return;
  const std::size_t width = MapWidth(*image);
  const std::size_t height = MapHeight(*image);
  WarnLargeMap(console.out, width, height);

  state.shared_seed = AskSeed(console.in, console.out);
  // The restart's own number is thrown away: the first height takes the second number.
  (void)RandomNumber(state.random, state.shared_seed, 1);
  RandomizeHeights(*image, width, height, state.random, state.shared_seed);

  const std::array<const InputFile*, 1> inputs = {&file};
  SaveMap(console.out, *image, file.name, inputs);
}

}  // namespace plandrix
