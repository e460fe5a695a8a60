#include "random/random_heights.h"

#include <array>

#include "console/map_tool.h"
#include "core/map_file.h"

namespace plandrix {

void RandomizeHeights(std::span<std::uint8_t> image, std::size_t width, std::size_t height,
                      RandomSource& source, std::uint32_t seed) {
  RandomizeHeightsWith(image, width, height, [&] { return RandomNumber(source, seed, 0); });
}

void RandomHeightsTool(Console& console, ProgramState& state) {
  console.out << "Random set heights tool is still under construction\n"
                 "Just works for all areas and not for water, there are no special heights "
                 "(mountains,desert etc.)\n";
  RunMapTool(console, [&](MapToolRun& run) {
    if (run.image() == nullptr) return false;
    WarnLargeMap(console.out, run.width(), run.height());
    state.shared_seed = AskSeed(console.in, console.out);
    // The restart's own number is thrown away: the first height takes the second number.
    (void)RandomNumber(state.random, state.shared_seed, 1);
    RandomizeHeights(*run.image(), run.width(), run.height(), state.random, state.shared_seed);
    return true;
  });
}

}  // namespace plandrix
