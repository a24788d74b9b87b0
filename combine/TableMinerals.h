// SPDX-License-Identifier: MIT
#pragma once
// The minerals a table holds, for the lists the user picks minerals from.

#include <string>
#include <vector>

#include "table/AnalysisTable.h"

namespace vestrane {

/// Every mineral of @p table once, in the order of their first rows and
/// spelt as there; minerals compared in any letter case, as the table
/// compares them. Rows without a mineral add none.
std::vector<std::string> tableMinerals(const AnalysisTable& table);

}  // namespace vestrane
