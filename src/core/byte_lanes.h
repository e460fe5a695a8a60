// Eight bytes handled at once as the lanes of one 64-bit word. Loads and stores go through
// memcpy, so any address will do and a lane's place in memory is the same going in and
// coming out.
#pragma once

#include <cstdint>
#include <cstring>

namespace plandrix {

// A 1 in every lane: times a byte value, that value in every lane.
inline constexpr std::uint64_t kLaneOnes = 0x0101010101010101;

inline std::uint64_t LoadEightBytes(const std::uint8_t* bytes) {
  std::uint64_t word = 0;
  std::memcpy(&word, bytes, sizeof word);
  return word;
}

inline void StoreEightBytes(std::uint8_t* bytes, std::uint64_t word) {
  std::memcpy(bytes, &word, sizeof word);
}

}  // namespace plandrix
