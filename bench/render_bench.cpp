// The preview of plandrix-map: drawing a random map's terrain with its marks at scale 1
// and 2, and drawing it together with the PNG encoding, per vertex of the map.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "bench_maps.h"
#include "inspect/png_writer.h"
#include "inspect/render.h"

namespace plandrix::bench {
namespace {

// The band the preview command draws at once: 16 rows of vertices.
void RenderAll(const std::vector<std::uint8_t>& map, std::size_t side, int scale,
               std::vector<std::uint8_t>& band) {
  const std::size_t rows = 16 * static_cast<std::size_t>(scale);
  const std::size_t height = side * static_cast<std::size_t>(scale);
  for (std::size_t row = 0; row < height; row += rows) {
    RenderRows(map, Layer::kTerrain, scale, row, band);
  }
}

void RunRender(benchmark::State& state, int scale) {
  const auto side = static_cast<std::size_t>(state.range(0));
  const std::vector<std::uint8_t>& map = RandomMap(side);
  const std::size_t width = side * static_cast<std::size_t>(scale);
  std::vector<std::uint8_t> band(3 * width * 16 * static_cast<std::size_t>(scale));
  for (auto _ : state) {
    RenderAll(map, side, scale, band);
    benchmark::DoNotOptimize(band.data());
  }
  ReportPerVertex(state, side * side);
}

void BM_RenderTerrain(benchmark::State& state) { RunRender(state, 1); }
void BM_RenderTerrainScale2(benchmark::State& state) { RunRender(state, 2); }

// What preview costs beyond reading the map: the picture at scale 1 and its PNG bytes.
void BM_RenderAndEncodePng(benchmark::State& state) {
  const auto side = static_cast<std::size_t>(state.range(0));
  const std::vector<std::uint8_t>& map = RandomMap(side);
  for (auto _ : state) {
    const auto png = EncodePng(side, side, 16, [&](std::size_t row, std::span<std::uint8_t> rgb) {
      RenderRows(map, Layer::kTerrain, 1, row, rgb);
    });
    benchmark::DoNotOptimize(png->data());
  }
  ReportPerVertex(state, side * side);
}

BENCHMARK(BM_RenderTerrain)->Arg(256)->Arg(1024)->Arg(4096)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderTerrainScale2)->Arg(256)->Arg(1024)->Arg(4096)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderAndEncodePng)->Arg(256)->Arg(1024)->Arg(4096)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace plandrix::bench
