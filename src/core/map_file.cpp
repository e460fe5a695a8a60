#include "core/map_file.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <new>
#include <stdexcept>
#include <system_error>

#include "core/map_format.h"
#include "core/map_layout.h"
#include "core/platform.h"

namespace plandrix {
namespace {

namespace fs = std::filesystem;

struct CloseFile {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePointer = std::unique_ptr<std::FILE, CloseFile>;

// errno after a failed call of the C library, never 0.
int LastError() { return errno != 0 ? errno : EIO; }

// errno for a failure that std::filesystem reported.
int ErrnoOf(const std::error_code& error) {
  const std::error_condition condition = error.default_error_condition();
  return condition.category() == std::generic_category() ? condition.value() : EIO;
}

// Writes bytes whole and closes file; 0, or errno for the first failure.
int WriteAndClose(std::FILE* file, std::span<const std::uint8_t> bytes) {
  errno = 0;
  int error = 0;
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
    error = LastError();
  }
  if (std::fflush(file) != 0 && error == 0) error = LastError();
  if (std::fclose(file) != 0 && error == 0) error = LastError();
  return error;
}

// Whether path, with every link followed, lies inside folder.
bool LiesIn(const fs::path& path, const fs::path& folder) {
  std::error_code error;
  const fs::path root = fs::canonical(folder, error);
  if (error) return false;
  const fs::path absolute = fs::absolute(path, error);
  if (error) return false;
  const fs::path parent = fs::weakly_canonical(absolute, error).parent_path();
  if (error) return false;
  return std::mismatch(root.begin(), root.end(), parent.begin(), parent.end()).first == root.end();
}

// A device, a named pipe: the bytes go into it where it is.
int WriteInPlace(const fs::path& path, std::span<const std::uint8_t> bytes) {
  errno = 0;
  std::FILE* file = platform::OpenInPlace(path);
  if (file == nullptr) return LastError();
  return WriteAndClose(file, bytes);
}

constexpr std::uint64_t kMostTemporaryNames = 100000;

// Writes bytes to a new temporary file beside target and renames it over target. Names
// that other runs left are passed over, however many there are.
int ReplaceThroughTemporary(const fs::path& target, std::span<const std::uint8_t> bytes,
                            unsigned mode) {
  platform::SaveInProgress save;
  fs::path temporary;
  std::FILE* file = nullptr;
  for (std::uint64_t attempt = 0; file == nullptr; ++attempt) {
    // Far more names than any number of runs with this process id could leave behind; a
    // file system that calls every name taken ends the save instead of holding it for ever.
    if (attempt == kMostTemporaryNames) return EEXIST;
    temporary = TemporaryPath(target, attempt);
    errno = 0;
    file = save.CreateTemporary(temporary, mode);
    if (file == nullptr && errno != EEXIST) return LastError();
  }
  int error = WriteAndClose(file, bytes);
  errno = 0;
  if (error == 0 && !platform::ReplaceFile(temporary, target)) error = LastError();
  // Renamed: nothing is left to remove. Otherwise the guard removes the temporary file.
  if (error == 0) save.Release();
  return error;
}

}  // namespace

fs::path TemporaryPath(const fs::path& target, std::uint64_t attempt) {
  // The longest file name that common file systems take.
  constexpr std::size_t kMostNameLength = 255;
  const std::string ending =
      ".part" + std::to_string(platform::ProcessId()) + "-" + std::to_string(attempt);
  fs::path name = target.filename();
  name += ending;
  if (name.native().size() > kMostNameLength) name = "plandrix" + ending;
  return target.parent_path() / name;
}

int SaveFile(const fs::path& target, std::span<const std::uint8_t> bytes, const fs::path* folder) {
  // The system reads a name only up to its first NUL byte, so such a name would write a
  // different file, and every temporary name would be the same one.
  if (target.native().find(fs::path::value_type{}) != fs::path::string_type::npos) return EINVAL;
  std::error_code error;
  fs::path place = target;  // the file that is written: where links lead
  if (fs::is_symlink(fs::symlink_status(target, error))) {
    fs::path resolved = fs::canonical(target, error);
    if (!error) {
      place = std::move(resolved);
    } else if (error != std::errc::no_such_file_or_directory) {
      return ErrnoOf(error);  // a loop of links, a folder that may not be searched
    }
  }
  const fs::file_status status = fs::status(place, error);
  if (error && status.type() != fs::file_type::not_found) return ErrnoOf(error);
  if (folder != nullptr && !LiesIn(place, *folder)) return EPERM;
  if (fs::is_directory(status)) return EISDIR;
  if (fs::exists(status) && !fs::is_regular_file(status)) return WriteInPlace(place, bytes);
  if (fs::exists(status) && platform::IsWriteProtected(place)) return EACCES;
  // A replaced file keeps its permission bits (within the process's mask).
  constexpr unsigned kNewFileMode = 0666;
  const unsigned mode = fs::exists(status)
                            ? static_cast<unsigned>(status.permissions() & fs::perms::all)
                            : kNewFileMode;
  return ReplaceThroughTemporary(place, bytes, mode);
}

bool WriteFileAtomically(const fs::path& target, std::span<const std::uint8_t> bytes) {
  return SaveFile(target, bytes) == 0;
}

namespace {

// Opens path as OpenRegularFile does, with the failure sorted for the messages.
FilePointer OpenForReading(const fs::path& path, std::uint64_t& size, ReadError& error) {
  int code = 0;
  FilePointer file(platform::OpenRegularFile(path, size, code));
  if (!file) {
    error.code = code;
    error.failure = code == platform::kNotRegularFile ? ReadFailure::kNotRegularFile
                    : code == ENOENT                  ? ReadFailure::kMissing
                                                      : ReadFailure::kSystem;
  }
  return file;
}

// Reads count bytes into into; false with error set when they cannot all be read (the
// file shrank or the system failed).
bool ReadExactly(std::FILE* file, std::uint8_t* into, std::size_t count, ReadError& error) {
  errno = 0;
  if (count == 0 || std::fread(into, 1, count, file) == count) return true;
  error = {ReadFailure::kSystem, std::ferror(file) != 0 ? LastError() : EIO};
  return false;
}

std::optional<LargeBuffer> AllocateFor(std::uint64_t size, ReadError& error) {
  std::optional<LargeBuffer> bytes;
  if (size <= SIZE_MAX) bytes = LargeBuffer::Allocate(static_cast<std::size_t>(size));
  if (!bytes) error = {ReadFailure::kOutOfMemory, ENOMEM};
  return bytes;
}

// Reads the 14 blocks that follow the header into map.bytes, as ReadMapStructure walks
// them: each block's 16-byte header, then its data unless its
// multiplier is 0. A file that ends inside a block is read to its end. Gives the offset
// after what was read, nothing when the file could not be read.
std::optional<std::size_t> ReadBlocks(std::FILE* file, MapFileBytes& map, ReadError& error) {
  const std::uint64_t size = map.file_size;
  const std::size_t n = MapWidth(map.bytes) * MapHeight(map.bytes);
  std::size_t at = kHeaderSize;
  for (std::size_t k = 0; k < kBlockCount && at < size; ++k) {
    const std::size_t head =
        static_cast<std::size_t>(std::min<std::uint64_t>(kBlockHeaderSize, size - at));
    if (!ReadExactly(file, map.bytes.data() + at, head, error)) return std::nullopt;
    at += head;
    if (head < kBlockHeaderSize ||
        ReadU16(map.bytes, at - kBlockHeaderSize + kBlockMultiplierField) == 0) {
      continue;  // the file ends here, or the block is absent and has no data
    }
    const std::size_t data = static_cast<std::size_t>(std::min<std::uint64_t>(n, size - at));
    if (!ReadExactly(file, map.bytes.data() + at, data, error)) return std::nullopt;
    at += data;
  }
  return at;
}

// Reads the extra animal records from offset at up to and with the final 0xFF, in pieces
// of kPiece bytes. The first kMostKeptRecordBytes of them are kept in map.bytes; the rest
// are only scanned for the final 0xFF, which then follows the kept ones. Bytes after it
// are counted from the file's size.
bool ScanRecords(std::FILE* file, std::size_t at, MapFileBytes& map, ReadError& error) {
  constexpr std::size_t kPiece = std::size_t{64} << 10;
  std::optional<LargeBuffer> scratch = AllocateFor(kPiece, error);
  if (!scratch) return false;
  const std::size_t keep_until = at + kMostKeptRecordBytes;
  std::size_t kept = at;      // the end of the bytes kept
  std::uint64_t offset = at;  // the file offset of the next byte read
  std::size_t start = 0;      // where the first record starts in the next piece
  while (offset < map.file_size) {
    const bool keep = kept < keep_until;
    std::uint8_t* piece = keep ? map.bytes.data() + kept : scratch->data();
    const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(
        keep ? std::min(kPiece, keep_until - kept) : kPiece, map.file_size - offset));
    if (!ReadExactly(file, piece, count, error)) return false;
    // Only a record's first byte can be the final 0xFF: its coordinates may hold 0xFF.
    std::size_t i = start;
    while (i < count && piece[i] != kEndMark) i += kAnimalRecordSize;
    start = i < count ? 0 : i - count;
    i = std::min(i, count);
    offset += i;
    if (keep) {
      kept += i;
    } else {
      map.records_left_out += i;
    }
    if (i < count) {  // the final 0xFF
      map.bytes[kept++] = kEndMark;
      map.trailing_bytes = map.file_size - offset - 1;
      break;
    }
  }
  map.bytes.Shrink(kept);
  return true;
}

}  // namespace

bool BeginsWithSignature(std::span<const std::uint8_t> bytes) {
  return bytes.size() >= kSignature.size() &&
         std::equal(kSignature.begin(), kSignature.end(), bytes.begin(),
                    [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; });
}

std::optional<MapFileBytes> ReadMapPrefix(const fs::path& path, ReadError& error) {
  error = {};
  MapFileBytes map;
  FilePointer file = OpenForReading(path, map.file_size, error);
  if (!file) return std::nullopt;
  std::array<std::uint8_t, kHeaderSize> header{};
  const auto header_bytes =
      static_cast<std::size_t>(std::min<std::uint64_t>(map.file_size, kHeaderSize));
  if (!ReadExactly(file.get(), header.data(), header_bytes, error)) return std::nullopt;
  const std::span<const std::uint8_t> head(header.data(), header_bytes);
  // A file shorter than the header is read whole; one without the signature is no map,
  // and nothing more of it is read.
  const bool map_follows = header_bytes == kHeaderSize && BeginsWithSignature(head);
  std::uint64_t most = header_bytes;
  if (map_follows) {
    // The most a map part can take: every block present, and the kept records.
    const std::uint64_t n = std::uint64_t{MapWidth(head)} * MapHeight(head);
    most =
        std::min<std::uint64_t>(map.file_size, kHeaderSize + kBlockCount * (kBlockHeaderSize + n) +
                                                   kMostKeptRecordBytes + 1);
  }
  std::optional<LargeBuffer> bytes = AllocateFor(most, error);
  if (!bytes) return std::nullopt;
  std::copy(head.begin(), head.end(), bytes->data());
  map.bytes = std::move(*bytes);
  if (!map_follows) return map;
  const std::optional<std::size_t> at = ReadBlocks(file.get(), map, error);
  if (!at || !ScanRecords(file.get(), *at, map, error)) return std::nullopt;
  return map;
}

std::optional<LargeBuffer> ReadFileBytes(const fs::path& path, ReadError& error) {
  error = {};
  std::uint64_t size = 0;
  FilePointer file = OpenForReading(path, size, error);
  if (!file) return std::nullopt;
  std::optional<LargeBuffer> bytes = AllocateFor(size, error);
  if (!bytes || !ReadExactly(file.get(), bytes->data(), bytes->size(), error)) return std::nullopt;
  return bytes;
}

std::optional<LargeBuffer> ReadFileBytes(const fs::path& path, bool* out_of_memory) {
  ReadError error;
  std::optional<LargeBuffer> bytes = ReadFileBytes(path, error);
  if (out_of_memory != nullptr) *out_of_memory = error.failure == ReadFailure::kOutOfMemory;
  return bytes;
}

std::string OutputName(std::string_view name) {
  std::string output(1, 'n');
  output.append(name.substr(0, kMaxOutputStemLength));
  return output;
}

}  // namespace plandrix
