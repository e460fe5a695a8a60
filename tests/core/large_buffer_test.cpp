#include "core/large_buffer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

namespace plandrix {
namespace {

constexpr std::size_t kMiB = std::size_t{1} << 20;

TEST(LargeBuffer, ZeroFilledWritableAtBothEndsAndMovable) {
  // Below, at and around the large page, and several pages with a partial last one.
  for (const std::size_t size :
       {std::size_t{0}, std::size_t{1}, 2 * kMiB - 1, 2 * kMiB, 2 * kMiB + 1, 5 * kMiB + 3}) {
    std::optional<LargeBuffer> buffer = LargeBuffer::Allocate(size);
    ASSERT_TRUE(buffer.has_value()) << size;
    ASSERT_EQ(buffer->size(), size);
    if (size == 0) continue;
    EXPECT_EQ((*buffer)[0], 0) << size;
    EXPECT_EQ((*buffer)[size / 2], 0) << size;
    EXPECT_EQ((*buffer)[size - 1], 0) << size;
#if !defined(__SANITIZE_ADDRESS__) && !defined(_WIN32)
    // Large pages are asked for on POSIX systems only, and not under the sanitizer.
    if (size >= 2 * kMiB) {
      EXPECT_EQ(reinterpret_cast<std::uintptr_t>(buffer->data()) % (2 * kMiB), 0U) << size;
    }
#endif
    (*buffer)[size - 1] = 2;
    (*buffer)[0] = 1;
    LargeBuffer moved = std::move(*buffer);
    EXPECT_TRUE(buffer->empty());
    EXPECT_EQ(moved[0], 1);
    EXPECT_EQ(moved[size - 1], size > 1 ? 2 : 1);
    const std::optional<LargeBuffer> copy = LargeBuffer::Copy(moved);
    ASSERT_TRUE(copy.has_value());
    EXPECT_TRUE(*copy == std::span<const std::uint8_t>(moved));
  }
}

TEST(LargeBuffer, ComparesAndConvertsLikeAByteVector) {
  const std::vector<std::uint8_t> bytes = {3, 1, 4, 1, 5};
  const std::optional<LargeBuffer> buffer = LargeBuffer::Copy(bytes);
  ASSERT_TRUE(buffer.has_value());
  EXPECT_EQ(*buffer, bytes);
  const std::span<const std::uint8_t> view = *buffer;
  EXPECT_EQ(std::vector<std::uint8_t>(view.begin(), view.end()), bytes);
  EXPECT_FALSE(*buffer == std::vector<std::uint8_t>({3, 1, 4, 1}));
}

TEST(LargeBuffer, MoreThanMemoryCanHoldIsRefused) {
  EXPECT_FALSE(LargeBuffer::Allocate(~std::size_t{0} - 4096).has_value());
}

}  // namespace
}  // namespace plandrix
