#include "tools/seed_prompt.h"

#include "console/console.h"
#include "random/random_source.h"

namespace plandrix {
namespace {

constexpr std::uint64_t kSeedMin = 10000000;
constexpr std::uint64_t kSeedEnd = 100000000;

}  // namespace

std::uint32_t AskSeed(std::istream& in, std::ostream& out) {
  // The answer keeps its value from one prompt to the next: text that is no number
  // leaves it as it was.
  std::uint64_t answer = 0;
  for (;;) {
    out << "Please enter a 8 digit random Number! or 0 to abort and use default.\n"
        << "Number:";
    out.flush();
    const UnsignedReply reply = ReadUnsignedAlone(in);
    if (reply.kind == ReplyKind::kEndOfInput) {
      out << '\n';
      return kDefaultSeed;
    }
    if (reply.kind == ReplyKind::kNumber) answer = reply.value;
    DiscardRestOfLine(in);
    out << '\n';
    if (answer == 0) return kDefaultSeed;
    if (answer >= kSeedMin && answer < kSeedEnd) return static_cast<std::uint32_t>(answer);
  }
}

}  // namespace plandrix
