// The 32-bit Mersenne twister (MT19937) with the reference seeding and tempering: the
// same numbers, in the same order, as std::mt19937 for every seed, draw and discard. It
// exists because the standard library's state refill branches on the low bit of every
// word, which costs several nanoseconds a draw at the portable x86-64 target; here the
// refill picks the twist constant with a mask, so the loop has no branch to mispredict
// and the compiler can vectorise it; the refill also tempers the whole new state at once,
// so that a draw is one load from a ready array.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace plandrix {

class Twister {
 public:
  static constexpr std::size_t kStateSize = 624;
  static constexpr std::uint32_t kDefaultSeed = 5489;

  Twister() { seed(kDefaultSeed); }
  explicit Twister(std::uint32_t value) { seed(value); }

  // The reference initialisation; the first draw after it refills the state.
  void seed(std::uint32_t value) {
    state_[0] = value;
    for (std::size_t i = 1; i < kStateSize; ++i) {
      const std::uint32_t previous = state_[i - 1];
      state_[i] = 1812433253U * (previous ^ (previous >> 30)) + static_cast<std::uint32_t>(i);
    }
    next_ = kStateSize;
  }

  std::uint32_t operator()() {
    if (next_ >= kStateSize) Refill();
    return output_[next_++];
  }

  // Writes the next count numbers to out, as count calls would return them.
  void Generate(std::uint32_t* out, std::size_t count) {
    while (count > 0) {
      if (next_ >= kStateSize) Refill();
      std::size_t take = kStateSize - next_;
      if (take > count) take = count;
      const std::uint32_t* from = output_.data() + next_;
      for (std::size_t i = 0; i < take; ++i) out[i] = from[i];
      next_ += take;
      out += take;
      count -= take;
    }
  }

  // Moves on by count numbers without tempering them.
  void discard(unsigned long long count) {
    while (count > 0) {
      if (next_ >= kStateSize) Refill();
      const std::size_t left = kStateSize - next_;
      if (count < left) {
        next_ += static_cast<std::size_t>(count);
        return;
      }
      next_ = kStateSize;
      count -= left;
    }
  }

  // Equal when the next numbers are equal: the same state at the same position (the
  // tempered copy follows from the state).
  friend bool operator==(const Twister& a, const Twister& b) {
    return a.next_ == b.next_ && a.state_ == b.state_;
  }

 private:
  static constexpr std::size_t kShift = 397;
  static constexpr std::uint32_t kUpper = 0x80000000U;
  static constexpr std::uint32_t kLower = 0x7FFFFFFFU;
  static constexpr std::uint32_t kTwist = 0x9908B0DFU;

  static std::uint32_t Temper(std::uint32_t y) {
    y ^= y >> 11;
    y ^= (y << 7) & 0x9D2C5680U;
    y ^= (y << 15) & 0xEFC60000U;
    return y ^ (y >> 18);
  }

  // The new word i from words i, i + 1 and i + 397 (taken around the end of the state):
  // the twist constant is added where the joined word is odd, chosen by a mask.
  static std::uint32_t Twist(std::uint32_t word, std::uint32_t following, std::uint32_t far) {
    const std::uint32_t joined = (word & kUpper) | (following & kLower);
    return far ^ (joined >> 1) ^ (kTwist & (0U - (joined & 1U)));
  }

  void Refill() {
    std::uint32_t* s = state_.data();
    for (std::size_t i = 0; i < kStateSize - kShift; ++i) {
      s[i] = Twist(s[i], s[i + 1], s[i + kShift]);
    }
    for (std::size_t i = kStateSize - kShift; i < kStateSize - 1; ++i) {
      s[i] = Twist(s[i], s[i + 1], s[i + kShift - kStateSize]);
    }
    s[kStateSize - 1] = Twist(s[kStateSize - 1], s[0], s[kShift - 1]);
    for (std::size_t i = 0; i < kStateSize; ++i) output_[i] = Temper(s[i]);
    next_ = 0;
  }

  std::array<std::uint32_t, kStateSize> state_{};
  std::array<std::uint32_t, kStateSize> output_{};  // state_ tempered, valid after a refill
  std::size_t next_ = kStateSize;
};

}  // namespace plandrix
