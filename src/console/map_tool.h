// The frame of the tools that load a map, work on it and save it: the map prompt, the
// whole-file read and length check, then the tool's own work, then the save under the
// input's name, which may never replace one of the run's input files.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "console/console.h"
#include "core/file_prompt.h"

namespace plandrix {

class MapToolRun {
 public:
  // Asks for the map and loads it; a refused map or an aborted prompt leaves no image.
  explicit MapToolRun(Console& console);
  MapToolRun(const MapToolRun&) = delete;
  MapToolRun& operator=(const MapToolRun&) = delete;

  Console& console() { return console_; }
  // The loaded image, null when there is none.
  MapImage* image() { return image_ ? &*image_ : nullptr; }
  // W and H as the loaded map states them (0 without a map).
  std::size_t width() const { return width_; }
  std::size_t height() const { return height_; }
  // Another input file of the run (it must outlive the run), which no save may replace.
  void AddInput(const InputFile& file) { inputs_.push_back(&file); }
  // Saves the image under the map's name, printing the report; false without an image.
  bool Save();

 private:
  Console& console_;
  InputFile file_;
  std::optional<MapImage> image_;
  std::size_t width_ = 0;
  std::size_t height_ = 0;
  std::vector<const InputFile*> inputs_;
};

// Loads the map, calls work(run), and saves once when work returns true and a map was
// loaded.
template <class Work>
void RunMapTool(Console& console, Work&& work) {
  MapToolRun run(console);
  if (work(run)) run.Save();
}

}  // namespace plandrix
