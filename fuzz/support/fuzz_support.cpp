#include "support/fuzz_support.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/blank_map.h"
#include "core/map_layout.h"

namespace plandrix::fuzz {

std::uint8_t ByteReader::U8() {
  const auto taken = Take(1);
  return taken.empty() ? 0 : taken[0];
}

std::uint16_t ByteReader::U16() {
  const auto low = U8();
  const auto high = U8();
  return static_cast<std::uint16_t>(low | (high << 8));
}

std::uint32_t ByteReader::U32() {
  const std::uint32_t low = U16();
  const std::uint32_t high = U16();
  return low | (high << 16);
}

std::span<const std::uint8_t> ByteReader::Take(std::size_t count) {
  const std::size_t taken = std::min(count, bytes_.size() - position_);
  const auto result = bytes_.subspan(position_, taken);
  position_ += taken;
  return result;
}

std::span<const std::uint8_t> ByteReader::TakeSized() { return Take(U16()); }

std::span<const std::uint8_t> ByteReader::Rest() { return Take(bytes_.size() - position_); }

void PutU8(Bytes& bytes, std::uint8_t value) { bytes.push_back(value); }

void PutU16(Bytes& bytes, std::uint16_t value) {
  bytes.push_back(static_cast<std::uint8_t>(value & 0xFF));
  bytes.push_back(static_cast<std::uint8_t>(value >> 8));
}

void PutU32(Bytes& bytes, std::uint32_t value) {
  PutU16(bytes, static_cast<std::uint16_t>(value & 0xFFFF));
  PutU16(bytes, static_cast<std::uint16_t>(value >> 16));
}

void PutSized(Bytes& bytes, std::span<const std::uint8_t> block) {
  PutU16(bytes, static_cast<std::uint16_t>(block.size()));
  PutAll(bytes, block);
}

void PutAll(Bytes& bytes, std::span<const std::uint8_t> block) {
  bytes.insert(bytes.end(), block.begin(), block.end());
}

namespace {

// A small linear congruential generator: seeds need variety, not quality.
class SeedSequence {
 public:
  explicit SeedSequence(std::uint32_t salt) : state_(salt * 2654435761u + 1u) {}
  std::uint32_t Next() {
    state_ = state_ * 1103515245u + 12345u;
    return state_ >> 8;
  }

 private:
  std::uint32_t state_;
};

// Listed land codes, water, known barren codes and unlisted ones.
constexpr std::uint8_t kSeedTerrain[] = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10,
                                         11, 12, 13, 14, 15, 16, 18, 19, 20, 21, 22,
                                         34, 64, 72, 17, 23, 35, 36, 37, 99, 200};

}  // namespace

Bytes SeedMap(std::size_t width, std::size_t height, std::uint32_t salt) {
  Bytes image(MapLength(width, height));
  CreateBlankMap(image, width, height);
  const std::size_t n = width * height;
  SeedSequence sequence(salt);
  const std::span<std::uint8_t> span(image);
  // Patches of one terrain, so that whole vertex neighbourhoods share a class.
  const std::uint8_t patch = kSeedTerrain[sequence.Next() % std::size(kSeedTerrain)];
  for (int block : {kTerrainBlock1, kTerrainBlock2}) {
    auto data = Block(span, block, n);
    for (std::size_t i = 0; i < n; ++i) {
      const std::uint32_t draw = sequence.Next();
      data[i] = draw % 3 == 0 ? kSeedTerrain[(draw >> 4) % std::size(kSeedTerrain)] : patch;
    }
  }
  for (std::size_t i = 0; i < n; ++i) {
    Block(span, kHeightBlock, n)[i] = static_cast<std::uint8_t>(10 + sequence.Next() % 8);
  }
  if (salt % 2 == 1) {
    for (int block : {kObjectIndexBlock, kObjectTypeBlock, kAnimalBlock, kResourceBlock}) {
      auto data = Block(span, block, n);
      for (std::size_t i = 0; i < n; ++i) {
        const std::uint32_t draw = sequence.Next();
        data[i] = draw % 5 == 0 ? static_cast<std::uint8_t>(draw >> 8) : 0;
      }
    }
  }
  return image;
}

namespace {

Bytes BitmapHeader(std::size_t width, std::size_t height, std::uint16_t bits,
                   std::size_t pixel_offset) {
  Bytes bytes(pixel_offset);
  bytes[0] = 'B';
  bytes[1] = 'M';
  WriteU32(bytes, 10, pixel_offset);
  WriteU32(bytes, 14, 40);
  WriteU32(bytes, 18, width);
  WriteU32(bytes, 22, height);
  WriteU16(bytes, 26, 1);
  WriteU16(bytes, 28, bits);
  return bytes;
}

}  // namespace

Bytes Seed4BitBitmap(std::size_t width, std::size_t height, std::uint32_t salt) {
  Bytes bytes = BitmapHeader(width, height, 4, 118);
  // Rows of ceil(W / 8) x 4 bytes; an odd width's last pixel byte holds one pixel.
  const std::size_t pixel_bytes = (width + 1) / 2;
  const std::size_t padding = (width + 7) / 8 * 4 - pixel_bytes;
  SeedSequence sequence(salt);
  std::size_t colour = salt % 16;
  for (std::size_t row = 0; row < height; ++row) {
    for (std::size_t pair = 0; pair < pixel_bytes; ++pair) {
      // Runs of one colour with changes now and then, so shared triangles are contested.
      if (sequence.Next() % 3 == 0) colour = sequence.Next() % 16;
      const std::size_t right = sequence.Next() % 2 == 0 ? colour : sequence.Next() % 16;
      bytes.push_back(static_cast<std::uint8_t>((colour << 4) | right));
    }
    bytes.insert(bytes.end(), padding, std::uint8_t{0});
  }
  WriteU32(bytes, 2, bytes.size());
  return bytes;
}

Bytes Seed8BitBitmap(std::size_t width, std::size_t height, std::uint32_t salt) {
  const std::size_t pixel_offset = 14 + 40 + 256 * 4;
  Bytes bytes = BitmapHeader(width, height, 8, pixel_offset);
  SeedSequence sequence(salt);
  int value = static_cast<int>(salt % 64);
  for (std::size_t i = 0; i < width * height; ++i) {
    const std::uint32_t draw = sequence.Next();
    value += draw % 17 == 0 ? static_cast<int>(draw % 90) - 45 : static_cast<int>(draw % 9) - 4;
    value = std::clamp(value, 0, 255);
    bytes.push_back(static_cast<std::uint8_t>(value));
  }
  WriteU32(bytes, 2, bytes.size());
  return bytes;
}

void WriteSeedsIfAsked(std::string_view name, const std::vector<Bytes>& (*make_seeds)()) {
  const char* folder = std::getenv("PLANDRIX_FUZZ_SEEDS");
  if (folder == nullptr) return;
  std::filesystem::create_directories(folder);
  const std::vector<Bytes>& seeds = make_seeds();
  for (std::size_t i = 0; i < seeds.size(); ++i) {
    std::string number = std::to_string(i);
    number.insert(0, 3 - std::min<std::size_t>(3, number.size()), '0');
    std::ofstream file(std::filesystem::path(folder) / (std::string(name) + "-" + number),
                       std::ios::binary);
    file.write(reinterpret_cast<const char*>(seeds[i].data()),
               static_cast<std::streamsize>(seeds[i].size()));
    if (!file) std::exit(1);
  }
  std::exit(0);
}

void ExpectOnlyBlocksChanged(std::span<const std::uint8_t> before,
                             std::span<const std::uint8_t> after, std::size_t width,
                             std::size_t height, std::initializer_list<int> blocks) {
  Expect(before.size() == after.size());
  const std::size_t n = width * height;
  // The data of the blocks in file order; the gaps between them must be equal.
  std::vector<std::size_t> starts;
  for (int block : blocks) starts.push_back(BlockDataOffset(block, n));
  std::sort(starts.begin(), starts.end());
  std::size_t position = 0;
  const auto expect_equal_up_to = [&](std::size_t end) {
    Expect(std::equal(before.begin() + static_cast<std::ptrdiff_t>(position),
                      before.begin() + static_cast<std::ptrdiff_t>(end),
                      after.begin() + static_cast<std::ptrdiff_t>(position)));
  };
  for (std::size_t start : starts) {
    expect_equal_up_to(start);
    position = start + n;
  }
  expect_equal_up_to(before.size());
}

void Expect(bool condition) {
  if (!condition) __builtin_trap();
}

std::optional<LoadedMap> LoadMapImage(std::span<const std::uint8_t> bytes) {
  if (!MapImageIsComplete(bytes) || bytes.size() > kMaxImageBytes) return std::nullopt;
  LoadedMap map;
  map.image.assign(bytes.begin(), bytes.end());
  map.stored = map.image;
  map.width = MapWidth(map.image);
  map.height = MapHeight(map.image);
  return map;
}

}  // namespace plandrix::fuzz
