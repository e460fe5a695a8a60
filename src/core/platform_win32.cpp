// The declarations come before windows.h, whose macro ReplaceFile (for ReplaceFileW)
// would otherwise rename ours.
#include "core/platform.h"
// The C library of Windows and the system calls.
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cerrno>
#include <cstdlib>

#undef ReplaceFile  // from here on the name is ours

namespace plandrix::platform {

// Windows has no file size limit signal.
void IgnoreFileSizeSignal() {}

bool IsTerminal(std::FILE* stream) { return _isatty(_fileno(stream)) != 0; }

bool ReplaceFile(const std::filesystem::path& from, const std::filesystem::path& to) {
  // One call that replaces an existing target. No copy is allowed: the temporary file
  // lies in the target's folder, so a move is a rename there, and the data is on disk
  // before the call returns.
  return MoveFileExW(from.c_str(), to.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

// No large pages: they need a privilege that a map maker's account does not have.
void* AllocateLargeBuffer(std::size_t size) { return std::calloc(size == 0 ? 1 : size, 1); }

void FreeLargeBuffer(void* data, std::size_t /*size*/) { std::free(data); }

std::FILE* CreateExclusive(const std::filesystem::path& path) {
  // The C library of MinGW programs (msvcrt.dll) knows no "x" in fopen modes; _O_EXCL
  // gives the same guarantee and sets errno to EEXIST. _O_BINARY: a map is bytes, and
  // no byte 0x0A may become two.
  const int descriptor =
      _wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
  if (descriptor < 0) return nullptr;
  std::FILE* file = _fdopen(descriptor, "wb");
  if (file == nullptr) _close(descriptor);
  return file;
}

}  // namespace plandrix::platform
