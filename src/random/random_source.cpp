#include "random/random_source.h"

#include <cctype>
#include <limits>

namespace plandrix {
namespace {

constexpr std::uint64_t kSeedMin = 10000000;
constexpr std::uint64_t kSeedEnd = 100000000;
// Anything at or above this is out of range; parsing stops growing the value there.
constexpr std::uint64_t kBeyond32Bits = std::uint64_t{1} << 32;

// Reads an unsigned number into answer. Text that is no number leaves answer as it is; a
// negative number or one beyond 32 bits becomes an out-of-range answer.
void ReadSeedAnswer(std::istream& in, std::uint64_t& answer) {
  bool negative = false;
  if (in.peek() == '+' || in.peek() == '-') negative = in.get() == '-';
  std::uint64_t value = 0;
  bool any_digit = false;
  while (std::isdigit(in.peek()) != 0) {
    const auto digit = static_cast<std::uint64_t>(in.get() - '0');
    value = value >= kBeyond32Bits ? kBeyond32Bits : value * 10 + digit;
    any_digit = true;
  }
  if (!any_digit) return;
  // A typed negative number reads as a large unsigned value: out of range.
  answer = (negative && value != 0) ? kBeyond32Bits : value;
}

}  // namespace

std::uint32_t AskSeed(std::istream& in, std::ostream& out) {
  std::uint64_t answer = 0;
  for (;;) {
    out << "Please enter a 8 digit random Number! or 0 to abort and use default.\n"
        << "Number:";
    out.flush();
    in >> std::ws;
    if (!in.good()) {
      out << '\n';
      return kDefaultSeed;
    }
    ReadSeedAnswer(in, answer);
    in.clear();
    in.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
    out << '\n';
    if (answer == 0) return kDefaultSeed;
    if (answer >= kSeedMin && answer < kSeedEnd) return static_cast<std::uint32_t>(answer);
  }
}

}  // namespace plandrix
