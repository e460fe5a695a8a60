#include "app/main_menu.h"

#include <array>
#include <string_view>
#include <vector>

#include "core/blank_map.h"
#include "core/map_file.h"
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

constexpr std::array<std::string_view, 15> kMenuLines = {
    "Taviks Plandrix - v20140809-0026(v100):",
    "-------------------------",
    "00 - Close Program",
    "01 - Object-Edit-Tool",
    "02 - BMP-SWD-Tool",
    "03 - Mirror-Map-Tool(WIP)",
    "04 - SWD-BMP-Tool(-)",
    "05 - Set-Heights-Tool",
    "06 - Random-Objects-Tool",
    "07 - Random-Heights-Tool(WIP)",
    "08 - Random-Map-Tool(WIP)",
    "09 - Apply Height-Map(WIP)",
    "10 - Random-Resources-Tool(WIP)",
    "11 - Info",
    "12 - Testingfunctions(Maybe useless for you)",
};

constexpr std::array<std::string_view, 5> kInformationLines = {
    "Information about my Program",
    "---------------------------",
    "Made by the Plandrix developers for SettlersII world maps (.swd/.wld).",
    "Use this Program at your own risk. If you use the program wrong I can't ensure that "
    "everything wents okay. I tested program a several times but you can never be sure.",
    "Questions, ideas and bug reports are welcome on the project page named in the README.",
};

constexpr std::size_t kTestMapSide = 32;

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
    for (std::string_view line : kMenuLines) console.out << line << '\n';
    console.out << "What do you want to do: ";
    console.out.flush();
    const std::int32_t option = ReadNumber(console.in);
    console.out << '\n';
    switch (option) {
      case 0:
        console.out << "Hopefully everything went better than expected!\n";
        console.out.flush();
        return;
      case 1:
        ObjectEditTool(console);
        break;
      case 2:
        BmpSwdTool(console);
        break;
      case 3:
        MirrorMapTool(console);
        break;
      case 4:
        console.out << "SWD to BMP tool still under construction\n";
        break;
      case 5:
        SetHeightsTool(console);
        break;
      case 6:
        RandomObjectsTool(console, state);
        break;
      case 7:
        RandomHeightsTool(console, state);
        break;
      case 8:
        RandomMapTool(console, state);
        break;
      case 9:
        ApplyHeightMapTool(console);
        break;
      case 10:
        RandomResourcesTool(console);
        break;
      case 11:
        ShowInformation(console.out);
        break;
      case 12:
        WriteTestMap(console.out);
        break;
      default:
        console.out << "Error: not an option\n";
        break;
    }
  }
}

}  // namespace plandrix
