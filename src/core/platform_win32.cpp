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
#include <cwchar>

#undef ReplaceFile  // from here on the name is ours

namespace plandrix::platform {

// Windows has no file size limit signal.
void IgnoreFileSizeSignal() {}

bool IsTerminal(std::FILE* stream) { return _isatty(_fileno(stream)) != 0; }

namespace {

// errno for the last error of a Windows call.
int ErrnoOfLastError() {
  switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return ENOENT;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return EEXIST;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
      return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_FILENAME_EXCED_RANGE:
      return ENAMETOOLONG;
    default:
      return EIO;
  }
}

// A C stream over a handle of the system; the handle is closed when that fails.
std::FILE* StreamOf(HANDLE handle, int flags, const char* mode) {
  if (handle == INVALID_HANDLE_VALUE) {
    errno = ErrnoOfLastError();
    return nullptr;
  }
  const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), flags | _O_BINARY);
  if (descriptor < 0) {
    CloseHandle(handle);
    errno = EIO;
    return nullptr;
  }
  std::FILE* file = _fdopen(descriptor, mode);
  if (file == nullptr) _close(descriptor);
  return file;
}

}  // namespace

bool ReplaceFile(const std::filesystem::path& from, const std::filesystem::path& to) {
  // One call that replaces an existing target. No copy is allowed: the temporary file
  // lies in the target's folder, so a move is a rename there, and the data is on disk
  // before the call returns.
  if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  errno = ErrnoOfLastError();
  return false;
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

std::FILE* OpenRegularFile(const std::filesystem::path& path, std::uint64_t& size, int& error) {
  const HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    error = ErrnoOfLastError();
    return nullptr;
  }
  // A console, a pipe or a device such as NUL is no disk file.
  LARGE_INTEGER length{};
  if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileSizeEx(handle, &length)) {
    CloseHandle(handle);
    error = kNotRegularFile;
    return nullptr;
  }
  size = static_cast<std::uint64_t>(length.QuadPart);
  std::FILE* file = StreamOf(handle, _O_RDONLY, "rb");
  if (file == nullptr) error = errno;
  return file;
}

std::FILE* OpenInPlace(const std::filesystem::path& path) {
  const HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle != INVALID_HANDLE_VALUE && GetFileType(handle) == FILE_TYPE_DISK) {
    CloseHandle(handle);  // a disk file is replaced, not written into
    errno = EEXIST;
    return nullptr;
  }
  return StreamOf(handle, _O_WRONLY, "wb");
}

bool IsWriteProtected(const std::filesystem::path& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

std::uint64_t ProcessId() { return GetCurrentProcessId(); }

namespace {

// The one global mutable state of the programs (see SaveInProgress). The console control
// handler runs on a thread of its own, so the lock keeps it from reading a name that is
// being written. The temporary file is opened with FILE_SHARE_DELETE, so the handler can
// delete it while the save still holds it open.
struct PendingSave {
  SRWLOCK lock = SRWLOCK_INIT;
  wchar_t path[32768];
  bool armed = false;
};
PendingSave pending_save;

BOOL WINAPI RemoveTemporary(DWORD event) {
  if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT || event == CTRL_CLOSE_EVENT) {
    AcquireSRWLockExclusive(&pending_save.lock);
    if (pending_save.armed) DeleteFileW(pending_save.path);
    pending_save.armed = false;
    ReleaseSRWLockExclusive(&pending_save.lock);
  }
  return FALSE;  // the next handler, by default the one that ends the program
}

}  // namespace

SaveInProgress::SaveInProgress() { SetConsoleCtrlHandler(RemoveTemporary, TRUE); }

SaveInProgress::~SaveInProgress() {
  AcquireSRWLockExclusive(&pending_save.lock);
  if (pending_save.armed) DeleteFileW(pending_save.path);
  pending_save.armed = false;
  ReleaseSRWLockExclusive(&pending_save.lock);
  SetConsoleCtrlHandler(RemoveTemporary, FALSE);
}

std::FILE* SaveInProgress::CreateTemporary(const std::filesystem::path& path, unsigned /*mode*/) {
  const std::wstring& name = path.native();
  if (name.size() >= sizeof pending_save.path / sizeof pending_save.path[0]) {
    errno = ENAMETOOLONG;
    return nullptr;
  }
  AcquireSRWLockExclusive(&pending_save.lock);
  const HANDLE handle =
      CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                  CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  std::FILE* file = StreamOf(handle, _O_WRONLY, "wb");
  const int error = errno;
  if (file != nullptr) {
    std::wmemcpy(pending_save.path, name.c_str(), name.size() + 1);
    pending_save.armed = true;
  } else if (handle != INVALID_HANDLE_VALUE) {
    DeleteFileW(name.c_str());  // created, but no stream could be had
  }
  ReleaseSRWLockExclusive(&pending_save.lock);
  errno = error;
  return file;
}

void SaveInProgress::Release() {
  AcquireSRWLockExclusive(&pending_save.lock);
  pending_save.armed = false;
  ReleaseSRWLockExclusive(&pending_save.lock);
}

}  // namespace plandrix::platform
