#include "tools/random_objects_tool.h"

#include <cstddef>
#include <cstdint>
#include <span>

#include "console/map_tool.h"
#include "random/objects_animals.h"
#include "random/resources.h"
#include "random/trees_granite.h"
#include "tools/seed_prompt.h"

namespace plandrix {

namespace {

// The passes that the user chooses, in their fixed order, on the loaded map.
void PlaceChosenObjects(Console& console, ProgramState& state, std::span<std::uint8_t> image,
                        std::size_t width, std::size_t height) {
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
}

}  // namespace

void RandomObjectsTool(Console& console, ProgramState& state) {
  RunMapTool(console, [&](MapToolRun& run) {
    if (run.image() == nullptr) return false;
    PlaceChosenObjects(console, state, *run.image(), run.width(), run.height());
    return true;
  });
}

}  // namespace plandrix
