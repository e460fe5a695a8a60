// check, stats, the picture and the balance of plandrix-map over arbitrary bytes: the
// input is the layer and scale, a picture row to start a band at (and a radius), then the
// file itself.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "core/blank_map.h"
#include "core/map_format.h"
#include "core/map_layout.h"
#include "inspect/balance.h"
#include "inspect/map_check.h"
#include "inspect/map_stats.h"
#include "inspect/png_writer.h"
#include "inspect/render.h"
#include "support/fuzz_support.h"

namespace {

using plandrix::fuzz::Bytes;
using plandrix::fuzz::Expect;

// Pictures above this many pixels are drawn one band only.
constexpr std::size_t kMaxWholePixels = std::size_t{1} << 20;

Bytes Input(std::uint8_t options, std::uint16_t row, const Bytes& file) {
  Bytes bytes;
  plandrix::fuzz::PutU8(bytes, options);
  plandrix::fuzz::PutU16(bytes, row);
  plandrix::fuzz::PutAll(bytes, file);
  return bytes;
}

Bytes WithPlayers(Bytes map, std::uint8_t players) {
  map[35] = players;
  return map;
}

const std::vector<Bytes>& Seeds() {
  using plandrix::fuzz::SeedMap;
  static const std::vector<Bytes> seeds = {
      Input(0, 0, SeedMap(16, 12, 1)),   Input(1 | 4, 7, WithPlayers(SeedMap(9, 7, 3), 2)),
      Input(2 | 8, 3, SeedMap(5, 4, 2)), Input(12, 40, SeedMap(3, 3, 5)),
      Input(0, 0, Bytes(2400, 0)),       Input(4, 1, Bytes{'B', 'M', 0, 0}),
  };
  return seeds;
}

void CheckBands(std::span<const std::uint8_t> file, plandrix::Layer layer, int scale,
                std::size_t first_row) {
  const auto size =
      plandrix::PictureSizeFor(plandrix::MapWidth(file), plandrix::MapHeight(file), scale);
  if (!size || size->width > (std::size_t{1} << 16)) return;
  Bytes band(3 * size->width * 3, 0);
  plandrix::RenderRows(file, layer, scale, first_row, band);
  if (size->width * size->height > kMaxWholePixels) return;
  const Bytes picture = plandrix::RenderPicture(file, layer, scale);
  Expect(picture.size() == 3 * size->width * size->height);
  // A band is the same rows of the whole picture; rows past its end stay black.
  for (std::size_t i = 0; i < band.size(); ++i) {
    const std::size_t at = 3 * size->width * first_row + i;
    Expect(band[i] == (at < picture.size() ? picture[at] : 0));
  }
  if (size->width * size->height <= 4096) {
    const auto png = plandrix::EncodePng(size->width, size->height, 2,
                                         [&](std::size_t row, std::span<std::uint8_t> rgb) {
                                           plandrix::RenderRows(file, layer, scale, row, rgb);
                                         });
    Expect(png.has_value());
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  plandrix::fuzz::WriteSeedsIfAsked("map_view", Seeds);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  plandrix::fuzz::ByteReader reader(data, size);
  const std::uint8_t options = reader.U8();
  const std::size_t first_row = reader.U16();
  const auto file = reader.Rest();
  const auto layer = static_cast<plandrix::Layer>(options % 4);
  const int scale = 1 + (options >> 2) % 4;

  // check walks the blocks as the game does: of a file that begins like a map it says
  // too-short exactly when the walk ends inside a block; anything else says only
  // bad-signature. stats counts every file whose blocks stand where the layout puts them.
  const auto findings = plandrix::CheckMap(file);
  const auto has = [&](std::string_view code) {
    return std::any_of(findings.begin(), findings.end(),
                       [&](const auto& finding) { return finding.code == code; });
  };
  const auto structure = plandrix::ReadMapStructure(file);
  const bool map_like = file.size() >= 10 &&
                        std::equal(file.begin(), file.begin() + 10, plandrix::kSignature.begin());
  if (!map_like) {
    Expect(findings.size() == 1 && has("bad-signature"));
  } else {
    Expect(has("too-short") == (!structure || structure->blocks_read < plandrix::kBlockCount));
  }
  const auto stats = plandrix::CountMap(file);
  Expect(stats.has_value() == plandrix::MapImageIsComplete(file));
  if (!stats) return 0;
  std::uint64_t triangles = 0;
  for (const std::uint64_t count : stats->terrain) triangles += count;
  Expect(triangles == 2 * stats->width * stats->height);
  CheckBands(file, layer, scale, first_row);
  // The balance of every file that holds its map, in both forms.
  const auto balance = plandrix::MeasureBalance(file, first_row % 40);
  Expect(balance.has_value() == plandrix::MapImageIsComplete(file));
  if (balance) Expect(!plandrix::BalanceJson(*balance, "m").empty());
  return 0;
}
