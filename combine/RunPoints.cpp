// SPDX-License-Identifier: MIT
#include "combine/RunPoints.h"

#include <unordered_map>

namespace vestrane {

std::vector<RunPoint> runPoints(const AnalysisTable& table) {
  // One pass over the rows: the first checked row of each point, gathered
  // under its sample, the samples numbered as they first occur.
  std::vector<std::vector<int>> pointsBySample;
  std::unordered_map<std::string_view, std::size_t> sampleIndex;
  std::vector<char> seen(static_cast<std::size_t>(table.pointCount()), 0);
  for (int row = 0, n = table.rowCount(); row < n; ++row) {
    if (!table.isChecked(row)) continue;
    int p = table.pointOf(row);
    if (seen[static_cast<std::size_t>(p)]) continue;
    seen[static_cast<std::size_t>(p)] = 1;
    auto [it, inserted] = sampleIndex.try_emplace(table.cell(row, ColSample), pointsBySample.size());
    if (inserted) pointsBySample.emplace_back();
    pointsBySample[it->second].push_back(row);
  }
  std::vector<RunPoint> points;
  for (const auto& rows : pointsBySample)
    for (int row : rows)
      points.push_back({table.cell(row, ColSample), table.cell(row, ColArea), table.pointOf(row), row});
  return points;
}

}  // namespace vestrane
