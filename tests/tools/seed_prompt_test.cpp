// The seed prompt of the random tools: what each typed answer gives.
#include "tools/seed_prompt.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <utility>

namespace plandrix {
namespace {

constexpr char kPrompt[] =
    "Please enter a 8 digit random Number! or 0 to abort and use default.\nNumber:\n";

std::string Prompts(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += kPrompt;
  return text;
}

struct SeedRun {
  std::uint32_t seed;
  std::string output;
  std::string rest;  // what is left unread
};

SeedRun Ask(const std::string& input) {
  std::istringstream in(input);
  std::ostringstream out;
  SeedRun run{AskSeed(in, out), out.str(), {}};
  in.clear();
  std::getline(in, run.rest, '\0');
  return run;
}

TEST(AskSeed, EightDigitNumbersAreTakenAsTyped) {
  for (const auto& [typed, seed] : {std::pair<std::string, std::uint32_t>{"10000000", 10000000},
                                    {"99999999", 99999999},
                                    {"+23456789", 23456789},
                                    {"  12345679", 12345679},
                                    {"012345678", 12345678}}) {
    const SeedRun run = Ask(typed + "\nnext\n");
    EXPECT_EQ(run.seed, seed) << typed;
    EXPECT_EQ(run.output, Prompts(1)) << typed;
    EXPECT_EQ(run.rest, "next\n") << typed;
  }
}

TEST(AskSeed, ZeroGivesTheDefault) {
  const SeedRun run = Ask("0\n");
  EXPECT_EQ(run.seed, 12345678u);
  EXPECT_EQ(run.output, Prompts(1));
  EXPECT_EQ(Ask("-0\n").seed, 12345678u);
}

TEST(AskSeed, OutOfRangeNumbersAreAskedAgain) {
  for (const std::string typed : {"9999999", "1", "100000000", "4294967295", "4294967296",
                                  "99999999999999999999999", "-5", "-20000000", "-4284967296"}) {
    // -4284967296 read as an unsigned 32-bit number would wrap to 10000000: still refused.
    const SeedRun run = Ask(typed + "\n20000000\n");
    EXPECT_EQ(run.seed, 20000000u) << typed;
    EXPECT_EQ(run.output, Prompts(2)) << typed;
  }
}

TEST(AskSeed, TextKeepsThePreviousAnswer) {
  // At the first attempt the answer is still 0: the default.
  SeedRun run = Ask("abc\n30000000\n");
  EXPECT_EQ(run.seed, 12345678u);
  EXPECT_EQ(run.output, Prompts(1));
  EXPECT_EQ(run.rest, "30000000\n");
  // After an out-of-range number the answer stays out of range: asked again.
  for (const std::string first : {"5", "100000000", "4294967296", "-3"}) {
    run = Ask(first + "\nabc\n-\n30000000\n");
    EXPECT_EQ(run.seed, 30000000u) << first;
    EXPECT_EQ(run.output, Prompts(4)) << first;
  }
  // The rest of a line after a number is thrown away.
  run = Ask("5 40000000\n40000001 x\n");
  EXPECT_EQ(run.seed, 40000001u);
  EXPECT_EQ(run.output, Prompts(2));
}

TEST(AskSeed, EndOfInputGivesTheDefault) {
  EXPECT_EQ(Ask("").seed, 12345678u);
  EXPECT_EQ(Ask("").output, Prompts(1));
  const SeedRun run = Ask("5\n100000000");
  EXPECT_EQ(run.seed, 12345678u);
  EXPECT_EQ(run.output, Prompts(3));
}

}  // namespace
}  // namespace plandrix
