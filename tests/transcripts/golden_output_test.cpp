// Output files pinned to their exact bytes (through a 64-bit FNV-1a digest): the same map,
// seed and answers must give the same file on every machine and after every change to
// how the passes are computed.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/run_program.h"
#include "support/test_maps.h"
#include "transform/test_bitmaps.h"

namespace plandrix {
namespace {

std::uint64_t Digest(const std::vector<std::uint8_t>& bytes) {
  std::uint64_t hash = 14695981039346656037ull;
  for (std::uint8_t byte : bytes) {
    hash ^= byte;
    hash *= 1099511628211ull;
  }
  return hash;
}

// A 40 x 30 map with terrain of every class.
std::vector<std::uint8_t> MixedMap() {
  auto map = testing::MakeBlankMap(40, 30);
  testing::FillBlock(map, 2, [](std::size_t x, std::size_t y) {
    return static_cast<std::uint8_t>(((x / 5) * 7 + (y / 4) * 3 + x % 2) % 23);
  });
  testing::FillBlock(map, 3, [](std::size_t x, std::size_t y) {
    return static_cast<std::uint8_t>(((x / 4) * 5 + (y / 5) * 11) % 21);
  });
  return map;
}

struct Golden {
  const char* script;
  const char* output_file;
  std::uint64_t digest;
};

TEST(GoldenOutput, FilesAreByteForByteStable) {
  const Golden cases[] = {
      {"8\n64\n64\n12345678\n0\n", "nGen.wld", 0x15be9b5603adecdbull},
      {"8\n100\n37\n87654321\n0\n", "nGen.wld", 0x5cf7ea7fe3d891a7ull},
      {"6\nm.swd\n0\n1\n1\n1\n1\n1\n0\n", "nm.swd",
       0x6adecd06056822c3ull},  // fresh start: seed 1234678
      {"6\nm.swd\n1\n55555555\n1\n1\n1\n1\n1\n0\n", "nm.swd", 0xf53e7c30dcf52f3bull},
      {"7\nm.swd\n12345678\n0\n", "nm.swd", 0x1d8090452c5ad91full},
      {"10\nm.swd\n0\n", "nm.swd", 0xbe2c487d3d17c63cull},
      {"2\np.bmp\n0\n", "nTavik.wld", 0x8769935d71d55d13ull},
  };
  const testing::Files files = {
      {"m.swd", MixedMap()},
      {"p.bmp", testing::Make4BitBmp(24, 18,
                                     [](std::size_t x, std::size_t y) {
                                       return static_cast<std::uint8_t>((x / 3 + (y / 2) * 5) % 16);
                                     })},
  };
  for (const Golden& golden : cases) {
    const auto run = testing::RunProgram(golden.script, files);
    ASSERT_EQ(run.written.count(golden.output_file), 1u) << golden.script;
    EXPECT_EQ(Digest(run.written.at(golden.output_file)), golden.digest)
        << golden.script << std::hex << " digest 0x" << Digest(run.written.at(golden.output_file));
  }
}

}  // namespace
}  // namespace plandrix
