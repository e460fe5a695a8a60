#include "random/random_heights.h"

#include <array>

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
