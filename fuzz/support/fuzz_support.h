// What the operation fuzzers share: reading control values from the front of an input,
// the seed maps and bitmaps their corpora start from, and the checks that a run left
// every byte outside its own blocks alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace plandrix::fuzz {

using Bytes = std::vector<std::uint8_t>;

// Largest map image a fuzzer builds or copies for one input. Inputs that state a larger
// map are skipped: sizes at the edges are tested elsewhere, and libFuzzer reports any
// allocation above its limit as a finding.
inline constexpr std::size_t kMaxImageBytes = std::size_t{4} << 20;

// Takes values from the front of an input; past its end every value is 0 and every span
// is empty, so any input, however short, can be read whole.
class ByteReader {
 public:
  ByteReader(const std::uint8_t* data, std::size_t size) : bytes_(data, size) {}

  std::uint8_t U8();
  std::uint16_t U16();
  std::uint32_t U32();
  // The next count bytes, or as many as are left.
  std::span<const std::uint8_t> Take(std::size_t count);
  // The next block of bytes, preceded by its 16-bit length.
  std::span<const std::uint8_t> TakeSized();
  std::span<const std::uint8_t> Rest();

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t position_ = 0;
};

// The map part of an input as a tool would work on it: a copy of the bytes, the bytes as
// stored (to compare with afterwards) and the stated width and height. Empty when the
// loading step refuses the map (shorter than its stated size) or it is larger than a
// fuzz run builds.
struct LoadedMap {
  Bytes image;
  Bytes stored;
  std::size_t width = 0;
  std::size_t height = 0;
};
std::optional<LoadedMap> LoadMapImage(std::span<const std::uint8_t> bytes);

// Writers of the same encoding, for the seed corpora.
void PutU8(Bytes& bytes, std::uint8_t value);
void PutU16(Bytes& bytes, std::uint16_t value);
void PutU32(Bytes& bytes, std::uint32_t value);
void PutSized(Bytes& bytes, std::span<const std::uint8_t> block);
void PutAll(Bytes& bytes, std::span<const std::uint8_t> block);

// A complete map of width x height: blank, then blocks 1 to 3 and 5 to 7 and 12 filled
// from a simple generator (salt picks the sequence), with terrain codes drawn from the
// listed ones, water, and a few that no table lists.
Bytes SeedMap(std::size_t width, std::size_t height, std::uint32_t salt);

// A 4-bit bitmap of width x height with every colour used, rows padded as stored.
Bytes Seed4BitBitmap(std::size_t width, std::size_t height, std::uint32_t salt);

// An 8-bit bitmap of width x height whose neighbouring pixels mostly differ a little,
// with a few steep steps.
Bytes Seed8BitBitmap(std::size_t width, std::size_t height, std::uint32_t salt);

// With PLANDRIX_FUZZ_SEEDS set to a folder, writes seeds there as name-000, name-001, ...
// and ends the process; otherwise returns at once. Called from LLVMFuzzerInitialize.
void WriteSeedsIfAsked(std::string_view name, const std::vector<Bytes>& (*make_seeds)());

// Stops the run (a finding) unless every byte of after equals before outside the data of
// the given blocks of a width x height map. The two images have the same length, which
// holds the whole map.
void ExpectOnlyBlocksChanged(std::span<const std::uint8_t> before,
                             std::span<const std::uint8_t> after, std::size_t width,
                             std::size_t height, std::initializer_list<int> blocks);

// Stops the run (a finding) when condition is false.
void Expect(bool condition);

}  // namespace plandrix::fuzz
