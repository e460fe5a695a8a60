#include "core/file_prompt.h"

#include <new>
#include <stdexcept>
#include <system_error>

#include "core/map_layout.h"

namespace plandrix {
namespace {

namespace fs = std::filesystem;

// Whether the output path is the same file as one that the run holds open for input
// (the same name, or another name through a link).
bool IsInputFile(const fs::path& output, std::span<const InputFile* const> inputs) {
  std::error_code error;
  if (!fs::exists(output, error)) return false;
  for (const InputFile* input : inputs) {
    if (input == nullptr || !input->IsOpen()) continue;
    if (fs::equivalent(output, fs::path(input->name), error)) return true;
  }
  return false;
}

// Reads the file whole into the buffer that make(size) gives (empty, or throwing
// std::bad_alloc or std::length_error, when memory cannot hold it).
template <class Make>
auto ReadAll(std::ifstream& file, bool* out_of_memory, Make&& make) -> decltype(make(0)) {
  if (out_of_memory != nullptr) *out_of_memory = false;
  file.clear();
  file.seekg(0, std::ios::end);
  const std::streamoff end = file.tellg();
  file.seekg(0, std::ios::beg);
  if (!file || end < 0) return std::nullopt;
  decltype(make(0)) bytes;
  try {
    bytes = make(static_cast<std::size_t>(end));
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  }
  if (!bytes) {
    if (out_of_memory != nullptr) *out_of_memory = true;
    return std::nullopt;
  }
  if (end > 0 && !file.read(reinterpret_cast<char*>(bytes->data()), end)) return std::nullopt;
  return bytes;
}

}  // namespace

bool OpenInputFile(std::istream& in, std::ostream& out, std::string_view kind, InputFile& file) {
  for (;;) {
    out << "Please enter the " << kind << " or 0 to abort.\n";
    out << "Filename: ";
    out.flush();
    std::string word;
    if (!(in >> word) || word.front() == '0') {
      // A word that begins with the digit 0 aborts, as does the end of input.
      out << "Loading file has been aborted!\n";
      return false;
    }
    if (word.size() > kMaxFileNameLength) {
      // Never cut a name: the cut name could open a different file.
      out << "Filename too long (at most " << kMaxFileNameLength << " characters): " << word
          << "\n\n";
      continue;
    }
    // Only regular files are maps or bitmaps: a folder cannot be read, and opening a
    // named pipe or a device could wait for ever or never end.
    std::error_code error;
    file.stream.close();
    file.stream.clear();
    // A NUL byte ends a name for the system, which would open another file than typed.
    if (word.find('\0') == std::string::npos && fs::is_regular_file(word, error)) {
      file.stream.open(word, std::ios::binary);
    }
    if (!file.stream.is_open()) {
      out << "Unable to open File: " << word << "\n\n";
      continue;
    }
    out << "Map has been loaded!\n";
    file.name = word;
    return true;
  }
}

std::optional<LargeBuffer> ReadWholeFile(std::ifstream& file, bool* out_of_memory) {
  return ReadAll(file, out_of_memory, LargeBuffer::Allocate);
}

bool SaveMap(std::ostream& out, std::span<const std::uint8_t> image, std::string_view name,
             std::span<const InputFile* const> inputs) {
  const std::string output = OutputName(name);
  const fs::path target(output);
  // The output stays in the working folder: "n" + a name that climbs out ("/../x") or a
  // link that leads out is refused.
  std::error_code error;
  const fs::path folder = fs::current_path(error);
  const bool saved =
      !error && !IsInputFile(target, inputs) && SaveFile(target, image, &folder) == 0;
  if (saved) {
    out << "\nMap has been saved!\nName:" << output << "\n\n";
  } else {
    out << "\nERROR: Unable to save File: " << output << "\n\n";
  }
  return saved;
}

std::optional<LargeBuffer> ReadInputFile(std::ostream& out, InputFile& file) {
  bool out_of_memory = false;
  auto bytes = ReadWholeFile(file.stream, &out_of_memory);
  if (!bytes && out_of_memory) out << kNoMemoryMessage << '\n';
  if (!bytes && !out_of_memory) out << "ERROR: Unable to read File: " << file.name << '\n';
  return bytes;
}

std::optional<MapImage> LoadMap(std::istream& in, std::ostream& out, InputFile& file) {
  if (!OpenInputFile(in, out, kMapKind, file)) return std::nullopt;
  auto image = ReadInputFile(out, file);
  if (!image) return std::nullopt;
  if (!MapImageIsComplete(*image)) {
    out << kTooShortMessage << '\n';
    return std::nullopt;
  }
  return image;
}

}  // namespace plandrix
