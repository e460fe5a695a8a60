// The findings of a map as the game's loader would see it: what makes the game refuse
// or damage the map (errors) and what makes it unplayable or differ from what the game
// expects (warnings).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace plandrix {

enum class Severity : std::uint8_t { kError, kWarning };

struct Finding {
  Severity severity;
  std::string_view code;  // short and stable, such as "too-short"
  std::string message;    // one line for a person
};

// Every finding of the file bytes, errors first, each class in the order of the file.
// Errors are what makes the game refuse the map or fail to start a match on it; warnings
// what it accepts but plays differently than a map maker expects. The blocks are walked
// header by header as the game's loader does, so a header that states a huge map over a
// short file costs nothing. bytes_not_read: bytes of the file after those given (they
// are counted as bytes after the map).
std::vector<Finding> CheckMap(std::span<const std::uint8_t> file, std::uint64_t bytes_not_read = 0);

// Whether any finding is an error.
bool HasError(std::span<const Finding> findings);

}  // namespace plandrix
