// Draws of the random source made ahead of need, a block at a time, so that a pass can
// test a run of them without a call into the engine for each. When the pass is done (the
// DrawAhead is destroyed) the source is put in exactly the state that drawing the used
// numbers one at a time leaves: the engine is set back to the copy taken before the last
// block and moved on by the numbers used since.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "random/random_source.h"

namespace plandrix {

class DrawAhead {
 public:
  static constexpr std::size_t kCapacity = 4096;
  // The most that Reserve may be asked for.
  static constexpr std::size_t kMostReserved = 1024;

  DrawAhead(RandomSource& source, std::uint32_t seed)
      : source_(source), seed_(seed), was_initialised_(source.initialised) {}
  DrawAhead(const DrawAhead&) = delete;
  DrawAhead& operator=(const DrawAhead&) = delete;
  ~DrawAhead() { SettleSource(); }

  // Makes sure at least count (at most kMostReserved) draws wait. When fewer wait, a new
  // block is drawn: a full one, or, when the pass knows that it will use no more than
  // certain further draws, only that many (but count at least), so that the end of a
  // pass draws little in vain.
  void Reserve(std::size_t count, std::size_t certain = kCapacity) {
    if (Waiting() < count) Refill(std::max(count, std::min(certain, kCapacity)));
  }
  std::size_t Waiting() const { return end_ - next_; }
  // The waiting draws, the next one first.
  const std::uint32_t* WaitingDraws() const { return buffer_.data() + next_; }
  // Marks count waiting draws as used (count <= Waiting()).
  void Consume(std::size_t count) {
    next_ += count;
    used_ += count;
  }

  // One draw: the next waiting one, drawing a new block when none waits.
  std::uint32_t operator()() {
    if (next_ == end_) Refill(kCapacity);
    ++used_;
    return buffer_[next_++];
  }

 private:
  // An engine state and how many numbers the pass had drawn ahead when it was taken.
  struct Snapshot {
    Twister engine;
    std::uint64_t drawn = 0;
  };

  // Draws until target numbers wait (Waiting() < target <= kCapacity).
  void Refill(std::size_t target) {
    const std::size_t waiting = Waiting();
    std::memmove(buffer_.data(), buffer_.data() + next_, waiting * sizeof(std::uint32_t));
    next_ = 0;
    // The first draw of the program seeds the engine, as RandomNumber does.
    if (!source_.initialised) {
      unseeded_ = source_.engine;
      source_.engine.seed(seed_);
      source_.initialised = true;
    }
    newer_ = 1 - newer_;
    snapshots_[newer_] = Snapshot{source_.engine, drawn_};
    if (drawn_ == 0) first_ = snapshots_[newer_];
    source_.engine.Generate(buffer_.data() + waiting, target - waiting);
    drawn_ += target - waiting;
    end_ = target;
  }

  void SettleSource() {
    if (drawn_ == 0) return;  // nothing drawn: the source is untouched
    if (used_ == 0 && !was_initialised_) {
      // Drawn ahead but never used: not even the seeding happened.
      source_.engine = unseeded_;
      source_.initialised = false;
      return;
    }
    if (used_ == drawn_) return;  // all used: the engine is where it should be
    // The newest copy taken at or before the numbers used; a block is drawn only when
    // fewer than kMostReserved numbers wait, so that is nearly always one of the last
    // two, and the copy taken before the first block always qualifies.
    const Snapshot* from = &first_;
    if (snapshots_[newer_].drawn <= used_) {
      from = &snapshots_[newer_];
    } else if (snapshots_[1 - newer_].drawn <= used_) {
      from = &snapshots_[1 - newer_];
    }
    source_.engine = from->engine;
    source_.engine.discard(used_ - from->drawn);
  }

  RandomSource& source_;
  std::uint32_t seed_;
  bool was_initialised_;
  std::size_t next_ = 0;
  std::size_t end_ = 0;
  std::uint64_t drawn_ = 0;  // numbers drawn from the engine by this pass
  std::uint64_t used_ = 0;   // of which the pass has used these
  std::size_t newer_ = 1;
  std::array<Snapshot, 2> snapshots_{};
  Snapshot first_;
  Twister unseeded_;
  std::array<std::uint32_t, kCapacity> buffer_;
};

// The draws a pass is certain still to make from vertex i on, for DrawAhead::Reserve:
// while more than a block's worth of vertices is left, a full block; nearer the end, the
// draws that draws_at(k) says each vertex k left makes at least, counted once and kept up
// as i moves on (i never goes back).
template <class DrawsAt>
class CertainDraws {
 public:
  CertainDraws(std::size_t n, DrawsAt draws_at) : n_(n), draws_at_(draws_at) {}

  std::size_t From(std::size_t i) {
    if (n_ - i >= DrawAhead::kCapacity) return DrawAhead::kCapacity;
    if (!counted_) {
      for (std::size_t k = i; k < n_; ++k) left_ += draws_at_(k);
      counted_ = true;
    } else {
      for (std::size_t k = counted_from_; k < i; ++k) left_ -= draws_at_(k);
    }
    counted_from_ = i;
    return left_;
  }

 private:
  std::size_t n_;
  DrawsAt draws_at_;
  bool counted_ = false;
  std::size_t counted_from_ = 0;
  std::size_t left_ = 0;
};

// Divisibility of a 32-bit number by a fixed divisor with one multiplication: n is a
// multiple of d exactly when n * M, taken modulo 2^64, is at most M - 1, with
// M = floor((2^64 - 1) / d) + 1.
constexpr std::uint64_t DivisibilityMagic(std::uint32_t divisor) {
  return divisor == 0 ? 0 : ~std::uint64_t{0} / divisor + 1;
}

inline bool IsMultiple(std::uint32_t n, std::uint64_t magic) {
  return std::uint64_t{n} * magic <= magic - 1;
}

}  // namespace plandrix
