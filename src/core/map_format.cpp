#include "core/map_format.h"

#include <algorithm>

namespace plandrix {
namespace {

std::uint32_t ReadU32(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return static_cast<std::uint32_t>(ReadU16(bytes, offset)) |
         (static_cast<std::uint32_t>(ReadU16(bytes, offset + 2)) << 16);
}

BlockPlace ReadBlockPlace(std::span<const std::uint8_t> file, std::size_t header) {
  BlockPlace place;
  place.header = header;
  place.data = header + kBlockHeaderSize;
  place.mark = ReadU16(file, header + kBlockMarkField);
  place.width = ReadU16(file, header + kBlockWidthField);
  place.height = ReadU16(file, header + kBlockHeightField);
  place.multiplier = ReadU16(file, header + kBlockMultiplierField);
  place.length = ReadU32(file, header + kBlockLengthField);
  place.present = place.multiplier != 0;
  return place;
}

}  // namespace

std::optional<MapStructure> ReadMapStructure(std::span<const std::uint8_t> file) {
  if (file.size() < kHeaderSize) return std::nullopt;
  MapStructure structure;
  structure.width = MapWidth(file);
  structure.height = MapHeight(file);
  const std::size_t n = structure.width * structure.height;
  std::size_t at = kHeaderSize;
  for (std::size_t k = 0; k < kBlockCount; ++k) {
    if (file.size() - at < kBlockHeaderSize) {
      structure.map_length = file.size();
      return structure;
    }
    BlockPlace place = ReadBlockPlace(file, at);
    structure.blocks[k] = place;
    at = place.data;
    if (place.present) {
      if (file.size() - at < n) {
        structure.map_length = file.size();
        return structure;
      }
      at += n;
    }
    structure.blocks_read = k + 1;
  }
  // Extra animal records until the final byte.
  while (at < file.size() && file[at] != kEndMark) {
    if (file.size() - at < kAnimalRecordSize) {
      at = file.size();
      break;
    }
    at += kAnimalRecordSize;
    ++structure.records;
  }
  if (at < file.size()) {
    structure.end_mark = at;
    structure.map_length = at + 1;
  } else {
    structure.map_length = file.size();
  }
  return structure;
}

std::string_view HeaderText(std::span<const std::uint8_t> header, std::size_t offset) {
  const auto field = header.subspan(offset, kTextFieldSize);
  std::size_t length = 0;
  while (length < field.size() && field[length] != 0) ++length;
  return {reinterpret_cast<const char*>(field.data()), length};
}

bool IsValidHeaderText(std::string_view text) {
  return text.size() <= kMostTextCharacters &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= ' ' && c <= '~'; });
}

void WriteHeaderText(std::span<std::uint8_t> header, std::size_t offset, std::string_view text) {
  const auto field = header.subspan(offset, kTextFieldSize);
  std::fill(field.begin(), field.end(), std::uint8_t{0});
  std::copy(text.begin(), text.end(), field.begin());
}

bool IsComplete(const MapStructure& structure) {
  if (structure.blocks_read < kBlockCount || !structure.end_mark) return false;
  for (const int block : kBlocksTheGameReads) {
    if (!structure.blocks[static_cast<std::size_t>(block - 1)].present) return false;
  }
  return true;
}

bool HasStandardLayout(const MapStructure& structure) {
  if (structure.blocks_read < kBlockCount || structure.records != 0 || !structure.end_mark) {
    return false;
  }
  for (const BlockPlace& place : structure.blocks) {
    if (!place.present) return false;
  }
  return *structure.end_mark + 1 == MapLength(structure.width, structure.height);
}

std::optional<LargeBuffer> StandardLayoutOf(std::span<const std::uint8_t> file,
                                            const MapStructure& structure) {
  if (structure.blocks_read < kBlockCount) return std::nullopt;
  const std::size_t n = structure.width * structure.height;
  std::optional<LargeBuffer> image =
      LargeBuffer::Allocate(MapLength(structure.width, structure.height));
  if (!image) return std::nullopt;
  const std::span<std::uint8_t> into(*image);
  std::copy(file.begin(), file.begin() + kHeaderSize, into.begin());
  const auto header = BlockHeaderBytes(structure.width, structure.height);
  for (int block = 1; block <= static_cast<int>(kBlockCount); ++block) {
    const auto at = static_cast<std::ptrdiff_t>(BlockHeaderOffset(block, n));
    std::copy(header.begin(), header.end(), into.begin() + at);
    const auto data = BlockData(file, structure, block);
    std::copy(data.begin(), data.end(), Block(into, block, n).begin());  // absent: stays zero
  }
  into.back() = kEndMark;
  return image;
}

void CopyBackFromStandard(std::span<const std::uint8_t> standard, const MapStructure& structure,
                          std::span<const int> blocks, std::span<std::uint8_t> file) {
  const std::size_t n = structure.width * structure.height;
  std::copy(standard.begin(), standard.begin() + kHeaderSize, file.begin());
  for (const int block : blocks) {
    const auto from = Block(standard, block, n);
    const auto into = BlockData(file, structure, block);
    if (into.size() == from.size()) std::copy(from.begin(), from.end(), into.begin());
  }
}

}  // namespace plandrix
