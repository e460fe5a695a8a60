#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <system_error>

#include "core/platform.h"

namespace plandrix::platform {

void IgnoreFileSizeSignal() {
#ifdef SIGXFSZ
  std::signal(SIGXFSZ, SIG_IGN);
#endif
}

bool IsTerminal(std::FILE* stream) { return isatty(fileno(stream)) != 0; }

bool ReplaceFile(const std::filesystem::path& from, const std::filesystem::path& to) {
  // rename() replaces the target atomically on POSIX systems.
  std::error_code error;
  std::filesystem::rename(from, to, error);
  return !error;
}

void* AllocateLargeBuffer(std::size_t size) { return std::calloc(size == 0 ? 1 : size, 1); }

void FreeLargeBuffer(void* data, std::size_t /*size*/) { std::free(data); }

std::FILE* CreateExclusive(const std::filesystem::path& path) {
  // "x" (C11): the open fails rather than reuse an existing file.
  return std::fopen(path.c_str(), "wbx");
}

}  // namespace plandrix::platform
