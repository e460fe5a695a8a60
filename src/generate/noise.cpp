#include "generate/noise.h"

#include <algorithm>

#include "random/twister.h"

namespace plandrix::generate {
namespace {

// sqrt(3) / 2 and 2 / sqrt(3) with 16 bits of fraction: a row's height in steps, and the
// rows one step's length covers.
constexpr std::int64_t kRowHeight = 56756;
constexpr std::int64_t kRowsPerStep = 75674;

// Cells across a side of length steps for cells about cell steps wide, at least two (one
// cell around the world would be a constant).
std::uint32_t CellsAcross(std::int64_t steps, std::size_t cell) {
  const std::int64_t c = static_cast<std::int64_t>(std::max<std::size_t>(cell, 1));
  return static_cast<std::uint32_t>(std::max<std::int64_t>(2, (steps + c / 2) / c));
}

}  // namespace

Phases::Phases(std::size_t width, std::size_t height)
    : x_(2 * width), y_(height), width_(static_cast<std::int64_t>(width)) {
  const auto w = static_cast<std::uint64_t>(width);
  const auto h = static_cast<std::uint64_t>(height);
  for (std::uint64_t half = 0; half < 2 * w; ++half) {
    x_[half] = static_cast<std::uint32_t>((half << 31) / w);
  }
  for (std::uint64_t row = 0; row < h; ++row) {
    y_[row] = static_cast<std::uint32_t>((row << 32) / h);
  }
  step_x_ = static_cast<std::int64_t>((std::uint64_t{1} << 32) / w);
  step_y_ = static_cast<std::int64_t>((((std::uint64_t{1} << 32) / h) * kRowsPerStep) >> 16);
  row_steps_ = (static_cast<std::int64_t>(h) * kRowHeight) >> 6;
}

Noise MakeNoise(std::uint32_t seed, std::size_t width, std::size_t height, std::size_t cell,
                std::size_t octaves, std::int32_t persistence) {
  Noise noise;
  Twister twister(seed);
  const auto w = static_cast<std::int64_t>(width);
  const std::int64_t row_steps = (static_cast<std::int64_t>(height) * kRowHeight) >> 16;
  // The cells of the first octave as near square as whole numbers of them allow: the
  // longer side is divided first, the other in proportion.
  std::uint32_t nx = CellsAcross(w, cell);
  std::uint32_t ny = CellsAcross(row_steps, cell);
  if (w >= row_steps) {
    ny = std::max<std::uint32_t>(1, static_cast<std::uint32_t>((nx * row_steps + w / 2) / w));
  } else {
    nx = std::max<std::uint32_t>(1,
                                 static_cast<std::uint32_t>((ny * w + row_steps / 2) / row_steps));
  }
  std::int32_t weight = kOne;
  for (std::size_t k = 0; k < octaves; ++k) {
    // A cell narrower than two steps adds only a rattle between neighbours.
    if (k > 0 && (std::int64_t{nx} * 2 > w || std::int64_t{ny} * 2 > row_steps)) break;
    Lattice lattice{nx, ny, std::vector<std::int16_t>(std::size_t{nx} * ny)};
    for (std::int16_t& value : lattice.values) {
      const std::int32_t drawn = static_cast<std::int32_t>(twister() >> 19) - kOne;
      value = static_cast<std::int16_t>((drawn * weight) >> kOneBits);
    }
    weight = (weight * persistence) >> kOneBits;
    noise.octaves.push_back(std::move(lattice));
    nx *= 2;
    ny *= 2;
  }
  return noise;
}

std::size_t FirstOctaveFinerThan(const Noise& noise, std::size_t width, std::size_t steps) {
  std::size_t k = 0;
  while (k < noise.octaves.size() && noise.octaves[k].nx * steps <= width) ++k;
  return k;
}

}  // namespace plandrix::generate
