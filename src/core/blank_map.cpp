#include "core/blank_map.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "core/map_layout.h"

namespace plandrix {
namespace {

// Fill value of blocks 1 to 14 in a new map.
constexpr std::array<std::uint8_t, kBlockCount> kBlockFill = {10, 5, 5, 0, 0, 0, 0,
                                                              0,  0, 7, 0, 0, 0, 0};

constexpr std::string_view kSignature = "WORLD_V1.0";
constexpr std::string_view kTitle = "GeneratedWorld";
constexpr std::string_view kAuthor = "Tavikone and Tool";
constexpr std::size_t kTitleOffset = 10;
constexpr std::size_t kHeaderWidthOffset = 30;
constexpr std::size_t kHeaderHeightOffset = 32;
constexpr std::size_t kAuthorOffset = 36;
constexpr std::size_t kVersionOffset = 2342;
constexpr std::uint32_t kVersionValue = 10001;
constexpr std::uint32_t kBlockMagic = 10000;

void WriteText(std::span<std::uint8_t> image, std::size_t offset, std::string_view text) {
  std::copy(text.begin(), text.end(), image.begin() + static_cast<std::ptrdiff_t>(offset));
}

}  // namespace

void CreateBlankMap(std::span<std::uint8_t> image, std::size_t width, std::size_t height) {
  const std::size_t n = width * height;
  std::fill(image.begin(), image.end(), std::uint8_t{0});

  for (int block = 1; block <= static_cast<int>(kBlockCount); ++block) {
    const std::size_t header = BlockHeaderOffset(block, n);
    WriteU16(image, header, kBlockMagic);
    // bytes 2 to 5 stay 0
    WriteU16(image, header + 6, width);
    WriteU16(image, header + 8, height);
    WriteU16(image, header + 10, 1);
    WriteU32(image, header + 12, n);
    std::ranges::fill(Block(image, block, n), kBlockFill[static_cast<std::size_t>(block - 1)]);
  }

  WriteText(image, 0, kSignature);
  WriteText(image, kTitleOffset, kTitle);
  WriteU16(image, kHeaderWidthOffset, width);
  WriteU16(image, kHeaderHeightOffset, height);
  WriteText(image, kAuthorOffset, kAuthor);
  WriteU16(image, kVersionOffset, kVersionValue);
  WriteU16(image, kWidthOffset, width);
  WriteU16(image, kHeightOffset, height);
  image.back() = 0xFF;
}

}  // namespace plandrix
