#include <sys/mman.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
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

std::FILE* CreateExclusive(const std::filesystem::path& path) {
  // "x" (C11): the open fails rather than reuse an existing file.
  return std::fopen(path.c_str(), "wbx");
}

}  // namespace plandrix::platform
