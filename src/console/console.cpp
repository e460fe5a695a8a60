#include "console/console.h"

#include <cctype>
#include <limits>

namespace plandrix {

namespace {
// Replies above this are out of range; parsing stops growing the value there.
constexpr std::uint64_t kLargestReply = std::numeric_limits<std::uint32_t>::max();
}  // namespace

void DiscardRestOfLine(std::istream& in) {
  in.clear();
  in.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
}

UnsignedReply ReadUnsignedAlone(std::istream& in) {
  in >> std::ws;
  if (!in.good()) return {ReplyKind::kEndOfInput};
  bool negative = false;
  if (in.peek() == '-' || in.peek() == '+') negative = in.get() == '-';
  std::uint64_t value = 0;
  bool any_digit = false;
  for (int c = in.peek(); c != std::istream::traits_type::eof() && std::isdigit(c) != 0;
       c = in.peek()) {
    in.get();
    any_digit = true;
    // Saturate: anything beyond 32 bits is out of range however long it is.
    if (value <= kLargestReply) value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  if (!any_digit) return {ReplyKind::kNoNumber};
  // A typed negative number reads as a large unsigned value: out of range as well.
  if (value > kLargestReply || (negative && value != 0)) {
    return {ReplyKind::kNumber, kOutOfRangeReply};
  }
  return {ReplyKind::kNumber, value};
}

std::int32_t ReadNumber(std::istream& in) {
  in >> std::ws;
  if (!in.good()) {
    // End of input (or a broken stream): every prompt reads it as 0.
    return 0;
  }
  long long value = 0;
  in >> value;
  const bool valid = !in.fail() && value >= std::numeric_limits<std::int32_t>::min() &&
                     value <= std::numeric_limits<std::int32_t>::max();
  DiscardRestOfLine(in);
  return valid ? static_cast<std::int32_t>(value) : -1;
}

bool AskYesNo(Console& console, std::string_view question) {
  console.out << question << '\n';
  return ReadNumber(console.in) == 1;
}

void WarnLargeMap(std::ostream& out, std::size_t width, std::size_t height) {
  if (width >= 256 || height >= 256) {
    out << "\nWarning: This is a large map!\n"
           "Some functions maybe need some time!\n"
           "Please be patient...\n";
  }
}

}  // namespace plandrix
