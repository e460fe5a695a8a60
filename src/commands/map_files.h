// The load and write steps of plandrix-map's commands: a map named on the command line
// read as far as the command needs and refused in the command's words when it cannot be
// worked on, and an output written unless it is the map itself.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "commands/command.h"
#include "core/large_buffer.h"
#include "core/map_file.h"
#include "core/map_format.h"

namespace plandrix::commands {

enum class Reading : std::uint8_t {
  kMapPart,   // the map part only, bytes after it counted (commands that look at a map)
  kWholeFile  // every byte (commands that write a copy of the map, which carries them)
};

// How a refusal names the file: the commands that look at a map name it and point to
// check; the ones that make something of it name themselves and say what was needed.
enum class Naming : std::uint8_t { kSeeCheck, kCommand };

struct MapRequest {
  std::string path;
  std::string_view command;
  Reading reading = Reading::kMapPart;
  Naming naming = Naming::kCommand;
  bool needs_vertices = true;  // a map of width or height 0 is refused
};

// A map as a command works on it.
class LoadedMap {
 public:
  LoadedMap(std::string path, LargeBuffer file, const MapStructure& structure,
            std::uint64_t trailing_bytes, std::optional<LargeBuffer> standard);

  const std::string& path() const { return path_; }
  std::size_t width() const { return structure_.width; }
  std::size_t height() const { return structure_.height; }
  std::uint64_t trailing_bytes() const { return trailing_bytes_; }
  // The map in the standard layout that the operations read (map_layout.h): the file's
  // own bytes when its blocks stand there, else a copy.
  std::span<const std::uint8_t> image() const;
  std::span<std::uint8_t> image();
  // The file's bytes with what the command changed in the header and in the given blocks
  // of image(): the copy a writing command saves (read with Reading::kWholeFile).
  std::span<const std::uint8_t> FileWithChanges(std::span<const int> blocks);

 private:
  std::string path_;
  LargeBuffer file_;
  MapStructure structure_;
  std::uint64_t trailing_bytes_ = 0;
  std::optional<LargeBuffer> standard_;
};

// The map part of the file at path (ReadMapPrefix), or a stop with 2 and the reason.
Step<MapFileBytes> ReadMapPart(const std::string& path);

// Reads the map of request, or stops: 2 when the file cannot be read or memory runs out,
// 1 when it is no map, too short for its blocks or (needs_vertices) without vertices.
Step<LoadedMap> LoadMap(const MapRequest& request);

// Writes bytes to output, or stops with 2 when output is the map read (by name, through a
// link or another name of the same file) or cannot be written, naming the reason.
Step<Done> WriteOutput(const std::string& output, const std::string& input,
                       std::span<const std::uint8_t> bytes, std::string_view command);

// Whether two names lead to the same existing file.
bool SameFile(const std::string& a, const std::string& b);

// The path of name with its extension replaced by extension ("maps/a.swd" -> "maps/a.png").
std::string WithExtension(const std::string& name, std::string_view extension);

// Where a copy of a map goes unless -o says otherwise: "n" and the map's file name, in
// the map's folder, as the menu program names its outputs.
std::string CopyName(const std::string& map);

}  // namespace plandrix::commands
