#include "console/output_buffer.h"

#include <algorithm>

namespace plandrix {
namespace {

// Keeps every buffered piece countable in the int that pbump takes.
constexpr std::size_t kLargestCapacity = std::size_t{1} << 24;

}  // namespace

FileOutputBuffer::FileOutputBuffer(std::FILE* file, std::size_t capacity)
    : file_(file), buffer_(std::clamp<std::size_t>(capacity, 1, kLargestCapacity)) {
  setp(buffer_.data(), buffer_.data() + buffer_.size());
}

FileOutputBuffer::~FileOutputBuffer() {
  // Whatever is still collected reaches the file, even when nobody flushed the stream.
  sync();
}

bool FileOutputBuffer::WritePending() {
  const auto count = static_cast<std::size_t>(pptr() - pbase());
  const bool written = count == 0 || std::fwrite(pbase(), 1, count, file_) == count;
  setp(buffer_.data(), buffer_.data() + buffer_.size());
  return written;
}

FileOutputBuffer::int_type FileOutputBuffer::overflow(int_type c) {
  if (!WritePending()) return traits_type::eof();
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  *pptr() = traits_type::to_char_type(c);
  pbump(1);
  return c;
}

std::streamsize FileOutputBuffer::xsputn(const char* text, std::streamsize count) {
  if (count <= 0) return 0;
  const auto size = static_cast<std::size_t>(count);
  if (size > static_cast<std::size_t>(epptr() - pptr())) {
    if (!WritePending()) return 0;
    if (size >= buffer_.size()) {
      return static_cast<std::streamsize>(std::fwrite(text, 1, size, file_));
    }
  }
  std::copy(text, text + size, pptr());
  // size is below the capacity here, and so fits in an int.
  pbump(static_cast<int>(size));
  return count;
}

int FileOutputBuffer::sync() {
  const bool written = WritePending();
  return written && std::fflush(file_) == 0 ? 0 : -1;
}

}  // namespace plandrix
