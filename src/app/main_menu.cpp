#include "app/main_menu.h"

#include <array>
#include <string_view>
#include <vector>

#include "core/blank_map.h"
#include "core/file_prompt.h"
#include "core/map_layout.h"
#include "tools/bmp_swd_tool.h"
#include "tools/height_map_tool.h"
#include "tools/mirror_map_tool.h"
#include "tools/object_edit_tool.h"
#include "tools/random_heights_tool.h"
#include "tools/random_map_tool.h"
#include "tools/random_objects_tool.h"
#include "tools/random_resources_tool.h"
#include "tools/set_heights_tool.h"

namespace plandrix {
namespace {

// One option of the main menu: its number, the text of its line and what it runs.
struct MenuEntry {
  std::int32_t number;
  std::string_view label;
  void (*run)(Console& console, ProgramState& state);  // null: leaves the menu
};

constexpr std::array<std::string_view, 2> kMenuTitle = {
    "Taviks Plandrix - v20140809-0026(v100):",
    "-------------------------",
};

// The menu in the order it is printed; each line is the number in two digits, " - " and
// the label.
constexpr std::array<MenuEntry, 13> kMenuEntries = {{
    {0, "Close Program", nullptr},
    {1, "Object-Edit-Tool", [](Console& c, ProgramState&) { ObjectEditTool(c); }},
    {2, "BMP-SWD-Tool", [](Console& c, ProgramState&) { BmpSwdTool(c); }},
    {3, "Mirror-Map-Tool(WIP)", [](Console& c, ProgramState&) { MirrorMapTool(c); }},
    {4, "SWD-BMP-Tool(-)",
     [](Console& c, ProgramState&) { c.out << "SWD to BMP tool still under construction\n"; }},
    {5, "Set-Heights-Tool", [](Console& c, ProgramState&) { SetHeightsTool(c); }},
    {6, "Random-Objects-Tool", RandomObjectsTool},
    {7, "Random-Heights-Tool(WIP)", RandomHeightsTool},
    {8, "Random-Map-Tool(WIP)", RandomMapTool},
    {9, "Apply Height-Map(WIP)", [](Console& c, ProgramState&) { ApplyHeightMapTool(c); }},
    {10, "Random-Resources-Tool(WIP)", [](Console& c, ProgramState&) { RandomResourcesTool(c); }},
    {11, "Info", [](Console& c, ProgramState&) { ShowInformation(c.out); }},
    {12, "Testingfunctions(Maybe useless for you)",
     [](Console& c, ProgramState&) { WriteTestMap(c.out); }},
}};

constexpr std::array<std::string_view, 5> kInformationLines = {
    "Information about my Program",
    "---------------------------",
    "Made by the Plandrix developers for SettlersII world maps (.swd/.wld).",
    "Use this Program at your own risk. If you use the program wrong I can't ensure that "
    "everything wents okay. I tested program a several times but you can never be sure.",
    "Questions, ideas and bug reports are welcome on the project page named in the README.",
};

constexpr std::size_t kTestMapSide = 32;

void PrintMainMenu(std::ostream& out) {
  for (std::string_view line : kMenuTitle) out << line << '\n';
  for (const MenuEntry& entry : kMenuEntries) {
    out << (entry.number < 10 ? "0" : "") << entry.number << " - " << entry.label << '\n';
  }
}

// The entry of a typed number; null when no entry has it.
const MenuEntry* FindEntry(std::int32_t number) {
  for (const MenuEntry& entry : kMenuEntries) {
    if (entry.number == number) return &entry;
  }
  return nullptr;
}

}  // namespace

void ShowInformation(std::ostream& out) {
  for (std::string_view line : kInformationLines) out << line << '\n';
}

void WriteTestMap(std::ostream& out) {
  out << "Nothing here!\n";
  std::vector<std::uint8_t> image(MapLength(kTestMapSide, kTestMapSide));
  CreateBlankMap(image, kTestMapSide, kTestMapSide);
  SaveMap(out, image, "test.wld");
}

void RunMainMenu(Console& console, ProgramState& state) {
  for (;;) {
    PrintMainMenu(console.out);
    console.out << "What do you want to do: ";
    console.out.flush();
    const MenuEntry* entry = FindEntry(ReadNumber(console.in));
    console.out << '\n';
    if (entry == nullptr) {
      console.out << "Error: not an option\n";
    } else if (entry->run == nullptr) {
      console.out << "Hopefully everything went better than expected!\n";
      console.out.flush();
      return;
    } else {
      entry->run(console, state);
    }
  }
}

}  // namespace plandrix
