// Reading and writing whole files: what plandrix-map reads of a map, the reads of whole
// files, the saves that never leave an output half-written, and the "n" output name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <istream>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/large_buffer.h"
#include "core/map_format.h"

namespace plandrix {

// A map image or a bitmap as a tool holds it.
using MapImage = LargeBuffer;

// Names are single words of at most this many characters.
inline constexpr std::size_t kMaxFileNameLength = 31;
// The output name is "n" followed by at most this many characters of the given name.
inline constexpr std::size_t kMaxOutputStemLength = 29;

// Why a file named on a command line could not be read.
enum class ReadFailure : std::uint8_t {
  kNone,
  kMissing,         // no file of that name
  kNotRegularFile,  // a folder, a named pipe, a device
  kOutOfMemory,     // too large for the memory the process may have
  kSystem,          // the system refused: code holds errno
};
struct ReadError {
  ReadFailure failure = ReadFailure::kNone;
  int code = 0;
};

// Reads the regular file at path whole. Empty when it is no regular file, cannot be
// read, or cannot be held in memory, with error saying why; nothing is printed. A named
// pipe or a device is refused without waiting on it. Held in the same storage as a
// loaded map, large pages where the system has them.
std::optional<LargeBuffer> ReadFileBytes(const std::filesystem::path& path, ReadError& error);
// The same, with only whether memory ran out.
std::optional<LargeBuffer> ReadFileBytes(const std::filesystem::path& path,
                                         bool* out_of_memory = nullptr);

// The part of a file that holds its map, as ReadMapPrefix reads it.
struct MapFileBytes {
  // The bytes read, from the file's start: the map part, or the whole file when it ends
  // inside the map part or is shorter than the header, or the header alone when the file
  // does not begin with the signature.
  LargeBuffer bytes;
  std::uint64_t file_size = 0;
  // Bytes after the final 0xFF: counted from the file's size, never read.
  std::uint64_t trailing_bytes = 0;
  // Bytes of extra animal records beyond the first kMostKeptRecordBytes, which were
  // scanned for the final 0xFF and left out of bytes (the final 0xFF follows the records
  // that were kept).
  std::uint64_t records_left_out = 0;
};

// At most this many bytes of extra animal records are kept (whole records).
inline constexpr std::size_t kMostKeptRecordBytes = 200000 * kAnimalRecordSize;

// Whether bytes begin with the signature of a world map, "WORLD_V1.0".
bool BeginsWithSignature(std::span<const std::uint8_t> bytes);

// Reads what a command that only looks at a map needs of the file at path: its size and
// header first; for a file with the signature, the map part as the game's loader walks
// it (the 14 blocks by their own headers, a block whose multiplier is 0 without data,
// then the extra animal records up to and with the final 0xFF, scanned in pieces of
// bounded size). Bytes after the map part are counted, not read, so a huge file costs
// what its map costs. Empty, with error set, when the file cannot be read.
std::optional<MapFileBytes> ReadMapPrefix(const std::filesystem::path& path, ReadError& error);

// The name of the temporary file of a save to target: the target's name with ".part",
// the process's id and the attempt, so that names left by other runs are passed over
// (a name too long for the system is cut to "plandrix" and the same ending).
std::filesystem::path TemporaryPath(const std::filesystem::path& target, std::uint64_t attempt);

// Writes bytes to target and gives 0, or an errno value that says why nothing was
// written (and target is as it was):
// - no file of that name (or a link that leads nowhere, which is replaced): a temporary
//   file beside it, written whole, then renamed to target;
// - a regular file, also through links (the link stays): replaced the same way in one
//   step, keeping its permission bits, unless it is write-protected (EACCES);
// - a device, a named pipe or another file that is not a regular one: opened and
//   written in place, never replaced;
// - a folder: EISDIR.
// With folder given, the file written must lie inside that folder (else EPERM). The
// temporary file is removed whenever the save fails, and also when an interrupt, a
// terminate or a hangup signal ends the program during the save.
int SaveFile(const std::filesystem::path& target, std::span<const std::uint8_t> bytes,
             const std::filesystem::path* folder = nullptr);

// SaveFile without a folder: whether the bytes were written.
bool WriteFileAtomically(const std::filesystem::path& target, std::span<const std::uint8_t> bytes);

// The output name of a save: "n" followed by at most the first 29 characters of name.
std::string OutputName(std::string_view name);

}  // namespace plandrix
