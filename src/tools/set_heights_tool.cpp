#include "tools/set_heights_tool.h"

#include <array>
#include <cstdint>
#include <string_view>

#include "console/map_tool.h"
#include "core/map_file.h"
#include "transform/set_heights.h"

namespace plandrix {

namespace {

// Option v stands for the height byte v - 1; the labels count from 10, the height of a
// blank map.
constexpr std::array<std::string_view, 17> kHeightMenuLines = {
    "Which height do you want to set?", "(Use any option ranging from 1 - 61)",
    "--------------------------------", "00 - Close Tool",
    "01 - height -10 (0x00)",           "02...10",
    "11 - height -00 (0x0A)",           "12...19",
    "21 - height +10 (0x14)",           "22...29",
    "31 - height +20 (0x1E)",           "32...39",
    "41 - height +30 (0x28)",           "42...49",
    "51 - height +40 (0x32)",           "52...59",
    "61 - height +50 (0x3C)",
};

constexpr std::int32_t kHighestOption = 61;

// Asks until the answer is an option of the menu (0 to 61); the menu is not repeated.
std::int32_t AskHeightOption(Console& console) {
  for (;;) {
    console.out << "Which height do you want:";
    console.out.flush();
    const std::int32_t option = ReadNumber(console.in);
    if (option >= 0 && option <= kHighestOption) return option;
  }
}

}  // namespace

void PrintHeightMenu(std::ostream& out) {
  for (std::string_view line : kHeightMenuLines) out << line << '\n';
}

void SetHeightsTool(Console& console) {
  console.out << "Change heights tool still under construction\n";
  // A refused or aborted map leaves no image: the menu still runs, and changes nothing.
  RunMapTool(console, [&](MapToolRun& run) {
    MapImage* image = run.image();
    if (image != nullptr) WarnLargeMap(console.out, run.width(), run.height());
    for (;;) {
      PrintHeightMenu(console.out);
      const std::int32_t option = AskHeightOption(console);
      if (option == 0) break;
      if (image != nullptr) {
        SetAllHeights(*image, run.width(), run.height(), static_cast<std::uint8_t>(option - 1));
      }
    }
    return image != nullptr;
  });
}

}  // namespace plandrix
