// The passes that draw nothing: blank map, resources, mirrors, rotation, set heights,
// bitmap translation, the terrain walk and the height-map apply.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <vector>

#include "bench_maps.h"
#include "console/console.h"
#include "tools/height_map_tool.h"
#include "transform/mirror.h"
#include "transform/set_heights.h"

namespace plandrix::bench {
namespace {

#define PLANDRIX_SIDES ->Arg(256)->Arg(1024)->Arg(4096)->Unit(benchmark::kMicrosecond)

std::size_t SideOf(const benchmark::State& state) {
  return static_cast<std::size_t>(state.range(0));
}

void Touch(std::vector<std::uint8_t>& image) {
  benchmark::DoNotOptimize(image.data());
  benchmark::ClobberMemory();
}

void BM_CreateBlankMap(benchmark::State& state) {
  const std::size_t side = SideOf(state);
  std::vector<std::uint8_t> image(MapLength(side, side));
  for (auto _ : state) {
    CreateBlankMap(image, side, side);
    Touch(image);
  }
  ReportPerVertex(state, side * side);
}
BENCHMARK(BM_CreateBlankMap) PLANDRIX_SIDES;

void BM_PlaceResources(benchmark::State& state) {
  const std::size_t side = SideOf(state);
  std::vector<std::uint8_t> image = RandomMap(side);
  for (auto _ : state) {
    PlaceResources(image, side, side);
    Touch(image);
  }
  ReportPerVertex(state, side * side);
}
BENCHMARK(BM_PlaceResources) PLANDRIX_SIDES;

void BM_PlaceResources_Simple(benchmark::State& state) {
  const std::size_t side = SideOf(state);
  std::vector<std::uint8_t> image = RandomMap(side);
  for (auto _ : state) {
    PlaceResourcesVertexByVertex(image, side, side);
    Touch(image);
  }
  ReportPerVertex(state, side * side);
}
BENCHMARK(BM_PlaceResources_Simple) PLANDRIX_SIDES;

// The mirror operations as the tool runs them, and their byte-by-byte versions.
template <class Operation>
void BM_Mirroring(benchmark::State& state, Operation operation) {
  const std::size_t side = SideOf(state);
  const std::vector<std::uint8_t>& stored = RandomMap(side);
  std::vector<std::uint8_t> image = stored;
  for (auto _ : state) {
    operation(image, stored, side);
    Touch(image);
  }
  ReportPerVertex(state, side * side);
}

using Image = std::vector<std::uint8_t>;
void RunMirrorY(Image& image, const Image&, std::size_t side) {
  MirrorY(image, side, side, NullStream());
}
void RunMirrorYSimple(Image& image, const Image&, std::size_t side) {
  MirrorYByteByByte(image, side, side);
}
void RunMirrorX(Image& image, const Image&, std::size_t side) {
  MirrorX(image, side, side, NullStream());
}
void RunRotate180(Image& image, const Image& stored, std::size_t side) {
  Rotate180(image, stored, side, side);
}
void RunRotate180Simple(Image& image, const Image& stored, std::size_t side) {
  Rotate180ByteByByte(image, stored, side, side);
}
BENCHMARK_CAPTURE(BM_Mirroring, y, RunMirrorY)->Name("BM_MirrorY") PLANDRIX_SIDES;
BENCHMARK_CAPTURE(BM_Mirroring, y_simple, RunMirrorYSimple)
    ->Name("BM_MirrorY_Simple") PLANDRIX_SIDES;
BENCHMARK_CAPTURE(BM_Mirroring, x, RunMirrorX)->Name("BM_MirrorX") PLANDRIX_SIDES;
BENCHMARK_CAPTURE(BM_Mirroring, turn, RunRotate180)->Name("BM_Rotate180") PLANDRIX_SIDES;
BENCHMARK_CAPTURE(BM_Mirroring, turn_simple, RunRotate180Simple)
    ->Name("BM_Rotate180_Simple") PLANDRIX_SIDES;

void BM_SetAllHeights(benchmark::State& state) {
  const std::size_t side = SideOf(state);
  std::vector<std::uint8_t> image = RandomMap(side);
  std::uint8_t value = 0;
  for (auto _ : state) {
    SetAllHeights(image, side, side, value);
    value = static_cast<std::uint8_t>((value + 1) % 61);
    Touch(image);
  }
  ReportPerVertex(state, side * side);
}
BENCHMARK(BM_SetAllHeights) PLANDRIX_SIDES;

void BM_TranslateBitmap(benchmark::State& state) {
  const std::size_t side = SideOf(state);
  const std::vector<std::uint8_t>& bitmap = MixedBitmap(side);
  std::vector<std::uint8_t> codes(side * side);
  for (auto _ : state) {
    TranslateBMPNumbertoTexture(bitmap, codes, side, side, BmpRowPadding(side));
    Touch(codes);
  }
  ReportPerVertex(state, side * side);
}
BENCHMARK(BM_TranslateBitmap) PLANDRIX_SIDES;

template <class Paint>
void BM_TerrainWalk(benchmark::State& state, Paint paint) {
  const std::size_t side = SideOf(state);
  const std::vector<std::uint8_t>& bitmap = MixedBitmap(side);
  std::vector<std::uint8_t> codes(side * side);
  TranslateBMPNumbertoTexture(bitmap, codes, side, side, BmpRowPadding(side));
  std::vector<std::uint8_t> image(MapLength(side, side));
  CreateBlankMap(image, side, side);
  for (auto _ : state) {
    paint(image, codes, side);
    Touch(image);
  }
  ReportPerVertex(state, side * side);
}
// The painting as the tool does it, and its 16 scans as it reads.
void RunPainting(std::vector<std::uint8_t>& image, const std::vector<std::uint8_t>& codes,
                 std::size_t side) {
  GetCurrentTexture(image, codes, side, side);
}
void RunPaintingStepByStep(std::vector<std::uint8_t>& image, const std::vector<std::uint8_t>& codes,
                           std::size_t side) {
  GetCurrentTextureStepByStep(image, codes, side, side);
}
BENCHMARK_CAPTURE(BM_TerrainWalk, painting, RunPainting)->Name("BM_TerrainWalk") PLANDRIX_SIDES;
BENCHMARK_CAPTURE(BM_TerrainWalk, steps, RunPaintingStepByStep)
    ->Name("BM_TerrainWalk_Simple") PLANDRIX_SIDES;

void BM_ApplyHeightMap(benchmark::State& state) {
  const std::size_t side = SideOf(state);
  const std::vector<std::uint8_t>& bitmap = HeightBitmap(side);
  std::vector<std::uint8_t> image = RandomMap(side);
  for (auto _ : state) {
    std::istringstream in("1\n");
    Console console{in, NullStream()};
    benchmark::DoNotOptimize(ApplyHeightMap(console, image, bitmap));
    Touch(image);
  }
  ReportPerVertex(state, side * side);
}
BENCHMARK(BM_ApplyHeightMap) PLANDRIX_SIDES;

// The memory floors at each size: filling and copying the bytes of a whole map (14 per
// vertex). Their 4096 / 1024 ratio is the hardware's own: a 1024 x 1024 map fits in the
// processor's last-level cache, a 4096 x 4096 one does not.
void BM_FloorFillMap(benchmark::State& state) {
  const std::size_t side = SideOf(state);
  std::vector<std::uint8_t> image(MapLength(side, side));
  std::uint8_t value = 0;
  for (auto _ : state) {
    std::memset(image.data(), value++, image.size());
    Touch(image);
  }
  ReportPerVertex(state, side * side);
}
BENCHMARK(BM_FloorFillMap) PLANDRIX_SIDES;

void BM_FloorCopyMap(benchmark::State& state) {
  const std::size_t side = SideOf(state);
  const std::vector<std::uint8_t>& stored = RandomMap(side);
  std::vector<std::uint8_t> image(stored.size());
  for (auto _ : state) {
    std::memcpy(image.data(), stored.data(), stored.size());
    Touch(image);
  }
  ReportPerVertex(state, side * side);
}
BENCHMARK(BM_FloorCopyMap) PLANDRIX_SIDES;

#undef PLANDRIX_SIDES

}  // namespace
}  // namespace plandrix::bench
