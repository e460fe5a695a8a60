#include "random/objects_animals.h"

#include <array>

#include "core/map_file.h"
#include "random/resources.h"
#include "random/trees_granite.h"

namespace plandrix {

void PlaceObjects(std::span<std::uint8_t> image, std::size_t width, std::size_t height,
                  RandomSource& source, std::uint32_t seed, std::ostream& out) {
  PlaceObjectsWith(
      image, width, height, [&] { return RandomNumber(source, seed, 0); }, out);
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
