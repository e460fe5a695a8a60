#include "console/map_tool.h"

#include "core/map_layout.h"

namespace plandrix {

MapToolRun::MapToolRun(Console& console)
    : console_(console), image_(LoadMap(console.in, console.out, file_)) {
  inputs_.push_back(&file_);
  if (image_) {
    width_ = MapWidth(*image_);
    height_ = MapHeight(*image_);
  }
}

bool MapToolRun::Save() {
  if (!image_) return false;
  return SaveMap(console_.out, *image_, file_.name, inputs_);
}

}  // namespace plandrix
