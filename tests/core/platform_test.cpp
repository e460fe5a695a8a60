#include "core/platform.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/run_program.h"

namespace plandrix {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)),
                                   std::istreambuf_iterator<char>());
}

void Write(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

// Line ends and the byte that ends text files on some systems pass as they are.
const std::vector<std::uint8_t> kAwkwardBytes = {0x0A, 0x0D, 0x0A, 0x1A, 0x00, 0x0D, 0xFF, 0x0A};

TEST(PlatformTest, CreateExclusiveWritesRawBytesAndNeverOpensAnExistingFile) {
  const testing::TempFolder folder;
  const fs::path path = folder.path() / "a.part0";
  std::FILE* file = platform::CreateExclusive(path);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(std::fwrite(kAwkwardBytes.data(), 1, kAwkwardBytes.size(), file), kAwkwardBytes.size());
  EXPECT_EQ(std::fclose(file), 0);
  EXPECT_EQ(Read(path), kAwkwardBytes);

  errno = 0;
  EXPECT_EQ(platform::CreateExclusive(path), nullptr);
  EXPECT_EQ(errno, EEXIST);
  EXPECT_EQ(Read(path), kAwkwardBytes);  // not emptied by the refused open
}

TEST(PlatformTest, ReplaceFileReplacesAnExistingTargetWholeAndFailsOnAFolder) {
  const testing::TempFolder folder;
  const fs::path from = folder.path() / "new";
  const fs::path to = folder.path() / "old";
  Write(from, kAwkwardBytes);
  Write(to, std::vector<std::uint8_t>(5000, 0x11));
  EXPECT_TRUE(platform::ReplaceFile(from, to));
  EXPECT_EQ(Read(to), kAwkwardBytes);
  EXPECT_FALSE(fs::exists(from));

  Write(from, kAwkwardBytes);
  fs::create_directory(folder.path() / "folder");
  EXPECT_FALSE(platform::ReplaceFile(from, folder.path() / "folder"));
  EXPECT_EQ(Read(from), kAwkwardBytes);  // left where it was
  EXPECT_FALSE(platform::ReplaceFile(folder.path() / "missing", to));
  EXPECT_EQ(Read(to), kAwkwardBytes);
}

}  // namespace
}  // namespace plandrix
