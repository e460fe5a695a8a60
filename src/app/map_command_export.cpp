// export-heights, export-terrain and players.
#include "app/map_commands.h"

namespace plandrix::map_command {

int RunExportHeights(std::span<const std::string> /*args*/, Io& io) {
  PrintError(io, "export-heights: not built yet");
  return kExitUsage;
}

int RunExportTerrain(std::span<const std::string> /*args*/, Io& io) {
  PrintError(io, "export-terrain: not built yet");
  return kExitUsage;
}

int RunPlayers(std::span<const std::string> /*args*/, Io& io) {
  PrintError(io, "players: not built yet");
  return kExitUsage;
}

}  // namespace plandrix::map_command
