// The console that every dialogue talks to, and the prompts that all tools share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <ostream>
#include <string_view>

namespace plandrix {

// The two streams of a dialogue. main() ties the input to the output, so whatever a
// prompt printed is flushed before the program waits for an answer.
struct Console {
  std::istream& in;
  std::ostream& out;
};

// Reads one decimal number (white space and line ends skipped first, optional sign),
// then clears the error state and throws away the rest of the typed line.
// A reply that holds no number, or a number beyond signed 32 bits, gives -1 (which no
// menu accepts and every yes/no question reads as no). End of input gives 0: the
// answer that closes, aborts, says no or takes the default at every prompt.
std::int32_t ReadNumber(std::istream& in);

// What one read of a number alone found.
enum class ReplyKind { kNumber, kNoNumber, kEndOfInput };

struct UnsignedReply {
  ReplyKind kind;
  // For kNumber: the value, or kOutOfRangeReply for a negative number or one beyond 32 bits.
  std::uint64_t value = 0;
};

inline constexpr std::uint64_t kOutOfRangeReply = ~std::uint64_t{0};

// Reads one decimal number (white space skipped first, optional sign) and nothing after
// it, so that a second number on the same line answers the next question. A reply with
// no digits leaves the input where the digits were expected; the caller recovers (with
// DiscardRestOfLine, say).
UnsignedReply ReadUnsignedAlone(std::istream& in);

// Clears the error state and throws away the rest of the typed line.
void DiscardRestOfLine(std::istream& in);

// Prints the question and a line end, then reads a number; only 1 means yes.
bool AskYesNo(Console& console, std::string_view question);

// Prints the three large-map lines (after an empty line) when W or H is 256 or more.
void WarnLargeMap(std::ostream& out, std::size_t width, std::size_t height);

}  // namespace plandrix
