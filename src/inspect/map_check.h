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

// Every finding of the file bytes, errors and warnings in the order of the file. The
// stated size is compared with the length before any block is looked at, so a header
// that states a huge map over a short file costs nothing.
std::vector<Finding> CheckMap(std::span<const std::uint8_t> file);
// The same for the map part of a file followed by trailing_bytes that were counted, not read.
std::vector<Finding> CheckMap(std::span<const std::uint8_t> file, std::uint64_t trailing_bytes);

// Whether any finding is an error.
bool HasError(std::span<const Finding> findings);

}  // namespace plandrix
