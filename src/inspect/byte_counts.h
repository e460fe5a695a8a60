// How often each byte value occurs in a block: the one pass over the data that the
// findings and the counts of a map are both built on.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace plandrix {

using ByteCounts = std::array<std::uint64_t, 256>;

// The count of each byte value in bytes.
ByteCounts CountBytes(std::span<const std::uint8_t> bytes);

}  // namespace plandrix
