// Arbitrary bytes as the standard input of the whole program, run in a folder that holds
// a few small maps and bitmaps, so that every tool, prompt and message can be reached.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/main_menu.h"
#include "console/console.h"
#include "core/blank_map.h"
#include "core/map_layout.h"
#include "random/random_source.h"
#include "support/fuzz_support.h"

namespace {

namespace fs = std::filesystem;

std::set<std::string>* g_initial_files = nullptr;
fs::path* g_folder = nullptr;

// The folder goes when the fuzzer ends, so that runs do not pile up in the temp folder.
void RemoveFolder() {
  std::error_code error;
  fs::remove_all(*g_folder, error);
}

void WriteFile(const std::string& name, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(name, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::uint8_t> MakeMap(std::size_t width, std::size_t height, std::uint32_t salt) {
  std::vector<std::uint8_t> image(plandrix::MapLength(width, height));
  plandrix::CreateBlankMap(image, width, height);
  const std::size_t n = width * height;
  // Terrain of many codes, listed and unlisted, so that every class is met.
  std::uint32_t x = salt;
  for (int block : {2, 3}) {
    for (auto& byte : plandrix::Block(std::span<std::uint8_t>(image), block, n)) {
      x = x * 1103515245u + 12345u;
      byte = static_cast<std::uint8_t>((x >> 16) % 40);
    }
  }
  return image;
}

std::vector<std::uint8_t> MakeBitmap(std::size_t width, std::size_t height, std::size_t bits) {
  const std::size_t row = bits == 4 ? (width / 2 + 3) / 4 * 4 : width;
  std::vector<std::uint8_t> bytes(118 + row * height);
  bytes[0] = 'B';
  bytes[1] = 'M';
  bytes[18] = static_cast<std::uint8_t>(width);
  bytes[22] = static_cast<std::uint8_t>(height);
  for (std::size_t i = 118; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 37);
  return bytes;
}

// Keeps typed numbers small enough that a map of that size is quick to build: leading
// zeros of a run of digits go (one stays if all are zeros, so that a typed 0 still
// aborts), then runs of three to five digits are cut to two. Runs of six digits or more
// stay, since as sizes they are refused and as seeds they may be valid. Without the
// first step, 028035 would ask for a map of 28035 rows.
std::string KeepMapsSmall(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  std::string result;
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] < '0' || text[i] > '9') {
      result += text[i++];
      continue;
    }
    std::size_t end = i;
    while (end < text.size() && text[end] >= '0' && text[end] <= '9') ++end;
    while (i + 1 < end && text[i] == '0') ++i;
    const std::size_t length = end - i;
    result += text.substr(i, (length >= 3 && length <= 5) ? 2 : length);
    i = end;
  }
  return result;
}

// Scripts that visit every tool with the files of the folder, good and bad replies mixed.
const std::vector<plandrix::fuzz::Bytes>& Seeds() {
  static const std::vector<plandrix::fuzz::Bytes> seeds = [] {
    const char* scripts[] = {
        "1\na.swd\n17\n1\n3\n4\n2\n15\n11\n0\n0\n",
        "2\np.bmp\n2\nq.bmp\n0\n",
        "3\na.swd\n1\n2\n3\n7\n0\n3\nb.wld\n3\n0\n0\n",
        "4\n5\na.swd\n3\n16\n0\n5\ns.swd\n0\n0\n",
        "6\na.swd\n1\n12345678\n1\n1\n1\n1\n1\n6\nb.wld\n0\n1\n0\n1\n0\n0\n",
        "7\na.swd\n87654321\n7\nc.swd\nx\n0\n0\n",
        "8\n40\n30\n12345678\n8\n1\n1\n0\n8\n0\n5\n0\n",
        "9\na.swd\nh.bmp\n1\n1\n0\n9\nb.wld\ng.bmp\n0\n0\n0\n",
        "9\ns.swd\nh.bmp\n0\n10\nb.wld\n10\nzzz\n0\n0\n",
        "11\n12\n-3\n99999999999\nabc\n13\n0\n",
    };
    std::vector<plandrix::fuzz::Bytes> result;
    for (const char* script : scripts) {
      const std::string text(script);
      result.emplace_back(text.begin(), text.end());
    }
    return result;
  }();
  return seeds;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  plandrix::fuzz::WriteSeedsIfAsked("dialogue", Seeds);
  const fs::path folder =
      fs::temp_directory_path() / ("plandrix-dialogue-" + std::to_string(getpid()));
  fs::create_directories(folder);
  fs::current_path(folder);
  g_folder = new fs::path(folder);
  std::atexit(RemoveFolder);
  WriteFile("a.swd", MakeMap(16, 12, 1));
  WriteFile("b.wld", MakeMap(7, 5, 2));
  WriteFile("c.swd", MakeMap(1, 1, 3));
  auto short_map = MakeMap(8, 8, 4);
  short_map.resize(short_map.size() - 3);
  WriteFile("s.swd", short_map);
  WriteFile("p.bmp", MakeBitmap(16, 12, 4));
  WriteFile("q.bmp", MakeBitmap(7, 5, 4));
  WriteFile("h.bmp", MakeBitmap(16, 12, 8));
  WriteFile("g.bmp", MakeBitmap(7, 5, 8));
  g_initial_files = new std::set<std::string>();
  for (const auto& entry : fs::directory_iterator(".")) {
    g_initial_files->insert(entry.path().filename().string());
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::istringstream in(KeepMapsSmall(data, size));
  std::ostringstream out;
  plandrix::Console console{in, out};
  plandrix::ProgramState state;
  plandrix::RunMainMenu(console, state);
  // Every run ends at the farewell, whatever was typed.
  const std::string text = out.str();
  const std::string farewell = "Hopefully everything went better than expected!\n";
  if (text.size() < farewell.size() ||
      text.compare(text.size() - farewell.size(), farewell.size(), farewell) != 0) {
    __builtin_trap();
  }
  // Every file the run wrote is an "n" name; remove them so that runs stay independent.
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(".")) {
    const std::string name = entry.path().filename().string();
    if (g_initial_files->count(name) != 0) continue;
    if (name.empty() || name[0] != 'n') __builtin_trap();
    fs::remove_all(entry.path(), error);
  }
  return 0;
}
