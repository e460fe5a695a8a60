#include "inspect/byte_counts.h"

#include <cstddef>

namespace plandrix {

ByteCounts CountBytes(std::span<const std::uint8_t> bytes) {
  // Four tables taken in turn: runs of one value (a whole sea) then do not wait on one
  // counter's increment after the other.
  std::array<ByteCounts, 4> lanes{};
  const std::size_t whole = bytes.size() - bytes.size() % 4;
  for (std::size_t i = 0; i < whole; i += 4) {
    ++lanes[0][bytes[i]];
    ++lanes[1][bytes[i + 1]];
    ++lanes[2][bytes[i + 2]];
    ++lanes[3][bytes[i + 3]];
  }
  for (std::size_t i = whole; i < bytes.size(); ++i) ++lanes[0][bytes[i]];
  ByteCounts counts{};
  for (std::size_t value = 0; value < counts.size(); ++value) {
    counts[value] = lanes[0][value] + lanes[1][value] + lanes[2][value] + lanes[3][value];
  }
  return counts;
}

}  // namespace plandrix
