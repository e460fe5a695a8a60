#include "tools/random_resources_tool.h"

#include "console/map_tool.h"
#include "random/resources.h"

namespace plandrix {

void RandomResourcesTool(Console& console) {
  console.out << "10 - Random-Resources-Tool(WIP)\n"
              << "This Tool will add some random resources to your map\n";
  RunMapTool(console, [&](MapToolRun& run) {
    if (run.image() == nullptr) return false;
    WarnLargeMap(console.out, run.width(), run.height());
    PlaceResources(*run.image(), run.width(), run.height());
    return true;
  });
}

}  // namespace plandrix
