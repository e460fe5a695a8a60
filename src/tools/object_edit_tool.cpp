#include "tools/object_edit_tool.h"

#include <array>
#include <istream>
#include <optional>
#include <string_view>

#include "console/map_tool.h"
#include "core/map_file.h"
#include "transform/place_object.h"

namespace plandrix {
namespace {

struct ObjectOption {
  std::string_view menu_line;
  std::uint8_t object_index;
};

// Options 2 to 16 of the editor menu, in menu order.
constexpr std::array<ObjectOption, 15> kObjectOptions = {{
    {"02 - add Waterstone", 11},
    {"03 - add Small stone", 35},
    {"04 - add Big stone", 36},
    {"05 - add Bush", 40},
    {"06 - add blue Bush", 41},
    {"07 - add flat Bush", 42},
    {"08 - add Snowman", 43},
    {"09 - add sunken Ship", 21},
    {"10 - add closed Gate", 22},
    {"11 - add opened Gate", 23},
    {"12 - add small Tent", 44},
    {"13 - add Guardhouse", 45},
    {"14 - add Watchtower", 46},
    {"15 - add Fortress", 47},
    {"16 - add voodoo doll", 48},
}};

constexpr std::int32_t kFirstObjectOption = 2;
constexpr std::int32_t kLastObjectOption = 16;
constexpr std::int32_t kSunkenShipOption = 9;
constexpr std::int32_t kOpenedGateOption = 11;
constexpr std::int32_t kMapSizeOption = 17;

constexpr std::string_view kSizeWrongMessage =
    "Something seems to be wrong, check the Mapsize with Option '17'!";

// Asks until the reply is a number below bound; empty at end of input.
std::optional<std::size_t> AskCoordinate(Console& console, std::string_view prompt,
                                         std::size_t bound) {
  for (;;) {
    console.out << prompt;
    console.out.flush();
    const UnsignedReply reply = ReadUnsignedAlone(console.in);
    if (reply.kind == ReplyKind::kEndOfInput) return std::nullopt;
    if (reply.kind == ReplyKind::kNoNumber) {
      DiscardRestOfLine(console.in);
      continue;
    }
    if (reply.value < bound) return static_cast<std::size_t>(reply.value);
  }
}

void PrintEditorMenu(std::ostream& out) {
  out << "Taviks Object Editor Menu\n"
         "-------------------------\n"
         "00 - Back to the Main Menu\n"
         "01 - Save the map to 'new-[Mapname]'\n";
  for (const ObjectOption& option : kObjectOptions) out << option.menu_line << '\n';
  out << "17 - view mapsize\n";
}

// The save question on leaving: only the number 1 saves; no number or end of input
// saves nothing.
bool AskSaveAgain(Console& console) {
  console.out << "Save file again (1-Yes/Other-No): ";
  console.out.flush();
  const UnsignedReply reply = ReadUnsignedAlone(console.in);
  if (reply.kind == ReplyKind::kNoNumber) DiscardRestOfLine(console.in);
  return reply.kind == ReplyKind::kNumber && reply.value == 1;
}

}  // namespace

bool PlaceObjectAt(Console& console, std::span<std::uint8_t> image, std::size_t width,
                   std::size_t height, std::uint8_t object_index) {
  if (width == 0 || height == 0) {
    // No coordinate could ever be accepted.
    console.out << kSizeWrongMessage << '\n';
    return false;
  }
  const auto x = AskCoordinate(console, "Enter the X-coordinate: ", width);
  if (!x) return false;
  const auto y = AskCoordinate(console, "Enter the Y-coordinate: ", height);
  if (!y) return false;
  // The image need not be complete here: a byte beyond it is refused, once for each.
  const int refused = PlaceObject(image, width, height, *x, *y, object_index);
  for (int i = 0; i < refused; ++i) console.out << kSizeWrongMessage << '\n';
  console.out << "Object has been placed!\n\n";
  return true;
}

void ObjectEditTool(Console& console) {
  // The editor saves when asked, and once more on leaving if the user wants.
  RunMapTool(console, [&](MapToolRun& run) {
    MapImage* image = run.image();
    if (image == nullptr) return false;
    for (;;) {
      PrintEditorMenu(console.out);
      console.out << "Option: ";
      console.out.flush();
      const std::int32_t option = ReadNumber(console.in);
      console.out << '\n';
      if (option == 0) {
        console.out << "Tool will be closed\n";
        return AskSaveAgain(console);
      }
      if (option == 1) {
        run.Save();
      } else if (option >= kFirstObjectOption && option <= kLastObjectOption) {
        const ObjectOption& object =
            kObjectOptions[static_cast<std::size_t>(option - kFirstObjectOption)];
        if (PlaceObjectAt(console, *image, run.width(), run.height(), object.object_index)) {
          if (option == kSunkenShipOption) console.out << "I'm a pirate without a ship!\n";
          if (option == kOpenedGateOption) console.out << "Yarrr, the gate is open!\n";
        }
      } else if (option == kMapSizeOption) {
        console.out << "Mapwidth: " << run.width() << "\nMapheight: " << run.height()
                    << "\nBuffer: " << image->size() << "\n\n";
      } else {
        console.out << "Error: not an option\n\n";
      }
    }
  });
}

}  // namespace plandrix
