// plandrix-map: the command-line companion of the menu program. The commands are a
// library (src/commands); here is what only a process has: its standard output and the
// file size limit signal.
#include "commands/plandrix_map.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <new>
#include <span>
#include <stdexcept>
#include <streambuf>
#include <string>
#include <vector>

#include "core/platform.h"

namespace {

// Standard output in pieces of 64 KiB that remembers why a write failed: the C stream
// forgets it (after a failed write the C library drops what it held, and a later flush
// reports success).
class StandardOutput : public std::streambuf {
 public:
  explicit StandardOutput(std::FILE* file) : file_(file) {
    setp(buffer_.data(), buffer_.data() + buffer_.size());
  }
  // errno of the first failed write, 0 while none failed.
  int error() const { return error_; }

 protected:
  int_type overflow(int_type c) override {
    if (!Drain()) return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
      *pptr() = traits_type::to_char_type(c);
      pbump(1);
    }
    return traits_type::not_eof(c);
  }
  int sync() override { return Drain() ? 0 : -1; }

 private:
  bool Drain() {
    const auto count = static_cast<std::size_t>(pptr() - pbase());
    if (count > 0 && error_ == 0) {
      errno = 0;
      if (std::fwrite(pbase(), 1, count, file_) != count || std::fflush(file_) != 0) {
        error_ = errno != 0 ? errno : EIO;
      }
    }
    setp(buffer_.data(), buffer_.data() + buffer_.size());
    return error_ == 0;
  }

  std::FILE* file_;
  std::array<char, std::size_t{64} << 10> buffer_{};
  int error_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  using namespace plandrix::commands;
  // A write beyond the file size limit (ulimit -f) must fail and be reported, with the
  // temporary file removed, rather than end the program.
  plandrix::platform::IgnoreFileSizeSignal();
  std::setvbuf(stdout, nullptr, _IONBF, 0);  // the pieces are collected here
  StandardOutput output(stdout);
  std::streambuf* const standard_output = std::cout.rdbuf(&output);
  Io io{std::cout, std::cerr};
  int status = kExitUsage;
  try {
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    status = RunPlandrixMap(args, io);
  } catch (const std::bad_alloc&) {
    PrintError(io, "not enough memory");
  }
  std::cout.flush();
  std::cout.rdbuf(standard_output);
  if (output.error() != 0) {
    PrintError(io, std::string("standard output: cannot be written (") +
                       std::strerror(output.error()) + ")");
    return kExitUsage;
  }
  return status;
}
