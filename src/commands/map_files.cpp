#include "commands/map_files.h"

#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>

#include "core/map_layout.h"

namespace plandrix::commands {
namespace {

// Why a file cannot be read, for the line that names it.
std::string ReasonOf(const ReadError& error) {
  switch (error.failure) {
    case ReadFailure::kMissing:
      return "no such file";
    case ReadFailure::kNotRegularFile:
      return "not a regular file";
    case ReadFailure::kOutOfMemory:
      return "too large for this machine's memory";
    case ReadFailure::kSystem:
    case ReadFailure::kNone:
      break;
  }
  return std::string("cannot be read (") + std::strerror(error.code) + ")";
}

struct ReadFile {
  LargeBuffer bytes;
  std::uint64_t trailing_bytes = 0;
};

Step<ReadFile> Read(const MapRequest& request) {
  if (request.reading == Reading::kMapPart) {
    auto part = ReadMapPart(request.path);
    if (!part) return part.stop();
    return ReadFile{std::move(part->bytes), part->trailing_bytes};
  }
  ReadError error;
  if (auto bytes = ReadFileBytes(request.path, error)) return ReadFile{std::move(*bytes), 0};
  return Stop{kExitUsage, request.path + ": " + ReasonOf(error)};
}

// The refusal of a file that holds no map to work on, in the request's words.
Stop Refusal(const MapRequest& request, std::string_view why) {
  const std::string name = request.naming == Naming::kSeeCheck
                               ? request.path
                               : std::string(request.command) + ": " + request.path;
  return Stop{kExitFindings, name + ": " + std::string(why)};
}

std::string TooShort(const MapRequest& request, std::span<const std::uint8_t> bytes) {
  if (request.naming == Naming::kSeeCheck) {
    return "too short for the map it states (see plandrix-map check " + request.path + ")";
  }
  if (bytes.size() < kHeaderSize) {
    return "not a map: shorter than the " + std::to_string(kHeaderSize) + "-byte header";
  }
  const std::size_t width = MapWidth(bytes);
  const std::size_t height = MapHeight(bytes);
  return "too short for the " + std::to_string(width) + " x " + std::to_string(height) +
         " map it states (" + std::to_string(MapLength(width, height)) + " bytes needed, " +
         std::to_string(bytes.size()) + " found)";
}

}  // namespace

Step<MapFileBytes> ReadMapPart(const std::string& path) {
  ReadError error;
  if (auto part = ReadMapPrefix(path, error)) return std::move(*part);
  return Stop{kExitUsage, path + ": " + ReasonOf(error)};
}

LoadedMap::LoadedMap(std::string path, LargeBuffer file, const MapStructure& structure,
                     std::uint64_t trailing_bytes, std::optional<LargeBuffer> standard)
    : path_(std::move(path)),
      file_(std::move(file)),
      structure_(structure),
      trailing_bytes_(trailing_bytes),
      standard_(std::move(standard)) {}

std::span<const std::uint8_t> LoadedMap::image() const {
  return standard_ ? std::span<const std::uint8_t>(*standard_)
                   : std::span<const std::uint8_t>(file_);
}

std::span<std::uint8_t> LoadedMap::image() {
  return standard_ ? std::span<std::uint8_t>(*standard_) : std::span<std::uint8_t>(file_);
}

std::span<const std::uint8_t> LoadedMap::FileWithChanges(std::span<const int> blocks) {
  if (standard_) CopyBackFromStandard(*standard_, structure_, blocks, file_);
  return file_;
}

Step<LoadedMap> LoadMap(const MapRequest& request) {
  auto read = Read(request);
  if (!read) return read.stop();
  const std::span<const std::uint8_t> bytes(read->bytes);
  // A file that does not begin like a map was read no further than its header.
  if (bytes.size() >= kHeaderSize && !BeginsWithSignature(bytes)) {
    return Refusal(request,
                   "not a SettlersII map (it does not begin with " + std::string(kSignature) + ")");
  }
  // Every block must be there; the final byte too, unless the file is as long as a map
  // of its size (its last byte then stands where the final byte belongs).
  const auto structure = ReadMapStructure(bytes);
  if (!structure || structure->blocks_read < kBlockCount ||
      (!structure->end_mark && bytes.size() < MapLength(structure->width, structure->height))) {
    return Refusal(request, TooShort(request, bytes));
  }
  if (request.needs_vertices && (structure->width == 0 || structure->height == 0)) {
    return Refusal(request, "the map has no vertices (" + std::to_string(structure->width) + " x " +
                                std::to_string(structure->height) + ")");
  }
  std::optional<LargeBuffer> standard;
  if (!HasStandardLayout(*structure)) {
    standard = StandardLayoutOf(bytes, *structure);
    if (!standard) return Stop{kExitUsage, std::string(request.command) + ": not enough memory"};
  }
  return LoadedMap(request.path, std::move(read->bytes), *structure, read->trailing_bytes,
                   std::move(standard));
}

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  return a == b || std::filesystem::equivalent(a, b, error);
}

Step<Done> WriteOutput(const std::string& output, const std::string& input,
                       std::span<const std::uint8_t> bytes, std::string_view command) {
  if (SameFile(output, input)) {
    return Stop{kExitUsage,
                std::string(command) + ": " + output + " is the input map; not written over"};
  }
  const int error = SaveFile(output, bytes);
  if (error != 0) {
    return Stop{kExitUsage, output + ": cannot be written (" + std::strerror(error) + ")"};
  }
  return Done{};
}

std::string WithExtension(const std::string& name, std::string_view extension) {
  std::filesystem::path path(name);
  path.replace_extension(extension);
  return path.string();
}

std::string CopyName(const std::string& map) {
  const std::filesystem::path path(map);
  return (path.parent_path() / OutputName(path.filename().string())).string();
}

}  // namespace plandrix::commands
