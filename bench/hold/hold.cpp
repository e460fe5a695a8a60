// The floor of any run that holds a file: reads it whole into memory and writes it to a
// new file, with the same storage (and so the same pages) and the same save as the
// program. bench/end_to_end.sh times it as "hold".
//
//   plandrix_hold INPUT OUTPUT
#include <cstdio>
#include <fstream>
#include <optional>

#include "core/file_prompt.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: plandrix_hold INPUT OUTPUT\n", stderr);
    return 2;
  }
  std::ifstream input(argv[1], std::ios::binary);
  const std::optional<plandrix::LargeBuffer> bytes = plandrix::ReadWholeFile(input);
  if (!bytes || !plandrix::WriteFileAtomically(argv[2], *bytes)) return 1;
  return 0;
}
