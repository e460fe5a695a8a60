// Byte layout of a world map file: where the blocks and their vertices lie, worked out
// here only. The fields of the header and of a block header are named in map_format.h.
//
// A map file is a 2352-byte header, then 14 per-vertex blocks (each a 16-byte block
// header and W x H data bytes, one per vertex, row after row), then one final 0xFF.
// Every tool addresses the map image through these helpers. Sizes and offsets are
// std::size_t throughout: 14 x 65535 x 65535 + 2577 does not fit in 32 bits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace plandrix {

inline constexpr std::size_t kHeaderSize = 2352;
inline constexpr std::size_t kBlockHeaderSize = 16;
inline constexpr std::size_t kBlockCount = 14;
// Header, fourteen block headers and the final byte: the length of a map with no vertices.
inline constexpr std::size_t kEmptyMapLength = kHeaderSize + kBlockCount * kBlockHeaderSize + 1;

// The only width and height that tools read; 30 and 32 hold copies for the game.
inline constexpr std::size_t kWidthOffset = 2348;
inline constexpr std::size_t kHeightOffset = 2350;

// Blocks by their role in this program (numbered 1 to 14 as in the file).
inline constexpr int kHeightBlock = 1;
inline constexpr int kTerrainBlock1 = 2;  // first triangle of each vertex
inline constexpr int kTerrainBlock2 = 3;  // second triangle of each vertex
inline constexpr int kObjectIndexBlock = 5;
inline constexpr int kObjectTypeBlock = 6;
inline constexpr int kAnimalBlock = 7;
inline constexpr int kResourceBlock = 12;

inline std::uint16_t ReadU16(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

inline void WriteU16(std::span<std::uint8_t> bytes, std::size_t offset, std::uint64_t value) {
  bytes[offset] = static_cast<std::uint8_t>(value & 0xFF);
  bytes[offset + 1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
}

inline void WriteU32(std::span<std::uint8_t> bytes, std::size_t offset, std::uint64_t value) {
  for (std::size_t i = 0; i < 4; ++i) {
    bytes[offset + i] = static_cast<std::uint8_t>((value >> (8 * i)) & 0xFF);
  }
}

// W and H as the map states them; the caller makes sure the image holds the header.
inline std::size_t MapWidth(std::span<const std::uint8_t> image) {
  return ReadU16(image, kWidthOffset);
}
inline std::size_t MapHeight(std::span<const std::uint8_t> image) {
  return ReadU16(image, kHeightOffset);
}

// Length of a complete map of W x H vertices: 14 x W x H + 2577.
constexpr std::size_t MapLength(std::size_t width, std::size_t height) {
  return kBlockCount * width * height + kEmptyMapLength;
}

// Offset of the 16-byte header of block k (1 to 14) in a map of n vertices.
constexpr std::size_t BlockHeaderOffset(int block, std::size_t n) {
  return kHeaderSize + static_cast<std::size_t>(block - 1) * (n + kBlockHeaderSize);
}

// Offset of the first data byte of block k (1 to 14) in a map of n vertices.
constexpr std::size_t BlockDataOffset(int block, std::size_t n) {
  return BlockHeaderOffset(block, n) + kBlockHeaderSize;
}

// Index of vertex (x, y) inside a block's data.
constexpr std::size_t VertexIndex(std::size_t x, std::size_t y, std::size_t width) {
  return y * width + x;
}

// The n data bytes of block k. The image must be at least MapLength long for n vertices
// (the loading step refuses shorter files, so tools can rely on it).
inline std::span<std::uint8_t> Block(std::span<std::uint8_t> image, int block, std::size_t n) {
  return image.subspan(BlockDataOffset(block, n), n);
}
inline std::span<const std::uint8_t> Block(std::span<const std::uint8_t> image, int block,
                                           std::size_t n) {
  return image.subspan(BlockDataOffset(block, n), n);
}

// True when the image holds a whole map of width x height: all fourteen blocks, for any
// width and height (a product that would not fit in memory is simply too large).
inline bool HoldsMap(std::span<const std::uint8_t> image, std::size_t width, std::size_t height) {
  if (height != 0 && width > image.size() / height) return false;
  return image.size() >= MapLength(width, height);
}

// The per-vertex blocks that the passes read and write, of a map of n vertices.
struct MapBlocks {
  std::size_t n = 0;
  std::span<std::uint8_t> heights;
  std::span<std::uint8_t> first;   // terrain, first triangle of each vertex
  std::span<std::uint8_t> second;  // terrain, second triangle of each vertex
  std::span<std::uint8_t> object_index;
  std::span<std::uint8_t> object_type;
  std::span<std::uint8_t> animals;
  std::span<std::uint8_t> resources;
};

// The blocks of a width x height map; empty when the image does not hold the whole map.
inline std::optional<MapBlocks> BlocksOf(std::span<std::uint8_t> image, std::size_t width,
                                         std::size_t height) {
  if (!HoldsMap(image, width, height)) return std::nullopt;
  const std::size_t n = width * height;
  return MapBlocks{n,
                   Block(image, kHeightBlock, n),
                   Block(image, kTerrainBlock1, n),
                   Block(image, kTerrainBlock2, n),
                   Block(image, kObjectIndexBlock, n),
                   Block(image, kObjectTypeBlock, n),
                   Block(image, kAnimalBlock, n),
                   Block(image, kResourceBlock, n)};
}

// True when the image is long enough for the header and for all blocks of its stated size.
inline bool MapImageIsComplete(std::span<const std::uint8_t> image) {
  return image.size() >= kHeaderSize && HoldsMap(image, MapWidth(image), MapHeight(image));
}

}  // namespace plandrix
