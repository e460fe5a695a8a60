#include "tools/random_map_tool.h"

#include <cstddef>
#include <memory>
#include <new>
#include <optional>
#include <span>

#include "core/blank_map.h"
#include "core/file_prompt.h"
#include "core/map_layout.h"
#include "random/random_map.h"
#include "tools/seed_prompt.h"

namespace plandrix {

namespace {

bool IsMapSide(std::int32_t side) { return side >= 1 && side <= kMaxMapSide; }

// Asks for one side of the map.
std::int32_t AskSide(Console& console, std::string_view prompt) {
  console.out << prompt;
  console.out.flush();
  return ReadNumber(console.in);
}

}  // namespace

void RandomMapTool(Console& console, ProgramState& state) {
  MapLayout layout;
  console.out << "- Mapsizes -\n";
  const std::int32_t typed_width = AskSide(console, "Please enter Mapwidth: ");
  const std::int32_t typed_height = AskSide(console, "Please enter Mapheight: ");
  if (!IsMapSide(typed_width) || !IsMapSide(typed_height)) {
    // The size fields of a map file are 16 bits wide; refuse before the source is touched.
    console.out << kMapSizeMessage << '\n';
    return;
  }
  // Only this run uses the seed: the program's shared seed stays as it is.
  layout.seed = static_cast<std::int32_t>(AskSeed(console.in, console.out));
  const auto seed = static_cast<std::uint32_t>(layout.seed);
  RandomSource& source = state.random;
  // The restart's own number is thrown away: the first kind takes the second number.
  (void)RandomNumber(source, seed, 1);

  const auto width = static_cast<std::size_t>(typed_width);
  const auto height = static_cast<std::size_t>(typed_height);
  layout = ComputeMapLayout(layout, typed_width, typed_height);
  // The one image of the run and the kinds, each allocated once and without throwing, so
  // that a size that memory cannot hold ends the tool with a message (also where a failed
  // throwing allocation would abort the program); CreateBlankMap sets every byte of the
  // image.
  const std::size_t length = MapLength(width, height);
  const auto count = static_cast<std::size_t>(layout.region_count);
  std::optional<MapImage> image_bytes = MapImage::Allocate(length);
  const std::unique_ptr<std::uint32_t[]> kind_entries(new (std::nothrow) std::uint32_t[count]());
  if (!image_bytes || !kind_entries) {
    console.out << kNoMemoryMessage << '\n';
    return;
  }
  const std::span<std::uint8_t> image(*image_bytes);
  const std::span<std::uint32_t> kinds(kind_entries.get(), count);
  CreateBlankMap(image, width, height);
  WarnLargeMap(console.out, width, height);

  GenerateMap(image, kinds, layout, source, seed, console.out);
  SaveMap(console.out, image, kGeneratedMapName);
}

}  // namespace plandrix
