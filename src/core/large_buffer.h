// The storage of a map image or a bitmap: one block of zero-filled bytes from
// platform::AllocateLargeBuffer, which the kernel may back with 2 MiB pages. A 4096 x 4096
// map is 235 MB; in 4 KiB pages, faulting them in costs as much as the work of a tool.
// A contiguous range, so that it converts to std::span like a vector.
// Move-only: a copy is made on purpose, with Copy, where the memory may run out.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <new>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "core/platform.h"

namespace plandrix {

class LargeBuffer {
 public:
  LargeBuffer() = default;
  LargeBuffer(LargeBuffer&& other) noexcept
      : data_(std::exchange(other.data_, nullptr)),
        size_(std::exchange(other.size_, 0)),
        allocated_(std::exchange(other.allocated_, 0)) {}
  LargeBuffer& operator=(LargeBuffer&& other) noexcept {
    if (this != &other) {
      Release();
      data_ = std::exchange(other.data_, nullptr);
      size_ = std::exchange(other.size_, 0);
      allocated_ = std::exchange(other.allocated_, 0);
    }
    return *this;
  }
  LargeBuffer(const LargeBuffer&) = delete;
  LargeBuffer& operator=(const LargeBuffer&) = delete;
  ~LargeBuffer() { Release(); }

  // size zero bytes; empty when memory cannot hold them.
  static std::optional<LargeBuffer> Allocate(std::size_t size) {
    void* data = platform::AllocateLargeBuffer(size);
    if (data == nullptr) return std::nullopt;
    return LargeBuffer(static_cast<std::uint8_t*>(data), size);
  }
  // A copy of bytes; empty when memory cannot hold it.
  static std::optional<LargeBuffer> Copy(std::span<const std::uint8_t> bytes) {
    std::optional<LargeBuffer> copy = Allocate(bytes.size());
    if (copy) std::copy(bytes.begin(), bytes.end(), copy->data());
    return copy;
  }

  // Keeps only the first size bytes (no more than it holds); the memory is given back whole
  // when the buffer goes. For a reader that allocates for the most it may read.
  void Shrink(std::size_t size) { size_ = std::min(size, size_); }

  std::uint8_t* data() { return data_; }
  const std::uint8_t* data() const { return data_; }
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  std::uint8_t* begin() { return data_; }
  std::uint8_t* end() { return data_ + size_; }
  const std::uint8_t* begin() const { return data_; }
  const std::uint8_t* end() const { return data_ + size_; }
  std::uint8_t& operator[](std::size_t i) { return data_[i]; }
  const std::uint8_t& operator[](std::size_t i) const { return data_[i]; }

  friend bool operator==(const LargeBuffer& a, std::span<const std::uint8_t> b) {
    return std::ranges::equal(a, b);
  }

 private:
  LargeBuffer(std::uint8_t* data, std::size_t size) : data_(data), size_(size), allocated_(size) {}
  void Release() {
    if (data_ != nullptr) platform::FreeLargeBuffer(data_, allocated_);
    data_ = nullptr;
    size_ = 0;
    allocated_ = 0;
  }

  std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t allocated_ = 0;  // what the platform gave, for giving it back
};

// A vector of per-vertex values in the same storage.
// A 4096 x 4096 map has 16.7 million vertices: faulting in a layer of them in 4 KiB pages
// costs more than working it out. The layers here take their memory from
// platform::AllocateLargeBuffer, which the kernel may back with 2 MiB pages.
template <typename T>
struct LargePageAllocator {
  using value_type = T;
  LargePageAllocator() = default;
  template <typename U>
  LargePageAllocator(const LargePageAllocator<U>&) noexcept {}
  T* allocate(std::size_t count) {
    if (count > std::numeric_limits<std::size_t>::max() / sizeof(T)) throw std::bad_alloc();
    void* data = platform::AllocateLargeBuffer(count * sizeof(T));
    if (data == nullptr) throw std::bad_alloc();
    return static_cast<T*>(data);
  }
  void deallocate(T* data, std::size_t count) noexcept {
    platform::FreeLargeBuffer(data, count * sizeof(T));
  }
  template <typename U>
  friend bool operator==(const LargePageAllocator&, const LargePageAllocator<U>&) {
    return true;
  }
};
template <typename T>
using LayerVector = std::vector<T, LargePageAllocator<T>>;

}  // namespace plandrix
