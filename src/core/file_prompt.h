// The menu program's file prompt, its whole-file reads of the files it opened and its
// "n"-named save with the save report: the file steps every menu tool shares. Apart from
// map_file.h so that plandrix-map, which names its files on the command line, links none
// of it.
#pragma once

#include <fstream>
#include <istream>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>

#include "core/map_file.h"

namespace plandrix {

inline constexpr std::string_view kMapKind = "Map-Filename (.swd/.wld)";
inline constexpr std::string_view kBitmapKind = "BMP-Filename (.bmp)";

// An input file of one tool run: open for binary reading from the prompt to the end of
// the run. Its path is kept so that no save of the run can write over it.
struct InputFile {
  std::ifstream stream;
  std::string name;  // as typed
  bool IsOpen() const { return stream.is_open(); }
};

// Asks for a file name until one opens or the user aborts with a word that begins with
// the digit 0 (end of input aborts too). Returns true with the file open and its name
// stored in file.
bool OpenInputFile(std::istream& in, std::ostream& out, std::string_view kind, InputFile& file);

// Reads the whole file from its start. Empty when the read fails or the bytes cannot be
// held in memory (then *out_of_memory is set); nothing is printed.
std::optional<LargeBuffer> ReadWholeFile(std::ifstream& file, bool* out_of_memory = nullptr);

// Writes image whole to OutputName(name) in the working folder with SaveFile, so that an
// earlier output is never left half-written. A target that is one of the run's input
// files, or that lies outside the working folder (a name that climbs out of it, or a link
// that leads out), is refused. Prints the save report, or the error lines when anything
// failed; returns whether the file was written.
bool SaveMap(std::ostream& out, std::span<const std::uint8_t> image, std::string_view name,
             std::span<const InputFile* const> inputs = {});

// The loading step of every tool that works on an existing map: the map prompt, the
// whole-file read and the length check. Prints the refusal when the file is too short
// for its stated size or cannot be held in memory. Empty when nothing may be worked on.
std::optional<MapImage> LoadMap(std::istream& in, std::ostream& out, InputFile& file);

// Reads an opened input file whole, printing the memory or read error when that fails
// ("ERROR: Unable to read File: " and the name for a failed read).
std::optional<LargeBuffer> ReadInputFile(std::ostream& out, InputFile& file);

// Lines printed when a map cannot be worked on.
inline constexpr std::string_view kTooShortMessage = "ERROR: Mapfile is too short for its size!";
inline constexpr std::string_view kNoMemoryMessage = "ERROR: Not enough memory for this map!";

}  // namespace plandrix
