#include <unistd.h>

#include <iostream>

#include "console/console.h"
#include "console/main_menu.h"
#include "random/random_source.h"

int main() {
  // Standard output is fully buffered and written in large pieces when redirected; a
  // person at a terminal sees every line as it is printed. The input stays tied to the
  // output, so a prompt without a line end is flushed before the program waits.
  std::ios::sync_with_stdio(false);
  if (isatty(STDOUT_FILENO) != 0) std::cout.setf(std::ios::unitbuf);
  std::cin.tie(&std::cout);

  plandrix::ProgramState state;
  plandrix::Console console{std::cin, std::cout};
  plandrix::RunMainMenu(console, state);
  std::cout.flush();
  return 0;
}
