#include <io.h>

#include <cstdlib>
#include <system_error>

#include "core/platform.h"

namespace plandrix::platform {

// Windows has no file size limit signal.
void IgnoreFileSizeSignal() {}

bool IsTerminal(std::FILE* stream) { return _isatty(_fileno(stream)) != 0; }

bool ReplaceFile(const std::filesystem::path& from, const std::filesystem::path& to) {
  // std::filesystem::rename replaces an existing target on Windows as well
  // (MoveFileExW with MOVEFILE_REPLACE_EXISTING in the MinGW library).
  std::error_code error;
  std::filesystem::rename(from, to, error);
  return !error;
}

void* AllocateLargeBuffer(std::size_t size) { return std::calloc(size == 0 ? 1 : size, 1); }

void FreeLargeBuffer(void* data, std::size_t /*size*/) { std::free(data); }

}  // namespace plandrix::platform
