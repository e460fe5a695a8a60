#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <utility>

#include "support/run_program.h"

// The temporary folder of a test: no child process and no POSIX call, so that the unit
// tests build and run on every platform.
namespace plandrix::testing {

namespace fs = std::filesystem;

TempFolder::TempFolder() {
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    fs::path candidate = fs::temp_directory_path() / ("plandrix-test-" + std::to_string(random()));
    if (fs::create_directory(candidate)) {
      path_ = candidate;
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary folder");
}

TempFolder::TempFolder(fs::path path) : path_(std::move(path)) {
  if (!fs::create_directories(path_)) throw std::runtime_error("folder exists: " + path_.string());
}

TempFolder::~TempFolder() {
  std::error_code error;
  fs::remove_all(path_, error);
}

void TempFolder::Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
  const fs::path file = path_ / name;
  fs::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

Files TempFolder::ReadAll() const {
  Files files;
  for (const auto& entry : fs::recursive_directory_iterator(path_)) {
    // Links are not followed: one may lead to a pipe, or out of the folder.
    if (entry.is_symlink() || !entry.is_regular_file()) continue;
    // In one read: a map of 58 MB byte by byte takes seconds in a debug build.
    std::ifstream in(entry.path(), std::ios::binary);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(entry.file_size()));
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    files[fs::relative(entry.path(), path_).string()] = std::move(bytes);
  }
  return files;
}

}  // namespace plandrix::testing
