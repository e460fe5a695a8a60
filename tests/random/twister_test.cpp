#include "random/twister.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "random/draw_ahead.h"
#include "random/random_source.h"

namespace plandrix {
namespace {

// The next count numbers of both engines agree (624 or more cover a whole state, so
// equal numbers mean equal states).
void ExpectSameNext(Twister twister, std::mt19937 engine, std::size_t count, const char* label) {
  for (std::size_t k = 0; k < count; ++k) {
    ASSERT_EQ(twister(), static_cast<std::uint32_t>(engine())) << label << ", number " << k;
  }
}

TEST(Twister, EqualsTheStandardEngineOverTenMillionDrawsFromManySeeds) {
  // 64 seeds of 160000 draws each: single draws, runs through Generate, discards and
  // copies in turn, every step at another distance from the state's refill.
  std::vector<std::uint32_t> seeds = {0, 1, 5489, kStartSeed, kDefaultSeed, 0xFFFFFFFFU};
  std::minstd_rand seed_maker(2024);
  while (seeds.size() < 64) seeds.push_back(static_cast<std::uint32_t>(seed_maker()));
  const std::vector<std::size_t> steps = {1, 623, 624, 625, 7, 1248, 4096, 3, 0, 2000};
  std::vector<std::uint32_t> block(4096);
  std::uint64_t compared = 0;
  for (const std::uint32_t seed : seeds) {
    Twister twister(seed);
    std::mt19937 engine(seed);
    const std::uint64_t goal = compared + 160000;
    for (std::size_t k = 0; compared < goal; ++k) {
      const std::size_t step = steps[k % steps.size()];
      if (k % 3 == 0) {
        for (std::size_t i = 0; i < step; ++i) {
          ASSERT_EQ(twister(), static_cast<std::uint32_t>(engine())) << seed;
        }
      } else if (k % 3 == 1) {
        twister.Generate(block.data(), step);
        for (std::size_t i = 0; i < step; ++i) {
          ASSERT_EQ(block[i], static_cast<std::uint32_t>(engine())) << seed;
        }
      } else {
        twister.discard(step);
        engine.discard(step);
        Twister copy = twister;
        EXPECT_TRUE(copy == twister);
        ASSERT_EQ(copy(), static_cast<std::uint32_t>(engine())) << seed;
        twister = copy;
      }
      compared += step + (k % 3 == 2 ? 1 : 0);
    }
  }
  EXPECT_GE(compared, 10000000U);
}

TEST(Twister, DefaultSeedReseedingAndEquality) {
  ExpectSameNext(Twister(), std::mt19937(), 1300, "default");
  Twister twister(99);
  twister.discard(5000);
  twister.seed(31);
  ExpectSameNext(twister, std::mt19937(31), 1300, "reseeded");
  // Equal after different routes to the same position; unequal one number apart.
  Twister stepped(7);
  for (int i = 0; i < 700; ++i) stepped();
  Twister jumped(7);
  jumped.discard(700);
  EXPECT_TRUE(stepped == jumped);
  jumped();
  EXPECT_FALSE(stepped == jumped);
}

// Every state that a pass drawing ahead can leave the source in: fresh or running, blocks
// reserved and partly used, single draws, nothing used at all.
TEST(Twister, TheSourceAfterDrawingAheadEqualsTheStandardEngine) {
  struct Case {
    std::size_t drawn_before;  // numbers drawn before the pass; 0 leaves it fresh
    std::size_t reserve;
    std::size_t certain;
    std::size_t use;
    std::size_t singles;
  };
  const std::vector<Case> cases = {
      {0, 1, 1, 0, 0},          {0, 1, 1, 1, 0},           {0, 1024, 4096, 4096, 5},
      {17, 3, 3, 1, 0},         {624, 1024, 4096, 623, 0}, {1000, 1024, 4096, 4000, 700},
      {5, 1024, 4096, 0, 9000}, {1, 5, 5, 5, 0},           {1248, 2, 2, 0, 0},
  };
  constexpr std::uint32_t kSeed = 4711;
  for (const Case& c : cases) {
    RandomSource source;
    std::mt19937 engine(kSeed);
    std::size_t used = c.drawn_before;
    for (std::size_t i = 0; i < c.drawn_before; ++i) RandomNumber(source, kSeed, 0);
    {
      DrawAhead ahead(source, kSeed);
      ahead.Reserve(c.reserve, c.certain);
      const std::size_t take = c.use < ahead.Waiting() ? c.use : ahead.Waiting();
      ahead.Consume(take);
      used += take;
      for (std::size_t i = 0; i < c.singles; ++i) ahead();
      used += c.singles;
    }
    EXPECT_EQ(source.initialised, used > 0);
    engine.discard(used);
    if (used > 0) ExpectSameNext(source.engine, engine, 1300, "after a pass");
  }
}

}  // namespace
}  // namespace plandrix
