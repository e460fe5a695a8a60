#include "inspect/map_report.h"

#include <cstddef>
#include <cstdint>
#include <iomanip>

namespace plandrix {
namespace {

// The length of the UTF-8 sequence that starts at text[i], or 0 when none does.
std::size_t Utf8Length(std::string_view text, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<std::uint8_t>(text[k]); };
  const std::uint8_t lead = byte(i);
  std::size_t length = 0;
  if (lead >= 0xC2 && lead <= 0xDF) length = 2;
  if (lead >= 0xE0 && lead <= 0xEF) length = 3;
  if (lead >= 0xF0 && lead <= 0xF4) length = 4;
  if (length == 0 || i + length > text.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
  }
  // Overlong forms and surrogates are no UTF-8 either.
  if ((lead == 0xE0 && byte(i + 1) < 0xA0) || (lead == 0xED && byte(i + 1) >= 0xA0) ||
      (lead == 0xF0 && byte(i + 1) < 0x90) || (lead == 0xF4 && byte(i + 1) >= 0x90)) {
    return 0;
  }
  return length;
}

std::string Escape(std::uint8_t value) {
  constexpr std::string_view kDigits = "0123456789abcdef";
  std::string text = "\\u00";
  text += kDigits[value >> 4];
  text += kDigits[value & 15];
  return text;
}

std::string FindingList(std::span<const Finding> findings, Severity severity) {
  std::string json = "[";
  for (const Finding& finding : findings) {
    if (finding.severity != severity) continue;
    if (json.size() > 1) json += ',';
    json += "{\"code\":" + JsonString(finding.code) +
            ",\"message\":" + JsonString(finding.message) + "}";
  }
  return json + "]";
}

// Printable ASCII as it is, any other byte as \xNN, so that a header text cannot move
// the terminal's cursor.
std::string Printable(std::string_view text) {
  constexpr std::string_view kDigits = "0123456789ABCDEF";
  std::string shown;
  for (const char c : text) {
    const auto byte = static_cast<std::uint8_t>(c);
    if (byte >= ' ' && byte <= '~') {
      shown += c;
    } else {
      shown += "\\x";
      shown += kDigits[byte >> 4];
      shown += kDigits[byte & 15];
    }
  }
  return shown;
}

std::string_view LandscapeName(std::uint8_t landscape) {
  const auto known = LandscapeOf(landscape);
  return known ? kLandscapeNames[static_cast<std::size_t>(*known)] : "unknown";
}

}  // namespace

std::string JsonString(std::string_view text) {
  std::string json = "\"";
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<std::uint8_t>(text[i]);
    if (c == '"' || c == '\\') {
      json += '\\';
      json += text[i];
    } else if (c < 0x20 || c == 0x7F) {
      json += Escape(c);
    } else if (c < 0x80) {
      json += text[i];
    } else if (const std::size_t length = Utf8Length(text, i); length != 0) {
      json += text.substr(i, length);
      i += length - 1;
    } else {
      json += Escape(c);
    }
  }
  return json + "\"";
}

void PrintFindings(std::ostream& out, std::string_view name, std::span<const Finding> findings) {
  if (findings.empty()) out << name << ": ok\n";
  for (const Finding& finding : findings) {
    out << name << (finding.severity == Severity::kError ? ": error: " : ": warning: ")
        << finding.message << " [" << finding.code << "]\n";
  }
}

std::string FindingsJson(std::string_view name, std::span<const Finding> findings) {
  return "{\"file\":" + JsonString(name) +
         ",\"errors\":" + FindingList(findings, Severity::kError) +
         ",\"warnings\":" + FindingList(findings, Severity::kWarning) + "}";
}

void PrintStats(std::ostream& out, const MapStats& stats) {
  const auto line = [&out](std::string_view label) -> std::ostream& {
    return out << std::left << std::setw(14) << label << std::right;
  };
  line("title") << Printable(stats.title) << '\n';
  line("author") << Printable(stats.author) << '\n';
  line("width") << stats.width << '\n';
  line("height") << stats.height << '\n';
  line("landscape") << LandscapeName(stats.landscape) << " (" << int{stats.landscape} << ")\n";
  line("players") << int{stats.players} << '\n';
  line("heights") << int{stats.height_min} << " to " << int{stats.height_max} << '\n';
  line("terrain") << "triangles of each code\n";
  for (std::size_t code = 0; code < stats.terrain.size(); ++code) {
    if (stats.terrain[code] == 0) continue;
    const Landscape shown = LandscapeOf(stats.landscape).value_or(Landscape::kGreenland);
    const std::string_view name = TerrainOf(shown, static_cast<std::uint8_t>(code)).name;
    out << std::setw(4) << code << ' ' << std::left << std::setw(18)
        << (name.empty() ? "unknown" : name) << std::right << std::setw(12) << stats.terrain[code]
        << '\n';
  }
  line("trees") << stats.trees << '\n';
  line("granite") << stats.granite << '\n';
  line("objects") << stats.objects << '\n';
  line("headquarters") << stats.headquarters << '\n';
  for (const PlayerMark& mark : stats.marks) {
    out << "  player " << mark.player << "    " << mark.x << ',' << mark.y << '\n';
  }
  line("animals") << stats.animals << '\n';
  line("resources");
  for (std::size_t kind = 1; kind < stats.resources.size(); ++kind) {
    out << (kind > 1 ? ", " : "") << kResourceNames[kind] << ' ' << stats.resources[kind];
  }
  if (stats.unknown_resources != 0) out << ", unknown " << stats.unknown_resources;
  out << '\n';
}

std::string StatsJson(const MapStats& stats) {
  const auto number = [](std::uint64_t value) { return std::to_string(value); };
  std::string json =
      "{\"title\":" + JsonString(stats.title) + ",\"author\":" + JsonString(stats.author) +
      ",\"width\":" + number(stats.width) + ",\"height\":" + number(stats.height) +
      ",\"landscape\":" + number(stats.landscape) + ",\"players\":" + number(stats.players) +
      ",\"height_min\":" + number(stats.height_min) +
      ",\"height_max\":" + number(stats.height_max) + ",\"terrain\":{";
  bool first = true;
  for (std::size_t code = 0; code < stats.terrain.size(); ++code) {
    if (stats.terrain[code] == 0) continue;
    json += (first ? "\"" : ",\"") + number(code) + "\":" + number(stats.terrain[code]);
    first = false;
  }
  json += "},\"trees\":" + number(stats.trees) + ",\"granite\":" + number(stats.granite) +
          ",\"objects\":" + number(stats.objects) +
          ",\"headquarters\":" + number(stats.headquarters) + ",\"marks\":[";
  for (std::size_t i = 0; i < stats.marks.size(); ++i) {
    const PlayerMark& mark = stats.marks[i];
    json += (i == 0 ? "{\"player\":" : ",{\"player\":") + number(mark.player) +
            ",\"x\":" + number(mark.x) + ",\"y\":" + number(mark.y) + "}";
  }
  json += std::string("],\"animals\":") + number(stats.animals) + ",\"resources\":{";
  for (std::size_t kind = 1; kind < stats.resources.size(); ++kind) {
    json += (kind > 1 ? ",\"" : "\"") + std::string(kResourceNames[kind]) +
            "\":" + number(stats.resources[kind]);
  }
  return json + "}}";
}

}  // namespace plandrix
