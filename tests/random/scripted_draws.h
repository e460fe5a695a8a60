// A random source for tests that hands out chosen numbers and counts how many were taken.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace plandrix::testing {

// Hands out `numbers` in order, then `filler` for ever. The filler 1 makes every pass
// skip a vertex at its first test (1 is no multiple of 7, 10, 15, 20, 25 or 85, and
// 1 AND 3 is not 0), so a script only needs the draws of the vertices it is about.
class ScriptedDraws {
 public:
  explicit ScriptedDraws(std::vector<std::uint32_t> numbers, std::uint32_t filler = 1)
      : numbers_(std::move(numbers)), filler_(filler) {}
  std::uint32_t operator()() {
    const std::size_t position = taken_++;
    return position < numbers_.size() ? numbers_[position] : filler_;
  }
  std::size_t taken() const { return taken_; }
  // Whether every scripted number was used (none left for a later vertex by mistake).
  bool Exhausted() const { return taken_ >= numbers_.size(); }

 private:
  std::vector<std::uint32_t> numbers_;
  std::uint32_t filler_;
  std::size_t taken_ = 0;
};

// Whole-image comparison that names the first differing offset on failure.
inline ::testing::AssertionResult SameBytes(const std::vector<std::uint8_t>& actual,
                                            const std::vector<std::uint8_t>& expected) {
  if (actual.size() != expected.size()) {
    return ::testing::AssertionFailure()
           << "sizes " << actual.size() << " and " << expected.size() << " differ";
  }
  for (std::size_t i = 0; i < actual.size(); ++i) {
    if (actual[i] != expected[i]) {
      return ::testing::AssertionFailure() << "first difference at offset " << i << ": "
                                           << int{actual[i]} << " instead of " << int{expected[i]};
    }
  }
  return ::testing::AssertionSuccess();
}

// A draw that reads as the given negative signed number.
constexpr std::uint32_t Negative(std::int32_t value) { return static_cast<std::uint32_t>(value); }

}  // namespace plandrix::testing
