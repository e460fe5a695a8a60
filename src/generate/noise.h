// Smooth value noise on the wrapped world, in integers only.
//
// Every field of a generated world is a sum of octaves of value noise: random values on a
// coarse lattice, blended between the four lattice points around a place with cubic
// weights. A place on the map is a pair of 32-bit phases, its fraction of the way around
// the world in each direction, so that a lattice of n cells across meets itself at the
// seam and every field joins across the edges as the game's world does. Only integer
// arithmetic is used (fixed point, 1.0 = kOne): the same seed gives the same bytes on
// every compiler and platform.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace plandrix::generate {

// 1.0 in the fixed point of every field.
inline constexpr std::int32_t kOne = 4096;
inline constexpr int kOneBits = 12;

// The cubic blend 3t^2 - 2t^3 of t = i / kOne, in the same fixed point: a lattice cell's
// value rises smoothly from one lattice point to the next with no kink at either.
inline constexpr std::array<std::int16_t, kOne> kSmoothStep = [] {
  std::array<std::int16_t, kOne> table{};
  for (std::int64_t i = 0; i < kOne; ++i) {
    const std::int64_t value = (3 * i * i * kOne - 2 * i * i * i) / (std::int64_t{kOne} * kOne);
    table[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(value);
  }
  return table;
}();

// A mixing function of 64 bits (the finaliser of splitmix64): the per-vertex draws of the
// placement passes, which must not depend on the order the vertices are visited in.
constexpr std::uint64_t Mix(std::uint64_t value) {
  value += 0x9E3779B97F4A7C15ull;
  value = (value ^ (value >> 30)) * 0xBF58476D1CE4E5B9ull;
  value = (value ^ (value >> 27)) * 0x94D049BB133111EBull;
  return value ^ (value >> 31);
}

// The place of every vertex as phases: odd rows lie half a vertex to the right, and the
// rows lie closer than the vertices of a row (the grid's triangles are equilateral when a
// step is the same length in all six directions: a row is sqrt(3) / 2 of a step).
class Phases {
 public:
  Phases(std::size_t width, std::size_t height);

  std::uint32_t X(std::size_t x, std::size_t y) const { return x_[2 * x + (y & 1)]; }
  std::uint32_t Y(std::size_t y) const { return y_[y]; }
  // The phase of one step to the east, and of one step's length to the south.
  std::int64_t StepX() const { return step_x_; }
  std::int64_t StepY() const { return step_y_; }
  // The world's height in steps (H sqrt(3) / 2, rounded down).
  std::size_t HeightInSteps() const { return static_cast<std::size_t>(row_steps_ >> 10); }
  // The steps (Q12) that a phase difference stands for, east and south.
  std::int64_t StepsX(std::int32_t phase) const { return (std::int64_t{phase} * width_) >> 20; }
  std::int64_t StepsY(std::int32_t phase) const { return (std::int64_t{phase} * row_steps_) >> 30; }
  // The squared distance in steps (24 bits of fraction) between two places, the shortest
  // way around the world.
  std::int64_t DistanceSquared(std::uint32_t ax, std::uint32_t ay, std::uint32_t bx,
                               std::uint32_t by) const {
    const std::int64_t dx = StepsX(static_cast<std::int32_t>(ax - bx));
    const std::int64_t dy = StepsY(static_cast<std::int32_t>(ay - by));
    return dx * dx + dy * dy;
  }

 private:
  std::vector<std::uint32_t> x_;  // by half step: 2x + 1 for odd rows
  std::vector<std::uint32_t> y_;  // by row
  std::int64_t step_x_ = 0;
  std::int64_t step_y_ = 0;
  std::int64_t width_ = 0;
  std::int64_t row_steps_ = 0;  // the height in steps, H sqrt(3) / 2, with 10 bits of fraction
};

// One octave: nx x ny random values in [-kOne, kOne), the lattice wrapping around.
struct Lattice {
  std::uint32_t nx = 1;
  std::uint32_t ny = 1;
  std::vector<std::int16_t> values;
};

// A field of several octaves; octave k has 2^k times the cells of the first, and its values
// (already weighted) persistence^k of its weight: with the usual half the sum stays within
// (-2 kOne, 2 kOne) and mostly within +-kOne / 2.
struct Noise {
  std::vector<Lattice> octaves;
};

// A noise for a width x height world whose first octave has cells about cell steps wide
// (at least two cells each way), with at most octaves octaves and none finer than two
// steps, its values drawn from the twister seeded with seed; each octave weighs
// persistence (12 bits of fraction) of the one before.
Noise MakeNoise(std::uint32_t seed, std::size_t width, std::size_t height, std::size_t cell,
                std::size_t octaves, std::int32_t persistence = kOne / 2);

// The value of one octave at a place.
inline std::int32_t SampleLattice(const Lattice& lattice, std::uint32_t px, std::uint32_t py) {
  const std::uint64_t gx = std::uint64_t{px} * lattice.nx;
  const std::uint64_t gy = std::uint64_t{py} * lattice.ny;
  const auto x0 = static_cast<std::uint32_t>(gx >> 32);
  const auto y0 = static_cast<std::uint32_t>(gy >> 32);
  const std::uint32_t x1 = x0 + 1 == lattice.nx ? 0 : x0 + 1;
  const std::uint32_t y1 = y0 + 1 == lattice.ny ? 0 : y0 + 1;
  const std::int32_t sx = kSmoothStep[(gx & 0xFFFFFFFFu) >> (32 - kOneBits)];
  const std::int32_t sy = kSmoothStep[(gy & 0xFFFFFFFFu) >> (32 - kOneBits)];
  const std::int16_t* row0 = lattice.values.data() + std::size_t{y0} * lattice.nx;
  const std::int16_t* row1 = lattice.values.data() + std::size_t{y1} * lattice.nx;
  const std::int32_t top = row0[x0] + (((row0[x1] - row0[x0]) * sx) >> kOneBits);
  const std::int32_t bottom = row1[x0] + (((row1[x1] - row1[x0]) * sx) >> kOneBits);
  return top + (((bottom - top) * sy) >> kOneBits);
}

// The sum of octaves first to end - 1 at a place.
inline std::int32_t SampleOctaves(const Noise& noise, std::size_t first, std::size_t end,
                                  std::uint32_t px, std::uint32_t py) {
  std::int32_t sum = 0;
  for (std::size_t k = first; k < end && k < noise.octaves.size(); ++k) {
    sum += SampleLattice(noise.octaves[k], px, py);
  }
  return sum;
}

// The sum of all octaves at a place.
inline std::int32_t SampleNoise(const Noise& noise, std::uint32_t px, std::uint32_t py) {
  return SampleOctaves(noise, 0, noise.octaves.size(), px, py);
}

// The first octave whose cells are narrower than steps on a world width steps wide (the
// number of octaves when there is none).
std::size_t FirstOctaveFinerThan(const Noise& noise, std::size_t width, std::size_t steps);

// The integer square root (the largest r with r * r <= value).
constexpr std::uint64_t SquareRoot(std::uint64_t value) {
  std::uint64_t root = 0;
  for (std::uint64_t bit = std::uint64_t{1} << 62; bit != 0; bit >>= 2) {
    if (value >= root + bit) {
      value -= root + bit;
      root = (root >> 1) + bit;
    } else {
      root >>= 1;
    }
  }
  return root;
}

// Clamps v to [lo, hi].
constexpr std::int32_t Clamp(std::int32_t v, std::int32_t lo, std::int32_t hi) {
  return v < lo ? lo : (v > hi ? hi : v);
}

// Counts of values (within +-4 kOne, in buckets of 4) for their percentiles, without
// keeping the values.
class Histogram {
 public:
  void Add(std::int32_t value) {
    ++counts_[static_cast<std::size_t>((Clamp(value, kLow, -kLow - 1) - kLow) / kBucket)];
    ++total_;
  }
  // The value below which rank of the values lie.
  std::int32_t ValueAtRank(std::size_t rank) const {
    std::size_t below = 0;
    for (std::size_t bucket = 0; bucket < counts_.size(); ++bucket) {
      if (below + counts_[bucket] > rank) return kLow + static_cast<std::int32_t>(bucket) * kBucket;
      below += counts_[bucket];
    }
    return -kLow;
  }
  // The value that all but permille of the values lie below.
  std::int32_t HighestBut(std::size_t permille) const {
    return ValueAtRank(total_ - std::min(total_, total_ * permille / 1000 + 1));
  }

 private:
  static constexpr std::int32_t kLow = -4 * kOne;
  static constexpr std::int32_t kBucket = 4;
  std::vector<std::size_t> counts_ = std::vector<std::size_t>(8 * kOne / kBucket);
  std::size_t total_ = 0;
};

}  // namespace plandrix::generate
