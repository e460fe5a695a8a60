#include "console/object_editor.h"

namespace plandrix {

// Not built yet: the main menu answers this option like any unknown number.
void ObjectEditTool(Console& console) {
  console.out << "Error: not an option\n";
}

}  // namespace plandrix
