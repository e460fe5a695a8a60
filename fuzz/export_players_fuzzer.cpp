// The exports and the players on an arbitrary map with arbitrary arguments: the heights
// bitmap holds 4 x every height, the terrain bitmap converts back to exactly as many
// matching triangles as the export reports, typed and chosen headquarters stay inside
// the map and change only the header's player fields and the object blocks. The input is
// a player count, a seed, up to seven typed positions, then the map image.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/blank_map.h"
#include "core/map_format.h"
#include "core/map_layout.h"
#include "core/terrain.h"
#include "inspect/bitmap_export.h"
#include "inspect/players.h"
#include "support/fuzz_support.h"
#include "transform/bitmap_terrain.h"

namespace {

using plandrix::kHeadquartersType;
using plandrix::kHeadquartersXOffset;
using plandrix::kHeadquartersYOffset;
using plandrix::kPlayerCountOffset;
using plandrix::fuzz::Bytes;
using plandrix::fuzz::Expect;
using Vertex = plandrix::Point;

Bytes Input(std::uint8_t count, std::uint32_t seed, const std::vector<Vertex>& typed,
            const Bytes& image) {
  Bytes bytes;
  plandrix::fuzz::PutU8(bytes, count);
  plandrix::fuzz::PutU32(bytes, seed);
  plandrix::fuzz::PutU8(bytes, static_cast<std::uint8_t>(typed.size()));
  for (const Vertex& v : typed) {
    plandrix::fuzz::PutU16(bytes, static_cast<std::uint16_t>(v.x));
    plandrix::fuzz::PutU16(bytes, static_cast<std::uint16_t>(v.y));
  }
  plandrix::fuzz::PutAll(bytes, image);
  return bytes;
}

const std::vector<Bytes>& Seeds() {
  using plandrix::fuzz::SeedMap;
  static const std::vector<Bytes> seeds = {
      Input(4, 12345678, {{3, 3}, {9, 8}}, SeedMap(16, 12, 1)),
      Input(2, 1, {{2, 2}}, SeedMap(9, 7, 2)),
      Input(7, 99, {{1, 1}, {1, 1}, {40, 2}}, SeedMap(3, 3, 3)),
      Input(1, 5, {}, SeedMap(1, 40, 4)),
      Input(3, 0, {{0, 0}}, SeedMap(33, 20, 5)),
  };
  return seeds;
}

void CheckHeights(const Bytes& image, std::size_t width, std::size_t height) {
  if (plandrix::inspect::FindHeightAbove(image, plandrix::inspect::kHighestExportedHeight)) return;
  const Bytes bmp = plandrix::inspect::ExportHeights(image);
  const std::size_t row = (width + 3) / 4 * 4;
  Expect(bmp.size() == 1078 + row * height);
  const auto heights =
      plandrix::Block(std::span<const std::uint8_t>(image), plandrix::kHeightBlock, width * height);
  for (std::size_t y = 0; y < height; ++y) {
    for (std::size_t x = 0; x < width; ++x) {
      Expect(bmp[1078 + (height - 1 - y) * row + x] == 4 * heights[y * width + x]);
    }
  }
}

// Converts the exported bitmap as the menu program does and counts the triangles that
// came back as the map has them: the export's own check must count the same. The fast
// choice of colours must be the simple one.
void CheckTerrain(const Bytes& image, std::size_t width, std::size_t height) {
  const Bytes colours = plandrix::inspect::ChooseTerrainColours(image);
  Expect(colours.size() == width * height);
  Expect(colours == plandrix::inspect::ChooseTerrainColoursSimple(image));
  const Bytes bmp = plandrix::inspect::Write4BitBitmap(colours, width, height);
  Expect(bmp.size() == 118 + (width + 7) / 8 * 4 * height);
  const std::size_t n = width * height;
  Bytes back(plandrix::MapLength(width, height));
  plandrix::CreateBlankMap(back, width, height);
  Bytes codes(n);
  Expect(plandrix::TranslateBMPNumbertoTexture(bmp, codes, width, height,
                                               plandrix::BmpRowPadding(width)));
  plandrix::GetCurrentTexture(back, codes, width, height);
  std::size_t same = 0;
  for (int block : {plandrix::kTerrainBlock1, plandrix::kTerrainBlock2}) {
    const std::size_t at = plandrix::BlockDataOffset(block, n);
    for (std::size_t i = 0; i < n; ++i) same += image[at + i] == back[at + i] ? 1 : 0;
  }
  const auto check = plandrix::inspect::CheckConversion(image, bmp);
  Expect(check && check->triangles == 2 * n && check->same == same);
  Expect(check->unpaintable + check->unreached <= check->triangles - check->same);
}

// Sets the players and checks that nothing but their fields and the object blocks moved.
void CheckPlayers(const Bytes& before, const std::vector<Vertex>& players, std::size_t width,
                  std::size_t height) {
  Bytes after = before;
  plandrix::inspect::SetPlayers(after, players);
  Expect(after[kPlayerCountOffset] == players.size());
  std::size_t marks = 0;
  const auto types = plandrix::Block(std::span<const std::uint8_t>(after),
                                     plandrix::kObjectTypeBlock, width * height);
  for (std::uint8_t type : types) marks += type == kHeadquartersType ? 1 : 0;
  Expect(marks == players.size());
  // The header's player fields put back, only the object blocks may differ.
  after[kPlayerCountOffset] = before[kPlayerCountOffset];
  for (std::size_t i = kHeadquartersXOffset; i < kHeadquartersYOffset + 14; ++i) {
    after[i] = before[i];
  }
  plandrix::fuzz::ExpectOnlyBlocksChanged(
      before, after, width, height, {plandrix::kObjectIndexBlock, plandrix::kObjectTypeBlock});
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  plandrix::fuzz::WriteSeedsIfAsked("export_players", Seeds);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  plandrix::fuzz::ByteReader reader(data, size);
  const std::size_t count = reader.U8() % 9;  // 0 and 8 as well
  const std::uint32_t seed = reader.U32();
  std::vector<Vertex> typed(reader.U8() % 8);
  for (Vertex& v : typed) v = {reader.U16(), reader.U16()};
  auto loaded = plandrix::fuzz::LoadMapImage(reader.Rest());
  if (!loaded || loaded->width == 0 || loaded->height == 0) return 0;
  const std::size_t width = loaded->width;
  const std::size_t height = loaded->height;
  CheckHeights(loaded->image, width, height);
  CheckTerrain(loaded->image, width, height);

  std::vector<Vertex> accepted;
  for (const Vertex& v : typed) {
    const auto check = plandrix::inspect::CheckHeadquartersPlace(loaded->image, v, accepted);
    if (check.problem == plandrix::inspect::PlaceProblem::kNone) accepted.push_back(v);
  }
  CheckPlayers(loaded->stored, accepted, width, height);
  if (count == 0 || count > plandrix::kMostPlayers) return 0;
  const auto chosen = plandrix::inspect::ChooseHeadquarters(loaded->image, count, seed);
  if (!chosen) {
    Expect(plandrix::inspect::CountCastleSites(loaded->image) < count);
    return 0;
  }
  const std::vector<Vertex>& places = chosen->positions;
  Expect(places.size() == count);
  const std::vector<std::uint8_t> castle = plandrix::inspect::FindCastleSites(loaded->image);
  for (std::size_t i = 0; i < places.size(); ++i) {
    Expect(castle[places[i].y * width + places[i].x] == 1);
    for (std::size_t j = 0; j < i; ++j) Expect(places[i] != places[j]);
  }
  CheckPlayers(loaded->stored, places, width, height);
  return 0;
}
