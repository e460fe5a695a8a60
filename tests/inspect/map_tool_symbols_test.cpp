// plandrix-map is built from the operations and what it does to a map; none of the menu
// program's dialogues may be linked into it. Its symbol table says what was.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

// What only the menu program's dialogues define: the console, its prompts and the tool
// dialogues. Each is looked for as "plandrix::" followed by the name.
constexpr std::array<std::string_view, 21> kDialogueNames = {
    "Console",
    "AskYesNo(",
    "ReadNumber(",
    "ReadUnsignedAlone(",
    "OpenInputFile(",
    "LoadMap(",
    "MapToolRun",
    "AskSeed(",
    "PlaceObjectAt(",
    "PrintHeightMenu(",
    "RunMainMenu(",
    "ObjectEditTool(",
    "BmpSwdTool(",
    "MirrorMapTool(",
    "SetHeightsTool(",
    "RandomObjectsTool(",
    "RandomHeightsTool(",
    "RandomMapTool(",
    "ApplyHeightMapTool(",
    "RandomResourcesTool(",
    "ShowInformation(",
};

// The demangled symbol table of the program, one symbol a line.
std::string SymbolsOf(const std::string& program) {
  std::string symbols;
  FILE* pipe = popen(("nm -C '" + program + "' 2>/dev/null").c_str(), "r");
  if (pipe == nullptr) return symbols;
  std::array<char, 4096> chunk{};
  for (std::size_t got; (got = std::fread(chunk.data(), 1, chunk.size(), pipe)) > 0;) {
    symbols.append(chunk.data(), got);
  }
  pclose(pipe);
  return symbols;
}

TEST(MapToolSymbols, NoDialogueOfTheMenuProgram) {
  if (std::system("nm --version > /dev/null 2>&1") != 0) GTEST_SKIP() << "no nm on this machine";
  const std::string symbols = SymbolsOf(PLANDRIX_MAP_BINARY);
  // A stripped program would pass for the wrong reason.
  ASSERT_NE(symbols.find("plandrix::"), std::string::npos) << "no symbols in plandrix-map";
  for (std::string_view name : kDialogueNames) {
    const std::string symbol = "plandrix::" + std::string(name);
    const std::size_t at = symbols.find(symbol);
    if (at == std::string::npos) continue;
    const std::size_t line_start = symbols.rfind('\n', at) + 1;
    ADD_FAILURE() << "plandrix-map links " << symbol << ": "
                  << symbols.substr(line_start, symbols.find('\n', at) - line_start);
  }
}

}  // namespace
