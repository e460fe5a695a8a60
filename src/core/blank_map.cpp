#include "core/blank_map.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "core/map_format.h"
#include "core/map_layout.h"

namespace plandrix {
namespace {

// Fill value of blocks 1 to 14 in a new map.
constexpr std::array<std::uint8_t, kBlockCount> kBlockFill = {10, 5, 5, 0, 0, 0, 0,
                                                              0,  0, 7, 0, 0, 0, 0};

// The texts of a new map's header.
constexpr std::string_view kTitle = "GeneratedWorld";
constexpr std::string_view kAuthor = "Tavikone and Tool";

void WriteText(std::span<std::uint8_t> image, std::size_t offset, std::string_view text) {
  std::copy(text.begin(), text.end(), image.begin() + static_cast<std::ptrdiff_t>(offset));
}

}  // namespace

void CreateBlankMap(std::span<std::uint8_t> image, std::size_t width, std::size_t height) {
  const std::size_t n = width * height;
  std::fill(image.begin(), image.end(), std::uint8_t{0});

  const auto header = BlockHeaderBytes(width, height);
  for (int block = 1; block <= static_cast<int>(kBlockCount); ++block) {
    std::ranges::copy(header,
                      image.begin() + static_cast<std::ptrdiff_t>(BlockHeaderOffset(block, n)));
    std::ranges::fill(Block(image, block, n), kBlockFill[static_cast<std::size_t>(block - 1)]);
  }

  WriteText(image, kSignatureOffset, kSignature);
  WriteText(image, kTitleOffset, kTitle);
  WriteU16(image, kHeaderWidthOffset, width);
  WriteU16(image, kHeaderHeightOffset, height);
  WriteText(image, kAuthorOffset, kAuthor);
  WriteU16(image, kHeaderMarkOffset, kHeaderMark);
  WriteU16(image, kWidthOffset, width);
  WriteU16(image, kHeightOffset, height);
  image.back() = kEndMark;
}

}  // namespace plandrix
