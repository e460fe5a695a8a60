// The seed prompt that the random tools share.
#pragma once

#include <cstdint>
#include <istream>
#include <ostream>

namespace plandrix {

// Asks for an eight-digit seed until one is typed; 0 (or the end of input) gives
// kDefaultSeed. Does not touch the random source.
std::uint32_t AskSeed(std::istream& in, std::ostream& out);

}  // namespace plandrix
