// SPDX-License-Identifier: MIT
#include "combine/RequiredMinerals.h"

#include <unordered_set>

#include "platform/core/Text.h"

namespace vestrane {

std::vector<std::string> parseMineralList(std::string_view text) {
  std::vector<std::string> minerals;
  std::unordered_set<std::string> seen;
  while (!text.empty()) {
    const std::string_view name = SplitToken(text, ',');
    if (!name.empty() && seen.insert(upperText(name)).second) minerals.emplace_back(name);
  }
  return minerals;
}

std::vector<std::string> missingMinerals(const PointOverview& point,
                                         const std::vector<std::string>& required) {
  // The point's list holds the minerals with a checked analysis only.
  std::unordered_set<std::string> present;
  for (const PointMineral& m : point.minerals) present.insert(upperText(m.mineral));
  std::vector<std::string> missing;
  for (const std::string& mineral : required)
    if (!present.count(upperText(mineral))) missing.push_back(mineral);
  return missing;
}

std::string missingMineralsText(const std::vector<std::string>& missing) {
  if (missing.empty()) return "-";
  std::string text;
  for (const std::string& mineral : missing) {
    if (!text.empty()) text += ' ';
    text += mineral;
  }
  return text;
}

std::vector<int> pointsLacking(const PointsOverview& overview,
                               const std::vector<std::string>& required) {
  std::vector<int> points;
  if (required.empty()) return points;
  for (const PointOverview& p : overview.points)
    if (!missingMinerals(p, required).empty()) points.push_back(p.point);
  return points;
}

}  // namespace vestrane
