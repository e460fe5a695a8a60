#include "tools/random_heights_tool.h"

#include "console/map_tool.h"
#include "random/random_heights.h"
#include "tools/seed_prompt.h"

namespace plandrix {

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
