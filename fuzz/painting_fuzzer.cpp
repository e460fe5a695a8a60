// The random map generator's painting on layouts that its tool could lay out: a map of
// W x H (1 to 65535 each, within the fuzzers' image limit), regions of the tool's size or
// of any size, percentages as the tool sets them or any, kinds drawn from the seed or
// taken from the input (8 and above leave a cell unpainted), then optionally the
// placement and height passes in the tool's order.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <vector>

#include "core/blank_map.h"
#include "core/map_layout.h"
#include "random/objects_animals.h"
#include "random/random_heights.h"
#include "random/random_map.h"
#include "random/random_source.h"
#include "random/resources.h"
#include "random/trees_granite.h"
#include "support/fuzz_support.h"

namespace {

using plandrix::fuzz::Bytes;

// Bits of the choice byte.
constexpr std::uint8_t kAnyRegionSize = 1;
constexpr std::uint8_t kKindsFromInput = 2;
constexpr std::uint8_t kRunPasses = 4;
constexpr std::uint8_t kAnyPercentages = 8;

// Painting is the slowest of the operations; a quarter of the image limit keeps runs fast.
constexpr std::size_t kMaxPaintedImage = plandrix::fuzz::kMaxImageBytes / 4;

struct Layout {
  std::uint16_t width;
  std::uint16_t height;
  std::uint8_t choice;
  std::int8_t region_width;
  std::int8_t region_height;
  std::array<std::int8_t, plandrix::kRegionKindCount> percent;
  std::uint32_t seed;
};

Bytes Input(const Layout& layout, std::initializer_list<std::uint8_t> kinds) {
  Bytes bytes;
  plandrix::fuzz::PutU16(bytes, layout.width);
  plandrix::fuzz::PutU16(bytes, layout.height);
  plandrix::fuzz::PutU8(bytes, layout.choice);
  plandrix::fuzz::PutU8(bytes, static_cast<std::uint8_t>(layout.region_width));
  plandrix::fuzz::PutU8(bytes, static_cast<std::uint8_t>(layout.region_height));
  for (std::int8_t value : layout.percent) {
    plandrix::fuzz::PutU8(bytes, static_cast<std::uint8_t>(value));
  }
  plandrix::fuzz::PutU32(bytes, layout.seed);
  for (std::uint8_t kind : kinds) plandrix::fuzz::PutU8(bytes, kind);
  return bytes;
}

const std::vector<Bytes>& Seeds() {
  static const std::vector<Bytes> seeds = {
      Input({64, 48, kRunPasses, 0, 0, {}, 12345678}, {}),
      Input({40, 40, kKindsFromInput, 0, 0, {}, 1}, {0, 1, 2, 3, 4, 5, 6, 7, 8}),
      Input({13, 13, kKindsFromInput | kRunPasses, 0, 0, {}, 7}, {2}),
      Input({30, 20, kAnyRegionSize | kKindsFromInput, 4, 5, {}, 3}, {7, 6, 5, 4, 3, 2, 1, 0, 9}),
      Input({25, 37, kAnyRegionSize | kAnyPercentages, 3, 2, {10, 10, 10, 10, 10, 10, 10, 30}, 9},
            {}),
      Input({100,
             3,
             kAnyRegionSize | kAnyPercentages | kRunPasses,
             1,
             1,
             {-20, 50, 90, -1, 0, 0, 0, 0},
             5},
            {}),
      Input({1, 1, kRunPasses, 0, 0, {}, 12345678}, {}),
  };
  return seeds;
}

// The layout that the tool (or, by the choice bits, any size and percentages) gives, with
// the facts every grid must keep.
plandrix::MapLayout CheckedLayout(
    std::int32_t typed_width, std::int32_t typed_height, std::uint8_t choice,
    std::int8_t region_width, std::int8_t region_height,
    const std::array<std::int8_t, plandrix::kRegionKindCount>& percent, std::uint32_t seed) {
  plandrix::MapLayout layout;
  if ((choice & kAnyRegionSize) != 0) {
    layout.region_width = region_width;
    layout.region_height = region_height;
  }
  if ((choice & kAnyPercentages) != 0) {
    std::copy(percent.begin(), percent.end(), layout.kind_percent.begin());
  }
  layout.seed = static_cast<std::int32_t>(seed);
  layout = plandrix::ComputeMapLayout(layout, typed_width, typed_height);
  plandrix::fuzz::Expect(layout.region_count >= 0 && layout.region_columns >= 0 &&
                         layout.region_rows >= 0);
  // Every region of the grid lies inside the map.
  if (layout.region_count > 0) {
    plandrix::fuzz::Expect(std::int64_t{layout.region_columns} * layout.region_width +
                               layout.leftover_x ==
                           typed_width);
    plandrix::fuzz::Expect(std::int64_t{layout.region_rows} * layout.region_height +
                               layout.leftover_y ==
                           typed_height);
    plandrix::fuzz::Expect(layout.leftover_x >= 1 && layout.leftover_y >= 1);
  }
  return layout;
}

// The placement and height passes in the tool's order: they change only their blocks.
void RunPasses(Bytes& image, std::size_t width, std::size_t height, plandrix::RandomSource& source,
               std::uint32_t seed) {
  const Bytes painted = image;
  std::ostringstream out;
  (void)plandrix::RandomNumber(source, seed, 1);
  plandrix::PlaceObjects(image, width, height, source, seed, out);
  (void)plandrix::RandomNumber(source, seed, 1);
  plandrix::PlaceTrees(image, width, height, source, seed, out);
  (void)plandrix::RandomNumber(source, seed, 1);
  plandrix::PlaceGranite(image, width, height, source, seed, out);
  (void)plandrix::RandomNumber(source, seed, 1);
  plandrix::PlaceAnimals(image, width, height, source, seed, out);
  plandrix::PlaceResources(image, width, height);
  plandrix::RandomizeHeights(image, width, height, source, seed);
  plandrix::fuzz::ExpectOnlyBlocksChanged(
      painted, image, width, height,
      {plandrix::kHeightBlock, plandrix::kObjectIndexBlock, plandrix::kObjectTypeBlock,
       plandrix::kAnimalBlock, plandrix::kResourceBlock});
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  plandrix::fuzz::WriteSeedsIfAsked("painting", Seeds);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  plandrix::fuzz::ByteReader reader(data, size);
  const std::int32_t typed_width = reader.U16();
  const std::int32_t typed_height = reader.U16();
  const std::uint8_t choice = reader.U8();
  const auto region_width = static_cast<std::int8_t>(reader.U8());
  const auto region_height = static_cast<std::int8_t>(reader.U8());
  std::array<std::int8_t, plandrix::kRegionKindCount> percent{};
  for (auto& value : percent) value = static_cast<std::int8_t>(reader.U8());
  const std::uint32_t seed = reader.U32();
  const auto typed_kinds = reader.Rest();

  // The tool refuses a side of 0.
  if (typed_width < 1 || typed_height < 1) return 0;
  const auto width = static_cast<std::size_t>(typed_width);
  const auto height = static_cast<std::size_t>(typed_height);
  const std::size_t length = plandrix::MapLength(width, height);
  if (length > kMaxPaintedImage) return 0;

  const plandrix::MapLayout layout =
      CheckedLayout(typed_width, typed_height, choice, region_width, region_height, percent, seed);
  const auto count = static_cast<std::size_t>(layout.region_count);
  if (count * sizeof(std::uint32_t) > kMaxPaintedImage) return 0;
  Bytes image(length);
  std::vector<std::uint32_t> kinds(count);
  plandrix::CreateBlankMap(image, width, height);
  const Bytes blank = image;

  plandrix::RandomSource source;
  (void)plandrix::RandomNumber(source, seed, 1);
  if ((choice & kKindsFromInput) != 0) {
    for (std::size_t i = 0; i < count && !typed_kinds.empty(); ++i) {
      kinds[i] = typed_kinds[i % typed_kinds.size()];
    }
  } else {
    plandrix::AssignRegionKinds(kinds, layout, source, seed);
    plandrix::fuzz::Expect(std::all_of(kinds.begin(), kinds.end(), [](std::uint32_t kind) {
      return kind <= plandrix::kUnpaintedKind;
    }));
  }
  for (std::int32_t row = 0; row < layout.region_rows; ++row) {
    for (std::int32_t column = 0; column < layout.region_columns; ++column) {
      plandrix::PaintRegion(image, kinds, row, column, layout, source, seed);
    }
  }
  // Cells and rows outside the grid paint nothing, and draw nothing.
  plandrix::PaintRegion(image, kinds, -1, 0, layout, source, seed);
  plandrix::PaintRegion(image, kinds, layout.region_rows, 0, layout, source, seed);
  plandrix::PaintRegion(image, kinds, 0, layout.region_columns, layout, source, seed);
  plandrix::fuzz::ExpectOnlyBlocksChanged(blank, image, width, height,
                                          {plandrix::kTerrainBlock1, plandrix::kTerrainBlock2});

  if ((choice & kRunPasses) != 0) RunPasses(image, width, height, source, seed);
  return 0;
}
