// SPDX-License-Identifier: MIT
#include "combine/TableMinerals.h"

#include <string_view>
#include <unordered_set>

#include "platform/core/Text.h"

namespace vestrane {

std::vector<std::string> tableMinerals(const AnalysisTable& table) {
  std::vector<std::string> minerals;
  // Most rows repeat a spelling already seen: those are found without folding.
  std::unordered_set<std::string_view> spellings;
  std::unordered_set<std::string> folded;
  for (int row = 0, n = table.rowCount(); row < n; ++row) {
    const std::string_view mineral = table.cell(row, ColMineral);
    if (mineral.empty() || !spellings.insert(mineral).second) continue;
    if (folded.insert(upperText(mineral)).second) minerals.emplace_back(mineral);
  }
  return minerals;
}

}  // namespace vestrane
