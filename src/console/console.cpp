#include "console/console.h"

#include <limits>

namespace plandrix {

namespace {
void DiscardRestOfLine(std::istream& in) {
  in.clear();
  in.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
}
}  // namespace

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
