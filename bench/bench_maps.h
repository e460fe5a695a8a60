// Realistic inputs for the benchmarks: maps made by the program's own random map steps,
// mixed 4-bit bitmaps and smooth 8-bit height bitmaps, each built once per size.
#pragma once

#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <ostream>
#include <random>
#include <span>
#include <vector>

#include "core/blank_map.h"
#include "core/map_layout.h"
#include "random/objects_animals.h"
#include "random/random_heights.h"
#include "random/random_map.h"
#include "random/random_source.h"
#include "random/resources.h"
#include "random/trees_granite.h"
#include "random/twister.h"
#include "transform/bitmap_terrain.h"

namespace plandrix::bench {

// The seed that the random map tool takes for an answer of 0.
inline constexpr std::uint32_t kBenchSeed = kDefaultSeed;

// A stream that throws every character away: the passes' closing lines cost nothing.
class NullBuffer : public std::streambuf {
 protected:
  int_type overflow(int_type c) override { return traits_type::not_eof(c); }
  std::streamsize xsputn(const char*, std::streamsize count) override { return count; }
};

inline std::ostream& NullStream() {
  static NullBuffer buffer;
  static std::ostream stream(&buffer);
  return stream;
}

// A draw callable over an engine that counts what it hands out.
struct CountingDraw {
  Twister* engine;
  std::uint64_t* count;
  std::uint32_t operator()() const {
    ++*count;
    return static_cast<std::uint32_t>((*engine)());
  }
};

// Region kinds and painting as the random map tool does them, drawing from draw.
template <typename Draw>
void PaintAllRegions(std::span<std::uint8_t> image, std::vector<std::uint32_t>& kinds,
                     const MapLayout& layout, Draw&& draw) {
  AssignRegionKindsWith(kinds, layout, draw);
  for (std::int32_t row = 0; row < layout.region_rows; ++row) {
    for (std::int32_t column = 0; column < layout.region_columns; ++column) {
      PaintRegionWith(image, kinds, row, column, layout, draw);
    }
  }
}

inline MapLayout LayoutFor(std::size_t side) {
  return ComputeMapLayout(MapLayout{}, static_cast<std::int32_t>(side),
                          static_cast<std::int32_t>(side));
}

// The map that the random map tool makes for a side x side map and the default seed:
// the same steps in the same order on the same source.
inline std::vector<std::uint8_t> GenerateRandomMap(std::size_t side) {
  const MapLayout layout = LayoutFor(side);
  std::vector<std::uint8_t> image(MapLength(side, side));
  std::vector<std::uint32_t> kinds(static_cast<std::size_t>(layout.region_count));
  CreateBlankMap(image, side, side);
  RandomSource source;
  (void)RandomNumber(source, kBenchSeed, 1);
  GenerateMap(image, kinds, layout, source, kBenchSeed, NullStream());
  return image;
}

inline const std::vector<std::uint8_t>& RandomMap(std::size_t side) {
  static std::map<std::size_t, std::vector<std::uint8_t>> maps;
  auto found = maps.find(side);
  if (found == maps.end()) found = maps.emplace(side, GenerateRandomMap(side)).first;
  return found->second;
}

inline void PutU32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i) {
    bytes[offset + i] = static_cast<std::uint8_t>((value >> (8 * i)) & 0xFF);
  }
}

// A 4-bit bitmap of side x side pixels: patches of 16 x 16 pixels of one colour (all 16
// colours, the unpainting ones included), with one pixel in eight of another colour.
inline std::vector<std::uint8_t> GenerateMixedBitmap(std::size_t side) {
  const std::size_t row_bytes = side / 2 + BmpRowPadding(side);
  std::vector<std::uint8_t> bitmap(kBmp4BitPixelOffset + side * row_bytes);
  bitmap[0] = 'B';
  bitmap[1] = 'M';
  PutU32(bitmap, 2, static_cast<std::uint32_t>(bitmap.size()));
  PutU32(bitmap, 10, kBmp4BitPixelOffset);
  PutU32(bitmap, 14, 40);
  PutU32(bitmap, kBmpWidthOffset, static_cast<std::uint32_t>(side));
  PutU32(bitmap, kBmpHeightOffset, static_cast<std::uint32_t>(side));
  bitmap[26] = 1;
  bitmap[28] = 4;
  std::mt19937 engine(20240601);
  const std::size_t cells = (side + 15) / 16;
  std::vector<std::uint8_t> patch(cells * cells);
  for (auto& colour : patch) colour = static_cast<std::uint8_t>(engine() & 15U);
  for (std::size_t y = 0; y < side; ++y) {
    std::uint8_t* row = bitmap.data() + kBmp4BitPixelOffset + y * row_bytes;
    for (std::size_t x = 0; x < side; x += 2) {
      std::uint8_t pair = 0;
      for (std::size_t k = 0; k < 2; ++k) {
        std::uint8_t colour = patch[(y / 16) * cells + (x + k) / 16];
        const std::uint32_t noise = static_cast<std::uint32_t>(engine());
        if ((noise & 7U) == 0) colour = static_cast<std::uint8_t>((noise >> 3) & 15U);
        pair = static_cast<std::uint8_t>((pair << 4) | colour);
      }
      row[x / 2] = pair;
    }
  }
  return bitmap;
}

inline const std::vector<std::uint8_t>& MixedBitmap(std::size_t side) {
  static std::map<std::size_t, std::vector<std::uint8_t>> bitmaps;
  auto found = bitmaps.find(side);
  if (found == bitmaps.end()) found = bitmaps.emplace(side, GenerateMixedBitmap(side)).first;
  return found->second;
}

// An 8-bit height bitmap (1078-byte header and palette, then side x side pixels) of
// gentle hills: no two consecutive pixels, row ends included, differ by more than 20, so
// that no height step is reported, and no pixel is above 200.
inline std::vector<std::uint8_t> GenerateHeightBitmap(std::size_t side) {
  constexpr std::size_t kPixelOffset = 1078;
  std::vector<std::uint8_t> bitmap(kPixelOffset + side * side);
  bitmap[0] = 'B';
  bitmap[1] = 'M';
  PutU32(bitmap, 2, static_cast<std::uint32_t>(bitmap.size()));
  PutU32(bitmap, 10, kPixelOffset);
  PutU32(bitmap, 14, 40);
  PutU32(bitmap, kBmpWidthOffset, static_cast<std::uint32_t>(side));
  PutU32(bitmap, kBmpHeightOffset, static_cast<std::uint32_t>(side));
  bitmap[26] = 1;
  bitmap[28] = 8;
  for (std::size_t y = 0; y < side; ++y) {
    for (std::size_t x = 0; x < side; ++x) {
      // A triangle wave along the row that ends where it started, raised slowly row by row.
      const std::size_t phase = (x * 256 / side) % 128;
      const std::size_t wave = phase < 64 ? phase : 128 - phase;
      const std::size_t lift = (y * 64 / side) % 64;
      bitmap[kPixelOffset + y * side + x] = static_cast<std::uint8_t>(40 + wave + lift);
    }
  }
  return bitmap;
}

inline const std::vector<std::uint8_t>& HeightBitmap(std::size_t side) {
  static std::map<std::size_t, std::vector<std::uint8_t>> bitmaps;
  auto found = bitmaps.find(side);
  if (found == bitmaps.end()) found = bitmaps.emplace(side, GenerateHeightBitmap(side)).first;
  return found->second;
}

// Time per vertex (shown as ns, stored in seconds) of a benchmark that handles vertices
// vertices per iteration; like every rate of the library it is taken over CPU time.
inline void ReportPerVertex(benchmark::State& state, std::size_t vertices) {
  state.counters["ns_per_vertex"] = benchmark::Counter(
      static_cast<double>(vertices),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(vertices));
}

// Makes exactly draws numbers of a fresh engine and nothing else.
template <class Engine>
std::uint32_t DrawOnly(Engine& engine, std::uint64_t draws) {
  std::uint32_t sum = 0;
  for (std::uint64_t i = 0; i < draws; ++i) sum += static_cast<std::uint32_t>(engine());
  return sum;
}

}  // namespace plandrix::bench
