#include "console/output_buffer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <ostream>
#include <string>

namespace plandrix {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::string Contents(std::FILE* file) {
  std::fflush(file);
  std::rewind(file);
  std::string text;
  for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file))
    text.push_back(static_cast<char>(c));
  return text;
}

TEST(FileOutputBufferTest, KeepsOutputUntilFlushedThenWritesItInOrder) {
  const File file(std::tmpfile());
  ASSERT_NE(file, nullptr);
  FileOutputBuffer buffer(file.get(), 8);
  std::ostream out(&buffer);
  out << "ab";
  EXPECT_EQ(Contents(file.get()), "");
  // Single characters past the end, a piece that overflows and one larger than the buffer.
  out << "cdefgh" << 'i' << "jklmnop" << std::string(20, 'x') << 'y';
  EXPECT_EQ(Contents(file.get()),
            "abcdefgh"
            "ijklmnop" +
                std::string(20, 'x'));
  out.flush();
  EXPECT_EQ(Contents(file.get()), "abcdefghijklmnop" + std::string(20, 'x') + "y");
}

TEST(FileOutputBufferTest, WritesWhatIsLeftWhenDestroyed) {
  const File file(std::tmpfile());
  ASSERT_NE(file, nullptr);
  {
    FileOutputBuffer buffer(file.get(), 1 << 20);
    std::ostream out(&buffer);
    out << "Warning\n" << 42 << '\n';
  }
  EXPECT_EQ(Contents(file.get()), "Warning\n42\n");
}

TEST(FileOutputBufferTest, ATinyCapacityStillWritesEveryCharacter) {
  const File file(std::tmpfile());
  ASSERT_NE(file, nullptr);
  FileOutputBuffer buffer(file.get(), 0);
  std::ostream out(&buffer);
  out << "Map has been saved!\n" << std::flush;
  // Single characters go through another path than strings.
  out.put('O');
  out << 'K' << std::endl;
  EXPECT_EQ(Contents(file.get()), "Map has been saved!\nOK\n");
}

}  // namespace
}  // namespace plandrix
