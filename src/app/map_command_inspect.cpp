// check, stats and preview.
#include "app/map_commands.h"

namespace plandrix::map_command {

int RunCheck(std::span<const std::string> /*args*/, Io& io) {
  PrintError(io, "check: not built yet");
  return kExitUsage;
}

int RunStats(std::span<const std::string> /*args*/, Io& io) {
  PrintError(io, "stats: not built yet");
  return kExitUsage;
}

int RunPreview(std::span<const std::string> /*args*/, Io& io) {
  PrintError(io, "preview: not built yet");
  return kExitUsage;
}

}  // namespace plandrix::map_command
