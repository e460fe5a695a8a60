// The four random placement passes on an arbitrary map image, as the random objects tool
// runs them: the input is a seed, a byte choosing the passes, and the map image itself.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <vector>

#include "core/map_layout.h"
#include "random/objects_animals.h"
#include "random/random_source.h"
#include "random/trees_granite.h"
#include "support/fuzz_support.h"

namespace {

using plandrix::fuzz::Bytes;

// Bits of the choice byte.
constexpr std::uint8_t kTrees = 1;
constexpr std::uint8_t kObjects = 2;
constexpr std::uint8_t kGranite = 4;
constexpr std::uint8_t kAnimals = 8;
// Restart the source from the seed before every pass, as the random map generator does.
constexpr std::uint8_t kRestartEach = 16;

Bytes Input(std::uint32_t seed, std::uint8_t choice, const Bytes& image) {
  Bytes bytes;
  plandrix::fuzz::PutU32(bytes, seed);
  plandrix::fuzz::PutU8(bytes, choice);
  plandrix::fuzz::PutAll(bytes, image);
  return bytes;
}

const std::vector<Bytes>& Seeds() {
  using plandrix::fuzz::SeedMap;
  static const std::vector<Bytes> seeds = {
      Input(12345678, kTrees | kObjects | kGranite | kAnimals, SeedMap(16, 12, 1)),
      Input(1, kObjects | kRestartEach, SeedMap(9, 7, 2)),
      Input(87654321, kTrees | kAnimals, SeedMap(3, 3, 3)),
      Input(5, kGranite, SeedMap(1, 40, 4)),
      Input(0, kTrees | kObjects | kGranite | kAnimals | kRestartEach, SeedMap(0, 3, 5)),
  };
  return seeds;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  plandrix::fuzz::WriteSeedsIfAsked("placement", Seeds);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  plandrix::fuzz::ByteReader reader(data, size);
  const std::uint32_t seed = reader.U32();
  const std::uint8_t choice = reader.U8();
  const auto rest = reader.Rest();
  // The loading step: a map shorter than its stated size is refused.
  auto loaded = plandrix::fuzz::LoadMapImage(rest);
  if (!loaded) return 0;
  Bytes& image = loaded->image;
  const Bytes& before = loaded->stored;
  const std::size_t width = loaded->width;
  const std::size_t height = loaded->height;

  plandrix::ProgramState state;
  state.shared_seed = seed;
  std::ostringstream out;
  // The same passes drawing one number at a time, which the faster ones must match in
  // bytes, output and the state they leave the source in.
  Bytes reference_image = image;
  plandrix::ProgramState reference = state;
  std::ostringstream reference_out;
  const auto draw_one = [&] { return plandrix::RandomNumber(reference.random, seed, 0); };
  const auto restart = [&] {
    if ((choice & kRestartEach) != 0) {
      (void)plandrix::RandomNumber(state.random, seed, 1);
      (void)plandrix::RandomNumber(reference.random, seed, 1);
    }
  };
  const auto same_so_far = [&] {
    plandrix::fuzz::Expect(image == reference_image);
    plandrix::fuzz::Expect(out.str() == reference_out.str());
    plandrix::fuzz::Expect(state.random.initialised == reference.random.initialised);
    plandrix::fuzz::Expect(state.random.engine == reference.random.engine);
  };
  if ((choice & kTrees) != 0) {
    restart();
    plandrix::PlaceTrees(image, width, height, state.random, state.shared_seed, out);
    plandrix::PlaceTreesWith(reference_image, width, height, draw_one, reference_out);
    same_so_far();
  }
  if ((choice & kObjects) != 0) {
    restart();
    plandrix::PlaceObjects(image, width, height, state.random, state.shared_seed, out);
    plandrix::PlaceObjectsWith(reference_image, width, height, draw_one, reference_out);
    same_so_far();
  }
  if ((choice & kGranite) != 0) {
    restart();
    plandrix::PlaceGranite(image, width, height, state.random, state.shared_seed, out);
  }
  if ((choice & kAnimals) != 0) {
    restart();
    plandrix::PlaceAnimals(image, width, height, state.random, state.shared_seed, out);
  }
  // Objects and trees go to blocks 5 and 6, animals to block 7; nothing else changes.
  plandrix::fuzz::ExpectOnlyBlocksChanged(
      before, image, width, height,
      {plandrix::kObjectIndexBlock, plandrix::kObjectTypeBlock, plandrix::kAnimalBlock});
  return 0;
}
