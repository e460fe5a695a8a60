// The one seeded random source of the program, and the state that outlives a tool run.
#pragma once

#include <cstdint>

#include "random/twister.h"

namespace plandrix {

// SharedSeed at start-up: seven digits, deliberately not the prompt's default.
inline constexpr std::uint32_t kStartSeed = 1234678;
// What AskSeed gives for 0 (and at the end of input).
inline constexpr std::uint32_t kDefaultSeed = 12345678;

// MT19937 with reference initialisation and tempering (the numbers of std::mt19937);
// `initialised` is false until the first draw of the program, which seeds it from that
// draw's seed.
struct RandomSource {
  Twister engine;
  bool initialised = false;
};

// Everything that lives from one tool run to the next. main() owns the only instance.
struct ProgramState {
  std::uint32_t shared_seed = kStartSeed;
  RandomSource random;
};

// Draws the next number. reset == 1 restarts the sequence from seed (the restarting
// call returns the first number of the new sequence); any other reset continues, and
// then the seed only matters if the source was never initialised.
inline std::uint32_t RandomNumber(RandomSource& source, std::uint32_t seed, int reset) {
  if (reset == 1 || !source.initialised) {
    source.engine.seed(seed);
    source.initialised = true;
  }
  return source.engine();
}

}  // namespace plandrix
