// The program's standard output: large pieces handed to the C stream, so that millions of
// short lines redirected to a file cost little more than one write of their bytes.
#pragma once

#include <cstddef>
#include <cstdio>
#include <streambuf>
#include <vector>

namespace plandrix {

// Collects output in a buffer of a fixed capacity and writes it to file when the buffer
// is full, on every flush of the stream (sync) and when it is destroyed. A piece at least
// as large as the buffer goes to file directly. The file stays open; it is not owned.
class FileOutputBuffer : public std::streambuf {
 public:
  FileOutputBuffer(std::FILE* file, std::size_t capacity);
  ~FileOutputBuffer() override;
  FileOutputBuffer(const FileOutputBuffer&) = delete;
  FileOutputBuffer& operator=(const FileOutputBuffer&) = delete;

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* text, std::streamsize count) override;
  int sync() override;

 private:
  // Writes the collected bytes and empties the buffer; false when the file refused them.
  bool WritePending();

  std::FILE* file_;
  std::vector<char> buffer_;
};

}  // namespace plandrix
