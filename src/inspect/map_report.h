// The findings and counts of a map as text lines for a person and as JSON for a script.
#pragma once

#include <ostream>
#include <span>
#include <string>
#include <string_view>

#include "inspect/map_check.h"
#include "inspect/map_stats.h"

namespace plandrix {

// text as a JSON string, quotes included. Bytes that are not UTF-8 are escaped as the
// code points of the same value, so that any file name gives valid JSON.
std::string JsonString(std::string_view text);

// One line per finding, "NAME: error: TEXT" or "NAME: warning: TEXT", or "NAME: ok".
void PrintFindings(std::ostream& out, std::string_view name, std::span<const Finding> findings);

// {"file":NAME,"errors":[{"code":...,"message":...}],"warnings":[...]} on one line.
std::string FindingsJson(std::string_view name, std::span<const Finding> findings);

// The counts as aligned lines.
void PrintStats(std::ostream& out, const MapStats& stats);

// The counts as one JSON object on one line.
std::string StatsJson(const MapStats& stats);

}  // namespace plandrix
