// The balance report as text for a person and as JSON for a script.
#include <algorithm>
#include <string>
#include <vector>

#include "inspect/balance.h"
#include "inspect/map_report.h"

namespace plandrix {
namespace {

using Q = BuildingQuality;

// The whole map's sites in the order they are printed.
constexpr std::array<Q, kQualityCount> kSiteOrder = {Q::kCastle,  Q::kHouse, Q::kHut,    Q::kMine,
                                                     Q::kHarbour, Q::kFlag,  Q::kNothing};

std::string_view QualityName(Q quality) { return kQualityNames[static_cast<std::size_t>(quality)]; }

std::string DistanceText(const std::optional<std::uint32_t>& steps, std::string_view none) {
  return steps ? std::to_string(*steps) : std::string(none);
}

// The players' table: a line of column names, then a line per player, each column as
// wide as its widest entry and its entries put to the right.
void PrintPlayers(std::ostream& out, std::span<const PlayerBalance> players) {
  std::vector<std::vector<std::string>> rows(1 + players.size());
  rows[0] = {"player", "x", "y"};
  rows[0].insert(rows[0].end(), kMeasureNames.begin(), kMeasureNames.end());
  rows[0].insert(rows[0].end(), {"nearest", "mountain_distance"});
  for (std::size_t i = 0; i < players.size(); ++i) {
    const PlayerBalance& player = players[i];
    auto& row = rows[i + 1];
    row = {std::to_string(player.player), std::to_string(player.at.x), std::to_string(player.at.y)};
    for (const std::uint64_t amount : player.amounts) row.push_back(std::to_string(amount));
    row.push_back(DistanceText(player.nearest, "-"));
    row.push_back(DistanceText(player.mountain_distance, "-"));
  }
  std::vector<std::size_t> widths(rows[0].size());
  for (const auto& row : rows) {
    for (std::size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], row[c].size());
  }
  for (const auto& row : rows) {
    std::string line;
    for (std::size_t c = 0; c < row.size(); ++c) {
      line += (c == 0 ? "" : " ") + std::string(widths[c] - row[c].size(), ' ') + row[c];
    }
    out << line << '\n';
  }
}

void PrintFairness(std::ostream& out, const BalanceReport& report) {
  if (!report.fairness) {
    out << "fairness: none, with fewer than two players there is no one to compare with\n";
    return;
  }
  const Fairness& fairness = *report.fairness;
  out << "fairness " << RatioText(fairness.overall) << ", weakest "
      << kFairnessNames[fairness.weakest] << ":";
  for (std::size_t i = 0; i < kOverallMeasures.size(); ++i) {
    const std::size_t m = kOverallMeasures[i];
    out << (i == 0 ? " " : ", ") << kFairnessNames[m] << ' ' << RatioText(fairness.ratios[m]);
  }
  out << '\n';
  for (const UnreachablePair& pair : report.unreachable) {
    out << "players " << int{pair.first} << " and " << int{pair.second}
        << " cannot walk to each other"
        << (pair.shared_sea ? "; both homes have a harbour site on one sea\n"
                            : " and no sea joins their homes' harbour sites\n");
  }
  if (report.unreachable.empty()) out << "every player can walk to every other\n";
}

std::string PlayerJson(const PlayerBalance& player) {
  const auto number = [](const std::optional<std::uint32_t>& steps) {
    return DistanceText(steps, "null");
  };
  std::string json = "{\"player\":" + std::to_string(player.player) +
                     ",\"x\":" + std::to_string(player.at.x) +
                     ",\"y\":" + std::to_string(player.at.y);
  for (std::size_t m = 0; m < kMeasureCount; ++m) {
    json += ",\"" + std::string(kMeasureNames[m]) + "\":" + std::to_string(player.amounts[m]);
  }
  return json + ",\"nearest\":" + number(player.nearest) +
         ",\"mountain_distance\":" + number(player.mountain_distance) + "}";
}

std::string FairnessJson(const std::optional<Fairness>& fairness) {
  if (!fairness) return "null";
  std::string json = "{";
  for (std::size_t m = 0; m < kFairnessCount; ++m) {
    json += "\"" + std::string(kFairnessNames[m]) + "\":" + RatioText(fairness->ratios[m]) + ",";
  }
  return json + "\"overall\":" + RatioText(fairness->overall) +
         ",\"weakest_measure\":" + JsonString(kFairnessNames[fairness->weakest]) + "}";
}

}  // namespace

bool IsBelow(const Ratio& a, const Ratio& b) {
  const auto whole = [](const Ratio& r) { return r.strongest == 0 ? Ratio{1, 1} : r; };
  const Ratio x = whole(a);
  const Ratio y = whole(b);
  return x.weakest * y.strongest < y.weakest * x.strongest;
}

std::string RatioText(const Ratio& ratio) {
  const std::uint64_t thousandths =
      ratio.strongest == 0 ? 1000 : ratio.weakest * 1000 / ratio.strongest;
  const std::string fraction = std::to_string(thousandths % 1000);
  return std::to_string(thousandths / 1000) + "." + std::string(3 - fraction.size(), '0') +
         fraction;
}

void PrintBalance(std::ostream& out, const BalanceReport& report) {
  out << "sites on the whole map:";
  for (std::size_t i = 0; i < kSiteOrder.size(); ++i) {
    out << (i == 0 ? " " : ", ") << QualityName(kSiteOrder[i]) << ' '
        << report.sites[static_cast<std::size_t>(kSiteOrder[i])];
  }
  out << "\nhomes: what each headquarters reaches first, within " << report.radius
      << (report.radius == 1 ? " step\n" : " steps\n");
  if (report.players.empty()) {
    out << "no players: no headquarters mark of a player below the map's player count\n";
  } else {
    PrintPlayers(out, report.players);
  }
  PrintFairness(out, report);
}

std::string BalanceJson(const BalanceReport& report, std::string_view file_name) {
  std::string json = "{\"file\":" + JsonString(file_name) +
                     ",\"radius\":" + std::to_string(report.radius) + ",\"sites\":{";
  for (std::size_t i = 0; i < kSiteOrder.size(); ++i) {
    json += (i == 0 ? "\"" : ",\"") + std::string(QualityName(kSiteOrder[i])) +
            "\":" + std::to_string(report.sites[static_cast<std::size_t>(kSiteOrder[i])]);
  }
  json += "},\"players\":[";
  for (std::size_t i = 0; i < report.players.size(); ++i) {
    json += (i == 0 ? "" : ",") + PlayerJson(report.players[i]);
  }
  json += "],\"fairness\":" + FairnessJson(report.fairness) + ",\"unreachable\":[";
  for (std::size_t i = 0; i < report.unreachable.size(); ++i) {
    const UnreachablePair& pair = report.unreachable[i];
    json += (i == 0 ? "[" : ",[") + std::to_string(pair.first) + "," + std::to_string(pair.second) +
            (pair.shared_sea ? ",true]" : ",false]");
  }
  return json + "]}";
}

}  // namespace plandrix
