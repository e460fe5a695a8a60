#include <fcntl.h>
#include <limits.h>
#include <pthread.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
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
  return std::rename(from.c_str(), to.c_str()) == 0;
}

namespace {

// The size of a large page on x86-64 and arm64 Linux. Smaller buffers come from calloc:
// rounding them up to a page of their own would waste more than they hold.
constexpr std::size_t kLargePage = std::size_t{2} << 20;

// Under the address sanitizer every buffer comes from calloc, whose bounds it checks.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kCheckedHeap = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kCheckedHeap = true;
#else
constexpr bool kCheckedHeap = false;
#endif
#else
constexpr bool kCheckedHeap = false;
#endif

bool FromHeap(std::size_t size) { return kCheckedHeap || size < kLargePage; }

std::size_t RoundedUp(std::size_t size) {
  return (size + kLargePage - 1) / kLargePage * kLargePage;
}

}  // namespace

// Anonymous mappings are zero-filled by the kernel page by page as they are first
// touched, so no byte is written here. The mapping is made one large page longer than
// needed and trimmed to a large-page boundary at both ends, so that every 2 MiB of it
// can be one large page.
void* AllocateLargeBuffer(std::size_t size) {
  if (FromHeap(size)) return std::calloc(size == 0 ? 1 : size, 1);
  if (size > SIZE_MAX - 2 * kLargePage) return nullptr;
  const std::size_t length = RoundedUp(size);
  const std::size_t mapped = length + kLargePage;
  void* base = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (base == MAP_FAILED) return nullptr;
  const auto start = reinterpret_cast<std::uintptr_t>(base);
  const std::uintptr_t aligned = (start + kLargePage - 1) / kLargePage * kLargePage;
  if (aligned > start) munmap(base, aligned - start);
  const std::size_t tail = mapped - (aligned - start) - length;
  if (tail > 0) munmap(reinterpret_cast<void*>(aligned + length), tail);
  void* data = reinterpret_cast<void*>(aligned);
#ifdef MADV_HUGEPAGE
  // Only advice: where the kernel has no large pages to give, 4 KiB pages back it.
  madvise(data, length, MADV_HUGEPAGE);
#endif
  return data;
}

void FreeLargeBuffer(void* data, std::size_t size) {
  if (data == nullptr) return;
  if (FromHeap(size)) {
    std::free(data);
  } else {
    munmap(data, RoundedUp(size));
  }
}

namespace {

// Opens a descriptor as a C stream; the descriptor is closed when that fails.
std::FILE* StreamOf(int descriptor, const char* mode) {
  if (descriptor < 0) return nullptr;
  std::FILE* file = fdopen(descriptor, mode);
  if (file == nullptr) {
    const int error = errno;
    close(descriptor);
    errno = error;
  }
  return file;
}

int CreateDescriptor(const char* path, unsigned mode) {
  return open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, static_cast<mode_t>(mode));
}

}  // namespace

std::FILE* CreateExclusive(const std::filesystem::path& path) {
  // O_EXCL: the open fails rather than reuse an existing file.
  return StreamOf(CreateDescriptor(path.c_str(), 0666), "wb");
}

std::FILE* OpenRegularFile(const std::filesystem::path& path, std::uint64_t& size, int& error) {
  // O_NONBLOCK: opening a named pipe does not wait for a writer; a pipe or a device is then
  // refused by what fstat says, before anything is read.
  const int descriptor = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  struct stat status {};
  if (descriptor < 0 || fstat(descriptor, &status) != 0) {
    error = errno;
    if (descriptor >= 0) close(descriptor);
    return nullptr;
  }
  if (!S_ISREG(status.st_mode)) {
    close(descriptor);
    error = kNotRegularFile;
    return nullptr;
  }
  // Reads of a regular file never wait; the flag goes so that nothing else is affected.
  fcntl(descriptor, F_SETFL, fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
  size = static_cast<std::uint64_t>(status.st_size);
  std::FILE* file = StreamOf(descriptor, "rb");
  if (file == nullptr) error = errno;
  return file;
}

std::FILE* OpenInPlace(const std::filesystem::path& path) {
  const int descriptor = open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
  struct stat status {};
  if (descriptor >= 0 && fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode)) {
    // It became a regular file since it was looked at: writing into it would leave it
    // half old, half new. The caller replaces it instead.
    close(descriptor);
    errno = EEXIST;
    return nullptr;
  }
  return StreamOf(descriptor, "wb");
}

bool IsWriteProtected(const std::filesystem::path& path) {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0) return false;
  // The administrator may write every file, so access() alone would never call a file of
  // mode 444 protected for them. A file that grants writing to nobody is protected on
  // purpose, for every user.
  const bool writable_by_someone = (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
  return !writable_by_someone || faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0;
}

std::uint64_t ProcessId() { return static_cast<std::uint64_t>(getpid()); }

namespace {

// The signals that remove the temporary file of a save in progress.
constexpr std::array<int, 3> kSaveSignals = {SIGINT, SIGTERM, SIGHUP};

// The one global mutable state of the programs (see SaveInProgress): a signal handler can
// reach nothing else. path is written before armed is set, and read by the handler only
// while armed is set; the earlier actions are restored when the save ends.
struct PendingSave {
  char path[PATH_MAX];
  volatile std::sig_atomic_t armed;
  std::array<struct sigaction, kSaveSignals.size()> earlier;
  std::array<bool, kSaveSignals.size()> installed;
};
PendingSave pending_save;

extern "C" void RemoveTemporaryAndEnd(int signal_number) {
  // unlink, sigaction and raise are async-signal-safe.
  if (pending_save.armed != 0) unlink(pending_save.path);
  // End as the signal would have ended the program: its default action, raised again.
  // The signal is blocked while this handler runs, so it arrives as the handler returns.
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  sigaction(signal_number, &action, nullptr);
  raise(signal_number);
}

sigset_t SaveSignalSet() {
  sigset_t set;
  sigemptyset(&set);
  for (int signal_number : kSaveSignals) sigaddset(&set, signal_number);
  return set;
}

}  // namespace

SaveInProgress::SaveInProgress() {
  pending_save.armed = 0;
  struct sigaction action {};
  action.sa_handler = RemoveTemporaryAndEnd;
  action.sa_mask = SaveSignalSet();  // one handler at a time
  for (std::size_t i = 0; i < kSaveSignals.size(); ++i) {
    struct sigaction& earlier = pending_save.earlier[i];
    pending_save.installed[i] = sigaction(kSaveSignals[i], nullptr, &earlier) == 0 &&
                                earlier.sa_handler != SIG_IGN &&
                                sigaction(kSaveSignals[i], &action, nullptr) == 0;
  }
}

SaveInProgress::~SaveInProgress() {
  if (pending_save.armed != 0) unlink(pending_save.path);
  pending_save.armed = 0;
  for (std::size_t i = 0; i < kSaveSignals.size(); ++i) {
    if (pending_save.installed[i]) sigaction(kSaveSignals[i], &pending_save.earlier[i], nullptr);
    pending_save.installed[i] = false;
  }
}

std::FILE* SaveInProgress::CreateTemporary(const std::filesystem::path& path, unsigned mode) {
  const std::string& name = path.native();
  if (name.size() >= sizeof pending_save.path) {
    errno = ENAMETOOLONG;
    return nullptr;
  }
  // The signals wait until the new file is held, so none can leave it behind.
  const sigset_t block = SaveSignalSet();
  sigset_t earlier;
  pthread_sigmask(SIG_BLOCK, &block, &earlier);
  const int descriptor = CreateDescriptor(name.c_str(), mode);
  std::FILE* file = descriptor >= 0 ? fdopen(descriptor, "wb") : nullptr;
  const int error = errno;
  if (descriptor >= 0 && file == nullptr) {
    // Created, but no stream could be had: the file is ours and goes at once.
    close(descriptor);
    unlink(name.c_str());
  }
  if (file != nullptr) {
    std::memcpy(pending_save.path, name.c_str(), name.size() + 1);
    std::atomic_signal_fence(std::memory_order_seq_cst);
    pending_save.armed = 1;
  }
  pthread_sigmask(SIG_SETMASK, &earlier, nullptr);
  errno = error;
  return file;
}

void SaveInProgress::Release() { pending_save.armed = 0; }

}  // namespace plandrix::platform
